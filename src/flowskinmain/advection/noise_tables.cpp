#include "advection/noise_tables.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Nearest integer, ties to even (the default rounding mode).
int32_t RoundEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

uint8_t ToByte(double x) { return static_cast<uint8_t>(std::clamp(RoundEven(x), 0, 255)); }

void CosineTable(int32_t cospow, TPulseTable& pulse) {
  const double p = std::max(cospow, 1);
  for (int i = 0; i < kPulseLength; ++i) {
    const double c = std::cos(2 * kPi * i / kPulseLength);
    const double e = c >= 0 ? std::pow(c, 1 / p) : -std::pow(-c, 1 / p);
    pulse[i] = ToByte((e + 1) * 255 / 2);
  }
}

void DecayTable(int32_t decay, TPulseTable& pulse) {
  double v = 255.0;
  const double f = (1000.0 - decay) / 1000.0;
  for (int i = 0; i < kPulseLength; ++i) {
    pulse[i] = ToByte(v);
    v *= f;
  }
}

void PulsTable(int32_t thalf, TPulseTable& pulse) {
  const double length = thalf * 256.0 / 100.0;
  for (int i = 0; i < kPulseLength; ++i) pulse[i] = i < length ? 255 : 0;
}

// Rising to the peak q, falling after it; each branch divides only by a
// length that is positive where it runs (q > 0 below q, 255 - q > 0 above).
void SawTable(int32_t saw, TPulseTable& pulse) {
  const int32_t q = RoundEven(saw * 255.0 / 100.0);
  for (int i = 0; i < kPulseLength; ++i) {
    if (i < q)
      pulse[i] = ToByte(i * 255.0 / q);
    else if (i == q)
      pulse[i] = 255;
    else
      pulse[i] = ToByte(255 - (i - q) * 255.0 / (255 - q));
  }
}

}  // namespace

int32_t RandomBelow(uint32_t& state, int32_t n) {
  state = state * 134775813u + 1u;
  return static_cast<int32_t>((static_cast<uint64_t>(static_cast<uint32_t>(n)) * state) >> 32);
}

void BuildPhaseField(uint32_t& state, TPhaseField& phase) {
  for (int y = 0; y < kNoiseSize; ++y)
    for (int x = 0; x < kNoiseSize; ++x) phase[y * kNoiseSize + x] = static_cast<uint8_t>(RandomBelow(state, 256));
}

void BuildPulseTable(const TPulseParams& p, TPulseTable& pulse) {
  switch (p.style) {
    case static_cast<int32_t>(PulseStyle::Cosine):
      CosineTable(p.cospow, pulse);
      break;
    case static_cast<int32_t>(PulseStyle::ExponentialDecay):
      DecayTable(p.decay, pulse);
      break;
    case static_cast<int32_t>(PulseStyle::Puls):
      PulsTable(p.thalf, pulse);
      break;
    default:
      SawTable(p.saw, pulse);
      break;
  }
}

// The conversion can land one unit outside 0..255 (aqua comes back with blue
// 256); each component is kept within a byte rather than wrapping.
void BuildNoiseColours(int32_t c1, int32_t c2, bool long_way, TNoiseRamp& ramp) {
  const THLSInt a = RGBToHLS(SplitColor(c1));
  const THLSInt b = RGBToHLS(SplitColor(c2));
  for (int i = 0; i < kPulseLength; ++i) {
    TRGBInt c = HLSToRGB(InterpolateHLS(a, b, long_way, i / 255.0));
    c.red = std::clamp(c.red, 0, 255);
    c.green = std::clamp(c.green, 0, 255);
    c.blue = std::clamp(c.blue, 0, 255);
    ramp[i] = c;
  }
}

void FillNoiseTexels(const TPhaseField& phase, const TPulseTable& pulse, const TNoiseRamp& ramp, int k,
                     TNoisePixels& out) {
  const int shift = 4 * (k - 1);
  for (int t = 0; t < kNoiseSize * kNoiseSize; ++t) {
    const TRGBInt& c = ramp[pulse[(phase[t] + shift) % kPulseLength]];
    uint8_t* px = &out[4 * t];
    px[0] = static_cast<uint8_t>(c.red);
    px[1] = static_cast<uint8_t>(c.green);
    px[2] = static_cast<uint8_t>(c.blue);
    px[3] = 255;
  }
}

unsigned NoiseListFor(double noise_phase) {
  const double k = std::min(std::nearbyint(noise_phase), static_cast<double>(kNoiseSteps - 1));
  return kFirstNoiseList + static_cast<unsigned>(std::max(k, 0.0));
}

double AdvanceNoisePhase(double noise_phase, int32_t modspeed) {
  noise_phase += modspeed / 10.0;
  while (noise_phase >= 64.5) noise_phase -= 64;
  return noise_phase;
}

TNoiseQuad NoiseQuadFor(const TView& view, bool isometric, int32_t panel_w, int32_t panel_h, int32_t scale) {
  TNoiseQuad q;
  const double r = isometric || view.frustum_near == 0 ? 1.0 : view.frustum_far / view.frustum_near;
  q.x0 = r * view.frustum_left;
  q.x1 = r * view.frustum_right;
  q.y0 = r * view.frustum_bottom;
  q.y1 = r * view.frustum_top;
  q.z = -0.999 * view.frustum_far;
  const double g = 10.0 / std::max(scale, 1);
  q.s0 = view.noise_offset_s;
  q.t0 = view.noise_offset_t;
  q.s1 = q.s0 + panel_w * g / kNoiseSize;
  q.t1 = q.t0 + panel_h * g / kNoiseSize;
  return q;
}

TPulsePlot PulsePlotFor(int32_t w, int32_t h, const int32_t pulse_table[256]) {
  const double left = 10, top = 10, right = w - 10, bottom = h - 10;
  auto px = [&](double x) { return RoundEven(x * (right - left) / 512 + left); };
  auto py = [&](double y) { return RoundEven(y * (top - bottom) / 256 + bottom); };
  TPulsePlot plot;
  plot.axes[0] = {px(0), py(256)};
  plot.axes[1] = {px(0), py(0)};
  plot.axes[2] = {px(512), py(0)};
  for (int i = 0; i < 511; ++i) plot.curve[i] = {px(i), py(pulse_table[i % kPulseLength])};
  return plot;
}
