// The noise tables: the program's random numbers, the four pulse styles at
// their edge values, the colour ramp's ends, the noise-step sequence of the
// injections and the pulse plot.
#include "advection/noise_tables.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TPulseTable Pulse(int style, int cospow, int decay, int thalf, int saw) {
  TPulseTable t{};
  BuildPulseTable({style, cospow, decay, thalf, saw}, t);
  return t;
}

}  // namespace

TEST(NoiseTables, GeneratorFromStateZeroGivesTheSameNumbersInEveryRun) {
  // Reference: s := s * 134775813 + 1 mod 2^32, then (n * s) >> 32, worked out by hand.
  uint32_t s = 0;
  EXPECT_EQ(RandomBelow(s, 256), 0);  // s = 1
  EXPECT_EQ(s, 1u);
  EXPECT_EQ(RandomBelow(s, 256), 8);  // s = 134775814 = 8.03 * 2^24
  EXPECT_EQ(s, 134775814u);
  EXPECT_EQ(RandomBelow(s, 1000), 861);
  // The phase field continues the sequence row by row: a second field differs
  // from the first, and replaying from the same state repeats it.
  uint32_t a = 0, b = 0;
  TPhaseField f1, f2, g1;
  BuildPhaseField(a, f1);
  BuildPhaseField(a, f2);
  BuildPhaseField(b, g1);
  EXPECT_EQ(f1, g1);
  EXPECT_NE(f1, f2);
  EXPECT_EQ(f1[0], 0);  // texel (0, 0) takes the first number, (1, 0) the second
  EXPECT_EQ(f1[1], 8);
}

TEST(NoiseTables, PulseStylesAtTheirEdgeValues) {
  struct Case {
    const char* what;
    TPulseTable table;
    std::vector<std::pair<int, int>> entries;  // (index, value)
  };
  const Case cases[] = {
      // cos(pi/2) rounds to a tiny positive number, cos(3 pi / 2) to a tiny negative one.
      {"cosine power 1", Pulse(0, 1, 6, 50, 0), {{0, 255}, {64, 128}, {128, 0}, {192, 127}}},
      {"cosine power 0 counts as 1", Pulse(0, 0, 6, 50, 0), {{0, 255}, {64, 128}, {128, 0}}},
      {"cosine power 10 is nearly square", Pulse(0, 10, 6, 50, 0), {{0, 255}, {32, 251}, {96, 4}, {128, 0}}},
      {"decay 1000", Pulse(1, 4, 1000, 50, 0), {{0, 255}, {1, 0}, {200, 0}, {255, 0}}},
      {"decay 6", Pulse(1, 4, 6, 50, 0), {{0, 255}, {1, 253}, {2, 252}, {255, 55}}},
      {"puls length 1", Pulse(2, 4, 6, 1, 0), {{0, 255}, {2, 255}, {3, 0}, {255, 0}}},
      {"puls length 50", Pulse(2, 4, 6, 50, 0), {{127, 255}, {128, 0}}},
      {"puls length 100", Pulse(2, 4, 6, 100, 0), {{0, 255}, {255, 255}}},
      {"saw position 0", Pulse(3, 4, 6, 50, 0), {{0, 255}, {1, 254}, {100, 155}, {255, 0}}},
      {"saw position 100", Pulse(3, 4, 6, 50, 100), {{0, 0}, {1, 1}, {100, 100}, {255, 255}}},
      {"saw position 50 (peak 128)", Pulse(3, 4, 6, 50, 50), {{0, 0}, {64, 128}, {128, 255}, {255, 0}}},
  };
  for (const Case& c : cases)
    for (auto [i, v] : c.entries) EXPECT_EQ(c.table[i], v) << c.what << " entry " << i;
  // The decay keeps falling by the factor 0.994.
  const TPulseTable decay = Pulse(1, 4, 6, 50, 0);
  for (int i = 1; i < 256; ++i) EXPECT_LE(decay[i], decay[i - 1]);
}

