#include "flow/flow_editing.h"

#include <gtest/gtest.h>

#include <cmath>

#include "flow/flow_controls.h"
#include "flow/view_unproject.h"

namespace {

// A loaded mesh's bounding box, x -1..3, y 0..4, z -2..2, without faces.
TMesh BoxMesh() {
  TMesh mesh;
  mesh.box_min[0] = -1, mesh.box_min[1] = 0, mesh.box_min[2] = -2;
  mesh.box_max[0] = 3, mesh.box_max[1] = 4, mesh.box_max[2] = 2;
  mesh.box_center = {1, 2, 0};
  mesh.box_size = std::sqrt(48.0);
  return mesh;
}

// Looking along -z (identity matrices) or, with side set, along -x (the
// modelview turns the scene by 90 degrees about y).
TFlowViewInfo View(bool side = false) {
  TFlowViewInfo view;
  view.panel_width = 640;
  view.panel_height = 480;
  view.matrices.viewport_rect[2] = 640;
  view.matrices.viewport_rect[3] = 480;
  if (side) {
    const double turn[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    std::copy(turn, turn + 16, view.matrices.modelview_matrix);
  }
  return view;
}

class FlowEditing : public ::testing::Test {
 protected:
  TFlowEditResult Add(bool paint = false, bool side = false) {
    TFlowEditResult r = AddFlowSource(table, controls, mesh, paint, View(side));
    if (r.show.apply) controls = r.show.controls;  // as the window does
    return r;
  }
  TFlowEditResult Step(TSelectionStep step) {
    TFlowEditResult r = StepFlowSelection(table, controls, step);
    if (r.show.apply) controls = r.show.controls;
    return r;
  }
  const TFlowSource& Source(int i) const { return table.flow_sources[i]; }

  TMesh mesh = BoxMesh();
  TFlowSourceTable table;
  TFlowSourceControls controls;  // the tab's defaults: line source, 10/0/0
};

}  // namespace

TEST_F(FlowEditing, FirstAddMakesTheDefaultLineSourceSelectedWithControls10_0_0) {
  const TFlowEditResult r = Add();
  EXPECT_TRUE(r.message.empty());
  EXPECT_EQ(r.finish, TFlowFinish::kFinishWithRefresh);
  ASSERT_EQ(table.source_count, 1);
  EXPECT_EQ(table.selected_source, 1);
  const TFlowSource& s = Source(1);
  EXPECT_TRUE(s.is_line);
  // The centre ray (the z axis, identity matrices) meets no face: the middle is
  // its point nearest the box centre, the origin. Upright is y; 0.25 box_size
  // (1.73) is longer than 0.8 of the 480 rows (1.2 units), so the length is 1.2.
  EXPECT_FLOAT_EQ(s.p0.x, 0);
  EXPECT_FLOAT_EQ(s.p0.y, -0.6f);
  EXPECT_FLOAT_EQ(s.p0.z, 0);
  EXPECT_FLOAT_EQ(s.p1.x, 0);
  EXPECT_FLOAT_EQ(s.p1.y, 0.6f);
  EXPECT_FLOAT_EQ(s.p1.z, 0);
  EXPECT_EQ(s.strength, 10);
  EXPECT_FALSE(s.paint);
  EXPECT_EQ(s.paint_on, 1);
  EXPECT_EQ(s.paint_colour, 255);
  ASSERT_TRUE(r.show.apply);
  EXPECT_EQ(r.show.controls.strength, 10);
  EXPECT_EQ(r.show.controls.rot_strength, 0);
  EXPECT_EQ(r.show.controls.axis_strength, 0);
  EXPECT_TRUE(r.show.line_controls_visible);
}

TEST_F(FlowEditing, DefaultPaintSourceAndPointKindFollowTheControls) {
  controls.is_line = false;
  const TFlowEditResult r = Add(true);
  EXPECT_FALSE(Source(1).is_line);
  EXPECT_TRUE(Source(1).paint);
  EXPECT_EQ(Source(1).strength, 0);
  EXPECT_FALSE(r.show.line_controls_visible);
}

TEST_F(FlowEditing, CopyMovesSidewaysAcrossTheViewAndSwitchesBetweenPaintAndFlow) {
  Add();
  controls.rot_strength = 3;  // pending edit reaches source 1 before the copy
  Add(true);                  // front view: segment along y, shifted along x
  const double step = 0.05 * mesh.box_size;
  EXPECT_EQ(Source(1).rot_strength, 3);
  EXPECT_NEAR(Source(2).p0.x, step, 1e-6);
  EXPECT_NEAR(Source(2).p1.x, step, 1e-6);
  EXPECT_FLOAT_EQ(Source(2).p0.z, 0);
  EXPECT_TRUE(Source(2).paint);
  EXPECT_EQ(Source(2).strength, 0);
  EXPECT_EQ(Source(2).rot_strength, 0);
  Add(false, true);  // side view: shifted along z; the paint copy turns into flow with strength 10
  EXPECT_EQ(table.selected_source, 3);
  EXPECT_NEAR(Source(3).p0.z, step, 1e-6);
  EXPECT_NEAR(Source(3).p0.x, step, 1e-6);
  EXPECT_FALSE(Source(3).paint);
  EXPECT_EQ(Source(3).strength, 10);
  EXPECT_EQ(controls.strength, 10);
}

TEST_F(FlowEditing, DeleteKeepsTheFollowingSourceSelectedAndEmptiesCleanly) {
  for (int i = 0; i < 3; ++i) Add();
  table.flow_sources[3].strength = -7;
  table.selected_source = 2;
  controls = ShowFlowSource(table).controls;
  TFlowEditResult r = DeleteFlowSource(table, controls);
  EXPECT_EQ(r.finish, TFlowFinish::kFinishWithRefresh);
  EXPECT_EQ(table.source_count, 2);
  EXPECT_EQ(table.selected_source, 2);
  EXPECT_EQ(Source(2).strength, -7);  // the old third source
  EXPECT_EQ(r.show.controls.strength, -7);
  DeleteFlowSource(table, r.show.controls);  // last one: selection moves to the new last
  EXPECT_EQ(table.selected_source, 1);
  r = DeleteFlowSource(table, controls);
  EXPECT_EQ(table.source_count, 0);
  EXPECT_EQ(table.selected_source, 0);
  r = DeleteFlowSource(table, controls);  // nothing selected: nothing, no redraw
  EXPECT_EQ(r.finish, TFlowFinish::kNothing);
  EXPECT_FALSE(r.show.apply);
}

TEST_F(FlowEditing, PrevAndNextCycleThroughTheTable) {
  for (int i = 0; i < 4; ++i) Add();
  table.selected_source = 1;
  EXPECT_EQ(Step(TSelectionStep::kPrev).finish, TFlowFinish::kRedraw);
  EXPECT_EQ(table.selected_source, 4);
  Step(TSelectionStep::kNext);
  EXPECT_EQ(table.selected_source, 1);
  Step(TSelectionStep::kDeselect);
  EXPECT_EQ(table.selected_source, 0);
  const TFlowEditResult r = Step(TSelectionStep::kPrev);  // -1: still no selection
  EXPECT_EQ(table.selected_source, -1);
  EXPECT_FALSE(r.show.apply);
  table.selected_source = 0;
  Step(TSelectionStep::kNext);
  EXPECT_EQ(table.selected_source, 1);
}

TEST_F(FlowEditing, SwitchingToPointHidesTheLineControlsAndKeepsTheirValues) {
  Add();
  controls.rot_strength = 6;
  controls.axis_strength = -4;
  controls.is_line = false;
  const TFlowEditResult r = SetFlowSourceKind(table, controls);
  EXPECT_EQ(r.finish, TFlowFinish::kRefreshRedraw);
  EXPECT_FALSE(Source(1).is_line);
  EXPECT_EQ(Source(1).rot_strength, 6);
  EXPECT_EQ(Source(1).axis_strength, -4);
  EXPECT_FALSE(r.show.line_controls_visible);
}

TEST_F(FlowEditing, The101stSourceIsRefusedWithAMessageAndChangesNothing) {
  for (int i = 0; i < kMaxFlowSources; ++i) ASSERT_TRUE(Add(i % 2 == 1).message.empty());
  EXPECT_EQ(table.source_count, 100);
  const TFlowSourceTable before = table;
  controls.strength = -50;
  const TFlowEditResult r = Add();
  EXPECT_EQ(r.message, kFlowSourceTableFullMessage);
  EXPECT_NE(r.message.find("100"), std::string::npos);
  EXPECT_EQ(r.finish, TFlowFinish::kNothing);
  EXPECT_FALSE(r.show.apply);
  EXPECT_EQ(table.source_count, 100);
  EXPECT_EQ(table.selected_source, before.selected_source);
  for (int i = 1; i <= kMaxFlowSources; ++i) {
    EXPECT_EQ(Source(i).strength, before.flow_sources[i].strength);
    EXPECT_EQ(Source(i).p0.x, before.flow_sources[i].p0.x);
  }
}

TEST(FlowControls, StoreAndShowHonourTheBusyGuardAndTheSelection) {
  TFlowSourceTable table;
  table.source_count = 1;
  table.flow_sources[1].p0 = {1, 2, 3};
  table.flow_sources[1].radius = 0.5;
  TFlowSourceControls c{false, -3, 4, 5, true, 7, 8, 0x00FF00};
  EXPECT_FALSE(StoreFlowControls(table, c));  // nothing selected
  table.selected_source = 1;
  {
    TFlowControlsBusy busy(table);
    EXPECT_FALSE(StoreFlowControls(table, c));
    EXPECT_FALSE(ShowFlowSource(table).apply);
  }
  EXPECT_EQ(table.flow_controls_busy, 0);
  EXPECT_TRUE(StoreFlowControls(table, c));
  const TFlowSource& s = table.flow_sources[1];
  EXPECT_FALSE(s.is_line);
  EXPECT_EQ(s.strength, -3);
  EXPECT_EQ(s.axis_strength, 4);
  EXPECT_EQ(s.rot_strength, 5);
  EXPECT_TRUE(s.paint);
  EXPECT_EQ(s.paint_on, 7);
  EXPECT_EQ(s.paint_off, 8);
  EXPECT_EQ(s.paint_colour, 0x00FF00);
  EXPECT_FLOAT_EQ(s.p0.y, 2);  // positions and radii untouched
  EXPECT_EQ(s.radius, 0.5);
  table.flow_sources[1].strength = 2.5;  // rounded to even, limited to the control range
  table.flow_sources[1].rot_strength = -3.5;
  table.flow_sources[1].axis_strength = 250;
  const TShowFlowSource show = ShowFlowSource(table);
  ASSERT_TRUE(show.apply);
  EXPECT_EQ(show.controls.strength, 2);
  EXPECT_EQ(show.controls.rot_strength, -4);
  EXPECT_EQ(show.controls.axis_strength, 100);
  EXPECT_EQ(show.controls.paint_colour, 0x00FF00);
  EXPECT_FALSE(show.line_controls_visible);
}

TEST(ViewUnproject, InvertsAPerspectiveCameraAndRefusesSingularMatrices) {
  TStoredMatrices m;
  // Camera 5 units back, turned 30 degrees about x; frustum +-0.5 at near 1, far 20.
  const double c = std::cos(0.5236), s = std::sin(0.5236);
  const double mv[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0.2, -0.1, -5, 1};
  const double n = 1, f = 20;
  const double pr[16] = {2 * n, 0, 0, 0, 0, 2 * n, 0, 0, 0, 0, -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
  std::copy(mv, mv + 16, m.modelview_matrix);
  std::copy(pr, pr + 16, m.projection_matrix);
  m.viewport_rect[0] = 10, m.viewport_rect[2] = 400, m.viewport_rect[3] = 300;
  const double obj[4] = {0.3, -0.7, 1.1, 1};
  double eye[4], clip[4];
  for (int r = 0; r < 4; ++r) {
    eye[r] = 0;
    for (int k = 0; k < 4; ++k) eye[r] += mv[k * 4 + r] * obj[k];
  }
  for (int r = 0; r < 4; ++r) {
    clip[r] = 0;
    for (int k = 0; k < 4; ++k) clip[r] += pr[k * 4 + r] * eye[k];
  }
  const double wx = 10 + (clip[0] / clip[3] + 1) / 2 * 400, wy = (clip[1] / clip[3] + 1) / 2 * 300;
  const double wz = (clip[2] / clip[3] + 1) / 2;
  double back[3];
  ASSERT_TRUE(UnprojectWindowPoint(wx, wy, wz, m, back));
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(back[i], obj[i], 1e-9);
  // The ray through a pixel passes through the point seen there.
  TVec3 o, d;
  ASSERT_TRUE(UnprojectViewRay(m, 300, int(std::lround(wx)), 300 - int(std::lround(wy)), o, d));
  const TVec3 to{float(obj[0] - o.x), float(obj[1] - o.y), float(obj[2] - o.z)};
  TVec3 across;
  vec_cross(to, d, across);
  EXPECT_LT(vec_length(across) / vec_length(d), 0.02);  // within a pixel at that depth (0.0125 per pixel)
  EXPECT_GT(vec_dot(to, d), 0);                         // in front of the origin
  m.projection_matrix[0] = m.projection_matrix[5] = 0;
  EXPECT_FALSE(UnprojectViewRay(m, 300, 5, 5, o, d));
  EXPECT_EQ(vec_length(d), 0);
}
