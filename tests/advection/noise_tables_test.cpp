// The noise tables: the program's random numbers, the four pulse styles at
// their edge values, the colour ramp's ends and the noise-step sequence of the
// injections.
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
  // The phase field takes the numbers row by row and the next field continues
  // the sequence.
  uint32_t a = 0;
  TPhaseField f1, f2;
  BuildPhaseField(a, f1);
  BuildPhaseField(a, f2);
  EXPECT_EQ(f1[0], 0);
  EXPECT_EQ(f1[1], 8);
  EXPECT_NE(f1, f2);
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
    for (const TRGBInt& e : ramp) EXPECT_LE(std::max({e.red, e.green, e.blue}), 255);  // no wrap past a byte
  }
  // One saturated colour at both ends goes once round the hue circle the long way.
  TNoiseRamp red_long;
  BuildNoiseColours(MakeColor(255, 0, 0), MakeColor(255, 0, 0), true, red_long);
  EXPECT_GT(red_long[85].green, 200);
  EXPECT_GT(red_long[170].blue, 200);
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
  // Ties go to even; the wrap happens only from 64.5 on.
  EXPECT_EQ(NoiseListFor(0.5), 11u);
  EXPECT_EQ(NoiseListFor(1.5), 13u);
  EXPECT_EQ(AdvanceNoisePhase(64.0, 4), 64.4);
  EXPECT_EQ(AdvanceNoisePhase(64.0, 5), 0.5);
}
