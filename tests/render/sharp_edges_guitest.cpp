// Smooth shading split at sharp edges: a box is shaded one colour per side in
// the window and on the command line, as it is without the split only when
// the feature angle is wider than its edges.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <set>

#include "support/batch_process.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "support/mesh_fixtures.h"

namespace {

constexpr QRgb kBackground = 0xFFC0C0C0;  // the default background

// Distinct colours of the surface's pixels: a few for a box shaded one colour
// per side, many where the shading runs across the sides.
size_t SurfaceColours(const QImage& picture) {
  std::set<QRgb> colours;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixel(x, y) != kBackground) colours.insert(picture.pixel(x, y));
  return colours.size();
}

QString CubeFile() {
  return QString::fromStdString(fixtures::WriteTempFile("sharp_cube.ply", fixtures::PlyText(fixtures::Cube())));
}

}  // namespace

TEST(SharpEdges, TheCommandLineShadesABoxOneColourPerSide) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString cube = CubeFile();
  const QStringList base{cube, "--size", "200x200", "--view", "iso", "--set", "cbshtexture=0"};
  const struct {
    const char* name;
    QStringList args;
    bool sharp;
  } rows[] = {
      {"default", {}, true},
      {"split off", {"--set", "cb_sharp_edges=0"}, false},
      {"angle wider than the edges", {"--set", "ud_feature_angle=95"}, false},
      {"angle 89", {"--set", "ud_feature_angle=89"}, true},
  };
  QImage smooth;
  for (const auto& row : rows) {
    const QString path = dir.filePath(QString(row.name).replace(' ', '_') + ".png");
    const TRun r = RunFlowskin(base + row.args + QStringList{"-o", path});
    ASSERT_EQ(r.status, 0) << row.name << ": " << r.err.toStdString();
    const QImage picture = QImage(path).convertToFormat(QImage::Format_RGB32);
    const size_t colours = SurfaceColours(picture);
    if (row.sharp) {
      EXPECT_LE(colours, 6u) << row.name;  // three sides, and the pixels of their shared edges
    } else {
      EXPECT_GT(colours, 30u) << row.name;
      if (smooth.isNull()) smooth = picture;
      EXPECT_EQ(picture, smooth) << row.name;  // unsplit is unsplit, whatever the reason
    }
  }
}

TEST_F(FormTest, SharpEdgesInTheWindowSplitTheShadingAtOnce) {
  LoadThroughDialog(*form, dialogs, CubeFile());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form->MeshLoadRunning(); }, 10000));
  form->cbshtexture->SetChecked(false);
  QTest::mouseClick(form->but_views.back(), Qt::LeftButton);  // iso
  auto colours = [&] {
    const TPanelImage frame(*form);
    std::set<int> seen;
    for (int y = 0; y < frame.Height(); ++y)
      for (int x = 0; x < frame.Width(); ++x) {
        const TRgb p = frame.At(x, y);
        if (p.r != 192 || p.g != 192 || p.b != 192) seen.insert(p.r << 16 | p.g << 8 | p.b);
      }
    return seen.size();
  };
  ASSERT_TRUE(form->cb_sharp_edges->Checked());
  EXPECT_LE(colours(), 6u);
  QTest::mouseClick(form->cb_sharp_edges, Qt::LeftButton, {}, QPoint(6, form->cb_sharp_edges->height() / 2));
  ASSERT_FALSE(form->cb_sharp_edges->Checked());
  EXPECT_GT(colours(), 30u);
  QTest::mouseClick(form->cb_sharp_edges, Qt::LeftButton, {}, QPoint(6, form->cb_sharp_edges->height() / 2));
  TypeInto(form->ed_feature_angle, "120");
  EXPECT_GT(colours(), 30u);
  TypeInto(form->ed_feature_angle, "45");
  EXPECT_LE(colours(), 6u);
}
