// The contrast stretch on an offscreen Mesa context: surface pixels move away
// from the pivot by the factor and clamp, the background keeps its colour, the
// pixel transfer is left as the identity, and in a whole frame the captured
// image that the advection carries on stays unstretched; half of a frame's
// noise taken back leaves the mean of that frame and the one before it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "advection/contrast_stretch_gl.h"
#include "advection/noise_gl.h"
#include "colorconversion/colorconversion.h"
#include "support/frame_meshes.h"
#include "support/gl_scene_gl.h"

namespace {

constexpr int kSize = TGLTestScene::kSize;
const int32_t kBackground = MakeColor(20, 40, 90);

int Stretched(int v, double factor, double pivot) {
  return static_cast<int>(std::clamp(pivot + factor * (v - pivot), 0.0, 255.0));
}

}  // namespace

TEST(ContrastStretchGL, SurfacePixelsStretchAboutThePivotAndTheBackgroundStays) {
  struct Case {
    TRGBInt surface;
    double factor;
    std::array<double, 3> pivot;
  } cases[] = {{{150, 100, 127}, 2.0, {127.5, 127.5, 127.5}},
               {{230, 20, 128}, 4.0, {127.5, 127.5, 127.5}},  // clamps at both ends
               {{30, 150, 220}, 1.5, {0, 100, 255}},
               {{90, 90, 90}, 1.0, {255, 0, 0}}};  // factor 1: nothing changes
  TGLTestScene s(frame_meshes::Sphere(1, 48, 24), kBackground);
  ASSERT_TRUE(s.ctx.Ok());
  for (const Case& c : cases) {
    s.c.surface.diffuse = MakeColor(c.surface.red, c.surface.green, c.surface.blue);
    s.app.frame.scene_dirty = true;
    s.Frame();
    // Read back, the surface's mean is its one colour; the background is left out.
    const std::array<double, 3> mean = ShownSurfaceMean(kSize, kSize, {-1, -1, -1});
    EXPECT_NEAR(mean[0], c.surface.red, 0.5);
    EXPECT_NEAR(mean[1], c.surface.green, 0.5);
    EXPECT_NEAR(mean[2], c.surface.blue, 0.5);
    StretchContrast(s.app.view, c.factor, c.pivot, false, kSize, kSize);
    ASSERT_EQ(TakeGLErrors(), "");
    const std::vector<uint8_t> px = s.Pixels();
    const TPixel centre = s.At(px, kSize / 2, kSize / 2), corner = s.At(px, 2, 2);
    const int in[3] = {c.surface.red, c.surface.green, c.surface.blue}, out[3] = {centre.r, centre.g, centre.b};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], Stretched(in[i], c.factor, c.pivot[i]), 1) << "component " << i;
    const TRGBInt bg = SplitColor(kBackground);
    EXPECT_EQ(corner.r, bg.red);
    EXPECT_EQ(corner.g, bg.green);
    EXPECT_EQ(corner.b, bg.blue);
    GLfloat scale = 0, bias = 1;
    glGetFloatv(GL_GREEN_SCALE, &scale);
    glGetFloatv(GL_GREEN_BIAS, &bias);
    EXPECT_EQ(scale, 1.0f);
    EXPECT_EQ(bias, 0.0f);
  }
}

