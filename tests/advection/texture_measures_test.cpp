// The texture measures: contrast and coherence of pictures whose answer is
// known (stripes, noise, flat grey), and the interior that keeps the
// silhouette and the background out of both.
#include "advection/texture_measures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace {

using TPattern = std::function<double(int32_t x, int32_t y)>;

TGreyImage Picture(int32_t w, int32_t h, const TPattern& f) {
  TGreyImage img;
  img.width = w;
  img.height = h;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) img.grey.push_back(f(x, y));
  return img;
}

std::vector<uint8_t> AllSurface(const TGreyImage& img) { return std::vector<uint8_t>(img.grey.size(), 1); }

// Uniform numbers in [0, 1) from a fixed linear congruential sequence.
double Uniform(uint32_t& s) {
  s = s * 1664525u + 1013904223u;
  return (s >> 8) / 16777216.0;
}

constexpr double kPi = std::numbers::pi;

}  // namespace

// A sine of period 9 along one axis has a box mean of exactly the flat grey,
// so its contrast is amplitude / sqrt(2); stripes are perfectly coherent in
// any direction; flat grey has neither.
TEST(TextureMeasures, StripesNoiseAndFlatGreyGiveTheirKnownMeasures) {
  uint32_t seed = 7;
  std::vector<double> noise(120 * 120);
  for (double& v : noise) v = 255 * Uniform(seed);
  struct Case {
    const char* name;
    TPattern pattern;
    double contrast, contrast_tol, coherence_min, coherence_max;
  } cases[] = {
      {"vertical stripes", [](int x, int) { return 128 + 40 * std::sin(2 * kPi * x / 9); }, 40 / std::sqrt(2.0), 0.3,
       0.999, 1.0},
      {"horizontal stripes", [](int, int y) { return 128 + 20 * std::sin(2 * kPi * y / 9); }, 20 / std::sqrt(2.0), 0.2,
       0.999, 1.0},
      {"diagonal stripes", [](int x, int y) { return 128 + 40 * std::sin(2 * kPi * (x + y) / 6); }, -1, 0, 0.98, 1.0},
      {"flat grey", [](int, int) { return 77.0; }, 0, 1e-9, 0, 0},
      // White noise: uniform 0..255 has a deviation of 73.6, less the share
      // of its box mean; its structure tensor has no preferred direction.
      {"white noise", [&](int x, int y) { return noise[y * 120 + x]; }, 73.6 * std::sqrt(1 - 1 / 81.0), 2.5, 0.05, 0.3},
  };
  for (const Case& c : cases) {
    const TGreyImage img = Picture(120, 120, c.pattern);
    const TTextureMeasures m = MeasureTexture(img, AllSurface(img));
    EXPECT_EQ(m.interior_pixels, (120 - 2 * kInteriorMargin) * (120 - 2 * kInteriorMargin)) << c.name;
    if (c.contrast >= 0) {
      EXPECT_NEAR(m.contrast, c.contrast, c.contrast_tol) << c.name;
    }
    EXPECT_GE(m.coherence, c.coherence_min) << c.name;
    EXPECT_LE(m.coherence, c.coherence_max) << c.name;
  }
}

// Streaks that get shorter read as less coherent: a blurred line pattern beats
// noise blurred across the lines' direction by less.
TEST(TextureMeasures, LongerStreaksAreMoreCoherent) {
  uint32_t seed = 3;
  std::vector<double> noise(160 * 160);
  for (double& v : noise) v = 255 * Uniform(seed);
  double last = 0;
  for (int32_t length : {1, 4, 16}) {  // average of `length` noise pixels along x: streaks along x
    const TGreyImage img = Picture(140, 140, [&](int x, int y) {
      double s = 0;
      for (int32_t k = 0; k < length; ++k) s += noise[y * 160 + x + k];
      return s / length;
    });
    const double c = MeasureTexture(img, AllSurface(img)).coherence;
    EXPECT_GT(c, last + 0.1) << "streak length " << length;
    last = c;
  }
  EXPECT_GT(last, 0.7);
}

