#pragma once
// Draws the colour legend of the data overlay into the frame (window pixels),
// so pictures and movies of the frame carry it.
#include <cstdint>
#include <string>

#include "render/legend_math.h"

// The layout DrawLegend draws: LayoutLegend measured with the legend's font.
TLegendLayout LegendLayoutFor(int32_t w, int32_t h, double min, double max, const std::string& title,
                              double log_floor = 0);

// The legend of LayoutLegend for a panel of w x h pixels: the bar through the
// current 1-D colour map (the default 1-D texture, 0 at the bottom, 1 at the
// top) with a one-pixel outline, the tick marks and the texts (the values and
// `title`, drawn by the toolkit's text renderer in its DejaVu Sans, every
// character it has) in black on a light background and in white on a dark
// one (`background`, a colour value).
// Drawn over everything, depth test off; leaves the matrices as it found them,
// depth test on, texturing, lighting and blending off. Nothing when the panel
// is too small for a legend.
// log_floor: the lower end of a logarithmic scale (LayoutLegend), 0 linear.
void DrawLegend(int32_t w, int32_t h, double min, double max, const std::string& title, int32_t background,
                double log_floor = 0);
