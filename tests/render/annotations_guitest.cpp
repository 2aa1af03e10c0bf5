// The annotations of a frame, as the command line writes them: the axes
// triad turns with the view, and the time is written only for data with time
// steps, each only when asked for.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <cmath>

#include "render/annotation_math.h"
#include "support/batch_process.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

// An axis seen side-on pointing right, or end-on (towards or away from the viewer).
enum class TAxisSeen { Right, Short };

// How far from the triad's centre pixels of the axis colour `c` (0 x red,
// 1 y green, 2 z blue) reach, and towards where.
struct TReach {
  double distance = 0, dx = 0, dy = 0;  // y up
};

TReach ReachOf(const QImage& picture, int c, int cx, int cy, int radius) {
  TReach r;
  for (int y = std::max(0, cy - radius); y <= std::min(picture.height() - 1, cy + radius); ++y)
    for (int x = std::max(0, cx - radius); x <= std::min(picture.width() - 1, cx + radius); ++x) {
      const QRgb p = picture.pixel(x, picture.height() - 1 - y);
      const int red = qRed(p), green = qGreen(p), blue = qBlue(p);
      const bool hit = c == 0   ? red > 170 && green < 100 && blue < 100
                       : c == 1 ? green > 120 && red < 90 && blue < 110
                                : blue > 170 && red < 110 && green < 150;
      const double d = std::hypot(x - cx, y - cy);
      if (hit && d > r.distance) r = {d, double(x - cx), double(y - cy)};
    }
  return r;
}

// Pixels darker than the grey background in the upper-left corner.
int InkInCorner(const QImage& picture) {
  int ink = 0;
  for (int y = 0; y < picture.height() / 6; ++y)
    for (int x = 0; x < picture.width() / 3; ++x) ink += qGray(picture.pixel(x, y)) < 100;
  return ink;
}

}  // namespace

TEST(Annotations, TheTriadTurnsWithTheViewAndTheTimeShowsOnlyForTimeSteps) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString series = QString(FLOWSKIN_FUZZ_DIR) + "/../formats/corpus/foam/VTK/blocks.vtm.series";
  const struct {
    const char* name;
    QString mesh;
    QStringList args;
    bool axes;
    TAxisSeen x, z;  // y points up in each of these views; z right when looking along +x
    bool time;
  } rows[] = {
      {"plain", Example("torus_flow.ply"), {}, false, {}, {}, false},
      {"along -z",
       Example("torus_flow.ply"),
       {"--set", "cb_show_axes=1"},
       true,
       TAxisSeen::Right,
       TAxisSeen::Short,
       false},
      {"along +x",
       Example("torus_flow.ply"),
       {"--set", "cb_show_axes=1", "--view", "+x"},
       true,
       TAxisSeen::Short,
       TAxisSeen::Right,
       false},
      {"no time steps", Example("torus_flow.ply"), {"--set", "cb_show_time=1"}, false, {}, {}, false},
      {"time steps, not asked", series, {}, false, {}, {}, false},
      {"time steps", series, {"--set", "cb_show_time=1"}, false, {}, {}, true},
  };
  const int w = 320, h = 240;
  const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const TTriadLayout t = LayoutTriad(w, h, identity);
  ASSERT_TRUE(t.fits);
  for (const auto& row : rows) {
    const QString path = dir.filePath(QString(row.name).replace(' ', '_') + ".png");
    const TRun r = RunFlowskin(QStringList{row.mesh, "--size", "320x240", "--warmup", "2", "-o", path} + row.args);
    ASSERT_EQ(r.status, 0) << row.name << ": " << r.err.toStdString();
    const QImage picture(path);
    const int radius = t.length + t.font_pixels;
    const TReach x = ReachOf(picture, 0, t.centre_x, t.centre_y, radius);
    const TReach y = ReachOf(picture, 1, t.centre_x, t.centre_y, radius);
    const TReach z = ReachOf(picture, 2, t.centre_x, t.centre_y, radius);
    if (!row.axes) {
      EXPECT_EQ(x.distance + y.distance + z.distance, 0) << row.name;
    } else {
      EXPECT_GT(y.dy, 0.8 * t.length) << row.name;  // up, to its letter
      EXPECT_LT(std::fabs(y.dx), 0.3 * t.length) << row.name;
      for (const auto& [reach, seen, axis] : {std::tuple{x, row.x, "x"}, std::tuple{z, row.z, "z"}}) {
        if (seen == TAxisSeen::Right) {
          EXPECT_GT(reach.dx, 0.8 * t.length) << row.name << " " << axis;
          EXPECT_LT(std::fabs(reach.dy), 0.3 * t.length) << row.name << " " << axis;
        } else {
          EXPECT_LT(reach.distance, 0.4 * t.length + 0.6 * t.font_pixels) << row.name << " " << axis;  // its letter
        }
      }
    }
    if (row.time)
      EXPECT_GT(InkInCorner(picture), 20) << row.name;
    else
      EXPECT_EQ(InkInCorner(picture), 0) << row.name;
  }
}

// The "Axes" box of the window: a click shows the triad in the frame on
// screen (and in what is saved of it), another takes it away.
TEST_F(FormTest, TheAxesBoxShowsTheTriadInTheFrame) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (const bool on : {true, false}) {
    QTest::mouseClick(form->cb_show_axes, Qt::LeftButton, {}, QPoint(6, form->cb_show_axes->height() / 2));
    ASSERT_EQ(form->cb_show_axes->Checked(), on);
    form->RequestRedraw();
    const QImage frame = form->GrabFrameBitmap();
    const TTriadLayout t = LayoutTriad(frame.width(), frame.height(), identity);
    const TReach x = ReachOf(frame, 0, t.centre_x, t.centre_y, t.length + t.font_pixels);
    if (on)
      EXPECT_GT(x.dx, 0.8 * t.length);
    else
      EXPECT_EQ(x.distance, 0);
  }
}
