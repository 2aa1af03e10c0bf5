// The colour map, log scale, unit and blend of the "Data" tab chosen in the
// window: the frame and the legend follow them, and the range typed stays.
#include <QComboBox>
#include <algorithm>
#include <cmath>
#include <string>

#include "data/colour_maps.h"
#include "data/data_channels.h"
#include "data/render_state.h"
#include "render/legend_gl.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

class ColourMapTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
    ASSERT_EQ(form->state.mesh.vertex_count, 4098);
    // Y of the unit sphere with its legend, on a white unlit surface without
    // texture: the data pass shows the map's texels as they are.
    form->cbshtexture->SetChecked(false);
    form->cb_lighting->SetChecked(false);
    form->sh_diffuse->SetColor(MakeColor(255, 255, 255));
    form->cbTexData->SetChecked(true);
    form->rbpy->SetChecked(true);
    form->cb_legend->SetChecked(true);
  }
  // A choice in the list as the user makes it.
  void ChooseMap(const char* name) {
    const int i = form->cb_colour_map->findText(name);
    ASSERT_GE(i, 0) << name;
    form->cb_colour_map->setCurrentIndex(i);
    form->cb_colour_map->activated(i);  // the signal of a user's choice
  }
  TLegendLayout Legend(const TPanelImage& img) const {
    const TRange r = form->state.mesh.data_range[form->state.frame.data_channel];
    return LegendLayoutFor(img.Width(), img.Height(), r.min, r.max, form->ShownLegendTitle(),
                           form->state.frame.data_log_floor);
  }
  // Rows of the view's middle column on the surface whose colour lies in the
  // upper half of the Viridis map (its green rises all along it).
  static int UpperHalfRows(const TPanelImage& img, int32_t background) {
    const int x = img.Width() / 2;
    const int mid_green = TabledMapTexels(kMapViridis)[3 * 128 + 1];
    int n = 0;
    for (int y = 0; y < img.Height(); ++y) n += !img.IsColour(x, y, background, 2) && img.At(x, y).g > mid_green;
    return n;
  }
};

std::string Show(const TRgb& p) { return std::to_string(p.r) + " " + std::to_string(p.g) + " " + std::to_string(p.b); }

bool NearTexel(const TRgb& p, const TColourMapTexels& t, int i, int tol) {
  return std::abs(p.r - t[3 * i]) <= tol && std::abs(p.g - t[3 * i + 1]) <= tol && std::abs(p.b - t[3 * i + 2]) <= tol;
}

// Whether row k of a bar bar_h rows high shows the map's texel there (or a
// neighbour, where the nearest-texel lookup falls on a boundary).
bool BarShows(const TRgb& p, const TColourMapTexels& t, int k, int bar_h) {
  const int texel = std::min(255, (2 * k + 1) * 256 / (2 * bar_h));
  for (int i = std::max(0, texel - 1); i <= std::min(255, texel + 1); ++i)
    if (NearTexel(p, t, i, 1)) return true;
  return false;
}

}  // namespace

