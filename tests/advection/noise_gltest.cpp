// The animated flow texture on an offscreen Mesa context: a flat square facing
// the camera in a uniform flow, frames of the Run loop with the real
// advection, noise injection and capture. The captured frame texture is
// measured: streaks along the flow, a pattern moving downstream, no noise on
// the background, no change from a noise of zero weight, and the noise
// uploads that the display lists hold.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "advection/advection_pass.h"
#include "advection/noise_gl.h"
#include "support/frame_meshes.h"
#include "support/gl_scene_gl.h"

namespace {

constexpr int kSize = TGLTestScene::kSize;
const int32_t kBlue = MakeColor(0, 0, 255);

// The square [-1, 1]^2 seen from +z, every vertex moving with `velocity`,
// texture on, unlit, default noise and "Texture" tab values.
struct FlowScene : TGLTestScene {
  TInjectControls inject;
  TFramePasses passes;
  bool with_noise = true;

  explicit FlowScene(TVec3 velocity, int32_t background = MakeColor(128, 128, 128))
      : TGLTestScene(frame_meshes::Square(1, 16), background) {
    c.shtexture = true;
    for (int i = 0; i < app.mesh.vertex_count; ++i) app.mesh.vertices[i].velo = velocity;
    BuildNoiseTextures(app.noise, TNoiseBuildParams());
    passes.advection_step = [this] { DisplaceVertices(app.mesh, 0.01); };
    passes.compute_tex_coords = [this] {
      ComputeTexCoords(app.mesh, app.matrices, app.view, app.frame.texture_dragged, TTexCoordParams());
    };
    passes.inject_noise = [this] {
      if (with_noise) InjectNoise(app.view, app.noise, inject, app.frame.lighting_on, kSize, kSize);
    };
  }
  // n frames of the Run loop with nothing changed between them.
  void Run(int n) {
    for (int i = 0; i < n; ++i) {
      ++app.frame.frame_counter;
      Frame(passes);
    }
  }
  // The frame texture (object 8), RGB rows from the bottom.
  std::vector<uint8_t> CapturedRGB() const {
    std::vector<uint8_t> rgb(static_cast<size_t>(kSize) * kSize * 3);
    glBindTexture(GL_TEXTURE_2D, 8);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return rgb;
  }
  std::vector<double> Captured() const {  // its red channel (the noise is grey)
    const std::vector<uint8_t> rgb = CapturedRGB();
    std::vector<double> red(rgb.size() / 3);
    for (size_t i = 0; i < red.size(); ++i) red[i] = rgb[3 * i];
    return red;
  }
};

// A window well inside the square (which covers about 75..437 in both axes),
// away from the upstream edge where the background is drawn in.
constexpr int kLo = 200, kHi = 330;

// Correlation of a with b shifted by (dx, dy) over the inner window, each
// taken about its own mean: 1 for the same pattern, near 0 for unrelated noise.
double Correlation(const std::vector<double>& a, const std::vector<double>& b, int dx, int dy) {
  double ma = 0, mb = 0;
  int n = 0;
  for (int y = kLo; y < kHi; ++y)
    for (int x = kLo; x < kHi; ++x, ++n) {
      ma += a[y * kSize + x];
      mb += b[(y + dy) * kSize + x + dx];
    }
  ma /= n;
  mb /= n;
  double sab = 0, saa = 0, sbb = 0;
  for (int y = kLo; y < kHi; ++y)
    for (int x = kLo; x < kHi; ++x) {
      const double u = a[y * kSize + x] - ma, v = b[(y + dy) * kSize + x + dx] - mb;
      sab += u * v;
      saa += u * u;
      sbb += v * v;
    }
  return sab / std::sqrt(saa * sbb);
}

std::vector<double> Change(const std::vector<double>& from, const std::vector<double>& to) {
  std::vector<double> d(from.size());
  for (size_t i = 0; i < d.size(); ++i) d[i] = to[i] - from[i];
  return d;
}

// The shift along the flow axis (x when along_x, else y), -8..8 pixels, at
// which the next frame matches this one best.
int BestShift(const std::vector<double>& now, const std::vector<double>& next, bool along_x) {
  int best = 0;
  double best_c = -2;
  for (int d = -8; d <= 8; ++d) {
    const double c = along_x ? Correlation(now, next, d, 0) : Correlation(now, next, 0, d);
    if (c > best_c) best_c = c, best = d;
  }
  return best;
}

}  // namespace

