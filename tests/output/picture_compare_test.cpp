// The picture comparison on real pictures: the streaks and Crisp scenes of
// the baselines as the optimised build drew them (NAME.png), as the Debug
// sanitizer build drew them (NAME_sanitizer.png) and with the texture off
// (NAME_untextured.png, --set cbshtexture=0), all in output/pictures/. Made
// with the command lines of render/baselines/scenes.txt, run in examples/.
// The comparison passes the picture itself and the other build's, and
// fails every wrong picture with a reason that says what is wrong.
#include "output/picture_compare.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <functional>

namespace {

QImage Picture(const QString& name) {
  return QImage(QString(FLOWSKIN_TESTS_DIR) + "/output/pictures/" + name + ".png");
}

// `p` moved by (dx, dy) pixels, the uncovered edge in its background colour.
QImage Shifted(const QImage& p, int dx, int dy) {
  QImage out(p.size(), QImage::Format_RGB888);
  out.fill(p.pixel(0, 0));
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x)
      if (x + dx >= 0 && x + dx < p.width() && y + dy >= 0 && y + dy < p.height())
        out.setPixel(x + dx, y + dy, p.pixel(x, y));
  return out;
}

QImage Darker(const QImage& p, double factor) {
  QImage out = p.convertToFormat(QImage::Format_RGB888);
  for (int y = 0; y < out.height(); ++y) {
    uchar* row = out.scanLine(y);
    for (int i = 0; i < 3 * out.width(); ++i) row[i] = uchar(row[i] * factor + 0.5);
  }
  return out;
}

QImage Blank(const QImage& p) {
  QImage out(p.size(), QImage::Format_RGB888);
  out.fill(p.pixel(0, 0));
  return out;
}

}  // namespace

TEST(PictureCompare, PassesTheSceneFromEitherBuildAndFailsEveryWrongPicture) {
  struct Case {
    const char* what;
    std::function<QImage(const QString& scene, const QImage& baseline)> picture;
    bool same;
    const char* reason;  // part of the verdict's reason
  };
  const Case cases[] = {
      {"the picture itself", [](const QString&, const QImage& b) { return b; }, true, "mean difference 0.00"},
      {"the other build's", [](const QString& s, const QImage&) { return Picture(s + "_sanitizer"); }, true,
       "(at most"},
      {"moved 1 pixel right", [](const QString&, const QImage& b) { return Shifted(b, 1, 0); }, false,
       "mean difference"},
      {"moved 1 pixel up", [](const QString&, const QImage& b) { return Shifted(b, 0, -1); }, false, "mean difference"},
      {"moved 2 pixels left", [](const QString&, const QImage& b) { return Shifted(b, -2, 0); }, false,
       "of the pixels differ by more than"},
      {"moved 3 pixels down", [](const QString&, const QImage& b) { return Shifted(b, 0, 3); }, false,
       "of the pixels differ by more than"},
      {"15 % darker", [](const QString&, const QImage& b) { return Darker(b, 0.85); }, false,
       "% darker than the baseline, over"},
      {"blank", [](const QString&, const QImage& b) { return Blank(b); }, false, "the picture is blank (about #c0c0c0"},
      {"the texture left out", [](const QString& s, const QImage&) { return Picture(s + "_untextured"); }, false,
       "lighter than the baseline"},
      {"half the size", [](const QString&, const QImage& b) { return b.scaled(b.size() / 2); }, false,
       "the picture is 64x64 pixels, the baseline 128x128"},
  };
  for (const QString scene : {"streaks", "crisp"}) {
    const QImage baseline = Picture(scene);
    ASSERT_EQ(baseline.size(), QSize(128, 128)) << scene.toStdString();
    for (const Case& c : cases) {
      SCOPED_TRACE(scene.toStdString() + ", " + c.what);
      const TPictureVerdict v = ComparePictures(c.picture(scene, baseline), baseline);
      EXPECT_EQ(v.same, c.same) << v.reason;
      EXPECT_NE(v.reason.find(c.reason), std::string::npos) << v.reason;
    }
  }
}
