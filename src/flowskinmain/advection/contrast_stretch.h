#pragma once
// The "Contrast" of the shown frame: the texture's colours pushed away from
// the noise's mean colour by a factor, clamped to the colour range. Only the
// frame shown is stretched; the captured image that the advection carries on
// stays as it was, so the flow's dynamics do not change. Plain C++: the
// factor and the GL pixel-transfer scale and bias it becomes.
#include <array>
#include <cstdint>

#include "advection/noise_tables.h"

// "Contrast" (ud_contrast) in tenths: 10 is 1.0, no stretch.
constexpr int32_t kContrastOff = 10;

// The stretch factor of a "Contrast" position: position / 10, never below 1.
double ContrastFactorOf(int32_t position);

// Mean colour (components 0..255) of the noise over one pulse period: every
// brightness of the pulse table counts once, through the colour ramp. The
// advected image tends to it, so it is the colour the stretch keeps.
std::array<double, 3> NoiseMeanColour(const TPulseTable& pulse, const TNoiseRamp& ramp);

// Mean colour (components 0..255) of the surface pixels of a frame: `rgb`
// holds 3 bytes and `depth` one value per pixel, and a pixel whose depth is
// below 1 (the cleared far value) belongs to the surface. `fallback` when no
// pixel does. The stretch keeps this colour, so a picture whose texture has
// drifted away from the noise's mean is not pushed into white or black.
std::array<double, 3> SurfaceMeanColour(const uint8_t* rgb, const float* depth, int64_t pixels,
                                        const std::array<double, 3>& fallback);

// Per-component scale and bias in the GL's 0..1 colour units:
// out = pivot + factor (in - pivot) = scale in + bias.
struct TContrastTransfer {
  std::array<double, 3> scale{1, 1, 1};
  std::array<double, 3> bias{0, 0, 0};
};
TContrastTransfer ContrastTransferFor(double factor, const std::array<double, 3>& pivot);
