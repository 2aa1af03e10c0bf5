#pragma once
// What one mouse move does to the view record while the view is turned,
// zoomed or panned, and how the texture is dragged along. dx, dy and all
// positions are panel pixels (origin top left, y downwards).
#include <cstdint>

#include "view_record.h"

// Whether a move ends the gesture: no button and no modifier key held, or the
// pointer outside 0..panel_w x 0..panel_h (strict comparisons: the right and
// bottom edges themselves still count as inside).
bool MoveEndsGesture(bool any_button_or_key, int32_t x, int32_t y, int32_t panel_w, int32_t panel_h);

// One degree per pixel: rot_y -= dx, rot_x -= dy; then rot_x <= -90 becomes
// -89.99 and rot_x >= 90 becomes 89.99.
void RotateView(TView& view, int32_t dx, int32_t dy);

// Zoom by f = 2 (last_y - y) / panel_h + 1: size := f * size when f * size > 0
// (moving up by half the panel doubles the visible size), else nothing; also
// nothing on a panel without height.
void ZoomView(TView& view, int32_t last_y, int32_t y, int32_t panel_h);

// The right-button drag (y - last_y, pixels) that a turn of the wheel stands
// for: delta in eighths of a degree, 120 per notch; a notch away from the user
// is a drag down by a twentieth of the panel's height (zooms in by 0.9), a
// notch towards the user the same drag up. Rounded to whole pixels.
int32_t WheelZoomDrag(int32_t delta, int32_t panel_h);

// Pan: the point under the mouse at the depth of view.center follows the
// mouse from (last_x, last_y) to (x, y). Window y is flipped with the height
// of the stored viewport rectangle (not the panel's, as the ray of a pick
// does). center := center + A - B with A, B the unprojections of the old and
// new position; nothing when a projection fails.
void PanView(TView& view, const TStoredMatrices& m, int32_t last_x, int32_t last_y, int32_t x, int32_t y);

// Control values of DragTexture.
struct TTextureDragParams {
  bool drag_texture = true;  // cb_drag_texture "Drag texture when changing view"
  int32_t scale = 25;        // ud_scale noise scale, 1..1000
  int32_t panel_w = 0, panel_h = 0;
};

// With drag_texture: drag_offset_s := -dx / panel_w and drag_offset_t :=
// dy / panel_h (texture units; they replace the previous one-shot offset),
// noise_offset_s -= dx s / 64 and noise_offset_t += dy s / 64 with
// s = 10 / scale (they accumulate). Without it, or on a panel without area,
// nothing changes.
void DragTexture(TView& view, int32_t dx, int32_t dy, const TTextureDragParams& p);
