#include "output/frame_writer.h"

#include "output/picture_files.h"

bool SaveStreamPicture(const QImage& picture, const QString& path, QString& error) {
  return SavePicture(picture, path, error, kStreamPngQuality);
}

TFrameWriter::TFrameWriter(size_t depth, TWriteFrame write)
    : depth_(depth < 1 ? 1 : depth), write_(std::move(write)), thread_([this] { Work(); }) {}

TFrameWriter::~TFrameWriter() {
  QString error;
  Finish(error);
}

void TFrameWriter::Push(const QImage& picture, const QString& path) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < depth_ || !error_.isEmpty(); });
  if (!error_.isEmpty()) return;
  queue_.push_back({picture, path});
  changed_.notify_all();
}

bool TFrameWriter::Failed(QString& error) {
  std::lock_guard lock(mutex_);
  error = error_;
  return !error_.isEmpty();
}

bool TFrameWriter::Finish(QString& error) {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
  error = error_;
  return error_.isEmpty();
}

// Takes the frames one by one and writes each; stops at the first failure or
// when closed with an empty queue.
void TFrameWriter::Work() {
  for (;;) {
    TJob job;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
      if (queue_.empty() || !error_.isEmpty()) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      changed_.notify_all();
    }
    QString error;
    if (!write_(job.picture, job.path, error)) {
      std::lock_guard lock(mutex_);
      error_ = error;
      queue_.clear();
      changed_.notify_all();
      return;
    }
  }
}
