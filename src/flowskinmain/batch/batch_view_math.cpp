#include "batch/batch_view_math.h"

#include "flow/view_unproject.h"

void TurnViewBy(TView& view, double x_degrees, double y_degrees) {
  view.rot_y -= x_degrees;
  view.rot_x -= y_degrees;
  if (view.rot_x <= -90)
    view.rot_x = -89.99;
  else if (view.rot_x >= 90)
    view.rot_x = 89.99;
}

void ZoomViewBy(TView& view, double factor) {
  if (factor > 0) view.size /= factor;
}

void PanViewBy(TView& view, const TStoredMatrices& m, double dx, double dy) {
  const double centre[3] = {view.center[0], view.center[1], view.center[2]};
  double win[3], a[3], b[3];
  if (!ProjectObjectPoint(centre, m, win)) return;
  // Window y grows upwards: a move down by dy lowers it.
  const double x0 = m.viewport_rect[0] + m.viewport_rect[2] / 2.0, y0 = m.viewport_rect[1] + m.viewport_rect[3] / 2.0;
  if (!UnprojectWindowPoint(x0, y0, win[2], m, a) || !UnprojectWindowPoint(x0 + dx, y0 - dy, win[2], m, b)) return;
  for (int i = 0; i < 3; ++i) view.center[i] = static_cast<float>(centre[i] + a[i] - b[i]);
}
