#pragma once
// Writes grabbed frames to picture files on a thread of its own, so that the
// encoding and writing of one frame overlap the drawing of the next. Frames
// are written in the order given; at most `depth` frames wait at a time (Push
// blocks while the queue is full). The first failure stops the writing: later
// frames are dropped and the failure is reported by Failed and Finish.
#include <QImage>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Writes one frame; false with the message in `error` on failure. Runs on
// the writer's thread.
using TWriteFrame = std::function<bool(const QImage& picture, const QString& path, QString& error)>;

// The default action: the picture saved to its own file (PNG or BMP by the
// name's ending) at the quick PNG quality of streams.
bool SaveStreamPicture(const QImage& picture, const QString& path, QString& error);

class TFrameWriter {
 public:
  explicit TFrameWriter(size_t depth = 2, TWriteFrame write = SaveStreamPicture);
  ~TFrameWriter();  // finishes the queue
  TFrameWriter(const TFrameWriter&) = delete;
  TFrameWriter& operator=(const TFrameWriter&) = delete;

  // Queues `picture` for `path` (handed to the write action).
  void Push(const QImage& picture, const QString& path);
  // Whether a write has failed; `error` receives its message.
  bool Failed(QString& error);
  // Waits until every queued frame is written or the writer failed; returns
  // true when all were written.
  bool Finish(QString& error);

 private:
  struct TJob {
    QImage picture;
    QString path;
  };
  void Work();

  size_t depth_;
  TWriteFrame write_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TJob> queue_;
  bool closing_ = false;
  QString error_;
  std::thread thread_;
};
