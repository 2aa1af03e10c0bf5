#include "colorconversion/colorconversion.h"

#include <gtest/gtest.h>

namespace {

void ExpectRGB(const TRGBInt& c, int r, int g, int b) {
  EXPECT_EQ(c.red, r);
  EXPECT_EQ(c.green, g);
  EXPECT_EQ(c.blue, b);
}

void ExpectHLS(const THLSInt& c, int h, int l, int s) {
  EXPECT_EQ(c.hue, h);
  EXPECT_EQ(c.lightness, l);
  EXPECT_EQ(c.saturation, s);
}

}  // namespace

TEST(ColorPacking, MakeAndSplitAreInverseWithRedInLowByte) {
  EXPECT_EQ(MakeColor(255, 128, 128), 0x8080FF);
  EXPECT_EQ(MakeColor(0, 255, 255), 0xFFFF00);
  ExpectRGB(SplitColor(0x123456), 0x56, 0x34, 0x12);
  for (int v : {0, 1, 255, 256, 65535, 65536, 0xFFFFFF, 0x00C0C0C0}) {
    const TRGBInt c = SplitColor(v);
    EXPECT_EQ(MakeColor(c.red, c.green, c.blue), v);
  }
}

TEST(ColorPacking, NegativeValueLandsWholeInRed) { ExpectRGB(SplitColor(-5), -5, 0, 0); }

TEST(RGBToHLS, WhiteIsGreyWithLightness255AndComesBackExactly) {
  const THLSInt w = RGBToHLS({255, 255, 255});
  ExpectHLS(w, 0, 255, 0);
  ExpectRGB(HLSToRGB(w), 255, 255, 255);
  ExpectHLS(RGBToHLS({0, 0, 0}), 0, 0, 0);
}

TEST(RGBToHLS, PureColoursOfTheSectors) {
  // 127.5 rounds to 128 (ties to even); full saturation is 256, not 255.
  ExpectHLS(RGBToHLS({255, 0, 0}), 0, 128, 256);
  ExpectHLS(RGBToHLS({0, 255, 0}), 85, 128, 256);   // 2 * 42.6 = 85.2
  ExpectHLS(RGBToHLS({0, 0, 255}), 170, 128, 256);  // 4 * 42.6 = 170.4
}

TEST(RGBToHLS, TiesOfTheMaximumGoToTheLaterChannel) {
  // Red and blue tie: blue wins, H = 4 + (r - g)/d = 5.
  EXPECT_EQ(RGBToHLS({255, 0, 255}).hue, 213);  // 5 * 42.6 = 213
  // Red and green tie: green wins, H = 2 + (b - r)/d = 1.
  EXPECT_EQ(RGBToHLS({255, 255, 0}).hue, 43);  // 42.6
}

TEST(RGBToHLS, RedDominantWithBlueAboveGreenGivesNegativeHue) {
  // H = (0 - 128)/(255/256 - 0) * ... = -128/255; * 42.6 = -21.38
  EXPECT_EQ(RGBToHLS({255, 0, 128}).hue, -21);
}

TEST(HLSToRGB, SaturatedRedComesBackWithTheDivisorMismatch) {
  // (0, 128, 256): l = 128/255, s = 256/255 give m2 = 65152/65025 and
  // m1 = 128/65025, so the channels are 65152/255 = 255.5- and 128/255 = 0.502.
  ExpectRGB(HLSToRGB(RGBToHLS({255, 0, 0})), 255, 1, 1);
  // With saturation 255: m2 = 1, m1 = 2 * 128/255 - 1 = 1/255.
  ExpectRGB(HLSToRGB(THLSInt{0, 128, 255}), 255, 1, 1);
  // Lightness 127 (< 0.5): m2 = l * (1 + s) = 254/255, m1 = 0.
  ExpectRGB(HLSToRGB(THLSInt{170, 127, 255}), 0, 0, 254);
}

TEST(HLSToRGB, MidGreyKeepsLightnessInEveryChannel) { ExpectRGB(HLSToRGB({17, 100, 0}), 100, 100, 100); }

TEST(InterpolateHLS, RedToBlueShortWayRunsDownThrough255) {
  const THLSInt red = RGBToHLS({255, 0, 0}), blue = RGBToHLS({0, 0, 255});
  EXPECT_EQ(InterpolateHLS(red, blue, false, 0).hue, 0);
  EXPECT_EQ(InterpolateHLS(red, blue, false, 1).hue, 170);
  // From 256 down to 170: t = 1/86 gives 255, t = 0.5 gives 213.
  EXPECT_EQ(InterpolateHLS(red, blue, false, 1.0 / 86).hue, 255);
  EXPECT_EQ(InterpolateHLS(red, blue, false, 0.5).hue, 213);
  int prev = 256;
  for (int i = 1; i <= 255; ++i) {
    int h = InterpolateHLS(red, blue, false, i / 255.0).hue;
    if (h == 0) h = 256;  // a rounded 256 wraps to 0
    EXPECT_GE(h, 170);
    EXPECT_LE(h, prev);
    prev = h;
  }
}

TEST(InterpolateHLS, RedToBlueLongWayRunsUpThroughGreen) {
  const THLSInt red = RGBToHLS({255, 0, 0}), blue = RGBToHLS({0, 0, 255});
  EXPECT_EQ(InterpolateHLS(red, blue, true, 0.5).hue, 85);
  int prev = 0;
  for (int i = 0; i <= 255; ++i) {
    const int h = InterpolateHLS(red, blue, true, i / 255.0).hue;
    EXPECT_GE(h, prev);
    prev = h;
  }
  EXPECT_EQ(prev, 170);
}