// A textured frame with noise: what is shown is the captured image stretched,
// texel for pixel (the frame texture covers the panel one to one), so the
// next frame advects the image as it was.
TEST(ContrastStretchGL, TheCapturedImageStaysUnstretched) {
  TGLTestScene s(frame_meshes::Sphere(1, 48, 24), kBackground);
  ASSERT_TRUE(s.ctx.Ok());
  s.c.shtexture = true;
  s.c.surface.alpha_shade = 1;  // the shading overlay changes a pixel by at most 1%
  BuildNoiseTextures(s.app.noise, TNoiseBuildParams());
  TInjectControls inject;
  inject.alpha_text = 60;
  const double factor = 3;
  const std::array<double, 3> pivot{s.app.noise.noise_mean[0], s.app.noise.noise_mean[1], s.app.noise.noise_mean[2]};
  TFramePasses p;
  p.inject_noise = [&] { InjectNoise(s.app.view, s.app.noise, inject, false, kSize, kSize); };
  p.stretch_contrast = [&] { StretchContrast(s.app.view, factor, pivot, false, kSize, kSize); };
  for (int i = 0; i < 3; ++i) s.Frame(p);
  ASSERT_EQ(TakeGLErrors(), "");
  const std::vector<uint8_t> shown = s.Pixels();
  std::vector<uint8_t> tex(static_cast<size_t>(kSize) * kSize * 3);
  glBindTexture(GL_TEXTURE_2D, 8);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, tex.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  int checked = 0, spread = 0;
  for (int y = kSize / 2 - 60; y < kSize / 2 + 60; y += 3) {
    for (int x = kSize / 2 - 60; x < kSize / 2 + 60; x += 3) {
      const TPixel t = TGLTestContext::At(tex, kSize, x, y), f = s.At(shown, x, y);
      EXPECT_NEAR(f.r, Stretched(t.r, factor, pivot[0]), 4) << x << "," << y;
      spread += std::abs(t.r - 128) > 20;
      ++checked;
    }
  }
  EXPECT_GT(spread, checked / 4);  // the noise left the captured image far from flat
}

// Half of the noise taken back: over a flat surface P, the injection gives
// I = a N + (1 - a) P and the shown frame becomes (1 - a) (I + P) / 2 +
// 255 a / 2 on every surface pixel, whatever the noise there; the background
// keeps its colour. Under "full" or at weight 0 nothing is drawn.
TEST(ContrastStretchGL, TakingBackHalfTheNoiseShowsTheMeanOfThisFrameAndTheLast) {
  struct Case {
    int32_t alpha_text;
    bool full_text;
  } cases[] = {{40, false}, {12, false}, {40, true}, {0, false}};
  TGLTestScene s(frame_meshes::Sphere(1, 48, 24), kBackground);
  ASSERT_TRUE(s.ctx.Ok());
  const int grey = 100;
  s.c.surface.diffuse = MakeColor(grey, grey, grey);
  BuildNoiseTextures(s.app.noise, TNoiseBuildParams());
  for (const Case& c : cases) {
    s.app.frame.scene_dirty = true;
    s.Frame();
    TInjectControls inject;
    inject.alpha_text = c.alpha_text;
    inject.full_text = c.full_text;
    glBindTexture(GL_TEXTURE_2D, 0);
    const unsigned list = InjectNoise(s.app.view, s.app.noise, inject, false, kSize, kSize);
    const std::vector<uint8_t> injected = s.Pixels();
    TakeBackHalfNoise(s.app.view, list, inject, false, kSize, kSize);
    ASSERT_EQ(TakeGLErrors(), "");
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);
    const std::vector<uint8_t> shown = s.Pixels();
    const bool drawn = !c.full_text && c.alpha_text > 0;
    const double a = c.alpha_text / 100.0;
    int spread = 0, checked = 0;
    for (int y = kSize / 2 - 40; y < kSize / 2 + 40; y += 2) {
      for (int x = kSize / 2 - 40; x < kSize / 2 + 40; x += 2) {
        const int i = s.At(injected, x, y).r, out = s.At(shown, x, y).r;
        const double expected = drawn ? (1 - a) * (i + grey) / 2 + 127.5 * a : i;
        EXPECT_NEAR(out, expected, 1.5) << c.alpha_text << " at " << x << "," << y;
        spread += std::abs(i - grey) > 5;
        ++checked;
      }
    }
    if (c.alpha_text >= 40) {
      EXPECT_GT(spread, checked / 4);  // the noise did reach the surface
    }
    const TRGBInt bg = SplitColor(kBackground);
    EXPECT_EQ(s.At(shown, 2, 2).b, bg.blue);
  }
}
