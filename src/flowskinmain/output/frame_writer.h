#pragma once
// Writes grabbed frames to picture files on a thread of its own, so that the
// encoding and writing of one frame overlap the drawing of the next. Frames
// are written in the order given; at most `depth` frames wait at a time (Push
// blocks while the queue is full). The first failure stops the writing: later
// frames are dropped and the failure is reported by Failed and Finish.
//
// A run of frames is all or nothing: each frame is written under a hidden
// temporary name beside its file (".NAME.part") and the files take their own
// names only in Finish, once every frame was written. A failure, or a writer
// destroyed without Finish, removes every temporary file, so files of the
// same names from before stay as they were and nothing partial is left.
#include <QImage>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Writes one frame; false with the message in `error` on failure. Runs on
// the writer's thread.
using TWriteFrame = std::function<bool(const QImage& picture, const QString& path, QString& error)>;

class TFrameWriter {
 public:
  // Without `write`, frames are pictures written under staged names (above);
  // with it, each frame is handed to `write` on the writer's thread as it comes
  // (a movie keeps its own all-or-nothing rule).
  explicit TFrameWriter(size_t depth = 2, TWriteFrame write = nullptr);
  ~TFrameWriter();  // without Finish: stops and removes what it wrote
  TFrameWriter(const TFrameWriter&) = delete;
  TFrameWriter& operator=(const TFrameWriter&) = delete;

  // Queues `picture` for `path` (handed to the write action).
  void Push(const QImage& picture, const QString& path);
  // Whether a write has failed; `error` receives its message.
  bool Failed(QString& error);
  // Waits until every frame queued so far is written or the writer failed;
  // false with the message in `error` on failure. More frames may follow.
  bool Flush(QString& error);
  // Waits until every queued frame is written or the writer failed; when all
  // were written, gives each file its own name and returns true.
  bool Finish(QString& error);

  // ".NAME.part" in the folder of `path`.
  static QString StagedName(const QString& path);

 private:
  struct TJob {
    QImage picture;
    QString path;
  };
  void Work();
  void Stop();
  void RemoveStaged();  // with mutex_ held or the thread stopped

  size_t depth_;
  TWriteFrame write_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TJob> queue_;
  bool closing_ = false;
  bool busy_ = false;  // a frame taken from the queue is being written
  QString error_;
  std::vector<std::pair<QString, QString>> staged_;  // (temporary, final) names of frames written
  bool finished_ = false;
  std::thread thread_;
};
