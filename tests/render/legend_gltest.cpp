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

int CountInk(const std::vector<uint8_t>& px, const TLegendText& t, int32_t scale, int ink) {
  int n = 0;
  for (const TLegendRect& r : TextPixels(t, scale))
    for (int y = r.y0; y < r.y1; ++y)
      for (int x = r.x0; x < r.x1; ++x) {
        const TPixel p = TGLTestContext::At(px, kSize, x, y);
        n += p.r == ink && p.g == ink && p.b == ink;
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
    p.legend = [&] { DrawLegend(kSize, kSize, -2, 6, "Velocity", c.background); };
    s.Frame(p);
    ASSERT_EQ(TakeGLErrors(), "");
    const std::vector<uint8_t> px = s.Pixels();
    const TLegendLayout l = LayoutLegend(kSize, kSize, -2, 6, "Velocity");
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
    for (const TLegendText& t : l.texts) {
      const int lit = static_cast<int>(TextPixels(t, l.scale).size());
      EXPECT_GT(lit, 0) << t.text;
      EXPECT_EQ(CountInk(px, t, l.scale, c.ink), [&] {
        int area = 0;
        for (const TLegendRect& r : TextPixels(t, l.scale)) area += (r.x1 - r.x0) * (r.y1 - r.y0);
        return area;
      }()) << t.text;
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
