// The colour maps chosen by name and the logarithmic scale of the range.
#include "data/colour_maps.h"

#include <gtest/gtest.h>

#include <cmath>

#include "colorconversion/colorconversion.h"
#include "data/data_channels.h"
#include "data/render_state.h"

namespace {

struct TRgb3 {
  int r, g, b;
};

TRgb3 Texel(const TColourMapTexels& t, int i) { return {t[3 * i], t[3 * i + 1], t[3 * i + 2]}; }

// Relative luminance (Rec. 709 weights on the decoded sRGB channels), 0..1.
double Luminance(const TRgb3& c) {
  auto lin = [](int v) {
    const double x = v / 255.0;
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(c.r) + 0.7152 * lin(c.g) + 0.0722 * lin(c.b);
}

}  // namespace

TEST(ColourMaps, TabledMapsHoldThePublishedColoursAndTheirLightnessOrder) {
  // Ends and middle (texel 127 lies half a texel below t = 0.5) from the
  // publications' tables; `rising`: the luminance never falls along the map
  // (one byte step of slack); else (diverging) it rises to the middle and falls after.
  struct Row {
    int32_t kind;
    const char* name;
    TRgb3 first, middle, last;
    bool rising;
  } rows[] = {
      {kMapViridis, "Viridis", {68, 1, 84}, {33, 144, 141}, {253, 231, 37}, true},
      {kMapCividis, "Cividis", {0, 34, 78}, {124, 123, 120}, {254, 232, 56}, true},
      {kMapCoolWarm, "Cool to warm", {59, 76, 192}, {220, 221, 222}, {180, 4, 38}, false},
      {kMapGrey, "Grey", {0, 0, 0}, {127, 127, 127}, {255, 255, 255}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_STREQ(ColourMapName(row.kind), row.name);
    const TColourMapTexels t = TabledMapTexels(row.kind);
    for (const auto& [i, want] : {std::pair{0, row.first}, std::pair{127, row.middle}, std::pair{255, row.last}}) {
      const TRgb3 got = Texel(t, i);
      EXPECT_NEAR(got.r, want.r, 2) << "texel " << i;
      EXPECT_NEAR(got.g, want.g, 2) << "texel " << i;
      EXPECT_NEAR(got.b, want.b, 2) << "texel " << i;
    }
    for (int i = 1; i < 256; ++i) {
      const double before = Luminance(Texel(t, i - 1)), now = Luminance(Texel(t, i));
      if (row.rising || i <= 127)
        EXPECT_GE(now, before - 0.004) << "texel " << i;
      else
        EXPECT_LE(now, before + 0.004) << "texel " << i;
    }
  }
  // The diverging map's ends are equally light, so neither side stands out.
  const TColourMapTexels cw = TabledMapTexels(kMapCoolWarm);
  EXPECT_NEAR(Luminance(Texel(cw, 0)), Luminance(Texel(cw, 255)), 0.03);
}

TEST(ColourMaps, TheFirstChoiceIsTheRampOfTheSwatchesAndUnknownChoicesFallBackToIt) {
  TRenderStateControls c;
  EXPECT_EQ(c.colour_map, kMapRamp);  // the default keeps every picture as it was
  EXPECT_STREQ(ColourMapName(kMapRamp), "Min to Max");
  EXPECT_STREQ(ColourMapName(kColourMapCount), "");
  c.long_way = true;
  const TColourMapTexels ramp = ColourMapTexels(c.datamin, c.datamax, true);
  for (const int32_t choice : {int32_t{kMapRamp}, int32_t{-1}, kColourMapCount}) {
    c.colour_map = choice;
    EXPECT_EQ(ColourMapTexels(c), ramp) << choice;
  }
  c.colour_map = kMapViridis;
  EXPECT_EQ(ColourMapTexels(c), TabledMapTexels(kMapViridis));
}

TEST(ColourMaps, LogScaleFloorAndCoordinates) {
  // floor from (min, max, smallest positive value of the data), then the
  // coordinate of v.
  struct Row {
    double min, max, smallest, floor, v, coordinate;
  } rows[] = {
      {1, 1000, 0, 1, 10, 1.0 / 3},    // a positive range: its own minimum
      {1, 1000, 0, 1, 1000, 1},        //
      {1, 1000, 0, 1, 0.5, 0},         // below the floor: the lowest colour
      {0, 100, 0.1, 0.1, 1, 1.0 / 3},  // min at zero: the smallest positive value
      {-5, 100, 0.1, 0.1, 0, 0},       // zero itself
      {-5, 100, 0.1, 0.1, -3, 0},      // and negative values: the lowest colour
      {-5, 100, 0, 0.1, 10, 2.0 / 3},  // no positive value: three decades below max
      {0, 100, 500, 0.1, 100, 1},      // a smallest value above max does not count
      {-10, -1, 0.5, 0, -5.5, 0.5},    // nothing positive: linear
      {-10, 0, 0, 0, -10, 0},          //
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.min << " .. " << r.max << " v " << r.v);
    const double floor = LogScaleFloor(r.min, r.max, r.smallest);
    EXPECT_DOUBLE_EQ(floor, r.floor);
    EXPECT_NEAR(MapCoordinate(r.v, {r.min, r.max}, floor), r.coordinate, 1e-12);
  }
  // Linear (floor 0): outside the range the coordinate leaves 0..1.
  EXPECT_DOUBLE_EQ(MapCoordinate(-5, {0, 10}, 0), -0.5);
}

TEST(ColourMaps, LogScaleOfTheVertexValuesTakesTheSmallestPositiveValueBelowAZeroMinimum) {
  TMesh m;
  m.vertex_count = 4;
  m.vertices.resize(4);
  const float xs[4] = {-2, 0, 0.5f, 50};
  for (int i = 0; i < 4; ++i) m.vertices[i].pos = {xs[i], 0, 0};
  m.data_range[kChanX] = {-2, 50};
  EXPECT_EQ(ComputeVertexData(m, kChanX, false), 0);
  EXPECT_DOUBLE_EQ(m.vertices[3].norm_value, 1);
  EXPECT_DOUBLE_EQ(m.vertices[0].norm_value, 0);
  const double floor = ComputeVertexData(m, kChanX, true);
  EXPECT_DOUBLE_EQ(floor, 0.5);
  const double expect[4] = {0, 0, 0, 1};
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(m.vertices[i].norm_value, expect[i]) << i;
  m.data_range[kChanX] = {0.5, 5};  // a positive range is its own floor; above max beyond 1
  EXPECT_DOUBLE_EQ(ComputeVertexData(m, kChanX, true), 0.5);
  EXPECT_DOUBLE_EQ(m.vertices[3].norm_value, 2);
  EXPECT_DOUBLE_EQ(m.vertices[3].cur_value, 50);
}
