// The colour map, log scale, unit and blend set by name on the batch command
// line show in the picture: the legend's bar runs through the chosen map, its
// title carries the unit, the blend changes the surface, and an unknown map is
// refused with the names that exist.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "data/colour_maps.h"
#include "data/render_state.h"
#include "render/legend_gl.h"
#include "support/batch_process.h"

namespace {

constexpr int kSide = 200;

QString Show(QRgb p) { return QString("%1 %2 %3").arg(qRed(p)).arg(qGreen(p)).arg(qBlue(p)); }

bool Near(QRgb p, int r, int g, int b, int tol) {
  return std::abs(qRed(p) - r) <= tol && std::abs(qGreen(p) - g) <= tol && std::abs(qBlue(p) - b) <= tol;
}

// The picture's pixel at window pixel (x, y) of the legend's layout (origin bottom left).
QRgb At(const QImage& img, int x, int y) { return img.pixel(x, img.height() - 1 - y); }

// Whether row k of a bar bar_h rows high shows the map's texel there (or a
// neighbour, where the nearest-texel lookup falls on a boundary).
bool BarShows(QRgb p, const TColourMapTexels& t, int k, int bar_h) {
  const int texel = std::min(255, (2 * k + 1) * 256 / (2 * bar_h));
  for (int i = std::max(0, texel - 1); i <= std::min(255, texel + 1); ++i)
    if (Near(p, t[3 * i], t[3 * i + 1], t[3 * i + 2], 1)) return true;
  return false;
}

int InkIn(const QImage& img, const TLegendRect& b) {
  int n = 0;
  for (int y = b.y0; y < b.y1; ++y)
    for (int x = b.x0; x < b.x1; ++x) n += Near(At(img, x, y), 0, 0, 0, 40);
  return n;
}

}  // namespace

TEST(BatchColourMap, MapLogScaleUnitAndBlendSetByNameShowInThePicture) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QStringList base = {Example("sphere.ply"),
                            "--size",
                            QString("%1x%1").arg(kSide),
                            "--set",
                            "cbTexData=1",
                            "--set",
                            "rbpy=1",
                            "--set",
                            "cb_legend=1",
                            "--set",
                            "ud_vz=10",
                            "--warmup",
                            "20"};
  const QStringList chosen = {"--set",         "cb_colour_map=cool to warm", "--set", "cb_log_scale=1", "--set",
                              "ed_data_unit=m"};
  const QString plain = dir.filePath("plain.png"), mapped = dir.filePath("mapped.png"),
                blended = dir.filePath("blended.png");
  for (const auto& [args, out] : {std::pair{base, plain}, std::pair{base + chosen, mapped},
                                  std::pair{base + chosen + QStringList{"--set", "cb_blend_streaks=1"}, blended}}) {
    const TRun r = RunFlowskin(args + QStringList{"-o", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
  }
  const QImage p(plain), m(mapped), b(blended);
  ASSERT_EQ(p.size(), QSize(kSide, kSide));
  // The bar: aqua to light red for the default ramp, the cool-to-warm ends when chosen.
  const TLegendLayout lp = LegendLayoutFor(kSide, kSide, -1, 1, "Y");
  const TLegendLayout lm = LegendLayoutFor(kSide, kSide, -1, 1, "Y [m], log", 0.1);
  const int xm = (lp.bar.x0 + lp.bar.x1) / 2;
  const int bar_h = lp.bar.y1 - lp.bar.y0;
  ASSERT_EQ(lm.bar.y1 - lm.bar.y0, bar_h);
  const TColourMapTexels ramp = ColourMapTexels(TRenderStateControls()), cw = TabledMapTexels(kMapCoolWarm);
  for (const int k : {0, bar_h / 2, bar_h - 1}) {
    const int y = lp.bar.y0 + k;
    EXPECT_TRUE(BarShows(At(p, xm, y), ramp, k, bar_h)) << k << ": " << Show(At(p, xm, y)).toStdString();
    for (const QImage* img : {&m, &b})
      EXPECT_TRUE(BarShows(At(*img, xm, y), cw, k, bar_h)) << k << ": " << Show(At(*img, xm, y)).toStdString();
  }
  // The title "Y [m], log" reaches left of where "Y" stood, in ink.
  const TLegendRect plain_title = lp.texts.back().box, title = lm.texts.back().box;
  ASSERT_LT(title.x0, plain_title.x0 - 10);
  const TLegendRect added{title.x0, title.y0, plain_title.x0 - 1, title.y1};
  EXPECT_EQ(InkIn(p, added), 0);
  EXPECT_GT(InkIn(m, added), 10);
  // The blend shows the streaks through the data colour: the surface left of
  // the legend varies much more in lightness than under the 60 % overlay.
  auto spread = [&](const QImage& img) {
    double sum = 0, sum2 = 0;
    int n = 0;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < lm.bar.x0 - 60; ++x) {
        const QRgb q = img.pixel(x, y);
        if (Near(q, 192, 192, 192, 2)) continue;  // the background
        const double lum = 0.3 * qRed(q) + 0.59 * qGreen(q) + 0.11 * qBlue(q);
        sum += lum, sum2 += lum * lum, ++n;
      }
    return n > kSide * kSide / 10 ? std::sqrt(sum2 / n - (sum / n) * (sum / n)) : 0.0;
  };
  EXPECT_GT(spread(b), 1.5 * spread(m)) << spread(m);
  EXPECT_EQ(At(m, xm, (lm.bar.y0 + lm.bar.y1) / 2), At(b, xm, (lm.bar.y0 + lm.bar.y1) / 2));

  const TRun bad = RunFlowskin(base + QStringList{"--set", "cb_colour_map=jet", "-o", dir.filePath("bad.png")});
  EXPECT_NE(bad.status, 0);
  EXPECT_TRUE(bad.err.contains("Viridis") && bad.err.contains("Cool to warm")) << bad.err.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("bad.png")));
}
