#pragma once
// GL half of the "Contrast": the surface pixels of the frame copied onto
// themselves through the pixel-transfer scale and bias of the stretch.
#include <array>
#include <cstdint>

#include "view_record.h"

// Mean colour (0..255) of the pixels the surface covers in the current frame
// (depth below the cleared 1), read back from the panel's w x h pixels;
// `fallback` when the surface covers none. Leaves the pack alignment as it was.
std::array<double, 3> ShownSurfaceMean(int32_t panel_w, int32_t panel_h, const std::array<double, 3>& fallback);

// Stretches the colours of the pixels the surface covers in the current
// frame by `factor` about `pivot` (components 0..255), clamped to the colour
// range; nothing when factor is 1. The copy's fragments lie just in front of
// the far plane and are tested with GL_GREATER, depth writes off, so the
// background keeps its colour (as the noise injection does). Runs outside
// any display list, after the capture, in the frame's projection; restores
// the pixel transfer to the identity, depth to LEQUAL with writes on, and
// lighting on when lighting_on. panel_w, panel_h: the whole panel in pixels.
void StretchContrast(const TView& view, double factor, const std::array<double, 3>& pivot, bool lighting_on,
                     int32_t panel_w, int32_t panel_h);
