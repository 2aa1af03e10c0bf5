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

TContrastTransfer ContrastTransferFor(double factor, const std::array<double, 3>& pivot) {
  TContrastTransfer t;
  for (int i = 0; i < 3; ++i) {
    t.scale[i] = factor;
    t.bias[i] = (1 - factor) * pivot[i] / 255.0;
  }
  return t;
}
