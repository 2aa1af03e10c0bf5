#include "render/annotation_math.h"

#include <algorithm>
#include <cmath>

int32_t AnnotationMargin(int32_t w, int32_t h) { return std::max(4, std::min(w, h) / 64); }

int32_t TimeTextPixels(int32_t w, int32_t h) {
  return std::max(9, std::min({std::max(12, 12 * h / 256), h / 10, w / 12}));
}

TTriadLayout LayoutTriad(int32_t w, int32_t h, const double modelview[16]) {
  TTriadLayout t;
  const int32_t side = std::min(w, h);
  t.length = std::clamp(side / 11, 14, 90);
  t.font_pixels = std::max(9, t.length * 2 / 5);
  const int32_t reach = t.length + t.font_pixels;  // an axis and its letter, any way it points
  t.centre_x = AnnotationMargin(w, h) + reach;
  t.centre_y = t.centre_x;
  t.fits = 2 * t.centre_x <= side;
  for (int32_t i = 0; i < 3; ++i) {
    // Column i of the turn: where object axis i points in eye space (x right,
    // y up, z towards the viewer); a scale in the matrix is taken out.
    const double x = modelview[4 * i], y = modelview[4 * i + 1], z = modelview[4 * i + 2];
    const double n = std::sqrt(x * x + y * y + z * z);
    const double s = n > 0 ? 1 / n : 0;
    t.axes[i] = {i, x * s * t.length, y * s * t.length, z * s};
  }
  std::stable_sort(t.axes.begin(), t.axes.end(),
                   [](const TTriadAxis& a, const TTriadAxis& b) { return a.towards_viewer < b.towards_viewer; });
  return t;
}
