// The auxiliary field: "Cur -> Aux", "Smooth Aux", "Add shade to Aux", "Clear
// Aux", the hidden "F lines" (Data tab) and "Replace with Grad Aux" (Flow tab).
#include <QLocale>

#include "data/aux_field.h"
#include "glpanel/glpanel.h"
#include "render/camera_math.h"
#include "window/form1.h"

// The shading step: sh_min and sh_max from the two edits beside "Add shade to
// Aux" (both read before any vertex changes; a text that is not a number is
// reported and nothing changes), the light of the last frame's camera set-up
// (state.matrices) with "Directional light", then aux := aux_base plus the
// shade of every vertex and a full render-state refresh. Requests no frame:
// the frame driver calls it at the start of a frame, the loading before its
// own frame. When no frame has placed a light yet (a mesh loaded at start-up,
// or the first mesh after frames of the empty view, whose light sits at
// distance 0) the camera and light that the next frame will set up are used.
// The automatic step of the frames reports texts that are not numbers once,
// until they are numbers again.
void TForm1::AddShadeToAux(bool automatic) {
  TAuxShade p;
  // Each frame after a view change takes this step: texts that are not
  // numbers showed their message again at every mouse move and "Run" step
  // (and at every key typed into them while "Run" turned the view).
  bool min_ok = false, max_ok = false;
  p.sh_min = QLocale::c().toDouble(ed_sh_min->Text().trimmed(), &min_ok);
  p.sh_max = QLocale::c().toDouble(ed_sh_max->Text().trimmed(), &max_ok);
  if (!min_ok || !max_ok) {
    if (automatic && shade_texts_reported_) return;
    shade_texts_reported_ = shade_texts_reported_ || automatic;
    if (!ReadFloatEdit(ed_sh_min, p.sh_min) || !ReadFloatEdit(ed_sh_max, p.sh_max)) return;
  }
  shade_texts_reported_ = false;
  p.directional = cb_dir_light->Checked();
  TStoredMatrices m = state.matrices;
  const float* l = m.light_position;
  if (l[0] == 0 && l[1] == 0 && l[2] == 0)
    CameraMatricesOf(state.view, FrameCtl().camera, GLPanel1->Width(), GLPanel1->Height(), m);
  ShadeAux(state.mesh, m, p);
  RefreshRenderState(true);
}

// "Cur -> Aux": the shown channel's values and colour range become the Aux
// field's. Nothing is redrawn; the copy shows once "Aux" is selected.
void TForm1::butcopyauxClick(QObject*) { CopyChannelToAux(state.mesh, state.frame.data_channel); }

// "Clear Aux": aux and aux_base to 0; refresh and a frame.
void TForm1::but_clear_auxClick(QObject*) {
  ClearAux(state.mesh);
  RefreshRenderState(true);
  RequestRedraw();
}

// "Add shade to Aux": the shading step and a frame.
void TForm1::but_add_shadeClick(QObject*) {
  AddShadeToAux();
  RequestRedraw();
}

// "Smooth Aux": "N" passes with the weight "A" percent; refresh and a frame.
void TForm1::but_smoothClick(QObject*) {
  SmoothAux(state.mesh, {udnsmooth->Position(), ud_asmooth->Position() / 100.0});
  RefreshRenderState(true);
  RequestRedraw();
}

// "F lines" (hidden): aux := the pixel distance of each vertex to the apparent
// contour of its minimum-curvature cylinder in the last frame's view; refresh
// and a frame. Before the first frame there is no view and nothing changes.
void TForm1::but_feature_linesClick(QObject*) {
  FeatureLineDistances(state.mesh, state.matrices);
  RefreshRenderState(true);
  RequestRedraw();
}

// "Replace with Grad Aux": both working directions become the tangential
// gradient of aux, so curvature flow follows it (or its level lines at 90
// degrees). Only marks the scene dirty; the next frame shows it.
void TForm1::Button10Click(QObject*) {
  ReplaceDirectionsWithAuxGradient(state.mesh);
  state.frame.scene_dirty = true;
}
