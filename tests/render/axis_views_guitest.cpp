// The "Look along" buttons, pressed as a user presses them: each frames the
// whole surface, centred, seen along its axis, whatever the view was before.
#include "flow/view_unproject.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

class AxisViewsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
    ASSERT_GT(form->state.mesh.vertex_count, 0);
  }
  // Window position of object point p in the last frame.
  QPointF Shown(const TVec3& p) {
    const double obj[3] = {p.x, p.y, p.z};
    double win[3] = {0, 0, 0};
    EXPECT_TRUE(ProjectObjectPoint(obj, form->state.matrices, win));
    return {win[0], win[1]};
  }
};

}  // namespace

TEST_F(AxisViewsTest, EachButtonFramesTheSurfaceAlongItsAxis) {
  const TMesh& mesh = form->state.mesh;
  const int w = form->GLPanel1->Width(), h = form->GLPanel1->Height();
  for (size_t i = 0; i < form->but_views.size(); ++i) {
    const TAxisView& a = kAxisViews[i];
    SCOPED_TRACE(a.name);
    form->state.view.rot_x = 20;  // some other view first
    form->state.view.rot_y = 130;
    form->state.view.center[0] += 1;
    QTest::mouseClick(form->but_views[i], Qt::LeftButton);
    // The box centre in the middle of the picture, and a step along the
    // axis looked along lands on it again (within the tilt's hold).
    const QPointF c = Shown(mesh.box_center);
    EXPECT_NEAR(c.x(), w / 2.0, 0.5);
    EXPECT_NEAR(c.y(), h / 2.0, 0.5);
    const float s = float(mesh.box_size / 4);
    const float n = std::sqrt(float(a.dx * a.dx + a.dy * a.dy + a.dz * a.dz));
    const QPointF along = Shown({mesh.box_center.x + float(a.dx) / n * s, mesh.box_center.y + float(a.dy) / n * s,
                                 mesh.box_center.z + float(a.dz) / n * s});
    EXPECT_NEAR(along.x(), c.x(), 0.5);
    EXPECT_NEAR(along.y(), c.y(), 0.5);
    // Every corner of the box inside the picture.
    for (int k = 0; k < 8; ++k) {
      const TVec3 corner{float((k & 1) ? mesh.box_max[0] : mesh.box_min[0]),
                         float((k & 2) ? mesh.box_max[1] : mesh.box_min[1]),
                         float((k & 4) ? mesh.box_max[2] : mesh.box_min[2])};
      const QPointF p = Shown(corner);
      EXPECT_TRUE(p.x() >= 0 && p.x() <= w && p.y() >= 0 && p.y() <= h) << k;
    }
  }
}
