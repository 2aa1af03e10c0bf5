#include "output/movie_writer.h"

TMovieWriter::~TMovieWriter() {
  writer_.reset();  // the thread stops before the encoder it uses is abandoned
  encoder_.Abort();
}

bool TMovieWriter::Open(const QString& path, int32_t w, int32_t h, const TMovieSettings& settings, QString& error) {
  writer_.reset();
  if (!encoder_.Open(path, w, h, settings, error)) return false;
  writer_ = std::make_unique<TFrameWriter>(
      2, [this](const QImage& frame, const QString&, QString& e) { return encoder_.AddFrame(frame, e); });
  return true;
}

void TMovieWriter::Push(const QImage& frame) {
  if (writer_) writer_->Push(frame, QString());
}

bool TMovieWriter::Failed(QString& error) {
  if (!writer_) {
    error = "Cannot write a movie that is not open";
    return true;
  }
  return writer_->Failed(error);
}

bool TMovieWriter::Finish(QString& error) {
  if (!writer_) {
    error = "Cannot write a movie that is not open";
    return false;
  }
  const bool written = writer_->Finish(error);
  writer_.reset();
  if (!written) {
    encoder_.Abort();
    return false;
  }
  return encoder_.Close(error);
}
