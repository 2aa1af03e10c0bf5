#pragma once
// GL half of the noise: the 64 noise time steps compiled as texture uploads
// into display lists 11..74, the injection that blends one of them over the
// pixels the surface covers in the current frame, and the take-back of half
// of it from the frame shown. All draw with the current context.
#include <cstdint>

#include "advection/noise_tables.h"
#include "app_state.h"

// What a rebuild of the noise reads: the pulse style and its parameters, the
// two noise colours and the hue path between them.
struct TNoiseBuildParams {
  TPulseParams pulse;
  int32_t colour1 = 0x000000;  // but_bc1, colour value (red in the low byte)
  int32_t colour2 = 0xFFFFFF;  // but_bc2
  bool long_way = true;        // cb_tex_long "long"
};

// Rebuilds the noise: a new phase field from the program's generator (which
// continues its sequence), GL_ALPHA_SCALE 1, the pulse table and colour ramp,
// then for k = 1..64 list 10 + k holding one glTexImage2D (64 x 64 RGBA) of
// time step k; no texture object is bound inside the lists, so replaying one
// uploads into whatever 2-D texture is bound then. Copies the pulse table into
// noise.pulse_table, its mean colour into noise.noise_mean, and restarts
// noise.noise_phase at 0.
void BuildNoiseTextures(TNoiseState& noise, const TNoiseBuildParams& p);

// The noise quad as one GL_QUADS with its texture coordinates, in the
// current model-view (the injection draws it in eye space).
void DrawNoiseQuad(const TNoiseQuad& q);

// Controls read by the injection (defaults as at start).
struct TInjectControls {
  int32_t alpha_text = 10;  // ud_alpha_text "Alpha texture": noise opacity, per cent
  bool full_text = false;   // cb_full_text "full": noise added at full strength
  int32_t scale = 25;       // ud_scale "Scale": noise texel size in tenths of a pixel
  int32_t modspeed = 10;    // ud_modspeed "Speed": noise time steps per frame, in tenths
};

// Blends the current noise time step over the surface pixels of this frame:
// the quad of NoiseQuadFor lies just in front of the far plane and is drawn
// with depth writes off and GL_GREATER, so it lands only where the surface
// wrote a depth; normal blending gives a N + (1 - a) I with a = alpha_text /
// 100, "full" gives N + (1 - a) I, and a pending flash replaces the image by
// unfiltered noise (then clears the flash). The noise is uploaded into the
// 2-D texture bound at the call. Advances noise.noise_phase by modspeed / 10.
// Restores depth (LEQUAL, writes on), smooth shading, blending off, texturing
// off, lighting on when lighting_on. panel_w, panel_h: the whole panel in
// device pixels. Returns the display list it replayed (11..74).
unsigned InjectNoise(const TView& view, TNoiseState& noise, const TInjectControls& c, bool lighting_on, int32_t panel_w,
                     int32_t panel_h);

// Takes half of this frame's noise back out of the shown frame, after the
// capture: the inverted noise step of display list `list` (the one
// InjectNoise replayed) blended at a / 2 over the surface pixels. With
// I = a N + (1 - a) P (P the previous image mapped upstream; colours 0..1) the
// shown frame becomes (1 - a) (I + P) / 2 + a / 2: the mean of this frame and
// the last one carried along the flow, slightly flattened, so a grain of new
// noise shows as a short dash along the flow rather than a dot. The captured image is not
// touched. Nothing under "full" or at opacity 0. Restores the state as
// InjectNoise does, and the texture environment to GL_MODULATE.
void TakeBackHalfNoise(const TView& view, unsigned list, const TInjectControls& c, bool lighting_on, int32_t panel_w,
                       int32_t panel_h);
