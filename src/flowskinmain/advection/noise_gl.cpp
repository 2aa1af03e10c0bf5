#include "advection/noise_gl.h"

#include <GL/gl.h>

#include <algorithm>

#include "advection/contrast_stretch.h"

void BuildNoiseTextures(TNoiseState& noise, const TNoiseBuildParams& p) {
  TPhaseField phase;
  BuildPhaseField(noise.random_state, phase);
  glPixelTransferf(GL_ALPHA_SCALE, 1.0f);
  TPulseTable pulse;
  BuildPulseTable(p.pulse, pulse);
  TNoiseRamp ramp;
  BuildNoiseColours(p.colour1, p.colour2, p.long_way, ramp);
  TNoisePixels pixels;
  for (int k = 1; k <= kNoiseSteps; ++k) {
    FillNoiseTexels(phase, pulse, ramp, k, pixels);
    glNewList(kFirstNoiseList - 1 + k, GL_COMPILE);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, kNoiseSize, kNoiseSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glEndList();
  }
  std::copy(pulse.begin(), pulse.end(), noise.pulse_table);
  const std::array<double, 3> mean = NoiseMeanColour(pulse, ramp);
  std::copy(mean.begin(), mean.end(), noise.noise_mean);
  noise.noise_phase = 0;
}

namespace {

void SetNoiseFilters(GLint filter) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

}  // namespace

void DrawNoiseQuad(const TNoiseQuad& q) {
  glBegin(GL_QUADS);
  glTexCoord2d(q.s0, q.t0);
  glVertex3d(q.x0, q.y0, q.z);
  glTexCoord2d(q.s1, q.t0);
  glVertex3d(q.x1, q.y0, q.z);
  glTexCoord2d(q.s1, q.t1);
  glVertex3d(q.x1, q.y1, q.z);
  glTexCoord2d(q.s0, q.t1);
  glVertex3d(q.x0, q.y1, q.z);
  glEnd();
}

namespace {

// The state both noise quads draw in: eye space, depth writes off and
// GL_GREATER (only where the surface wrote a depth), unlit, textured, flat,
// repeating noise texture, blending on.
void BeginNoiseQuad() {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDepthMask(GL_FALSE);
  glDepthFunc(GL_GREATER);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glShadeModel(GL_FLAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glEnable(GL_BLEND);
}

void EndNoiseQuad(bool lighting_on) {
  glPopMatrix();
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_TEXTURE_2D);
  if (lighting_on) glEnable(GL_LIGHTING);
  glShadeModel(GL_SMOOTH);
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
}

}  // namespace

unsigned InjectNoise(const TView& view, TNoiseState& noise, const TInjectControls& c, bool lighting_on, int32_t panel_w,
                     int32_t panel_h) {
  BeginNoiseQuad();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  if (noise.noise_flash) {
    SetNoiseFilters(GL_NEAREST);
    glColor4f(1, 1, 1, 1);
  } else {
    SetNoiseFilters(GL_LINEAR);
    glColor4f(1, 1, 1, static_cast<float>(c.alpha_text / 100.0));
  }
  if (c.full_text)
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  else
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const unsigned list = NoiseListFor(noise.noise_phase);
  glCallList(list);
  noise.noise_phase = AdvanceNoisePhase(noise.noise_phase, c.modspeed);
  DrawNoiseQuad(NoiseQuadFor(view, view.isometric, panel_w, panel_h, c.scale));
  EndNoiseQuad(lighting_on);
  if (noise.noise_flash) {
    noise.noise_flash = false;
    SetNoiseFilters(GL_LINEAR);
  }
  return list;
}

void TakeBackHalfNoise(const TView& view, unsigned list, const TInjectControls& c, bool lighting_on, int32_t panel_w,
                       int32_t panel_h) {
  if (c.full_text || c.alpha_text <= 0) return;
  BeginNoiseQuad();
  // GL_BLEND with a white fragment and a black environment colour draws the
  // texture inverted: 1 - N.
  const GLfloat black[4] = {0, 0, 0, 0};
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, black);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
  SetNoiseFilters(GL_LINEAR);
  glColor4f(1, 1, 1, static_cast<float>(c.alpha_text / 200.0));
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glCallList(list);
  DrawNoiseQuad(NoiseQuadFor(view, view.isometric, panel_w, panel_h, c.scale));
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  EndNoiseQuad(lighting_on);
}
