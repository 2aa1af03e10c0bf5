#include "colorconversion/colorconversion.h"

#include <cmath>

namespace {

// Nearest integer, ties to even (the default rounding mode of the FPU).
int64_t RoundEven(long double x) { return std::llrint(x); }

// One channel of HLSToRGB from its hue position x in 0..1.
long double HueToChannel(long double m1, long double m2, long double x) {
  if (x < 0) x += 1;
  if (x > 1) x -= 1;
  if (6 * x < 1) return m1 + (m2 - m1) * 6 * x;
  if (2 * x < 1) return m2;
  if (3 * x >= 2) return m1;
  return m1 + (m2 - m1) * (2.0L / 3.0L - x) * 6;
}

}  // namespace

TRGBInt SplitColor(int32_t value) {
  TRGBInt c;
  if (value < 0) {
    c.red = value;
    return c;
  }
  c.blue = value / 65536;
  c.green = (value % 65536) / 256;
  c.red = value % 256;
  return c;
}

int32_t MakeColor(int32_t red, int32_t green, int32_t blue) { return red + 256 * green + 65536 * blue; }

double Max3(double a, double b, double c) {
  double m = a > b ? a : b;
  return m > c ? m : c;
}

double Min3(double a, double b, double c) {
  double m = a < b ? a : b;
  return m < c ? m : c;
}

THLSInt RGBToHLS(const TRGBInt& rgb) {
  const long double r = rgb.red / 256.0L, g = rgb.green / 256.0L, b = rgb.blue / 256.0L;
  // Channels are multiples of 1/256, exact in double: Max3/Min3 lose nothing.
  const long double mx = Max3(double(r), double(g), double(b));
  const long double mn = Min3(double(r), double(g), double(b));
  const long double l = (mx + mn) / 2;
  THLSInt out;
  out.lightness = int32_t(RoundEven(l * 256));
  if (mx == mn) return out;
  const long double delta = mx - mn;
  const long double s = l < 0.5L ? delta / (mx + mn) : delta / (2 - mx - mn);
  long double h = 0;
  // Later matches replace earlier ones: blue wins over green, green over red.
  if (mx == r) h = (g - b) / delta;
  if (mx == g) h = 2 + (b - r) / delta;
  if (mx == b) h = 4 + (r - g) / delta;
  out.hue = int32_t(RoundEven(h * 42.6L));
  out.saturation = int32_t(RoundEven(s * 256));
  return out;
}

TRGBInt HLSToRGB(const THLSInt& hls) {
  const long double s = hls.saturation / 255.0L;
  if (s == 0) return TRGBInt{hls.lightness, hls.lightness, hls.lightness};
  const long double l = hls.lightness / 255.0L;
  const long double m2 = l >= 0.5L ? l + s - l * s : l * (1 + s);
  const long double m1 = 2 * l - m2;
  const long double h = hls.hue / 255.0L;
  TRGBInt out;
  out.red = int32_t(RoundEven(HueToChannel(m1, m2, h + 1.0L / 3.0L) * 255));
  out.green = int32_t(RoundEven(HueToChannel(m1, m2, h) * 255));
  out.blue = int32_t(RoundEven(HueToChannel(m1, m2, h - 1.0L / 3.0L) * 255));
  return out;
}

THLSInt InterpolateHLS(const THLSInt& a, const THLSInt& b, bool long_way, double t) {
  const long double tt = t;
  THLSInt out;
  if (a.saturation == 0) {
    out.hue = b.hue;
  } else if (b.saturation == 0) {
    out.hue = a.hue;
  } else {
    int64_t ha = a.hue, hb = b.hue;
    if (ha >= hb) hb += 256;
    const int64_t d = hb - ha;
    if (long_way && d < 128) ha += 256;
    if (!long_way && d >= 128) ha += 256;
    // C++ remainder takes the sign of the dividend, as the rounded value's.
    out.hue = int32_t(RoundEven((1 - tt) * ha + tt * hb) % 256);
  }
  out.lightness = int32_t(RoundEven((1 - tt) * a.lightness + tt * b.lightness));
  out.saturation = int32_t(RoundEven((1 - tt) * a.saturation + tt * b.saturation));
  return out;
}
