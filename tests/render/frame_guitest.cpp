// Frames of the window with a mesh loaded: what the panel shows (read back
// from the back buffer), which display lists a frame recompiles, the Run
// loop, the light controls, the margin and the full-window commands.
#include <QRegularExpression>
#include <QTimer>
#include <cmath>

#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "support/run_loop_stopper.h"

namespace {

class FrameTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
    ASSERT_EQ(form->state.mesh.vertex_count, 4098);
  }
  // "Overlay with data" with the "Y" channel.
  void ShowYData() {
    form->cbTexData->SetChecked(true);
    form->rbpy->SetChecked(true);
  }
  int32_t Background() const { return form->sh_background->Color(); }
};

// Hue class of a pixel for the colour-map checks.
bool Reddish(const TRgb& p) { return p.r > p.g + 30 && p.r > p.b + 30; }
bool Aqua(const TRgb& p) { return p.g > p.r + 30 && p.b > p.r + 30; }

}  // namespace

TEST_F(FrameTest, DataOverlayPutsTheMinColourAtTheLowestYAndTheMaxColourAtTheHighest) {
  // Untextured, unlit, white material: the data pass shows the map's colours as they are.
  form->cbshtexture->SetChecked(false);
  form->cb_lighting->SetChecked(false);
  form->sh_diffuse->SetColor(MakeColor(255, 255, 255));
  ShowYData();
  const TPanelImage img(*form);
  const int x = img.Width() / 2;
  int lowest = 0, highest = 0;
  img.ColumnExtent(x, Background(), lowest, highest);
  ASSERT_GT(highest - lowest, img.Height() / 3);
  // The silhouette rows lie a little below the poles (norm_value about 0.01
  // and 0.99): a few map steps from the end colours.
  EXPECT_TRUE(img.IsColour(x, lowest, form->sh_datamin->Color(), 10));
  EXPECT_TRUE(img.IsColour(x, highest, form->sh_datamax->Color(), 10));
  // Half way up, hue half way round: short way through yellow-green, the long
  // way through violet.
  const int mid = (lowest + highest) / 2;
  TRgb p = img.At(x, mid);
  EXPECT_GT(p.g, p.b + 60);
  form->cblong->SetChecked(true);
  const TPanelImage long_way(*form);
  p = long_way.At(x, mid);
  EXPECT_GT(p.b, p.g + 60);
}

TEST_F(FrameTest, DefaultViewShowsTheDataOverlayFromAquaToLightRed) {
  // Texture and lighting on, as at start: the data colours are blended over
  // the textured surface.
  ShowYData();
  for (int i = 0; i < 5; ++i) form->RequestRedraw();
  const TPanelImage img(*form);
  const int x = img.Width() / 2;
  int lowest = 0, highest = 0;
  img.ColumnExtent(x, Background(), lowest, highest);
  ASSERT_GT(highest - lowest, img.Height() / 3);
  const int span = highest - lowest;
  EXPECT_TRUE(Aqua(img.At(x, lowest + span / 8)));
  EXPECT_TRUE(Reddish(img.At(x, highest - span / 8)));
}

TEST_F(FrameTest, ShadedSphereFillsTheDiscOfTheDefaultView) {
  // Default focal length: the unit sphere's box diagonal spans the viewport
  // width, so the disc's radius is about width / (2 sqrt 3) pixels.
  const TPanelImage img(*form);
  const int x = img.Width() / 2;
  int lowest = 0, highest = 0;
  img.ColumnExtent(x, Background(), lowest, highest);
  const double expected = img.Width() / std::sqrt(3.0);
  EXPECT_NEAR(highest - lowest + 1, expected, 0.04 * expected);
  EXPECT_NEAR((highest + lowest) / 2.0, img.Height() / 2.0, 3);
  // Lit: the upper half facing the light is brighter than the lower half.
  const TRgb up = img.At(x, highest - (highest - lowest) / 5);
  const TRgb down = img.At(x, lowest + (highest - lowest) / 5);
  EXPECT_GT(up.r + up.g + up.b, down.r + down.g + down.b + 30);
  EXPECT_TRUE(img.IsColour(2, 2, Background()));
}

