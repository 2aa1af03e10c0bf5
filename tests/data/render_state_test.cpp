// Channel selection, per-vertex data, the range-edit number format and the
// colour-map texels.
#include "data/render_state.h"

#include <gtest/gtest.h>

#include "colorconversion/colorconversion.h"
#include "data/data_channels.h"

namespace {

// Three vertices with y = -1, 0.5, 3 and curvatures (kmin, kmax) = (-1, 2), (0, 0), (1, 4).
TMesh ThreeVertices() {
  TMesh m;
  m.vertex_count = 3;
  m.vertices.resize(3);
  const float ys[3] = {-1, 0.5f, 3};
  const double kmins[3] = {-1, 0, 1}, kmaxs[3] = {2, 0, 4};
  for (int i = 0; i < 3; ++i) {
    m.vertices[i].pos = {static_cast<float>(i), ys[i], 0};
    m.vertices[i].kmin = kmins[i];
    m.vertices[i].kmax = kmaxs[i];
  }
  ComputeDataRanges(m, true);
  return m;
}

}  // namespace

TEST(RenderState, ChannelCodeFollowsTheTestOrderAndFallsBackToVelocity) {
  TChannelRadios r;
  EXPECT_EQ(ChannelCode(r), kChanVelocity);
  r.ad = true;
  EXPECT_EQ(ChannelCode(r), kChanAux);
  r.pz = true;
  EXPECT_EQ(ChannelCode(r), kChanZ);
  r.py = true;
  EXPECT_EQ(ChannelCode(r), kChanY);
  r.px = true;
  EXPECT_EQ(ChannelCode(r), kChanX);
  r.kavg = true;
  EXPECT_EQ(ChannelCode(r), kChanKAvg);
  r.kmaxabs = true;
  EXPECT_EQ(ChannelCode(r), kChanKMaxAbs);
  r.kminmax = true;
  EXPECT_EQ(ChannelCode(r), kChanKMinMax);
  r.kmin = true;
  EXPECT_EQ(ChannelCode(r), kChanKMin);
  r.kmax = true;
  EXPECT_EQ(ChannelCode(r), kChanKMax);
}

TEST(RenderState, VertexDataMapsTheRangeEndsToZeroAndOneAndKeepsOutsideValues) {
  TMesh m = ThreeVertices();
  ComputeVertexData(m, kChanY);  // scanned range -1 .. 3
  EXPECT_DOUBLE_EQ(m.vertices[0].cur_value, -1);
  EXPECT_DOUBLE_EQ(m.vertices[0].norm_value, 0);
  EXPECT_DOUBLE_EQ(m.vertices[1].norm_value, 0.375);
  EXPECT_DOUBLE_EQ(m.vertices[2].norm_value, 1);
  m.data_range[kChanY] = {0, 2};
  ComputeVertexData(m, kChanY);
  EXPECT_DOUBLE_EQ(m.vertices[0].norm_value, -0.5);
  EXPECT_DOUBLE_EQ(m.vertices[2].norm_value, 1.5);
  ComputeVertexData(m, kChanKMinMax);  // -2, 0, 4 over the scanned -2 .. 4
  EXPECT_DOUBLE_EQ(m.vertices[0].cur_value, -2);
  EXPECT_DOUBLE_EQ(m.vertices[1].norm_value, 2.0 / 6);
}

TEST(RenderState, VertexDataOnlyVisitsTheVerticesInUse) {
  TMesh m = ThreeVertices();
  m.vertices.resize(5);
  m.vertices[4].cur_value = 123;
  ComputeVertexData(m, kChanX);
  EXPECT_EQ(m.vertices[4].cur_value, 123);
  TMesh empty;
  ComputeVertexData(empty, kChanX);  // no vertex, no fault
  // An empty range (never stored by the range commands) maps to 0 instead of dividing by zero.
  m.data_range[kChanX] = {3, 3};
  ComputeVertexData(m, kChanX);
  EXPECT_EQ(m.vertices[2].norm_value, 0);
}

TEST(RenderState, RefreshSetsChannelDirtyFlagAndRangeTexts) {
  TAppState app;
  app.mesh = ThreeVertices();
  TChannelRadios r;
  r.kmin = true;
  TRangeTexts t = RefreshDataChannel(app, r);
  EXPECT_EQ(app.frame.data_channel, kChanKMin);
  EXPECT_TRUE(app.frame.scene_dirty);
  EXPECT_EQ(t.min, "-25");
  EXPECT_EQ(t.max, "15");
  EXPECT_DOUBLE_EQ(app.mesh.vertices[2].cur_value, 1);
  EXPECT_DOUBLE_EQ(app.mesh.vertices[2].norm_value, 26.0 / 40);
}

