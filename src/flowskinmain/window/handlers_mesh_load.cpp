// The mesh-loading command of the window: the file dialog, the load itself
// (read and prepared into a new mesh that replaces the old one only on
// success), and what the window does with a new mesh.
#include <malloc.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>
#include <QTimer>
#include <exception>
#include <memory>
#include <thread>

#include "data/data_channels.h"
#include "loading/mesh_loading.h"
#include "mesh/curvature.h"
#include "render/camera_math.h"
#include "window/form1.h"

namespace {

// The hourglass cursor for the lifetime of the object; restored on every path.
class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The surface is drawn from adv_pos; until an advection pass displaces the
// vertices it is the vertex position itself.
void ResetDisplacedPositions(TMesh& mesh) {
  for (int32_t i = 0; i < mesh.vertex_count; ++i) mesh.vertices[i].adv_pos = mesh.vertices[i].pos;
}

}  // namespace

// "Load mesh...": asks for a mesh file (PLY, OBJ, STL, OFF, glTF); a cancel
// changes nothing.
void TForm1::Open1Click(QObject*) {
  QString path;
  if (!dialogs_->OpenFile(OpenDialog1, path)) return;
  mesh_path_ = path;
  LoadMeshFile(path);
}

// Reads and prepares the mesh in `path` on a thread of its own while the
// window keeps painting: the panel is held (it shows its last frame and draws
// nothing from the mesh, which the thread reads for the values it carries
// over), user input waits until the load ends, and a load that takes longer
// than load_progress_delay_ms shows a busy indicator naming the file. A "Run"
// loop in progress is suspended meanwhile, as in any handler. True with the
// new mesh in `loaded`; false with the message in `error`.
bool TForm1::LoadMeshAside(const QString& path, const TLoadOptions& options, TMesh& loaded, std::string& error,
                           TLoadReport& report) {
  const std::string file = path.toStdString();
  QEventLoop loop;
  bool ok = false;
  GLPanel1->Hold(true);
  mesh_load_running_ = true;
  std::thread worker([&] {
    try {
      ok = LoadMeshBeside(file, options, state.mesh, loaded, error, &report);
    } catch (const std::exception& e) {  // the load reports its own failures; this is the last resort
      error = LoadFailureText(file, e.what());
    }
    QMetaObject::invokeMethod(
        &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });
  std::unique_ptr<QProgressDialog> progress;
  QTimer show_progress;
  show_progress.setSingleShot(true);
  connect(&show_progress, &QTimer::timeout, this, [&] {
    progress = std::make_unique<QProgressDialog>(QString("Loading %1 ...").arg(QFileInfo(path).fileName()), QString(),
                                                 0, 0, this);
    progress->setObjectName("load_progress");
    progress->setWindowTitle(QApplication::applicationName());
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->show();
  });
  show_progress.start(load_progress_delay_ms);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  progress.reset();
  mesh_load_running_ = false;
  GLPanel1->Hold(false);
  return ok;
}

// Reads and prepares the mesh in `path` under the hourglass cursor (aside,
// LoadMeshAside, while the window is shown). On failure a warning naming the
// file and the reason is shown and the previous mesh stays as it was, with everything
// that depends on it. On success: the reader's "Flow data" box and the counts,
// dialog folders at the file's folder, the view aimed at the mesh when it is
// the first one, the time controls, curvature made dimensionless with "Norm. K", shade into Aux,
// the render state, what was loaded and how long it took under the counts,
// a frame, and with the speed channel a second refresh and frame (speed is
// computed during the first frame). The blocks taken are those chosen for
// this file (BlockChoiceFor), and "Blocks" lists the file's blocks. Also the
// start-up path for a file named on the command line. True when the file was
// loaded.
bool TForm1::LoadMeshFile(const QString& path) {
  const bool first_load = state.mesh.vertex_count == 0;
  auto cursor = std::make_unique<TWaitCursor>();
  QElapsedTimer timer;
  timer.start();
  std::string error;
  TLoadReport report;
  TMesh loaded;
  TLoadOptions options = LoadOptions();
  options.blocks = BlockChoiceFor(path);
  const bool ok = isVisible() ? LoadMeshAside(path, options, loaded, error, report)
                              : LoadMeshBeside(path.toStdString(), options, state.mesh, loaded, error, &report);
  if (!ok) {
    cursor.reset();
    dialogs_->ShowWarning(QString::fromStdString(error));
    return false;
  }
  state.mesh = std::move(loaded);
  state.mesh_loaded = true;
  probe_grid_.Clear();
  HideProbe();
  // The replaced mesh's arrays (hundreds of MB for a large surface) are free
  // now: hand the pages back to the system instead of keeping them cached.
  malloc_trim(0);
  ResetDisplacedPositions(state.mesh);
  ForgetPicture();
  state.frame.scene_dirty = true;
  lab_strips->setText(QString::fromStdString(report.strip_text));
  ShowBlocks(path, options.blocks, report.blocks);
  // "Flow data" follows the file; its notification must not draw a frame of
  // the half-updated window.
  ++state.frame.redraw_suspended;
  cb_usr_flow->SetChecked(state.mesh.has_user_velo);
  cb_usr_flow->setVisible(state.mesh.has_user_velo);
  --state.frame.redraw_suspended;
  ApplyRememberedFileChoices();
  ShowFileArrayControls();
  RefreshRenderState(true);
  lab_ntri->setText(QString::fromStdString(TriangleCountText(state.mesh)));

  const QFileInfo file(path);
  OpenDialog1.initial_dir = file.absolutePath();
  OpenDialog1.file_name = file.fileName();
  OpenPictureDialog1.initial_dir = file.absolutePath();
  if (first_load) ResetView(state.mesh, state.view);
  ShowTimeControls();  // after the reset, so they show the time the view now has
  if (cb_normk->Checked()) NormalizeCurvature(state.mesh);
  AddShadeToAux();
  RefreshRenderState(true);
  // What the load changed and the flow array's note first, after the file's
  // name: they are what the user needs to know, and a long line is cut at its end.
  std::string summary = LoadSummaryText(state.mesh, path.toStdString(), timer.nsecsElapsed() * 1e-9);
  for (const std::string& note : {report.notes, report.flow_note})
    if (!note.empty()) summary.insert(summary.find(": ") + 2, note + "; ");
  lab_load->setText(QString::fromStdString(summary));
  lab_load->setToolTip(lab_ntri->text() + "\n" + lab_load->text());
  cursor.reset();
  RequestRedraw();
  if (state.frame.data_channel == kChanVelocity) {
    RefreshRenderState(true);
    RequestRedraw();
  }
  return true;
}
