#include "output/frame_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "output/picture_files.h"

TFrameWriter::TFrameWriter(size_t depth, TWriteFrame write)
    : depth_(depth < 1 ? 1 : depth), write_(std::move(write)), thread_([this] { Work(); }) {}

TFrameWriter::~TFrameWriter() {
  Stop();
  if (!finished_) RemoveStaged();
}

QString TFrameWriter::StagedName(const QString& path) {
  const QFileInfo info(path);
  return QDir(info.path()).filePath("." + info.fileName() + ".part");
}

void TFrameWriter::RemoveStaged() {
  for (const auto& [temporary, final_name] : staged_) QFile::remove(temporary);
  staged_.clear();
}

void TFrameWriter::Stop() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
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

bool TFrameWriter::Flush(QString& error) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return (queue_.empty() && !busy_) || !error_.isEmpty(); });
  error = error_;
  return error_.isEmpty();
}

// The renames replace files of the same names; one that fails (it should not,
// within one folder) removes the frames already renamed and the rest.
bool TFrameWriter::Finish(QString& error) {
  Stop();
  finished_ = true;
  for (size_t i = 0; error_.isEmpty() && i < staged_.size(); ++i) {
    const auto& [temporary, final_name] = staged_[i];
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(final_name).constData()) == 0) continue;
    error_ = QString("Cannot write %1: %2").arg(final_name, QString::fromLocal8Bit(std::strerror(errno)));
    for (size_t k = 0; k < i; ++k) QFile::remove(staged_[k].second);
  }
  if (!error_.isEmpty()) RemoveStaged();
  staged_.clear();
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
      busy_ = true;
      changed_.notify_all();
    }
    QString error;
    QString temporary;
    bool written = false;
    if (write_) {
      written = write_(job.picture, job.path, error);
    } else {
      temporary = StagedName(job.path);  // encoded as the name asked for says, not as ".part" would
      written = SavePicture(job.picture, temporary, error, kStreamPngQuality, job.path);
    }
    std::lock_guard lock(mutex_);
    busy_ = false;
    changed_.notify_all();
    if (written) {
      if (!temporary.isEmpty()) staged_.emplace_back(temporary, job.path);
      continue;
    }
    // The message names the file asked for, not its temporary name.
    error_ = temporary.isEmpty() ? error : error.replace(temporary, job.path);
    RemoveStaged();
    queue_.clear();
    changed_.notify_all();
    return;
  }
}
