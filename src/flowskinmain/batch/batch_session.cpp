#include "batch/batch_session.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <cstdio>

#include "batch/batch_controls.h"
#include "batch/batch_view_math.h"
#include "glpanel/glpanel.h"
#include "render/camera_math.h"
#include "window/form1.h"

namespace {

// Whether control w is one of the "Mesh input" options, which a load reads.
bool IsLoadOption(TForm1& form, const QWidget* w) {
  const auto* group = form.findChild<QGroupBox*>("gb_mesh_input");
  return group && group->isAncestorOf(w);
}

// A --turn, --zoom, --pan or --view: the view record changed as the mouse or
// the "Look along" buttons change it (the texture is not dragged along), the
// next frame drawn for the new view.
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

void OffScreenMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains("propagateSizeHints")) return;
  std::fputs(qFormatLogMessage(type, context, text).toLocal8Bit().append('\n').constData(), stderr);
}

}  // namespace

void DropOffScreenRemarks() { qInstallMessageHandler(OffScreenMessages); }

TBatchSession::TBatchSession() : dialogs_(std::make_unique<TBatchDialogs>()) {
  // The dialogs answer the mesh dialog of start-up with "cancel".
  form_ = std::make_unique<TForm1>(QStringList{QCoreApplication::applicationFilePath()}, dialogs_.get());
  form_->settle_after_changes = false;  // every frame drawn is one the options ask for
}

TBatchSession::~TBatchSession() = default;

QString TBatchSession::ControlListing() { return ::ControlListing(*form_); }

// The window is laid out off screen and its drawing area given a context of
// its own with no window system (EGL's surfaceless platform): frames of the
// asked size, drawn into a framebuffer. No frame is drawn before the load, so
// the animation starts from the same state in every run.
bool TBatchSession::Open(const TBatchOptions& o, QString& error) {
  TForm1& form = *form_;
  width_ = o.width;
  height_ = o.height;
  form.Button14Click(&form);  // "Full window": the drawing area fills the window
  QString reason;
  if (!form.GLPanel1->StartHeadless(QSize(o.width, o.height), reason)) {
    error = QString("no OpenGL drawing area of %1 x %2 could be made without a display: %3")
                .arg(o.width)
                .arg(o.height)
                .arg(reason);
    return false;
  }
  form.GLPanel1->SwapBB = false;  // nothing is shown: each frame stays in the framebuffer
  form.resize(o.width, o.height);
  form.show();
  QApplication::processEvents();
  if (!ApplySteps(o.steps, true, error)) return false;
  if (!form.LoadMeshFile(QString::fromStdString(o.mesh)) || !dialogs_->messages.empty()) {
    error = dialogs_->messages.empty() ? QString("the mesh was not loaded") : dialogs_->messages.front();
    return false;  // the message names the file and the reason
  }
  return ApplySteps(o.steps, false, error);
}

bool TBatchSession::Apply(const std::vector<TBatchStep>& steps, QString& error) {
  const std::vector<TBatchControl> controls = SettableControls(*form_);
  for (const TBatchStep& step : steps) {
    if (step.kind != TBatchStep::Kind::Set) continue;
    const TBatchControl* c = FindSettable(controls, QString::fromStdString(step.name), error);
    if (!c) return false;
    if (IsLoadOption(*form_, c->widget)) {
      error = QString("%1 is a \"Mesh input\" option: it applies when a mesh is loaded").arg(c->name);
      return false;
    }
  }
  return ApplySteps(steps, false, error);
}

// The presets, control settings and pictures in the order given: with
// load_options only the settings of the "Mesh input" options (before the
// mesh is read), else all others.
bool TBatchSession::ApplySteps(const std::vector<TBatchStep>& steps, bool load_options, QString& error) {
  TForm1& form = *form_;
  TBatchDialogs& dialogs = *dialogs_;
  const std::vector<TBatchControl> presets = PresetButtons(form);
  const std::vector<TBatchControl> controls = SettableControls(form);
  const std::vector<TBatchControl> buttons = TabButtons(form);
  for (const TBatchStep& step : steps) {
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
      dialogs.messages.clear();
      return false;
    }
  }
  return true;
}

void TBatchSession::Step() { form_->RunLoopFrame(); }

QImage TBatchSession::Picture() { return form_->GrabFrameBitmap(); }

QString TBatchSession::Probe(int x, int y) {
  form_->ProbeUnderMouse(x, y);
  return !form_->lab_probe->isHidden() ? form_->lab_probe->text() : QString("off the surface");
}
