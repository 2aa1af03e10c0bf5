// The mesh-loading command of the window: the file dialog, the load itself
// (read and prepared into a new mesh that replaces the old one only on
// success), and what the window does with a new mesh.
#include <malloc.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <memory>

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

// Reads and prepares the mesh in `path` under the hourglass cursor. On failure
// the message is shown and the previous mesh stays as it was, with everything
// that depends on it. On success: the reader's "Flow data" box and the counts,
// dialog folders at the file's folder, the view aimed at the mesh when it is
// the first one, the time controls, curvature made dimensionless with "Norm. K", shade into Aux,
// the render state, a frame, and with the speed channel a second refresh and
// frame (speed is computed during the first frame). Also the start-up path for
// a file named on the command line.
void TForm1::LoadMeshFile(const QString& path) {
  const bool first_load = state.mesh.vertex_count == 0;
  auto cursor = std::make_unique<TWaitCursor>();
  std::string error;
  TLoadReport report;
  if (!LoadMesh(path.toStdString(), LoadOptions(), state.mesh, error, &report)) {
    cursor.reset();
    dialogs_->ShowMessage(QString::fromStdString(error));
    return;
  }
  state.mesh_loaded = true;
  // The replaced mesh's arrays (hundreds of MB for a large surface) are free
  // now: hand the pages back to the system instead of keeping them cached.
  malloc_trim(0);
  ResetDisplacedPositions(state.mesh);
  state.frame.scene_dirty = true;
  lab_strips->setText(QString::fromStdString(report.strip_text));
  // "Flow data" follows the file; its notification must not draw a frame of
  // the half-updated window.
  ++state.frame.redraw_suspended;
  cb_usr_flow->SetChecked(state.mesh.has_user_velo);
  cb_usr_flow->setVisible(state.mesh.has_user_velo);
  --state.frame.redraw_suspended;
  ShowFileArrayControls();
  RefreshRenderState(true);
  lab_ntri->setText(
      QString::fromStdString(TriangleCountText(state.mesh) + (report.notes.empty() ? "" : "; " + report.notes)));

  const QFileInfo file(path);
  OpenDialog1.initial_dir = file.absolutePath();
  OpenDialog1.file_name = file.fileName();
  OpenPictureDialog1.initial_dir = file.absolutePath();
  if (first_load) ResetView(state.mesh, state.view);
  ShowTimeControls();  // after the reset, so they show the time the view now has
  if (cb_normk->Checked()) NormalizeCurvature(state.mesh);
  AddShadeToAux();
  RefreshRenderState(true);
  cursor.reset();
  RequestRedraw();
  if (state.frame.data_channel == kChanVelocity) {
    RefreshRenderState(true);
    RequestRedraw();
  }
}