TEST(RangeFormat, GeneralFormatWithSixDigitsAndThreeDigitExponent) {
  EXPECT_EQ(FormatRangeValue(0), "0");
  EXPECT_EQ(FormatRangeValue(10), "10");
  EXPECT_EQ(FormatRangeValue(-25), "-25");
  EXPECT_EQ(FormatRangeValue(0.375), "0.375");
  EXPECT_EQ(FormatRangeValue(1.0 / 3), "0.333333");
  EXPECT_EQ(FormatRangeValue(2.0 / 3), "0.666667");
  EXPECT_EQ(FormatRangeValue(1.5e-6), "1.5E-006");
  EXPECT_EQ(FormatRangeValue(-1.5e-6), "-1.5E-006");
  EXPECT_EQ(FormatRangeValue(0.00001), "0.00001");
  EXPECT_EQ(FormatRangeValue(0.0000123456789), "0.0000123457");
  EXPECT_EQ(FormatRangeValue(123456), "123456");
  EXPECT_EQ(FormatRangeValue(123456.4), "123456");
  EXPECT_EQ(FormatRangeValue(1234567), "1.23457E006");
  EXPECT_EQ(FormatRangeValue(999999.7), "1E006");  // rounds to 7 digits
  EXPECT_EQ(FormatRangeValue(2.5e123), "2.5E123");
  EXPECT_EQ(FormatRangeValue(1e-300), "1E-300");
  // Fixed notation from 0.00001 up to six integer digits, judged after rounding;
  // positive exponents carry no sign.
  EXPECT_EQ(FormatRangeValue(1e6), "1E006");
  EXPECT_EQ(FormatRangeValue(-1234567), "-1.23457E006");
  EXPECT_EQ(FormatRangeValue(999999.4), "999999");
  EXPECT_EQ(FormatRangeValue(0.0001), "0.0001");
  EXPECT_EQ(FormatRangeValue(-0.00001), "-0.00001");
  EXPECT_EQ(FormatRangeValue(0.0000099999996), "0.00001");  // rounds up into fixed notation
  EXPECT_EQ(FormatRangeValue(0.0000099999), "9.9999E-006");
  EXPECT_EQ(FormatRangeValue(100), "100");
  EXPECT_EQ(FormatRangeValue(100000), "100000");
  // Exact halves at the seventh digit round away from zero; anything else to nearest.
  EXPECT_EQ(FormatRangeValue(1234.125), "1234.13");
  EXPECT_EQ(FormatRangeValue(-1234.125), "-1234.13");
  EXPECT_EQ(FormatRangeValue(100000.5), "100001");
  EXPECT_EQ(FormatRangeValue(999999.5), "1E006");
  EXPECT_EQ(FormatRangeValue(2.000025), "2.00002");      // held as 2.0000249999...: below the half
  EXPECT_EQ(FormatRangeValue(0.1234565), "0.123456");    // held as 0.12345649999...
  EXPECT_EQ(FormatRangeValue(1.000005), "1.00001");      // held as 1.00000500...03: above the half
  EXPECT_EQ(FormatRangeValue(1234.1250001), "1234.13");
  EXPECT_EQ(FormatRangeValue(1234.1249999), "1234.12");
}

TEST(ColourMap, EndsAreTheMinAndMaxColoursAndTheShortWayPassesGreen) {
  const int32_t aqua = MakeColor(0, 255, 255);
  const int32_t light_red = MakeColor(255, 128, 128);
  const TColourMapTexels t = ColourMapTexels(aqua, light_red, false);
  auto texel = [&](int i) { return TRGBInt{t[3 * i], t[3 * i + 1], t[3 * i + 2]}; };
  // The HLS round trip divides by 256 and multiplies by 255: a few units off.
  EXPECT_NEAR(texel(0).red, 0, 4);
  EXPECT_NEAR(texel(0).green, 255, 4);
  EXPECT_NEAR(texel(0).blue, 255, 4);
  EXPECT_NEAR(texel(255).red, 255, 4);
  EXPECT_NEAR(texel(255).green, 128, 4);
  EXPECT_NEAR(texel(255).blue, 128, 4);
  // Short way (hue falling from aqua): green dominates a third of the way.
  const TRGBInt third = texel(85);
  EXPECT_GT(third.green, third.red);
  EXPECT_GT(third.green, third.blue);
  // Long way (hue rising through blue and magenta): blue dominates there.
  const TColourMapTexels l = ColourMapTexels(aqua, light_red, true);
  EXPECT_GT(l[3 * 85 + 2], l[3 * 85 + 1]);
  EXPECT_GT(l[3 * 85 + 2], l[3 * 85 + 0]);
}
