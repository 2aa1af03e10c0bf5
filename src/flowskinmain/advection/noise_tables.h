#pragma once
// The noise that keeps the advected image alive, computed without GL: every
// texel of a 64 x 64 pattern has a random phase, and its brightness follows a
// periodic pulse advanced in time, so each texel blinks with its own phase.
// Sixty-four time steps of the pattern are built from three tables (phase
// field, pulse table, colour ramp); the GL side (noise_gl.h) uploads them and
// blends one step per frame over the surface.
#include <array>
#include <cstdint>

#include "colorconversion/colorconversion.h"
#include "view_record.h"

constexpr int kNoiseSize = 64;    // texels per side of a noise texture
constexpr int kNoiseSteps = 64;   // time steps of one pulse period
constexpr int kPulseLength = 256; // entries of the pulse table and the colour ramp

using TPhaseField = std::array<uint8_t, kNoiseSize * kNoiseSize>;  // row-major, row y then column x
using TPulseTable = std::array<uint8_t, kPulseLength>;             // brightness over one period
using TNoiseRamp = std::array<TRGBInt, kPulseLength>;              // colour of each brightness
using TNoisePixels = std::array<uint8_t, kNoiseSize * kNoiseSize * 4>;  // RGBA, rows of 256 bytes

// The program's random numbers: a 32-bit linear congruential generator,
// s := s * 134775813 + 1 (mod 2^32), and a number below n is the high word of
// the 64-bit product n * s taken after the step. The state starts at 0 with the
// program and is never reseeded, so every run draws the same patterns.
int32_t RandomBelow(uint32_t& state, int32_t n);

// Phase field, filled row by row with RandomBelow(256); advances `state`.
void BuildPhaseField(uint32_t& state, TPhaseField& phase);

// Pulse styles, by item index of "Modulate" (cb_lut_style).
enum class PulseStyle : int32_t { Cosine = 0, ExponentialDecay = 1, Puls = 2, SawTooth = 3 };

// The pulse-style controls (positions of the up-downs; defaults as at start).
struct TPulseParams {
  int32_t style = 2;     // cb_lut_style item index; any value outside 0..2 is the saw tooth
  int32_t cospow = 4;    // ud_cospow "cos power", 1..10 (values below 1 count as 1)
  int32_t decay = 6;     // ud_decay "exp. Decay", 1..1000: per-entry loss in thousandths
  int32_t thalf = 50;    // ud_thalf "Puls length", per cent of the period (may exceed 100)
  int32_t saw = 0;       // ud_saw "Saw pos.", 0..100: where the saw tooth peaks, per cent
};

// Brightness 0..255 over one period (index = phase), rounding ties to even:
//  Cosine: e = c^(1/p) with the sign of c = cos(2 pi i / 256) kept; round((e + 1) 255 / 2).
//  Exponential decay: v starts at 255 and is multiplied by (1000 - d) / 1000
//    after each entry; entry = round(v).
//  Puls: 255 while i < h * 256 / 100, else 0.
//  Saw tooth: q = round(s * 255 / 100) once; rises round(i * 255 / q) to 255 at
//    i = q, then falls round(255 - (i - q) * 255 / (255 - q)) to 0 at i = 255.
void BuildPulseTable(const TPulseParams& p, TPulseTable& pulse);

// Colour ramp from colour value c1 (entry 0) to c2 (entry 255) through the
// hue-lightness-saturation interpolation, the long way round the hue circle
// when long_way ("long", cb_tex_long). Components are 0..255.
void BuildNoiseColours(int32_t c1, int32_t c2, bool long_way, TNoiseRamp& ramp);

// RGBA texels of time step k (1..64): texel (x, y) shows
// ramp[pulse[(phase[y][x] + 4 (k - 1)) mod 256]] with alpha 255.
void FillNoiseTexels(const TPhaseField& phase, const TPulseTable& pulse, const TNoiseRamp& ramp, int k,
                     TNoisePixels& out);

// Display list holding the upload of the noise step chosen by noise_phase:
// 11 + min(round-half-even(phase), 63), so 11..74.
constexpr unsigned kFirstNoiseList = 11;
unsigned NoiseListFor(double noise_phase);

// The phase after one injection: phase + modspeed / 10 ("Speed", tenths of a
// step per frame), then 64 subtracted while it is at least 64.5.
double AdvanceNoisePhase(double noise_phase, int32_t modspeed);

// The noise quad of one injection, in eye space (the modelview is the
// identity while it is drawn): it lies just in front of the far plane,
// z = -0.999 frustum_far, and covers the whole view volume there (the near
// rectangle scaled by far / near in perspective, as is when isometric).
// Texture coordinates start at the view's noise offsets and span
// panel_w * g / 64 by panel_h * g / 64 with g = 10 / scale, so one noise texel
// covers scale / 10 window pixels.
struct TNoiseQuad {
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0, z = 0;  // eye space
  double s0 = 0, s1 = 0, t0 = 0, t1 = 0;         // noise texture units (64 texels per unit)
};
TNoiseQuad NoiseQuadFor(const TView& view, bool isometric, int32_t panel_w, int32_t panel_h, int32_t scale);

// The plot of the pulse table in a paint box of w x h pixels (client
// rectangle 0, 0, w, h, right and bottom exclusive): the plot area is inset by
// 10 pixels; X(x) = round(x (right - left) / 512 + left) and
// Y(y) = round(y (top - bottom) / 256 + bottom), so value 0 lies on the bottom
// edge, 256 on the top edge, and x = 512 at the right edge (two periods).
struct TPlotPoint {
  int32_t x = 0, y = 0;
};
struct TPulsePlot {
  TPlotPoint axes[3];                // (X(0), Y(256)) -> (X(0), Y(0)) -> (X(512), Y(0))
  std::array<TPlotPoint, 511> curve; // (X(i), Y(pulse[i mod 256])), i = 0..510
};
TPulsePlot PulsePlotFor(int32_t w, int32_t h, const int32_t pulse_table[256]);
