#include "interaction/view_drag_math.h"

#include <cmath>

#include "flow/view_unproject.h"

bool MoveEndsGesture(bool any_button_or_key, int32_t x, int32_t y, int32_t panel_w, int32_t panel_h) {
  return !any_button_or_key || x < 0 || y < 0 || x > panel_w || y > panel_h;
}

void RotateView(TView& view, int32_t dx, int32_t dy) {
  view.rot_y -= dx;
  view.rot_x -= dy;
  if (view.rot_x <= -90) {
    view.rot_x = -89.99;
  } else if (view.rot_x >= 90) {
    view.rot_x = 89.99;
  }
}

void ZoomView(TView& view, int32_t last_y, int32_t y, int32_t panel_h) {
  if (panel_h <= 0) return;
  const double f = 2.0 * (last_y - y) / panel_h + 1;
  if (f * view.size > 0) view.size *= f;
}

int32_t WheelZoomDrag(int32_t delta, int32_t panel_h) {
  return static_cast<int32_t>(std::lround(static_cast<double>(delta) * panel_h / (120.0 * 20.0)));
}

void PanView(TView& view, const TStoredMatrices& m, int32_t last_x, int32_t last_y, int32_t x, int32_t y) {
  const double centre[3] = {view.center[0], view.center[1], view.center[2]};
  double win[3], a[3], b[3];
  if (!ProjectObjectPoint(centre, m, win)) return;
  const double h = m.viewport_rect[3];
  if (!UnprojectWindowPoint(last_x, h - last_y, win[2], m, a)) return;
  if (!UnprojectWindowPoint(x, h - y, win[2], m, b)) return;
  for (int i = 0; i < 3; ++i) view.center[i] = static_cast<float>(centre[i] + a[i] - b[i]);
}

void DragTexture(TView& view, int32_t dx, int32_t dy, const TTextureDragParams& p) {
  if (!p.drag_texture || p.panel_w <= 0 || p.panel_h <= 0 || p.scale == 0) return;
  const double s = 10.0 / p.scale;
  view.drag_offset_s = -static_cast<double>(dx) / p.panel_w;
  view.drag_offset_t = static_cast<double>(dy) / p.panel_h;
  view.noise_offset_s -= dx * s / 64;
  view.noise_offset_t += dy * s / 64;
}