// The integer hue-lightness-saturation form keeps lightness in 1/256 steps, so
// a colour comes back within a few units (aqua as (0, 252, 255)).
TEST(NoiseTables, ColourRampEndsAreTheSwatchColoursUpToTheConversion) {
  struct Case {
    int32_t c1, c2;
    bool long_way;
  };
  const Case cases[] = {{MakeColor(0, 0, 0), MakeColor(255, 255, 255), true},
                        {MakeColor(255, 0, 0), MakeColor(0, 0, 255), false},
                        {MakeColor(213, 183, 151), MakeColor(0, 0, 0), true},
                        {MakeColor(0, 255, 255), MakeColor(255, 128, 128), false}};
  for (const Case& c : cases) {
    TNoiseRamp ramp;
    BuildNoiseColours(c.c1, c.c2, c.long_way, ramp);
    for (auto [entry, colour] : {std::pair{0, c.c1}, std::pair{255, c.c2}}) {
      const TRGBInt want = SplitColor(colour);
      EXPECT_NEAR(ramp[entry].red, want.red, 3) << entry;
      EXPECT_NEAR(ramp[entry].green, want.green, 3) << entry;
      EXPECT_NEAR(ramp[entry].blue, want.blue, 3) << entry;
    }
    for (const TRGBInt& e : ramp) {
      EXPECT_GE(std::min({e.red, e.green, e.blue}), 0);
      EXPECT_LE(std::max({e.red, e.green, e.blue}), 255);
    }
  }
  // One grey at both ends: a uniform ramp. One saturated colour at both ends:
  // uniform the short way, once round the hue circle the long way.
  TNoiseRamp grey, red_short, red_long;
  BuildNoiseColours(MakeColor(90, 90, 90), MakeColor(90, 90, 90), true, grey);
  BuildNoiseColours(MakeColor(255, 0, 0), MakeColor(255, 0, 0), false, red_short);
  BuildNoiseColours(MakeColor(255, 0, 0), MakeColor(255, 0, 0), true, red_long);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(grey[i].red, grey[0].red);
    EXPECT_EQ(grey[i].blue, grey[0].blue);
    EXPECT_EQ(red_short[i].green, red_short[0].green);
  }
  EXPECT_GT(red_long[85].green, 200);  // a third of the way round: green
  EXPECT_GT(red_long[170].blue, 200);  // two thirds: blue
}

TEST(NoiseTables, InjectionsStepThroughTheListsAsThePhaseAdvances) {
  // After a rebuild (phase 0) at "Speed" 10: lists 11..74, 74 again (phase 64
  // is capped at step 63), then the phase wraps from 65 to 1: 12, 13, ...
  std::vector<unsigned> lists;
  double phase = 0;
  for (int f = 0; f < 68; ++f) {
    lists.push_back(NoiseListFor(phase));
    phase = AdvanceNoisePhase(phase, 10);
  }
  for (int f = 0; f < 64; ++f) EXPECT_EQ(lists[f], 11u + f);
  EXPECT_EQ(lists[64], 74u);
  EXPECT_EQ(lists[65], 12u);
  EXPECT_EQ(lists[66], 13u);
  // Ties go to even, speed 0 stands still, speed 5 advances half a step.
  EXPECT_EQ(NoiseListFor(0.5), 11u);
  EXPECT_EQ(NoiseListFor(1.5), 13u);
  EXPECT_EQ(AdvanceNoisePhase(3.25, 0), 3.25);
  EXPECT_EQ(AdvanceNoisePhase(64.0, 5), 0.5);
  EXPECT_EQ(AdvanceNoisePhase(64.4, 1), 0.5);
}

TEST(NoiseTables, NoiseQuadCoversTheViewAtTheFarPlaneWithScaleTenthsOfAPixelPerTexel) {
  TView v;
  v.frustum_left = -0.05;
  v.frustum_right = 0.05;
  v.frustum_bottom = -0.04;
  v.frustum_top = 0.04;
  v.frustum_near = 0.1;
  v.frustum_far = 10;
  v.noise_offset_s = 0.25;
  v.noise_offset_t = -1;
  const TNoiseQuad p = NoiseQuadFor(v, false, 512, 256, 25);
  EXPECT_DOUBLE_EQ(p.x0, -5);
  EXPECT_DOUBLE_EQ(p.y1, 4);
  EXPECT_DOUBLE_EQ(p.z, -9.99);
  EXPECT_DOUBLE_EQ(p.s1 - p.s0, 3.2);  // 512 pixels of 2.5 pixels per texel, 64 texels per unit
  EXPECT_DOUBLE_EQ(p.t1 - p.t0, 1.6);
  EXPECT_DOUBLE_EQ(p.s0, 0.25);
  EXPECT_DOUBLE_EQ(p.t0, -1);
  const TNoiseQuad o = NoiseQuadFor(v, true, 512, 256, 1000);
  EXPECT_DOUBLE_EQ(o.x1, 0.05);
  EXPECT_DOUBLE_EQ(o.s1 - o.s0, 0.08);  // one texel covers 100 pixels
}

TEST(NoiseTables, PulsePlotSpansTheInsetBoxOverTwoPeriods) {
  int32_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = i < 128 ? 255 : 0;
  const TPulsePlot p = PulsePlotFor(200, 60, table);
  EXPECT_EQ(p.axes[0].x, 10);
  EXPECT_EQ(p.axes[0].y, 10);  // value 256 on the top edge
  EXPECT_EQ(p.axes[1].y, 50);  // value 0 on the bottom edge
  EXPECT_EQ(p.axes[2].x, 190);
  EXPECT_EQ(p.curve.size(), 511u);
  EXPECT_EQ(p.curve[0].y, 10);   // round(255 * -40 / 256 + 50) = round(10.16)
  EXPECT_EQ(p.curve[128].y, 50);
  EXPECT_EQ(p.curve[256].y, 10);  // the second period
  EXPECT_EQ(p.curve[510].x, 189);
}
