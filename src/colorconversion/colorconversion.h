#pragma once
// Colour values of the window's swatches (24-bit, red in the low byte) split into
// integer RGB, converted to and from an integer hue-lightness-saturation form,
// and interpolated along the hue circle. Every colour gradient of the program
// (the data colour map, the noise colour ramp) is built with these. No state.
#include <cstdint>

struct TRGBInt {
  int32_t red = 0, green = 0, blue = 0;  // 0..255 for a valid colour
};

// hue: 0..255 for a full turn (42.6 units per sector), may lie slightly outside
// that range when produced by RGBToHLS; lightness 0..255; saturation 0..256.
struct THLSInt {
  int32_t hue = 0, lightness = 0, saturation = 0;
};

// Splits a packed colour (red + 256 * green + 65536 * blue). A negative value
// lands whole in red, with green and blue 0.
TRGBInt SplitColor(int32_t value);

// Packs red, green, blue into red + 256 * green + 65536 * blue.
int32_t MakeColor(int32_t red, int32_t green, int32_t blue);

double Max3(double a, double b, double c);
double Min3(double a, double b, double c);

// RGB (each divided by 256) to HLS; hue is not wrapped, so a red-dominant colour
// with blue above green gives a negative hue.
THLSInt RGBToHLS(const TRGBInt& rgb);

// HLS (each divided by 255) to RGB. A zero saturation returns the lightness
// integer unchanged in all three channels.
TRGBInt HLSToRGB(const THLSInt& hls);

// Interpolates from a (t = 0) to b (t = 1). The hue goes the short way round the
// circle, or the long way when long_way is set; a grey end (saturation 0) takes
// the other end's hue for every t. Results are rounded to nearest, ties to even.
THLSInt InterpolateHLS(const THLSInt& a, const THLSInt& b, bool long_way, double t);