TEST_F(FrameTest, RunWithRotateTurnsTheViewRecompilingOnlyTheSurfaceList) {
  form->ud_rotate->SetPosition(5);
  const TListCompileCounts before = form->diag.list_compiles;
  const int64_t frames = form->diag.frames_drawn;
  QString rate;  // the frame-rate label while the loop runs (set every tenth frame)
  const TRunLoopStopper stopper(
      *form, [&] { return form->state.frame.frame_counter >= 12; },
      [&] {
        rate = form->lab_fps->text();
        QTest::mouseClick(form->sb_animate, Qt::LeftButton);
      });
  QTest::mouseClick(form->sb_animate, Qt::LeftButton);  // returns when the loop ends
  EXPECT_FALSE(form->sb_animate->Down());
  const int loop_frames = form->state.frame.frame_counter;
  ASSERT_GE(loop_frames, 10);
  EXPECT_DOUBLE_EQ(form->state.view.rot_y, 0.5 * loop_frames);
  const TListCompileCounts& after = form->diag.list_compiles;
  const int64_t drawn = form->diag.frames_drawn - frames;
  EXPECT_EQ(after.shading, before.shading);
  EXPECT_EQ(after.overlay, before.overlay);
  EXPECT_GE(after.surface - before.surface, loop_frames - 1);  // every frame after the first turn
  EXPECT_LE(after.surface - before.surface, drawn);
  EXPECT_EQ(after.captures - before.captures, drawn);  // the texture streams every frame
  // Frame rate every tenth frame while the loop runs; cleared when it stops.
  const QRegularExpression fps("^\\d+ x \\d+: (\\d+\\.\\d|INF) fps  $");
  EXPECT_TRUE(fps.match(rate).hasMatch()) << rate.toStdString();
  EXPECT_TRUE(rate.startsWith(QString("%1 x %2: ").arg(form->GLPanel1->Width()).arg(form->GLPanel1->Height())));
  EXPECT_EQ(form->lab_fps->text(), "fps  ");
  for (int i = 0; i < 10; ++i) form->RequestRedraw();  // idle frames measure no rate
  EXPECT_EQ(form->lab_fps->text(), "fps  ");
  // A request afterwards recompiles all three lists.
  form->RequestRedraw();
  EXPECT_TRUE(form->diag.last_frame.compiled_surface);
  EXPECT_TRUE(form->diag.last_frame.compiled_shading);
  EXPECT_TRUE(form->diag.last_frame.compiled_overlay);
}

TEST_F(FrameTest, LightControlsRedrawWithoutRecompilingAndPlaceTheLight) {
  const int64_t frames = form->diag.frames_drawn;
  form->ud_lr_light->SetPosition(0);
  form->ud_ud_light->SetPosition(0);
  EXPECT_EQ(form->diag.frames_drawn, frames + 2);
  EXPECT_FALSE(form->diag.last_frame.compiled_surface);
  EXPECT_FALSE(form->diag.last_frame.compiled_overlay);
  // Directional light along the viewing direction at the camera distance.
  const float* lp = form->state.matrices.light_position;
  const double d = form->state.mesh.box_size * 50 / 35;
  EXPECT_FLOAT_EQ(lp[0], 0.0f);
  EXPECT_FLOAT_EQ(lp[1], 0.0f);
  EXPECT_NEAR(lp[2], d, 1e-4);
  EXPECT_FLOAT_EQ(lp[3], 0.0f);
  form->cb_dir_light->SetChecked(false);  // point light
  EXPECT_EQ(form->diag.frames_drawn, frames + 3);
  EXPECT_FLOAT_EQ(form->state.matrices.light_position[3], 1.0f);
  // With "Add shade to data" a light change counts as a view change, and the
  // frame shades Aux anew: the refreshed data reach every list.
  form->cb_add_shade_to_data->SetChecked(true);
  form->ud_lr_light->SetPosition(20);
  EXPECT_TRUE(form->diag.last_frame.compiled_surface);
  EXPECT_TRUE(form->diag.last_frame.compiled_shading);
}

TEST_F(FrameTest, MarginThatLeavesNoViewportShowsOnlyTheBackground) {
  form->ed_margin->SetText("300");
  QTest::keyClick(form->ed_margin, Qt::Key_Return);
  EXPECT_EQ(form->state.view.margin, 300);
  const TPanelImage empty(*form);
  EXPECT_FALSE(form->diag.last_frame.composed);
  EXPECT_TRUE(empty.IsColour(empty.Width() / 2, empty.Height() / 2, Background()));
  form->ed_margin->SetText("20");
  QTest::keyClick(form->ed_margin, Qt::Key_Return);
  const TPanelImage img(*form);
  EXPECT_TRUE(form->diag.last_frame.composed);
  EXPECT_FALSE(img.IsColour(img.Width() / 2, img.Height() / 2, Background(), 2));
  const int32_t* vp = form->state.matrices.viewport_rect;
  EXPECT_EQ(vp[0], 20);
  EXPECT_EQ(vp[1], 20);
  EXPECT_EQ(vp[2], img.Width() - 40);
  EXPECT_EQ(vp[3], img.Height() - 40);
}

TEST_F(FrameTest, FullWindowHidesThePanelsAndXBringsThemBack) {
  const int w = form->GLPanel1->Width();
  form->Button14->Click();
  EXPECT_FALSE(form->panel_control->isVisible());
  EXPECT_FALSE(form->panel_message->isVisible());
  EXPECT_TRUE(form->Button15->isVisible());
  // The window edits follow the drawing area once its resize arrives.
  const auto follows = [&] { return form->ed_winw->Text() == QString::number(form->GLPanel1->Width()); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->GLPanel1->Width() > w && follows(); }, 2000));
  form->Button15->Click();
  EXPECT_TRUE(form->panel_control->isVisible());
  EXPECT_TRUE(form->panel_message->isVisible());
  EXPECT_FALSE(form->Button15->isVisible());
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->GLPanel1->Width() == w && follows(); }, 2000));
}

TEST_F(FrameTest, WindowEditsSizeTheDrawingArea) {
  form->ed_winw->SetText("400");
  form->ed_winh->SetText("300");
  QTest::keyClick(form->ed_winw, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->GLPanel1->Width() == 400 && form->GLPanel1->Height() == 300; }, 2000));
  form->RequestRedraw();
  EXPECT_EQ(form->state.view.tex_width, 512);
  EXPECT_EQ(form->state.view.tex_height, 512);
  EXPECT_EQ(form->ed_winh->Text(), "300");
}
