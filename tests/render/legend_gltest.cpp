// The legend drawn into the frame on an offscreen Mesa context: the bar runs
// through the colour map from "Min" at the bottom to "Max" at the top, the
// texts are written in the ink that stands out from the background, and the
// captured frame texture never holds the legend.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "colorconversion/colorconversion.h"
#include "data/colour_map_gl.h"
#include "data/render_state.h"
#include "render/legend_gl.h"
#include "render/legend_math.h"
#include "support/frame_meshes.h"
#include "support/gl_scene_gl.h"

namespace {

constexpr int kSize = TGLTestScene::kSize;

bool Near(const TPixel& p, const TRGBInt& c, int tol) {
  return std::abs(p.r - c.red) <= tol && std::abs(p.g - c.green) <= tol && std::abs(p.b - c.blue) <= tol;
}

// Pixels of the box within `tol` of the ink, in each of `parts` vertical strips.
std::vector<int> InkInStrips(const std::vector<uint8_t>& px, const TLegendRect& box, int ink, int parts, int tol) {
  std::vector<int> n(static_cast<size_t>(parts), 0);
  for (int y = box.y0; y < box.y1; ++y)
    for (int x = box.x0; x < box.x1; ++x) {
      const TPixel p = TGLTestContext::At(px, kSize, x, y);
      if (std::abs(p.r - ink) <= tol && std::abs(p.g - ink) <= tol && std::abs(p.b - ink) <= tol)
        ++n[static_cast<size_t>((x - box.x0) * parts / (box.x1 - box.x0))];
    }
  return n;
}

}  // namespace

TEST(LegendGL, BarFollowsTheColourMapAndTextsUseTheContrastingInk) {
  struct Case {
    int32_t background;
    int ink;
  } cases[] = {{MakeColor(230, 230, 230), 0}, {MakeColor(10, 20, 40), 255}};
  const TRGBInt lo{0, 255, 255}, hi{255, 0, 0};
  for (const Case& c : cases) {
    TGLTestScene s(frame_meshes::Sphere(0.3, 24, 12), c.background);
    ASSERT_TRUE(s.ctx.Ok());
    SetColourMapParameters();
    BuildColourMap(MakeColor(lo.red, lo.green, lo.blue), MakeColor(hi.red, hi.green, hi.blue), false);
    s.c.shtexture = true;
    TFramePasses p;
    const std::string title = "File: wallShearStress magnitude";  // letters a small hand-made font lacked
    p.legend = [&] { DrawLegend(kSize, kSize, -2, 6, title, c.background); };
    s.Frame(p);
    ASSERT_EQ(TakeGLErrors(), "");
    const std::vector<uint8_t> px = s.Pixels();
    const TLegendLayout l = LegendLayoutFor(kSize, kSize, -2, 6, title);
    const int xm = (l.bar.x0 + l.bar.x1) / 2;
    // Up the bar, the texel of the map at that height (or a neighbour, where
    // the nearest-texel lookup falls on a boundary).
    const TColourMapTexels map =
        ColourMapTexels(MakeColor(lo.red, lo.green, lo.blue), MakeColor(hi.red, hi.green, hi.blue), false);
    const int bar_h = l.bar.y1 - l.bar.y0;
    for (int k : {0, bar_h / 4, bar_h / 2, 3 * bar_h / 4, bar_h - 1}) {
      const TPixel got = s.At(px, xm, l.bar.y0 + k);
      const int texel = std::min(255, (2 * k + 1) * 256 / (2 * bar_h));
      bool near = false;
      for (int t = std::max(0, texel - 1); t <= std::min(255, texel + 1); ++t)
        near = near || Near(got, {map[3 * t], map[3 * t + 1], map[3 * t + 2]}, 1);
      EXPECT_TRUE(near) << "height " << k << ": " << got.r << " " << got.g << " " << got.b;
    }
    // Every text is written in the ink, along its whole width (each fifth of
    // the title holds letters), and nothing but the background stands above
    // the title's box.
    for (const TLegendText& t : l.texts) {
      const std::vector<int> strips = InkInStrips(px, t.box, c.ink, t.text == title ? 5 : 1, 40);
      for (size_t k = 0; k < strips.size(); ++k) EXPECT_GE(strips[k], 10) << t.text << " part " << k;
    }
    const TLegendRect& tb = l.texts.back().box;
    const TLegendRect above{tb.x0, tb.y1 + 2, tb.x1, std::min(kSize, tb.y1 + 8)};
    EXPECT_EQ(InkInStrips(px, above, c.ink, 1, 40)[0], 0);
    // Single letters of every kind are drawn: a title of one capital, one accented letter.
    for (const std::string one : {"F", "Q", "\xC3\xBC"}) {
      TFramePasses q;
      q.legend = [&] { DrawLegend(kSize, kSize, -2, 6, one, c.background); };
      s.Frame(q);
      EXPECT_GE(InkInStrips(s.Pixels(), LegendLayoutFor(kSize, kSize, -2, 6, one).texts.back().box, c.ink, 1, 40)[0],
                10)
          << one;
    }
    // The frame texture was captured before the legend: background there.
    std::vector<uint8_t> tex(static_cast<size_t>(kSize) * kSize * 3);
    glBindTexture(GL_TEXTURE_2D, 8);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, tex.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(Near(TGLTestContext::At(tex, kSize, xm, (l.bar.y0 + l.bar.y1) / 2), SplitColor(c.background), 0));
    // Without the pass the same place shows the background.
    s.Frame();
    EXPECT_TRUE(Near(s.At(s.Pixels(), xm, (l.bar.y0 + l.bar.y1) / 2), SplitColor(c.background), 0));
  }
}
