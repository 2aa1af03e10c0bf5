// Main window: construction, the shared change notifications every control ends
// in, start-up and close.
#include "window/form1.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QTimer>

#include "colorconversion/colorconversion.h"
#include "formats/mesh_format.h"
#include "glpanel/glpanel.h"

TForm1::TForm1(const QStringList& args, IDialogs* dialogs, QWidget* parent, TSettingsLink settings,
               bool load_when_shown)
    : QMainWindow(parent), args_(args), settings_(settings), load_when_shown_(load_when_shown) {
  if (!dialogs) {
    own_dialogs_ = new TQtDialogs(this);
    dialogs = own_dialogs_;
  }
  dialogs_ = dialogs;
  OpenDialog1.filter = QString::fromStdString(MeshFileFilter());
  OpenPictureDialog1.filter =
      "Pictures|*.BMP;*.PNG;*.JPG;*.JPEG|24-bit bitmaps|*.BMP|PNG pictures|*.PNG|JPEG pictures|*.JPG;*.JPEG|"
      "All files|*.*";
  SavePictureDialog1.filter = "PNG pictures|*.PNG|24-bit bitmaps|*.BMP|All files|*.*";
  BuildWindow();
  InstallHelpAndKeys();
  // The counts and the frame rate change while the program runs; their text
  // must never widen the window, which would resize the drawing area (and
  // restart the frame count) in the middle of a Run. A condensed face keeps
  // both in full beside "Run" under a 512-pixel drawing area.
  for (QLabel* label : {lab_ntri, lab_fps}) {
    QFont f = label->font();
    f.setStretch(QFont::Condensed);
    label->setFont(f);
    label->setMinimumWidth(1);
  }
  InstallAdvectionPasses();
  InstallOverlayPasses();
  FormCreate(this);
}

TForm1::~TForm1() {
  sb_animate->SetDown(false);
  if (GLPanel1->MakeCurrent()) {
    glyph_quadric_.Release();
    GLPanel1->DoneCurrent();
  }
  delete own_dialogs_;
}

// Asks for a new frame: does nothing while redraw_suspended > 0; otherwise marks
// the scene dirty, restarts the Run-loop frame count and draws one frame at once
// (nothing is drawn before the GL panel has its context).
void TForm1::RequestRedraw() {
  if (state.frame.redraw_suspended > 0) return;
  state.frame.scene_dirty = true;
  state.frame.frame_counter = 0;
  ++diag.redraw_requests;
  if (diag.on_redraw_request) diag.on_redraw_request();
  GLPanel1->Redraw();
}

// True when the sender is an edit box whose text the program wrote: edit-box
// notifications act only on typed text.
static bool IsProgramWrittenEdit(QObject* sender) {
  const auto* edit = dynamic_cast<const TEdit*>(sender);
  return edit && !edit->Modified();
}

// The redraw notification.
void TForm1::cbshlineClick(QObject* sender) {
  if (IsProgramWrittenEdit(sender)) return;
  RequestRedraw();
}

// The refresh notification: flow-source controls into the selected source, then
// data channel and colour map, with a frame before and after.
void TForm1::rbkmaxClick(QObject* sender) {
  if (IsProgramWrittenEdit(sender)) return;
  StoreFlowControls();
  RequestRedraw();
  RefreshRenderState(true);
  RequestRedraw();
}

// The colour dialog preset to the swatch's colour; a confirmed choice becomes
// the swatch's colour and true is returned. Cancel changes nothing.
bool TForm1::PickSwatchColour(QObject* sender) {
  auto* swatch = dynamic_cast<TColorSwatch*>(sender);
  if (!swatch) return false;
  ColorDialog1 = swatch->Color();
  int32_t chosen = 0;
  if (!dialogs_->PickColor(ColorDialog1, chosen)) return false;
  ColorDialog1 = chosen;
  swatch->SetColor(chosen);
  return true;
}

// Colour pick of a swatch, any mouse button: a confirmed choice refreshes.
void TForm1::sh_dataminMouseDown(QObject* sender, TMouseButton, TShiftState, int, int) {
  if (!PickSwatchColour(sender)) return;
  RefreshRenderState(true);
  RequestRedraw();
}

// Marks the view changed (so the next frame adds shade to Aux) and draws a frame
// without marking the scene dirty.
void TForm1::cb_add_shade_to_dataClick(QObject*) {
  if (cb_add_shade_to_data->Checked()) state.frame.view_changed = true;
  GLPanel1->Redraw();
}

// Window creation, in order: dialog folders, pulse style, noise, colour-map end,
// the defaults noted and the remembered values restored, then the mesh (the
// file named on the command line, now or once the window is shown, else the
// mesh dialog), and the pulse-style visibility.
void TForm1::FormCreate(QObject*) {
  OpenDialog1.initial_dir = QDir::currentPath();
  cb_lut_style->SetItemIndex(2);
  state.frame.noise_dirty = true;
  sh_datamax->SetColor(MakeColor(255, 128, 128));
  OpenPictureDialog1.initial_dir = QDir::currentPath();
  SavePictureDialog1.initial_dir = QDir::currentPath();
  // Every control now holds its default; the remembered values replace them
  // before the mesh is read, so that the loading options apply to it.
  control_defaults = ReadControlValues(*this);
  if (settings_.store && settings_.restore) RestoreSettings(*this, *settings_.store);
  if (args_.size() >= 2) {
    mesh_path_ = args_[1];
    if (load_when_shown_)
      QTimer::singleShot(0, this, [this] { LoadMeshFile(mesh_path_); });
    else
      LoadMeshFile(mesh_path_);
  } else {
    Open1Click(but_load_mesh);
  }
  cb_lut_styleChange(cb_lut_style);
}

// Releases "Run" so that a running animation loop ends at its next test.
void TForm1::FormClose(QObject*) { sb_animate->SetDown(false); }

// "Defaults": the remembered controls as at start, written as a preset writes
// them; then what the written controls drive without an event of their own:
// the pulse style's parameters, the noise, the time step, the light, and the
// render state with one frame.
void TForm1::but_defaultsClick(QObject*) {
  ++state.frame.redraw_suspended;
  WriteControlValues(*this, control_defaults);
  cb_lut_styleChange(cb_lut_style);
  double dt = 0;
  if (ReadFloatEdit(ed_dtime, dt)) state.view.time_step = dt;
  state.frame.noise_dirty = true;
  --state.frame.redraw_suspended;
  StoreFlowControls();
  RefreshRenderState(true);
  RequestRedraw();
}

// Closing saves the remembered values when the window has a store.
void TForm1::closeEvent(QCloseEvent* event) {
  if (settings_.store) SaveSettings(*this, *settings_.store);
  FormClose(this);
  QMainWindow::closeEvent(event);
}

bool TForm1::ReadIntegerEdit(const TEdit* edit, int32_t& value) {
  bool ok = false;
  const int v = edit->Text().trimmed().toInt(&ok);
  if (!ok) {
    dialogs_->ShowMessage(QString("'%1' is not a valid integer value").arg(edit->Text()));
    return false;
  }
  value = v;
  return true;
}

bool TForm1::ReadFloatEdit(const TEdit* edit, double& value) {
  bool ok = false;
  const double v = QLocale::c().toDouble(edit->Text().trimmed(), &ok);
  if (!ok) {
    dialogs_->ShowMessage(QString("'%1' is not a valid floating point value").arg(edit->Text()));
    return false;
  }
  value = v;
  return true;
}
