// The legend's layout and letters: every channel name and number can be
// written, texts stay inside the panel and apart, values climb with the bar.
#include "render/legend_math.h"

#include <gtest/gtest.h>

#include "data/data_channels.h"

namespace {

bool Overlap(const TLegendRect& a, const TLegendRect& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

TLegendRect BoxOf(const TLegendText& t, int32_t s) {
  return {t.x, t.y, t.x + TextWidth(t.text, s), t.y + kGlyphHeight * s};
}

int64_t Area(const std::vector<TLegendRect>& rs) {
  int64_t a = 0;
  for (const TLegendRect& r : rs) a += static_cast<int64_t>(r.x1 - r.x0) * (r.y1 - r.y0);
  return a;
}

}  // namespace

TEST(LegendMath, EveryChannelNameAndNumberHasItsGlyphs) {
  for (int ch = 0; ch < 10; ++ch) {
    const std::string name = DataChannelName(ch);
    ASSERT_FALSE(name.empty()) << ch;
    for (char c : name) {
      if (c != ' ') {
        EXPECT_NE(GlyphRows(c), nullptr) << "'" << c << "' of " << name;
      }
    }
  }
  for (double x : {-1.5e-7, 3.25e12, -0.001234, 987654.0})
    for (char c : FormatLegendNumber(x)) EXPECT_NE(GlyphRows(c), nullptr) << "'" << c << "' of " << x;
  EXPECT_EQ(GlyphRows('?'), nullptr);
}

// The lit pixels of "1" (10 in its 5 x 7 glyph) at scales 1 and 3; an unknown
// character is blank but takes its place.
TEST(LegendMath, TextPixelsFollowTheGlyphs) {
  EXPECT_EQ(Area(TextPixels({0, 0, "1"}, 1)), 10);
  EXPECT_EQ(Area(TextPixels({0, 0, "1"}, 3)), 90);
  EXPECT_EQ(Area(TextPixels({0, 0, "?"}, 1)), 0);
  const std::vector<TLegendRect> one = TextPixels({10, 20, "1"}, 2), shifted = TextPixels({10, 20, "?1"}, 2);
  ASSERT_EQ(one.size(), shifted.size());
  for (size_t i = 0; i < one.size(); ++i) {
    EXPECT_EQ(shifted[i].x0, one[i].x0 + 12);
    EXPECT_EQ(shifted[i].y0, one[i].y0);
  }
  // The top row of "1" (one pixel at column 2) lies at the top of the glyph box.
  const std::vector<TLegendRect> px = TextPixels({0, 0, "1"}, 1);
  EXPECT_EQ(px.front().x0, 2);
  EXPECT_EQ(px.front().y0, kGlyphHeight - 1);
  EXPECT_EQ(TextWidth("12", 2), 22);
}

TEST(LegendMath, LayoutStaysInThePanelWithTextsApart) {
  struct Case {
    int32_t w, h;
    double min, max;
    const char* name;
  } cases[] = {{80, 80, 0, 1, "Y"},
               {320, 320, -1.25, 3.5, "Velocity"},
               {512, 512, -0.001, 0.001, "(Kmin + Kmax)/2"},
               {1280, 1024, -12345, 98765, "K max"},
               {200, 900, 1e-9, 2e-9, "Aux"}};
  for (const Case& c : cases) {
    const TLegendLayout l = LayoutLegend(c.w, c.h, c.min, c.max, c.name);
    ASSERT_TRUE(l.fits) << c.w << "x" << c.h;
    EXPECT_EQ(l.scale, std::max(1, c.h / 256));
    EXPECT_GT(l.bar.x0, c.w / 2);
    EXPECT_LE(l.bar.x1, c.w);
    EXPECT_GE(l.bar.y0, 0);
    EXPECT_LE(l.bar.y1, c.h);
    EXPECT_GE(l.bar.y1 - l.bar.y0, c.h / 2 - 1);
    ASSERT_EQ(l.texts.size(), static_cast<size_t>(kLegendValues + 1));
    EXPECT_EQ(l.texts.front().text, FormatLegendNumber(c.min));
    EXPECT_EQ(l.texts[kLegendValues - 1].text, FormatLegendNumber(c.max));
    EXPECT_EQ(l.texts.back().text, c.name);
    for (size_t i = 0; i < l.texts.size(); ++i) {
      const TLegendRect b = BoxOf(l.texts[i], l.scale);
      EXPECT_GE(b.y0, 0);
      EXPECT_LE(b.y1, c.h);
      EXPECT_LE(b.x1, c.w);
      EXPECT_FALSE(Overlap(b, l.bar)) << l.texts[i].text;
      for (size_t j = i + 1; j < l.texts.size(); ++j)
        EXPECT_FALSE(Overlap(b, BoxOf(l.texts[j], l.scale))) << l.texts[i].text << " / " << l.texts[j].text;
      if (i > 0 && i < kLegendValues) {
        EXPECT_GT(l.texts[i].y, l.texts[i - 1].y);
      }
    }
    for (const TLegendRect& t : l.ticks) EXPECT_EQ(t.x1, l.bar.x0);
  }
  EXPECT_FALSE(LayoutLegend(79, 500, 0, 1, "X").fits);
  EXPECT_FALSE(LayoutLegend(500, 40, 0, 1, "X").fits);
}
