#include "batch/batch_run.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "batch/batch_session.h"
#include "output/frame_writer.h"
#include "output/movie_writer.h"
#include "window/program_info.h"

namespace {

std::vector<std::string> ArgsOf(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

int Fail(int status, const QString& message) {
  std::fprintf(stderr, "flowskin: %s\n", message.toLocal8Bit().constData());
  return status;
}

// The output's folder must exist and take new files.
bool CheckOutputFolder(const TBatchOptions& o, QString& error) {
  const QFileInfo folder(QFileInfo(QString::fromStdString(o.output)).absolutePath());
  if (!folder.isDir())
    error = QString("output folder '%1' does not exist").arg(folder.filePath());
  else if (!folder.isWritable())
    error = QString("output folder '%1' is not writable").arg(folder.filePath());
  return error.isEmpty();
}

// Where the frames go: numbered pictures or one movie, each written on a
// thread of its own while the next frame is drawn.
class TBatchOutput {
 public:
  explicit TBatchOutput(const TBatchOptions& o) : o_(o), movie_(IsMovieOutput(o)) {}
  bool Open(QString& error) {
    return !movie_ || o_.dry_run ||
           movie_writer_.Open(QString::fromStdString(o_.output), o_.width, o_.height, o_.movie, error);
  }
  bool Push(const QImage& frame, const QString& path, QString& error) {
    if (movie_) {
      movie_writer_.Push(frame);
      return !movie_writer_.Failed(error);
    }
    picture_writer_.Push(frame, path);
    return !picture_writer_.Failed(error);
  }
  bool Finish(QString& error) {
    if (movie_ && !o_.dry_run) return movie_writer_.Finish(error);
    return picture_writer_.Finish(error);
  }

 private:
  const TBatchOptions& o_;
  const bool movie_;
  TFrameWriter picture_writer_;
  TMovieWriter movie_writer_;
};

// Draws warmup + frames steps of the "Run" loop and hands every frame after
// the warm-up to the writer thread (a dry run only draws); progress and the
// time from the first frame written to the last file closed on the standard
// output. A movie is started before the first frame is drawn, so that a file
// that cannot be made is reported at once; a failure leaves no movie file.
bool RenderFrames(TBatchSession& session, const TBatchOptions& o, QString& error) {
  TBatchOutput output(o);
  if (!output.Open(error)) return false;
  QElapsedTimer timer;
  for (int32_t k = 1; k <= o.warmup + o.frames; ++k) {
    if (k == o.warmup + 1) timer.start();
    session.Step();
    if (k <= o.warmup || o.dry_run) continue;
    const int32_t i = k - o.warmup;
    const QString path = QString::fromStdString(BatchFrameFileName(o, i));
    const QImage frame = session.Picture();
    if (frame.isNull()) {
      error = "the frame could not be read back";
      return false;
    }
    if (!output.Push(frame, path, error)) return false;
    std::printf("frame %d of %d: %s\n", i, o.frames, path.toLocal8Bit().constData());
    std::fflush(stdout);
  }
  if (!output.Finish(error)) return false;
  std::printf("%s %d frame%s in %.3f s\n", o.dry_run ? "drew" : "wrote", o.frames, o.frames == 1 ? "" : "s",
              timer.nsecsElapsed() * 1e-9);
  return true;
}

}  // namespace

bool IsBatchRun(int argc, char** argv) { return IsBatchInvocation(ArgsOf(argc, argv)); }

int RunBatch(int argc, char** argv) {
  TBatchOptions o;
  std::string parse_error;
  if (!ParseBatchOptions(ArgsOf(argc, argv), o, parse_error)) return Fail(2, QString::fromStdString(parse_error));
  if (o.help) {
    std::fputs(BatchUsage().c_str(), stdout);
    return 0;
  }
  if (o.version) {
    std::fputs((ProgramVersion() + "\n" + LibraryVersions()).toLocal8Bit().constData(), stdout);
    return 0;
  }
  // No window on screen, and no window system needed: the off-screen
  // platform lays out the controls, EGL gives the drawing area its context.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  DropOffScreenRemarks();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Flowskin");
  QString error;
  if (o.list) {
    std::fputs(TBatchSession().ControlListing().toLocal8Bit().constData(), stdout);
    return 0;
  }
  return WriteBatchFrames(o, error) ? 0 : Fail(1, error);
}

bool WriteBatchFrames(const TBatchOptions& o, QString& error) {
  if (!CheckOutputFolder(o, error)) return false;
  TBatchSession session;
  if (!session.Open(o, error) || !RenderFrames(session, o, error)) return false;
  for (const auto& [x, y] : o.probes) std::printf("probe %d,%d: %s\n", x, y, session.Probe(x, y).toUtf8().constData());
  return true;
}
