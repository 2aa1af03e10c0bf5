// The colours the contrast stretch keeps: the noise's mean colour, and the
// mean of the surface pixels of a frame.
#include "advection/contrast_stretch.h"

#include <gtest/gtest.h>

// Mean colour of the noise for pulse styles whose mean is known: "Puls" of
// length h per cent is 255 on the first h * 256 / 100 entries; the ramp runs
// from black to white, so each component is the mean brightness.
TEST(ContrastStretch, NoiseMeanFollowsPulseAndRamp) {
  struct Case {
    TPulseParams pulse;
    int32_t c1, c2;
    double mean[3];
  } cases[] = {
      {{2, 4, 6, 50, 0}, 0x000000, 0xFFFFFF, {127.5, 127.5, 127.5}},
      {{2, 4, 6, 25, 0}, 0x000000, 0xFFFFFF, {63.75, 63.75, 63.75}},
      {{2, 4, 6, 100, 0}, 0x000000, 0xFFFFFF, {255, 255, 255}},
      // Pure red both ends: red is 255 whatever the pulse, green and blue 0.
      {{0, 4, 6, 50, 0}, 0x0000FF, 0x0000FF, {255, 0, 0}},
  };
  for (const Case& c : cases) {
    TPulseTable pulse;
    BuildPulseTable(c.pulse, pulse);
    TNoiseRamp ramp;
    BuildNoiseColours(c.c1, c.c2, false, ramp);
    const std::array<double, 3> m = NoiseMeanColour(pulse, ramp);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(m[i], c.mean[i], 1.0) << "style " << c.pulse.style << " component " << i;
  }
}

// The mean counts the pixels in front of the cleared depth only; with none,
// the fallback stands.
TEST(ContrastStretch, SurfaceMeanCountsOnlyPixelsInFrontOfTheFarValue) {
  const uint8_t rgb[] = {10, 20, 30, 200, 200, 200, 30, 40, 50, 0, 0, 0};
  const std::array<double, 3> fallback{1, 2, 3};
  struct Case {
    float depth[4];
    std::array<double, 3> mean;
  } cases[] = {{{0.5f, 1.0f, 0.99f, 1.0f}, {20, 30, 40}},
               {{1.0f, 1.0f, 1.0f, 1.0f}, {1, 2, 3}},
               {{0.0f, 0.1f, 0.2f, 0.3f}, {60, 65, 70}}};
  for (const Case& c : cases) {
    const std::array<double, 3> m = SurfaceMeanColour(rgb, c.depth, 4, fallback);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(m[i], c.mean[i]);
  }
}
