#pragma once
// The view changes of the batch options --turn, --zoom and --pan, made as the
// mouse makes them in the window, with real-valued amounts. Pixels are those
// of the drawing area (x to the right, y downwards).
#include "view_record.h"

// As a left drag of x pixels to the right and y down: rot_y -= x_degrees,
// rot_x -= y_degrees (one degree per pixel); then rot_x <= -90 becomes -89.99
// and rot_x >= 90 becomes 89.99.
void TurnViewBy(TView& view, double x_degrees, double y_degrees);

// The surface shown `factor` times larger: size := size / factor. Nothing for
// a factor that is not above 0.
void ZoomViewBy(TView& view, double factor);

// As a middle drag from the centre of the viewport in `m` by (dx, dy): the
// point of the surface under the pointer, at the depth of view.center,
// follows it, so the surface moves dx pixels right and dy down. `m` holds the
// matrices of a frame of the current view. Nothing when a projection fails.
void PanViewBy(TView& view, const TStoredMatrices& m, double dx, double dy);
