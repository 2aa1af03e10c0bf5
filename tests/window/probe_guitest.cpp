// The probe: with the mouse resting on the surface the status line tells the
// point under it, its data value and the flow there, as the pointer moves;
// off the surface, outside the panel or during a drag the file line is back.
// Probing draws no frame.
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

TEST_F(FormTest, TheStatusLineProbesTheSurfaceUnderTheMouse) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere_swirl.ply"));
  form->RequestRedraw();
  const int64_t drawn = form->diag.frames_drawn;
  const int w = form->GLPanel1->Width(), h = form->GLPanel1->Height();
  const QRegularExpression line(R"(^x (\S+)  y (\S+)  z (\S+) · Velocity \S+ · flow \S+( along \(\S+, \S+, \S+\))?$)");
  // The sphere's centre faces the viewer: the point there is nearest it
  // (largest z); a point to the right of the centre lies to the right (x).
  // The file's flow swirls about the z axis.
  double z_centre = 0;
  const struct {
    QPoint at;
    bool on_surface;
  } moves[] = {{{w / 2, h / 2}, true}, {{w / 2 + w / 8, h / 2}, true}, {{3, 3}, false}, {{w / 2, h / 2}, true}};
  for (const auto& m : moves) {
    QTest::mouseMove(form->GLPanel1, m.at);
    QTest::qWait(10);
    ASSERT_EQ(!form->lab_probe->isHidden(), m.on_surface) << m.at.x() << "," << m.at.y();
    EXPECT_EQ(form->lab_load->isHidden(), m.on_surface);
    if (!m.on_surface) continue;
    const auto match = line.match(form->lab_probe->text());
    ASSERT_TRUE(match.hasMatch()) << form->lab_probe->text().toStdString();
    const double x = match.captured(1).toDouble(), z = match.captured(3).toDouble();
    if (m.at.x() == w / 2) {
      EXPECT_NEAR(x, 0, 0.05);
      z_centre = z;
    } else {
      EXPECT_GT(x, 0.2);
      EXPECT_LT(z, z_centre);
      EXPECT_FALSE(match.captured(4).isEmpty());  // the swirl flows there (at the pole it stands still)
    }
  }
  // A drag takes the line back to the file's; so does leaving the panel.
  QTest::mousePress(form->GLPanel1, Qt::LeftButton, {}, QPoint(w / 2, h / 2));
  EXPECT_TRUE(form->lab_probe->isHidden());
  QTest::mouseRelease(form->GLPanel1, Qt::LeftButton, {}, QPoint(w / 2, h / 2));
  EXPECT_EQ(form->diag.frames_drawn - drawn, 1);  // the press drew its one frame; the probe none
}