TEST(NoiseFlow, StreaksRunAlongTheFlowAndThePatternMovesDownstream) {
  struct Case {
    TVec3 velocity;
    bool along_x;  // the flow axis in the window
    int shift;     // pixels the pattern moves per frame: "Disp max" 30 = 3 pixels downstream
  };
  const Case cases[] = {{{1, 0, 0}, true, 3}, {{-1, 0, 0}, true, -3}, {{0, 1, 0}, false, 3}, {{0, -1, 0}, false, -3}};
  for (const Case& k : cases) {
    FlowScene s(k.velocity);
    ASSERT_TRUE(s.ctx.Ok());
    s.Run(60);
    ASSERT_EQ(TakeGLErrors(), "");
    const std::vector<double> a = s.Captured();
    s.Run(1);
    const std::vector<double> b = s.Captured();
    s.Run(1);
    const std::vector<double> c = s.Captured();
    const double along = k.along_x ? Correlation(a, a, 6, 0) : Correlation(a, a, 0, 6);
    const double across = k.along_x ? Correlation(a, a, 0, 6) : Correlation(a, a, 6, 0);
    EXPECT_GT(along, 0.6) << k.velocity.x << " " << k.velocity.y;
    EXPECT_LT(across, 0.3) << k.velocity.x << " " << k.velocity.y;
    // The streak image changes where noise texels blink, and each change is
    // carried downstream: the change of one frame reappears in the next one
    // shifted by the displacement. (The streaks themselves stand still while
    // the noise stands still, so the images are compared by their changes.)
    EXPECT_EQ(BestShift(Change(a, b), Change(b, c), k.along_x), k.shift) << k.velocity.x << " " << k.velocity.y;
  }
}

TEST(NoiseFlow, NoNoiseReachesTheBackgroundEvenAddedInFullOrFlashed) {
  // Where the surface lies: the square drawn white, unlit, untextured.
  TGLTestScene mask_scene(frame_meshes::Square(1, 16), kBlue);
  mask_scene.Frame();
  const std::vector<uint8_t> mask = mask_scene.Pixels();

  for (bool full : {false, true}) {
    FlowScene s({1, 0.5f, 0}, kBlue);
    s.inject.full_text = full;
    s.inject.alpha_text = full ? 0 : 100;  // "full" with weight 0 adds the noise at full strength
    s.Run(10);
    s.app.noise.noise_flash = true;
    s.Run(3);
    const std::vector<uint8_t> rgb = s.CapturedRGB();
    int background_touched = 0, surface_pixels = 0;
    double sum = 0, sum2 = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
      const bool surface = mask[3 * i] == 255 && mask[3 * i + 1] == 255;
      const bool blue = rgb[3 * i] == 0 && rgb[3 * i + 1] == 0 && rgb[3 * i + 2] == 255;
      if (!surface) {
        background_touched += !blue;
        continue;
      }
      ++surface_pixels;
      sum += rgb[3 * i];
      sum2 += double(rgb[3 * i]) * rgb[3 * i];
    }
    EXPECT_EQ(background_touched, 0) << "full " << full;
    // The surface itself did receive noise: its red channel varies widely.
    const double mean = sum / surface_pixels;
    EXPECT_GT(sum2 / surface_pixels - mean * mean, 1000.0) << "full " << full;
    EXPECT_FALSE(s.app.noise.noise_flash);  // the flash was spent by the first injection
  }
}

TEST(NoiseFlow, NoiseOfWeightZeroLeavesTheAdvectedImageAsItIs) {
  std::vector<uint8_t> captured[2];
  for (int with_noise = 0; with_noise < 2; ++with_noise) {
    FlowScene s({1, 1, 0});
    s.with_noise = with_noise;
    s.inject.alpha_text = 0;
    s.Run(12);
    captured[with_noise] = s.CapturedRGB();
  }
  EXPECT_TRUE(captured[0] == captured[1]);
}

TEST(NoiseFlow, ListsHoldTheNoiseStepsAndInjectionsStepThroughThem) {
  FlowScene s({0, 0, 0});
  ASSERT_TRUE(s.ctx.Ok());
  // Rebuild from a known generator state and replay the same phase field here.
  s.app.noise.random_state = 12345;
  uint32_t replay = 12345;
  TPhaseField phase;
  BuildPhaseField(replay, phase);
  TNoiseBuildParams p;
  p.pulse.style = 0;  // cosine, so every step differs from the next
  BuildNoiseTextures(s.app.noise, p);
  EXPECT_EQ(s.app.noise.random_state, replay);  // the generator continued, it was not reseeded
  EXPECT_EQ(s.app.noise.noise_phase, 0);
  TPulseTable pulse;
  BuildPulseTable(p.pulse, pulse);
  TNoiseRamp ramp;
  BuildNoiseColours(p.colour1, p.colour2, p.long_way, ramp);
  for (int step : {1, 38, 64}) {
    glBindTexture(GL_TEXTURE_2D, 0);
    glCallList(kFirstNoiseList - 1 + step);
    TNoisePixels uploaded{}, expected{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, uploaded.data());
    FillNoiseTexels(phase, pulse, ramp, step, expected);
    EXPECT_TRUE(uploaded == expected) << "step " << step;
  }
  // Injections after the rebuild, at "Speed" 10: 11, 12, ..., 74, 74, 12, 13.
  s.Begin();
  std::vector<unsigned> used;
  for (int i = 0; i < 67; ++i) used.push_back(InjectNoise(s.app.view, s.app.noise, s.inject, false, kSize, kSize));
  ASSERT_EQ(TakeGLErrors(), "");
  for (int i = 0; i < 64; ++i) EXPECT_EQ(used[i], 11u + i);
  EXPECT_EQ(used[64], 74u);
  EXPECT_EQ(used[65], 12u);
  EXPECT_EQ(used[66], 13u);
}
