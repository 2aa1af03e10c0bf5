#include "batch/batch_run.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <cstdio>
#include <string>
#include <vector>

#include "batch/batch_controls.h"
#include "batch/batch_options.h"
#include "batch/batch_view_math.h"
#include "glpanel/glpanel.h"
#include "output/frame_writer.h"
#include "output/movie_writer.h"
#include "render/camera_math.h"
#include "window/form1.h"
#include "window/program_info.h"

namespace {

std::vector<std::string> ArgsOf(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

// Drops the platform's remark that an off-screen window has no size hints;
// everything else goes to the standard error as usual.
void BatchMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains("propagateSizeHints")) return;
  std::fputs(qFormatLogMessage(type, context, text).toLocal8Bit().append('\n').constData(), stderr);
}

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

// Lays the window out off screen and gives its drawing area a context of
// its own with no window system (EGL's surfaceless platform): frames of the
// asked size, drawn into a framebuffer, so no X display is needed. No frame
// is drawn meanwhile, so the animation starts from the same state in every
// run.
bool StartOffScreen(TForm1& form, const TBatchOptions& o, QString& error) {
  form.Button14Click(&form);  // "Full window": the drawing area fills the window
  QString reason;
  if (!form.GLPanel1->StartHeadless(QSize(o.width, o.height), reason)) {
    error = QString("no OpenGL drawing area of %1 x %2 could be made without a display: %3")
                .arg(o.width)
                .arg(o.height)
                .arg(reason);
    return false;
  }
  form.resize(o.width, o.height);
  form.show();
  QApplication::processEvents();
  return true;
}

// Whether control w is one of the "Mesh input" options, which a load reads.
bool IsLoadOption(TForm1& form, const QWidget* w) {
  const auto* group = form.findChild<QGroupBox*>("gb_mesh_input");
  return group && group->isAncestorOf(w);
}

// A --turn, --zoom, --pan or --view: the view record changed as the mouse or
// the "Look along" buttons change it
// (the texture is not dragged along), the next frame drawn for the new view.
void ApplyViewStep(TForm1& form, const TBatchStep& step) {
  TView& view = form.state.view;
  if (step.kind == TBatchStep::Kind::Turn) {
    TurnViewBy(view, step.x, step.y);
  } else if (step.kind == TBatchStep::Kind::View) {  // the name was checked when parsed
    LookAlong(form.state.mesh, view, form.FrameCtl().camera.up_axis, *AxisViewNamed(step.name.c_str()));
  } else if (step.kind == TBatchStep::Kind::Zoom) {
    ZoomViewBy(view, step.x);
  } else {
    // The matrices of a frame of the view as it is now (an earlier step may
    // have changed it since the last frame was drawn).
    TStoredMatrices m;
    CameraMatricesOf(view, form.FrameCtl().camera, form.GLPanel1->Width(), form.GLPanel1->Height(), m);
    PanViewBy(view, m, step.x, step.y);
  }
  form.state.frame.view_changed = true;
}

// Applies the presets, control settings and pictures in command-line order:
// with load_options only the settings of the "Mesh input" options (before the
// mesh is read), else all others.
bool ApplySteps(TForm1& form, TBatchDialogs& dialogs, const TBatchOptions& o, bool load_options, QString& error) {
  const std::vector<TBatchControl> presets = PresetButtons(form);
  const std::vector<TBatchControl> controls = SettableControls(form);
  const std::vector<TBatchControl> buttons = TabButtons(form);
  for (const TBatchStep& step : o.steps) {
    const QString name = QString::fromStdString(step.name);
    if (step.kind == TBatchStep::Kind::Set) {
      const TBatchControl* c = FindSettable(controls, name, error);
      if (!c) return false;
      if (IsLoadOption(form, c->widget) != load_options) continue;
      if (!ApplySetting(form, dialogs, *c, QString::fromStdString(step.value), error)) return false;
    } else if (load_options) {
      continue;
    } else if (step.kind == TBatchStep::Kind::Turn || step.kind == TBatchStep::Kind::Zoom ||
               step.kind == TBatchStep::Kind::Pan || step.kind == TBatchStep::Kind::View) {
      ApplyViewStep(form, step);
    } else if (step.kind == TBatchStep::Kind::Preset || step.kind == TBatchStep::Kind::Press) {
      const TBatchControl* b =
          step.kind == TBatchStep::Kind::Preset ? FindPreset(presets, name, error) : FindSettable(buttons, name, error);
      if (!b) return false;
      static_cast<TButton*>(b->widget)->Click();
    } else {
      dialogs.next_picture = name;
      form.Button7Click(form.Button7);
    }
    if (!dialogs.messages.empty()) {
      error = QString("%1: %2").arg(name, dialogs.messages.front());
      return false;
    }
  }
  return true;
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
bool RenderFrames(TForm1& form, const TBatchOptions& o, QString& error) {
  TBatchOutput output(o);
  if (!output.Open(error)) return false;
  form.GLPanel1->SwapBB = false;  // nothing is shown: the frame stays in the back buffer
  QElapsedTimer timer;
  for (int32_t k = 1; k <= o.warmup + o.frames; ++k) {
    if (k == o.warmup + 1) timer.start();
    form.RunLoopFrame();
    if (k <= o.warmup || o.dry_run) continue;
    const int32_t i = k - o.warmup;
    const QString path = QString::fromStdString(BatchFrameFileName(o, i));
    const QImage frame = form.GrabFrameBitmap();
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
  qInstallMessageHandler(BatchMessages);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Flowskin");
  QString error;
  if (!o.list && !CheckOutputFolder(o, error)) return Fail(1, error);
  TBatchDialogs dialogs;  // answers the mesh dialog of start-up with "cancel"
  TForm1 form(QStringList{app.arguments().value(0)}, &dialogs);
  form.settle_after_changes = false;  // every frame drawn is one the options ask for
  if (o.list) {
    std::fputs(ControlListing(form).toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (!StartOffScreen(form, o, error) || !ApplySteps(form, dialogs, o, true, error)) return Fail(1, error);
  const QString mesh = QString::fromStdString(o.mesh);
  form.LoadMeshFile(mesh);
  if (!dialogs.messages.empty()) return Fail(1, dialogs.messages.front());  // names the file and the reason
  if (!ApplySteps(form, dialogs, o, false, error)) return Fail(1, error);
  if (!RenderFrames(form, o, error)) return Fail(1, error);
  for (const auto& [x, y] : o.probes) {
    form.ProbeUnderMouse(x, y);
    const QString shown = !form.lab_probe->isHidden() ? form.lab_probe->text() : QString("off the surface");
    std::printf("probe %d,%d: %s\n", x, y, shown.toUtf8().constData());
  }
  return 0;
}
