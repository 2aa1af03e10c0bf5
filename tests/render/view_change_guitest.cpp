// What the view shows after it is turned, zoomed or panned: the surface keeps
// its own streaks (nothing of the old view stays on it), with "Run" up the
// window goes on drawing until the streaks are back, and a texture wider
// than the panel holds nothing undefined beyond it.
#include <GL/gl.h>

#include <QOpenGLContext>
#include <QTemporaryDir>

#include "advection/capture_gl.h"
#include "colorconversion/colorconversion.h"
#include "output/picture_measures.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

struct TDrag {
  const char* name;
  Qt::MouseButton button;
  QPoint from, to;
};

// A left drag turns, a right drag zooms, a middle drag pans (one event per
// few pixels, as a hand does).
const TDrag kDrags[] = {
    {"turn 40 degrees", Qt::LeftButton, {150, 200}, {190, 200}},
    {"tilt 30 degrees", Qt::LeftButton, {150, 200}, {150, 170}},
    {"zoom in", Qt::RightButton, {150, 300}, {150, 240}},
    {"pan", Qt::MiddleButton, {150, 200}, {250, 260}},
};

class ViewChangeTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
    ASSERT_GT(form->state.mesh.vertex_count, 0);
  }
  void Drag(const TDrag& d) {
    TGLPanel* panel = form->GLPanel1;
    QTest::mousePress(panel, d.button, {}, d.from);
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(panel, d.from + (d.to - d.from) * i / 4);
    QTest::mouseRelease(panel, d.button, {}, d.to);
  }
  TTextureMeasures Shown() { return MeasurePicture(form->GrabFrameBitmap()); }
};

}  // namespace

// The share of the surface's pixels (those not of the red background) that
// are reddish: pieces of an old view's background carried onto the surface.
double RedOnTheSurface(const QImage& frame) {
  const QImage img = frame.convertToFormat(QImage::Format_RGB888);
  int64_t surface = 0, red = 0;
  for (int y = 0; y < img.height(); ++y) {
    const uchar* row = img.constScanLine(y);
    for (int x = 0; x < img.width(); ++x) {
      const uchar* p = row + 3 * x;
      if (p[0] == 255 && p[1] == 0 && p[2] == 0) continue;
      ++surface;
      red += p[0] > p[1] + 60;
    }
  }
  return surface ? double(red) / surface : 0;
}

// After the view is turned, zoomed or panned, the surface shows its own
// texture, taken with it from where the last frame showed each point, and
// nothing of what the old view showed at its new place (here the red
// background around the old silhouette).
TEST_F(ViewChangeTest, AViewChangeLeavesNothingOfTheOldViewOnTheSurface) {
  form->sh_background->SetColor(MakeColor(255, 0, 0));
  for (const TDrag& d : kDrags) {
    SCOPED_TRACE(d.name);
    form->Button18->Click();  // "Reset View"
    for (int i = 0; i < 40; ++i) form->RunLoopFrame();
    EXPECT_LT(RedOnTheSurface(form->GrabFrameBitmap()), 0.01);  // the silhouette's edge
    Drag(d);
    // The parts the old view saw edge-on or not at all have no texture of
    // their own yet: a few per cent at most (looked up where the new view
    // puts them, a turn of 40 degrees gave about 30 per cent).
    EXPECT_LT(RedOnTheSurface(form->GrabFrameBitmap()), 0.04);
  }
}

// With "Run" up, a turn is followed by the frames the streaks need; "Save
// image" at once draws those still owed and writes streaks, and the view
// afterwards shows what was written.
TEST_F(ViewChangeTest, APictureSavedRightAfterATurnWithRunUpShowsStreaks) {
  QTemporaryDir dir;
  form->settle_after_changes = true;
  form->RequestRedraw();
  form->sh_background->SetColor(MakeColor(255, 0, 0));
  Settle();
  const TTextureMeasures settled = Shown();
  Drag(kDrags[0]);
  EXPECT_GT(form->SettleFramesOwed(), 10);
  const int64_t drawn = form->diag.frames_drawn;
  dialogs.file_answers.push_back(dir.filePath("turned.png"));
  form->but_save_pic->Click();
  EXPECT_EQ(form->SettleFramesOwed(), 0);
  EXPECT_GT(form->diag.frames_drawn, drawn + 10);
  const QImage saved(dir.filePath("turned.png"));
  const TTextureMeasures m = MeasurePicture(saved);
  EXPECT_GT(m.coherence, 0.5);
  EXPECT_GT(m.coherence, 0.85 * settled.coherence);
  EXPECT_LT(RedOnTheSurface(saved), 0.01);
  EXPECT_EQ(saved, form->GrabFrameBitmap().convertToFormat(saved.format()));
  // The window draws them by itself too, one per turn of the event loop.
  form->Button18->Click();
  EXPECT_GT(form->SettleFramesOwed(), 10);
  Settle();
  EXPECT_GT(Shown().coherence, 0.5);
}

// A panel of 300 x 200 gets a frame texture of 512 x 256: the texels beyond
// the panel, which no frame writes, start at the noise's mean grey.
TEST_F(ViewChangeTest, TexelsBeyondThePanelStartGrey) {
  TypeInto(form->ed_winw, "300");
  TypeInto(form->ed_winh, "200");
  QTest::keyClick(form->ed_winw, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->GLPanel1->Width() == 300 && form->GLPanel1->Height() == 200; }, 3000));
  form->RunLoopFrame();
  ASSERT_TRUE(form->GLPanel1->RenderContext()->makeCurrent(form->GLPanel1));
  glBindTexture(GL_TEXTURE_2D, kFrameTexture);
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  ASSERT_EQ(QSize(w, h), QSize(512, 256));
  std::vector<uint8_t> texels(size_t(w) * h * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  int64_t beyond = 0, grey = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (x < 300 && y < 200) continue;
      const uint8_t* p = &texels[(size_t(y) * w + x) * 3];
      ++beyond;
      grey += p[0] == 128 && p[1] == 128 && p[2] == 128;
    }
  EXPECT_EQ(grey, beyond);
}
