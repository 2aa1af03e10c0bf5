// The probe under the mouse: the surface point the eye ray through the pointer
// meets first, through the camera of the last frame drawn, with its data
// channel's value and its flow, in the status line. Nothing is drawn for it.
#include <QLabel>

#include "data/data_channels.h"
#include "data/surface_probe.h"
#include "flow/view_unproject.h"
#include "glpanel/glpanel.h"
#include "window/form1.h"

void TForm1::ProbeUnderMouse(int x, int y) {
  TVec3 origin, direction;
  if (!state.mesh_loaded || state.mesh.face_count == 0 || recording_ ||
      !UnprojectViewRay(state.matrices, GLPanel1->Height(), x, y, origin, direction)) {
    HideProbe();
    return;
  }
  if (!probe_grid_.Built()) probe_grid_.Build(state.mesh);
  const TSurfaceProbe probe = ProbeAt(state.mesh, probe_grid_.FirstHit(state.mesh, origin, direction));
  if (!probe.on_surface) {
    HideProbe();
    return;
  }
  lab_probe->setText(QString::fromStdString(ProbeText(probe, ChannelTitle(state.mesh, state.frame.data_channel))));
  lab_load->hide();
  lab_probe->show();
}

void TForm1::HideProbe() {
  if (!lab_probe || lab_probe->isHidden()) return;
  lab_probe->hide();
  if (!recording_) lab_load->show();
}