TEST(InterpolateHLS, LongFlagOnAWideGapTakesTheShortWayRoundTheOtherSide) {
  // Hues 10 and 200: d = 190 >= 128, so the long way is the direct 10..200 path.
  const THLSInt a{10, 128, 256}, b{200, 128, 256};
  EXPECT_EQ(InterpolateHLS(a, b, true, 0.5).hue, 105);
  EXPECT_EQ(InterpolateHLS(a, b, false, 0.5).hue, (266 + 200) / 2 % 256);  // 233
}

TEST(InterpolateHLS, GreyEndKeepsTheSaturatedHue) {
  const THLSInt grey = RGBToHLS({128, 128, 128}), green = RGBToHLS({0, 255, 0});
  for (int i = 0; i <= 255; i += 15) {
    const double t = i / 255.0;
    EXPECT_EQ(InterpolateHLS(grey, green, false, t).hue, 85);
    EXPECT_EQ(InterpolateHLS(green, grey, true, t).hue, 85);
  }
  const THLSInt mid = InterpolateHLS(grey, green, false, 0.5);
  EXPECT_EQ(mid.lightness, 128);
  EXPECT_EQ(mid.saturation, 128);
}

TEST(InterpolateHLS, BlackToWhiteKeepsHueZeroAndRampsLightness) {
  const THLSInt black = RGBToHLS({0, 0, 0}), white = RGBToHLS({255, 255, 255});
  for (int i = 0; i <= 255; ++i) {
    const THLSInt c = InterpolateHLS(black, white, false, i / 255.0);
    EXPECT_EQ(c.hue, 0);
    EXPECT_EQ(c.saturation, 0);
    EXPECT_EQ(c.lightness, i);
    ExpectRGB(HLSToRGB(c), i, i, i);
  }
}

TEST(InterpolateHLS, TiesRoundToEven) {
  const THLSInt a{0, 0, 1}, b{0, 1, 3};
  // lightness 0.5 -> 0, saturation 2 exactly; t = 0.5 on 0..3 gives 1.5 -> 2.
  const THLSInt m = InterpolateHLS(a, b, false, 0.5);
  EXPECT_EQ(m.lightness, 0);
  EXPECT_EQ(m.saturation, 2);
  const THLSInt n = InterpolateHLS(THLSInt{0, 2, 5}, THLSInt{0, 3, 0}, false, 0.5);
  EXPECT_EQ(n.lightness, 2);   // 2.5 -> 2
  EXPECT_EQ(n.saturation, 2);  // 2.5 -> 2
}

TEST(InterpolateHLS, HueWayBoundariesAndHueTiesToEven) {
  auto hue = [](int ha, int hb, bool long_way, double t) {
    return InterpolateHLS(THLSInt{ha, 128, 256}, THLSInt{hb, 128, 256}, long_way, t).hue;
  };
  // d = 127 < 128 is the short gap: 0..127 direct, the long way from 256 down.
  EXPECT_EQ(hue(0, 127, false, 0.5), 64);   // 63.5 -> 64
  EXPECT_EQ(hue(0, 127, true, 0.5), 192);   // (256 + 127) / 2 = 191.5 -> 192
  // d = 128 already counts as the long gap: the short way goes round from 256.
  EXPECT_EQ(hue(0, 128, false, 0.5), 192);  // (256 + 128) / 2
  EXPECT_EQ(hue(0, 128, true, 0.5), 64);
  // Exact halves of the hue go to the even neighbour.
  EXPECT_EQ(hue(251, 254, false, 0.5), 252);  // 252.5
  EXPECT_EQ(hue(0, 1, false, 0.5), 0);        // 0.5
  EXPECT_EQ(hue(0, 1, true, 0.5), 128);       // (256 + 1) / 2 = 128.5
  // Equal hues: B is lifted by a full turn (A >= B), so the short way stays put
  // and the long way runs once round the circle.
  for (double t : {0.0, 0.3, 0.5, 1.0}) EXPECT_EQ(hue(100, 100, false, t), 100);
  EXPECT_EQ(hue(100, 100, true, 0.5), 228);
  EXPECT_EQ(hue(100, 100, true, 1.0), 100);  // 356 mod 256
  // A >= B lifts B: 200 -> 10 short is 200 .. 266, through 0.
  EXPECT_EQ(hue(200, 10, false, 0.5), 233);
  EXPECT_EQ(hue(200, 10, false, 1.0), 10);
}

TEST(InterpolateHLS, NegativeHueKeepsItsSignThroughTheRemainder) {
  // A red-dominant end with blue above green has a negative hue (-21); on the
  // short way to hue 10 the rounded value stays negative near t = 0 and the
  // remainder keeps its sign.
  const THLSInt a = RGBToHLS({255, 0, 128});
  ASSERT_EQ(a.hue, -21);
  const THLSInt b{10, 128, 256};
  EXPECT_EQ(InterpolateHLS(a, b, false, 0).hue, -21);
  EXPECT_EQ(InterpolateHLS(a, b, false, 1).hue, 10);
  EXPECT_EQ(InterpolateHLS(a, b, true, 0).hue, 235);  // d = 31 < 128: the long way lifts A
  // HLSToRGB brings the negative hue back into the circle (blue at hue
  // -21/255 - 1/3 + 1): the channels are 255.498, 0.502 and 126.500023.
  ExpectRGB(HLSToRGB(InterpolateHLS(a, b, false, 0)), 255, 1, 127);
}