TEST_F(ColourMapTest, MapLogScaleUnitAndBlendChosenInTheWindowChangeTheFrameAndTheLegend) {
  const int32_t bg = form->sh_background->Color();
  // The default is the ramp of the swatches: the legend's bar starts aqua.
  ASSERT_EQ(form->cb_colour_map->currentText(), "Min to Max");
  const TPanelImage ramp(*form);
  TLegendLayout l = Legend(ramp);
  const int xm = (l.bar.x0 + l.bar.x1) / 2;
  const int bar_h = l.bar.y1 - l.bar.y0;
  const TColourMapTexels ramp_map = ColourMapTexels(TRenderStateControls());
  EXPECT_TRUE(BarShows(ramp.At(xm, l.bar.y0), ramp_map, 0, bar_h)) << Show(ramp.At(xm, l.bar.y0));

  EXPECT_TRUE(form->sh_datamin->isEnabled());
  // Viridis: the bar and the surface run from its dark violet to its yellow;
  // the swatches and "Long", which shape only the ramp, are greyed.
  ChooseMap("Viridis");
  EXPECT_FALSE(form->sh_datamin->isEnabled());
  EXPECT_FALSE(form->sh_datamax->isEnabled());
  EXPECT_FALSE(form->cblong->isEnabled());
  const TColourMapTexels viridis = TabledMapTexels(kMapViridis);
  const TPanelImage vir(*form);
  for (const int k : {0, bar_h / 2, bar_h - 1})
    EXPECT_TRUE(BarShows(vir.At(xm, l.bar.y0 + k), viridis, k, bar_h)) << k << ": " << Show(vir.At(xm, l.bar.y0 + k));
  int lowest = 0, highest = 0;
  vir.ColumnExtent(vir.Width() / 2, bg, lowest, highest);
  ASSERT_GT(highest - lowest, vir.Height() / 3);
  EXPECT_TRUE(NearTexel(vir.At(vir.Width() / 2, lowest), viridis, 0, 12));
  EXPECT_TRUE(NearTexel(vir.At(vir.Width() / 2, highest), viridis, 255, 12));

  // A typed range holds through the choices; log scale from 0.01 to 1 puts
  // the map's middle at y = 0.1 instead of y = 0.505: many more rows above it.
  TypeInto(form->eddmin, "0.01");
  TypeInto(form->eddmax, "1");
  QTest::keyClick(form->eddmax, Qt::Key_Return);
  const int linear_rows = UpperHalfRows(TPanelImage(*form), bg);
  form->cb_log_scale->SetChecked(true);
  EXPECT_EQ(form->eddmin->Text(), "0.01");
  EXPECT_EQ(form->eddmax->Text(), "1");
  EXPECT_DOUBLE_EQ(form->state.frame.data_log_floor, 0.01);
  const TPanelImage logged(*form);
  EXPECT_GT(UpperHalfRows(logged, bg), linear_rows * 3 / 2) << linear_rows;
  l = Legend(logged);
  EXPECT_EQ(l.texts[2].text, "0.1");  // the middle of the bar
  EXPECT_EQ(l.texts.back().text, "Y, log");

  // The unit typed goes into the title (the batch test sees it drawn).
  TypeInto(form->ed_data_unit, "m");
  QTest::keyClick(form->ed_data_unit, Qt::Key_Return);
  EXPECT_EQ(form->ShownLegendTitle(), "Y [m], log");

  // "Reset" is the automatic range: the data's own, still on the log scale
  // (min below zero: the floor is the smallest positive y of the sphere).
  form->Button5->click();
  EXPECT_EQ(form->eddmin->Text(), "-1");
  EXPECT_GT(form->state.frame.data_log_floor, 0);
  EXPECT_LT(form->state.frame.data_log_floor, 0.1);
  EXPECT_EQ(Legend(TPanelImage(*form)).texts[0].text.rfind("\u2264 ", 0), 0u);

  // Blend with the streaks, texture on: the data colours stay (violet at the
  // bottom, yellow-green at the top) and the streaks show through more
  // strongly than under the 60 % overlay.
  form->cb_log_scale->SetChecked(false);
  form->cbshtexture->SetChecked(true);
  for (int i = 0; i < 30; ++i) form->RequestRedraw();
  auto column_spread = [&](const TPanelImage& img, int y0, int y1) {
    double s = 0, s2 = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = img.Width() / 2 - 20; x < img.Width() / 2 + 20; ++x) {
        const TRgb p = img.At(x, y);
        const double lum = 0.3 * p.r + 0.59 * p.g + 0.11 * p.b;
        s += lum, s2 += lum * lum, ++n;
      }
    return std::sqrt(std::max(0.0, s2 / n - (s / n) * (s / n)));
  };
  const TPanelImage over(*form);
  form->cb_blend_streaks->SetChecked(true);
  for (int i = 0; i < 3; ++i) form->RequestRedraw();
  const TPanelImage blended(*form);
  const int span = highest - lowest;
  const int a = lowest + span / 3, b = highest - span / 3;
  EXPECT_GT(column_spread(blended, a, b), 1.5 * column_spread(over, a, b));
  const TRgb low = blended.At(blended.Width() / 2, lowest + span / 10);
  const TRgb high = blended.At(blended.Width() / 2, highest - span / 10);
  EXPECT_GT(low.b, low.g) << low.r << " " << low.g << " " << low.b;
  EXPECT_GT(high.g, high.b) << high.r << " " << high.g << " " << high.b;
  // The legend's bar is the map itself, not blended.
  l = Legend(blended);
  EXPECT_TRUE(BarShows(blended.At(xm, l.bar.y0), viridis, 0, bar_h)) << Show(blended.At(xm, l.bar.y0));
}
