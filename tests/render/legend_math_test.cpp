// The legend's layout: texts stay inside the panel and apart from each other
// and the bar, values climb with the bar, a long title starts at the panel's
// edge; measured by a stand-in font of fixed advance.
#include "render/legend_math.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "data/colour_maps.h"

namespace {

bool Overlap(const TLegendRect& a, const TLegendRect& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// 0.6 of the pixel size per character, ascent 0.8 and descent 0.25 of it.
TLegendFont FixedFont(int32_t w, int32_t h) {
  const int32_t px = LegendFontPixels(w, h);
  TLegendFont f;
  f.width = [px](const std::string& s) { return static_cast<int32_t>(s.size()) * px * 6 / 10; };
  f.ascent = px * 8 / 10;
  f.descent = px / 4;
  return f;
}

}  // namespace

TEST(LegendMath, LayoutStaysInThePanelWithTextsApart) {
  struct Case {
    int32_t w, h;
    double min, max;
    const char* title;
  } cases[] = {{80, 80, 0, 1, "Y"},
               {320, 320, -1.25, 3.5, "Velocity"},
               {512, 512, -0.001, 0.001, "(Kmin + Kmax)/2"},
               {1280, 1024, -12345, 98765, "wallShearStress magnitude"},
               {200, 900, 1e-9, 2e-9, "a title far wider than the panel it stands in"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const TLegendFont font = FixedFont(c.w, c.h);
    const TLegendLayout l = LayoutLegend(c.w, c.h, c.min, c.max, c.title, font);
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
    EXPECT_EQ(l.texts.back().text, c.title);
    const bool wide = font.width(c.title) > l.bar.x1 - 2 * l.scale;
    for (size_t i = 0; i < l.texts.size(); ++i) {
      const TLegendRect& b = l.texts[i].box;
      EXPECT_EQ(b.x1 - b.x0, font.width(l.texts[i].text));
      EXPECT_EQ(b.y1 - b.y0, font.ascent + font.descent);
      EXPECT_EQ(l.texts[i].baseline, b.y0 + font.descent);
      EXPECT_GE(b.y0, 0);
      EXPECT_LE(b.y1, c.h);
      EXPECT_GE(b.x0, 0);
      if (i + 1 < l.texts.size() || !wide) {
        EXPECT_LE(b.x1, c.w);
      }
      EXPECT_FALSE(Overlap(b, l.bar)) << l.texts[i].text;
      for (size_t j = i + 1; j < l.texts.size(); ++j)
        EXPECT_FALSE(Overlap(b, l.texts[j].box)) << l.texts[i].text << " / " << l.texts[j].text;
      if (i > 0 && i < kLegendValues) {
        EXPECT_GT(l.texts[i].baseline, l.texts[i - 1].baseline);
      }
    }
    // The title ends with the bar, or starts at the panel's edge when it is wider than the room.
    const TLegendRect& t = l.texts.back().box;
    EXPECT_EQ(wide ? t.x0 : t.x1, wide ? 2 * l.scale : l.bar.x1);
    for (const TLegendRect& tick : l.ticks) EXPECT_EQ(tick.x1, l.bar.x0);
  }
  EXPECT_FALSE(LayoutLegend(79, 500, 0, 1, "X", FixedFont(79, 500)).fits);
  EXPECT_FALSE(LayoutLegend(500, 40, 0, 1, "X", FixedFont(500, 40)).fits);
}

TEST(LegendMath, LogScaleValuesSitWhereTheMapPutsThemAndTheFloorIsMarked) {
  // Each row: range, floor (0 linear), the five values written beside the bar.
  struct Row {
    double min, max, floor;
    std::vector<std::string> values;
  } rows[] = {
      {-2, 6, 0, {"-2", "0", "2", "4", "6"}},
      {1, 1e4, 1, {"1", "10", "100", "1e+03", "1e+04"}},
      {0, 1e4, 1, {"\u2264 1", "10", "100", "1e+03", "1e+04"}},  // values at or below 1 show the bottom colour
      {-3, 16, 1, {"\u2264 1", "2", "4", "8", "16"}},
  };
  for (const Row& r : rows) {
    const TLegendLayout l = LayoutLegend(200, 200, r.min, r.max, "p", FixedFont(200, 200), r.floor);
    ASSERT_TRUE(l.fits);
    ASSERT_EQ(l.texts.size(), r.values.size() + 1);
    for (size_t k = 0; k < r.values.size(); ++k) EXPECT_EQ(l.texts[k].text, r.values[k]) << r.min << " " << k;
    // The value at each place of the bar maps back to that place of the colour map.
    for (const double f : {0.0, 0.25, 0.5, 1.0})
      EXPECT_NEAR(MapCoordinate(LegendValue(f, r.min, r.max, r.floor), {r.min, r.max}, r.floor), f, 1e-12);
  }
}

TEST(LegendMath, TitleCarriesTheUnitAndTheScale) {
  EXPECT_EQ(LegendTitle("Y", "", false), "Y");
  EXPECT_EQ(LegendTitle("File: p", "Pa", false), "File: p [Pa]");
  EXPECT_EQ(LegendTitle("File: p", "Pa", true), "File: p [Pa], log");
  EXPECT_EQ(LegendTitle("Velocity", "", true), "Velocity, log");
}
