// Mouse navigation of the view and picking and dragging of flow sources.
// Positions are drawing-area pixels (device pixels), origin top-left. Every
// handled move draws a frame at once through the panel's Redraw, so the view
// follows the mouse whether or not "Run" is down.
#include "glpanel/glpanel.h"
#include "interaction/pick_math.h"
#include "interaction/view_drag_math.h"
#include "window/form1.h"

namespace {

bool AnyButtonOrKey(const TShiftState& s) { return s.shift || s.alt || s.ctrl || s.left || s.right || s.middle; }

}  // namespace

// The eye ray through panel pixel (x, y) with the matrices of the last frame;
// y is flipped with the panel's height.
bool TForm1::ViewRayAt(int x, int y, TRay& ray) const {
  return UnprojectRay(state.matrices, GLPanel1->Height(), x, y, ray);
}

// The glyph under panel pixel (x, y), or within a few pixels of it as drawn,
// only while "Show flow sources" is checked. On a hit drag_point and drag_ray
// take the grab point and the ray.
TPick TForm1::PickSourceAt(int x, int y) {
  if (!cb_showelements->Checked()) return TPick();
  TRay ray;
  if (!ViewRayAt(x, y, ray)) return TPick();
  const TPick pick = PickSource(state.sources, ray, {&state.matrices, kPickSlackPixels});
  if (pick.source != 0) StartSourceDrag(state.mouse, ray, pick.t);
  return pick;
}

// Press: the selected source first takes the editing controls; the left button
// grabs the glyph under the mouse (mode 4) or turns the view (1), the right
// button zooms (2), the middle one pans (3). A press on no glyph keeps the
// selection. The controls then show the selected source, and a move at the
// same position draws the frame. The buttons are read from the shift state.
void TForm1::GLPanel1MouseDown(QObject* sender, TMouseButton, TShiftState shift, int x, int y) {
  TMouseState& m = state.mouse;
  m.last_mouse_x = x;
  m.last_mouse_y = y;
  m.mouse_mode = 0;
  HideProbe();
  StoreFlowControls();
  const TPick pick = shift.left ? PickSourceAt(x, y) : TPick();
  if (pick.source != 0) {
    m.mouse_mode = 4;
    state.sources.selected_source = pick.source;
    state.sources.selected_handle = pick.handle;
  } else if (shift.left) {
    m.mouse_mode = 1;
  } else if (shift.right) {
    m.mouse_mode = 2;
  } else if (shift.middle) {
    m.mouse_mode = 3;
  }
  ShowFlowSource();
  GLPanel1MouseMove(sender, shift, x, y);
}

// Move while a gesture runs: ends it when no button or key is held or the
// pointer left the panel; otherwise drags the grabbed source (in the
// coordinate plane facing the viewer most, or with Shift in depth along the
// axis nearest the view direction, up moving away; velocities recomputed next
// frame), turns, zooms or pans the view (the last two drag
// the texture along), and draws one frame with view_changed set. Turning,
// zooming and panning leave scene_dirty and frame_counter alone.
void TForm1::GLPanel1MouseMove(QObject*, TShiftState shift, int x, int y) {
  TMouseState& m = state.mouse;
  if (m.mouse_mode == 0) {
    ProbeUnderMouse(x, y);
    return;
  }
  const int w = GLPanel1->Width(), h = GLPanel1->Height();
  if (MoveEndsGesture(AnyButtonOrKey(shift), x, y, w, h)) {
    EndMouseGesture();
    return;
  }
  const int dx = x - m.last_mouse_x, dy = y - m.last_mouse_y;
  const TTextureDragParams drag{cb_drag_texture->Checked(), ud_scale->Position(), w, h};
  TRay ray;
  switch (m.mouse_mode) {
    case 4:
      if (shift.shift) {
        DragSourceInDepth(state.sources, m, state.matrices, dy);
      } else if (ViewRayAt(x, y, ray)) {
        DragSource(state.sources, m, ray, false);
      }
      RefreshRenderState(true);
      state.frame.scene_dirty = true;
      break;
    case 1:
      RotateView(state.view, dx, dy);
      DragTexture(state.view, dx, dy, drag);
      break;
    case 2:
      ZoomView(state.view, m.last_mouse_y, y, h);
      break;
    case 3:
      PanView(state.view, state.matrices, m.last_mouse_x, m.last_mouse_y, x, y);
      DragTexture(state.view, dx, dy, drag);
      break;
  }
  m.last_mouse_x = x;
  m.last_mouse_y = y;
  if (m.mouse_mode == 4 && ((cbTexData->Checked() && rbvelocity->Checked()) || cb_alpha_mod->Checked()))
    RefreshRenderState(false);
  state.frame.view_changed = true;
  GLPanel1->Redraw();
}

// Release of any button ends the gesture.
void TForm1::GLPanel1MouseUp(QObject*, TMouseButton, TShiftState, int, int) { EndMouseGesture(); }

void TForm1::EndMouseGesture() {
  const bool dragged_source = state.mouse.mouse_mode == 4;
  state.mouse.mouse_mode = 0;
  if (!dragged_source) return;
  state.frame.overlay_dirty = true;
  GLPanel1->Redraw();
}

// Wheel: the zoom of a right-button drag by WheelZoomDrag pixels, with its
// frame; the texture stays (a zoom drag does not drag it either). Ignored
// while a gesture runs.
void TForm1::GLPanel1MouseWheel(QObject*, TShiftState, int, int, int delta) {
  if (state.mouse.mouse_mode != 0) return;
  const int h = GLPanel1->Height();
  ZoomView(state.view, 0, WheelZoomDrag(delta, h), h);
  state.frame.view_changed = true;
  GLPanel1->Redraw();
}
