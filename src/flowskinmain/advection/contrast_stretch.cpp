#include "advection/contrast_stretch.h"

#include <algorithm>

double ContrastFactorOf(int32_t position) { return std::max(position, kContrastOff) / 10.0; }

std::array<double, 3> NoiseMeanColour(const TPulseTable& pulse, const TNoiseRamp& ramp) {
  std::array<double, 3> sum{0, 0, 0};
  for (uint8_t b : pulse) {
    sum[0] += ramp[b].red;
    sum[1] += ramp[b].green;
    sum[2] += ramp[b].blue;
  }
  for (double& s : sum) s /= kPulseLength;
  return sum;
}

std::array<double, 3> SurfaceMeanColour(const uint8_t* rgb, const float* depth, int64_t pixels,
                                        const std::array<double, 3>& fallback) {
  std::array<double, 3> sum{0, 0, 0};
  int64_t n = 0;
  for (int64_t i = 0; i < pixels; ++i) {
    if (!(depth[i] < 1.0f)) continue;
    for (int c = 0; c < 3; ++c) sum[c] += rgb[3 * i + c];
    ++n;
  }
  if (n == 0) return fallback;
  for (double& s : sum) s /= static_cast<double>(n);
  return sum;
}

TContrastTransfer ContrastTransferFor(double factor, const std::array<double, 3>& pivot) {
  TContrastTransfer t;
  for (int i = 0; i < 3; ++i) {
    t.scale[i] = factor;
    t.bias[i] = (1 - factor) * pivot[i] / 255.0;
  }
  return t;
}
