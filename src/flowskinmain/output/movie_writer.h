#pragma once
// A movie file written beside the drawing: frames are queued as for the
// picture writer and encoded on its thread, so encoding one frame overlaps
// drawing the next. Used by "Save seq. ..." and the batch command.
#include <QImage>
#include <QString>
#include <memory>

#include "output/frame_writer.h"
#include "output/movie_encoder.h"

class TMovieWriter {
 public:
  TMovieWriter() = default;
  ~TMovieWriter();  // a movie that was not finished is abandoned: no file under its name

  // Starts the movie (see TMovieEncoder::Open) and the writer thread.
  bool Open(const QString& path, int32_t w, int32_t h, const TMovieSettings& settings, QString& error);
  // Queues the next frame; blocks while two frames wait.
  void Push(const QImage& frame);
  // Whether encoding has failed (the movie is then abandoned).
  bool Failed(QString& error);
  // Waits for the queued frames and completes the file under its name; false
  // with the message when a frame or the completion failed.
  bool Finish(QString& error);

 private:
  TMovieEncoder encoder_;
  std::unique_ptr<TFrameWriter> writer_;  // runs while the movie is open
};
