// "Contrast" above 1.0 on real data: the streaks are stretched about their
// local mean and laid onto the shading, so the picture's slow light and dark
// still follow the surface's shape, almost nothing is clipped to black or
// white, and the streaks keep their contrast.
#include "output/picture_measures.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

class CrispShapeTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    TypeInto(form->ed_winw, "400");
    TypeInto(form->ed_winh, "300");
    QTest::keyClick(form->ed_winw, Qt::Key_Return);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return form->GLPanel1->Width() == 400 && form->GLPanel1->Height() == 300; }, 3000));
  }
  // The motorbike from three-quarters after `frames` frames of `preset`:
  // the picture, and the same view with the texture off.
  std::pair<QImage, QImage> Pictures(TButton* preset, int frames) {
    LoadThroughDialog(*form, dialogs, ExamplePath("motorbike_wss.vtp"));
    form->Button18->Click();       // "Reset View"
    form->state.view.rot_y -= 45;  // as a drag 45 pixels to the right
    form->state.view.rot_x += 30;  // and 30 down
    form->state.frame.view_changed = true;
    if (preset) preset->Click();
    for (int i = 0; i < frames; ++i) form->RunLoopFrame();
    const QImage picture = form->GrabFrameBitmap();
    form->cbshtexture->SetChecked(false);
    form->RunLoopFrame();
    const QImage shaded = form->GrabFrameBitmap();
    form->cbshtexture->SetChecked(true);
    return {picture, shaded};
  }
};

}  // namespace

TEST_F(CrispShapeTest, CrispKeepsTheShapeAndTheStreaks) {
  const auto [defaults, defaults_shaded] = Pictures(nullptr, 120);
  const TShapeMeasures d = MeasurePictureShape(defaults, defaults_shaded);
  const auto [crisp, crisp_shaded] = Pictures(form->but_crisp, 120);
  const TShapeMeasures c = MeasurePictureShape(crisp, crisp_shaded);
  EXPECT_GT(d.correlation, 0.8);
  EXPECT_GT(c.correlation, 0.8);
  EXPECT_LT(c.clipped, 0.005);
  EXPECT_GT(MeasurePicture(crisp).contrast, 1.3 * MeasurePicture(defaults).contrast);  // streaks stand out
}

// The data overlay keeps its colours through the stretch: "Crisp" over Y on
// the torus is as colourful as the overlay without the stretch.
TEST_F(CrispShapeTest, TheDataOverlayKeepsItsColours) {
  const auto colourfulness = [](const QImage& frame) {
    const QImage img = frame.convertToFormat(QImage::Format_RGB888);
    const QRgb background = img.pixel(0, 0);
    double sum = 0;
    int64_t n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QRgb p = img.pixel(x, y);
        if (p == background) continue;
        sum += std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
        ++n;
      }
    return n ? sum / n : 0.0;
  };
  LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
  form->rbpy->SetChecked(true);
  form->cbTexData->SetChecked(true);
  for (int i = 0; i < 30; ++i) form->RunLoopFrame();
  const double plain = colourfulness(form->GrabFrameBitmap());
  form->but_crisp->Click();
  form->rbpy->SetChecked(true);
  form->cbTexData->SetChecked(true);
  for (int i = 0; i < 60; ++i) form->RunLoopFrame();
  const double crisp = colourfulness(form->GrabFrameBitmap());
  EXPECT_GT(plain, 20);
  EXPECT_GT(crisp, 0.6 * plain);
}
