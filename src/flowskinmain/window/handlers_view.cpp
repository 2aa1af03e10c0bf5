// Camera, projection, lights and the size of the drawing area.
#include <QScreen>

#include "data/colour_map_gl.h"
#include "glpanel/glpanel.h"
#include "render/camera_gl.h"
#include "render/camera_math.h"
#include "window/form1.h"

// One-time GL state at the first paint (the panel's OnGLInit); sets gl_ready
// and scene_dirty; the panel keeps its frames the way the frame capture takes
// them. The colour map is loaded here too, because a refresh that
// ran before the context existed (a mesh named on the command line) could not.
void TForm1::GLPanel1GLInit(QObject*) {
  InitGLState(state.frame, GLPanel1->Width(), GLPanel1->Height());
  GLPanel1->KeepByReadBack = state.frame.capture.read_back_window;
  InitColourMap(RenderCtl());
}

// The panel's OnResize: window-size edits follow the drawing area, the old
// picture is dropped (its pixels sit elsewhere in a view of another size),
// then two frames.
void TForm1::GLPanel1Resize(QObject*) {
  if (GLPanel1->DrawsOwnSize()) return;  // a movie of its own size is drawn meanwhile
  ed_winw->SetText(QString::number(GLPanel1->Width()));
  ed_winh->SetText(QString::number(GLPanel1->Height()));
  ForgetPicture();
  RequestRedraw();
  RequestRedraw();
}

// "Reset" / "Reset View": centre, size and angles from the mesh's bounding
// box, time to the first time value; then a frame.
void TForm1::Button8Click(QObject*) {
  ResetView(state.mesh, state.view);
  RequestRedraw();
}

void TForm1::but_viewClick(QObject* sender) {
  for (size_t i = 0; i < but_views.size(); ++i)
    if (sender == but_views[i]) LookAlongAxis(kAxisViews[i]);
}

void TForm1::LookAlongAxis(const TAxisView& along) {
  LookAlong(state.mesh, state.view, FrameCtl().camera.up_axis, along);
  state.frame.view_changed = true;
  RequestRedraw();
}

// Enter in ed_winw or ed_winh: the drawing area becomes w x h by resizing the
// main window by the difference, the window no larger than the screens'
// room for windows: a larger one cannot be shown, and the frames of a
// drawing area of any typed size took memory without bound (gigabytes for
// 2147483647 x 376). The edits then show the size the area got. Text that is
// not an integer is reported and changes nothing.
void TForm1::ed_winwKeyDown(QObject*, int& key, TShiftState) {
  if (key != 13) return;
  int32_t w = 0, h = 0;
  if (!ReadIntegerEdit(ed_winw, w) || !ReadIntegerEdit(ed_winh, h)) return;
  // The edits hold device pixels (as GLPanel1Resize writes them); the window is sized in logical ones.
  const double dpr = GLPanel1->devicePixelRatio();
  QSize window(WindowExtentFor(qRound(w / dpr), width(), GLPanel1Container->width()),
               WindowExtentFor(qRound(h / dpr), height(), GLPanel1Container->height()));
  if (const QScreen* s = screen()) window = window.boundedTo(s->availableVirtualGeometry().size());
  resize(window);
  RefreshRenderState(true);
  RequestRedraw();
}

// Enter in ed_margin or in the focal-length edit: view.margin from ed_margin.
// A margin that leaves no viewport shows the background only.
void TForm1::ed_marginKeyDown(QObject*, int& key, TShiftState) {
  if (key != 13) return;
  int32_t margin = 0;
  if (!ReadIntegerEdit(ed_margin, margin)) return;
  state.view.margin = margin;
  RequestRedraw();
}

// Light controls changed (both light edits and "Directional light"): a frame
// without marking the scene dirty, since the light is set anew every frame and
// no display list holds it. With "Add shade to data" the view counts as
// changed so that the frame adds the new shading to Aux.
void TForm1::ed_llight_lrChange(QObject*) {
  if (cb_add_shade_to_data->Checked()) state.frame.view_changed = true;
  GLPanel1->Redraw();
}

// "Full window": hides both panels, so the drawing area fills the window, and
// shows "X" in its top-left corner.
void TForm1::Button14Click(QObject*) {
  ForgetPicture();
  panel_message->hide();
  panel_control->hide();
  Button15->show();
  Button15->raise();
}

// "X": brings the panels back and hides itself.
void TForm1::Button15Click(QObject*) {
  ForgetPicture();
  panel_message->show();
  panel_control->show();
  Button15->hide();
}

// Nothing of the picture shown so far survives: the frame texture is emptied
// before the next frame (which then starts as the first frame of a run does)
// and the panel's copy of the last frame, read by "Copy image" and "Save
// image...", is dropped until a new frame is drawn. For a new mesh, a new view
// size and "Full window" / "X".
void TForm1::ForgetPicture() {
  state.frame.frame_texture_stale = true;
  GLPanel1->ForgetLastFrame();
}