// Only pixels whose whole neighbourhood lies on the surface count: a
// surface square of noisy stripes on a background of strong noise measures as
// the stripes alone, and its interior is the square less the margin all round.
TEST(TextureMeasures, BackgroundAndSilhouetteStayOutOfTheMeasures) {
  uint32_t seed = 11;
  const int32_t w = 100, h = 90, x0 = 20, y0 = 15, side = 63;  // interior 45 wide: 5 periods
  auto on_surface = [&](int x, int y) { return x >= x0 && x < x0 + side && y >= y0 && y < y0 + side; };
  const TGreyImage img = Picture(w, h, [&](int x, int y) {
    const double bg = 255 * Uniform(seed);
    return on_surface(x, y) ? 100 + 30 * std::sin(2 * kPi * x / 9) : bg;
  });
  std::vector<uint8_t> surface(img.grey.size());
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) surface[y * w + x] = on_surface(x, y);
  const TTextureMeasures m = MeasureTexture(img, surface);
  EXPECT_EQ(m.interior_pixels, (side - 2 * kInteriorMargin) * (side - 2 * kInteriorMargin));
  EXPECT_NEAR(m.contrast, 30 / std::sqrt(2.0), 0.3);
  EXPECT_NEAR(m.mean, 100, 1e-9);  // whole periods of the sine about 100; the background's noise left out
  EXPECT_GT(m.coherence, 0.999);
  // No surface wide enough: nothing measured, both measures zero.
  const std::vector<uint8_t> thin = InteriorOf(surface, w, h, side);
  EXPECT_EQ(std::count(thin.begin(), thin.end(), 1), 0);
}

// Background regions are the large ones of the background's colour, wherever
// they lie (the hole of a ring too); isolated matching pixels stay surface.
TEST(TextureMeasures, SurfaceKeepsSmallPatchesOfTheBackgroundsColour) {
  const int32_t w = 40, h = 30;
  std::vector<uint8_t> bg(w * h, 0);
  auto set = [&](int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) bg[y * w + x] = 1;
  };
  set(0, 0, w, 3);      // a border strip: 120 pixels
  set(15, 10, 25, 20);  // a hole in the middle: 100 pixels
  set(5, 25, 7, 27);    // a 2 x 2 patch: 4 pixels
  bg[8 * w + 30] = 1;   // one pixel
  const std::vector<uint8_t> s = SurfaceOf(bg, w, h, 50);
  struct Case {
    int x, y, surface;
  } cases[] = {{0, 0, 0}, {39, 2, 0}, {20, 15, 0}, {5, 25, 1}, {6, 26, 1}, {30, 8, 1}, {10, 10, 1}};
  for (const Case& c : cases) EXPECT_EQ(s[c.y * w + c.x], c.surface) << c.x << "," << c.y;
  EXPECT_EQ(std::count(s.begin(), s.end(), 0), 220);
}

// The shape correlation follows the slow light and dark, not the grain: a
// shading gradient with fine stripes laid on correlates with the bare
// gradient, the gradient turned round anticorrelates, a swell across it does
// not correlate; pixels at 0 or 255 count as clipped, the background nowhere.
TEST(TextureMeasures, ShapeCorrelationFollowsTheSlowShadingNotTheGrain) {
  const int32_t w = 120, h = 80;
  auto image = [&](auto f) {
    TGreyImage img;
    img.width = w;
    img.height = h;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.grey.push_back(f(x, y));
    return img;
  };
  std::vector<uint8_t> surface(w * h, 1);
  for (int x = 0; x < w; ++x) surface[x] = 0;  // the top row is background
  const TGreyImage shaded = image([&](int x, int) { return 40.0 + 1.5 * x; });
  const auto stripes = [](int x, int) { return (x / 2) % 2 ? 40.0 : -40.0; };
  struct Row {
    const char* name;
    TGreyImage picture;
    double correlation_min, correlation_max, clipped;
  } rows[] = {
      {"shading with stripes", image([&](int x, int y) { return 41.0 + 1.2 * x + stripes(x, y); }), 0.95, 1.0, 0},
      {"shading turned round", image([&](int x, int) { return 220.0 - 1.5 * x; }), -1.0, -0.99, 0},
      {"stripes on a swell across", image([&](int x, int y) { return 128 + 1.5 * (y - 40) + stripes(x, y); }), -0.2,
       0.2, 0},
      {"clipped half", image([&](int x, int) { return x < w / 2 ? 0.0 : 255.0; }), 0.5, 1.0, 1.0},
  };
  for (const Row& r : rows) {
    const TShapeMeasures m = MeasureShape(r.picture, shaded, surface, 10);
    EXPECT_EQ(m.surface_pixels, w * (h - 1)) << r.name;
    EXPECT_GE(m.correlation, r.correlation_min) << r.name;
    EXPECT_LE(m.correlation, r.correlation_max) << r.name;
    EXPECT_NEAR(m.clipped, r.clipped, 1e-9) << r.name;
  }
}
