// Eye rays against the glyphs of flow sources, the choice of the nearest
// glyph, the drag of a grabbed source in a coordinate plane, and the pan.
#include "interaction/pick_math.h"

#include <gtest/gtest.h>

#include "flow/view_unproject.h"
#include "interaction/view_drag_math.h"

namespace {

TFlowSource Line(TVec3 p0, TVec3 p1, double radius) {
  TFlowSource s;
  s.p0 = p0, s.p1 = p1, s.radius = radius, s.cyl_radius = 0.6 * radius;
  s.is_line = true;
  return s;
}

void ExpectVec(const TVec3& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, 1e-5);
  EXPECT_NEAR(v.y, y, 1e-5);
  EXPECT_NEAR(v.z, z, 1e-5);
}

}  // namespace

TEST(RayGlyphs, SphereAndCylinderGiveTheNearRootOrNoHit) {
  const TVec3 c{0, 0, 0}, a{0, -1, 0}, b{0, 1, 0};
  const struct {
    const char* what;
    double t, expected;
  } cases[] = {
      {"sphere ahead, direction of length 2", RaySphere(c, 1, {{0, 0, -5}, {0, 0, 2}}), 2},
      {"sphere behind the origin", RaySphere(c, 1, {{0, 0, 5}, {0, 0, 2}}), -3},
      {"tangent ray", RaySphere(c, 1, {{1, 0, -5}, {0, 0, 1}}), kNoHit},
      {"zero radius", RaySphere(c, 0, {{0, 0, -5}, {0, 0, 1}}), kNoHit},
      {"cylinder across its axis", RayCylinder(a, b, 0.5, {{0, 0, -5}, {0, 0, 1}}), 4.5},
      {"at the end of the segment (s = L)", RayCylinder(a, b, 0.5, {{0, 1, -5}, {0, 0, 1}}), 4.5},
      {"past the end: no cap", RayCylinder(a, b, 0.5, {{0, 1.01f, -5}, {0, 0, 1}}), kNoHit},
      {"before the start", RayCylinder(a, b, 0.5, {{0, -1.01f, -5}, {0, 0, 1}}), kNoHit},
      {"parallel to the axis, inside", RayCylinder(a, b, 0.5, {{0.1f, -5, 0}, {0, 1, 0}}), kNoHit},
      {"zero-length segment", RayCylinder(a, a, 0.5, {{0, -1, -5}, {0, 0, 1}}), kNoHit},
      {"cylinder behind the origin", RayCylinder(a, b, 0.5, {{0, 0, 5}, {0, 0, 1}}), -5.5},
  };
  for (const auto& k : cases) EXPECT_NEAR(k.t, k.expected, 1e-5) << k.what;
}

TEST(PickSource, NearestGlyphInFrontWinsAndTiesKeepTheEarlierCandidate) {
  const TRay ray{{0, 0, 5}, {0, 0, -1}};
  TFlowSourceTable t;
  t.source_count = 3;
  t.flow_sources[1] = Line({0, 0, 0}, {9, 0, 0}, 0.5);
  t.flow_sources[2] = Line({0, 0, 1}, {9, 0, 0}, 0.5);  // overlaps source 1, nearer to the eye
  t.flow_sources[3] = Line({0, 0, 6}, {9, 0, 0}, 0.5);  // behind the ray origin
  const TPick p = PickSource(t, ray);
  EXPECT_EQ(p.source, 2);
  EXPECT_EQ(p.handle, 1);
  EXPECT_NEAR(p.t, 3.5, 1e-6);
  t.flow_sources[2].p0 = {0, 0, 0};  // the same distance: the lower index keeps the pick
  EXPECT_EQ(PickSource(t, ray).source, 1);
  t.source_count = 1;
  t.flow_sources[1] = Line({0, 0, 0}, {0, 0, 0}, 0.5);  // coinciding ends: p0 before p1
  EXPECT_EQ(PickSource(t, ray).handle, 1);
  t.flow_sources[1] = Line({-1, 0, 0}, {1, 0, 0}, 0.5);
  EXPECT_EQ(PickSource(t, ray).handle, 3);
  t.flow_sources[1] = Line({-1, 0, 0}, {1, 0, 0}, 0);  // radii not yet written by the glyph pass
  EXPECT_EQ(PickSource(t, ray).source, 0);
}

TEST(DragSource, PlaneFromTheGrabRayAndRaysThatMoveNothing) {
  const struct {
    TVec3 ray;
    bool shift;
    int axis;
    TVec3 normal;
  } planes[] = {
      {{1, -3, 2}, false, 2, {0, -3, 0}},
      {{1, -3, 2}, true, 1, {1, 0, 0}},
      {{2, -2, 1}, false, 1, {2, 0, 0}},        // y equal to x does not replace it
      {{0.5f, 0, -2}, true, 2, {0.5f, 0, -2}},  // smallest 0: the plane faces the viewer
  };
  for (const auto& c : planes) {
    int32_t axis = 0;
    const TVec3 n = DragPlaneNormal(c.ray, c.shift, axis);
    EXPECT_EQ(axis, c.axis);
    ExpectVec(n, c.normal.x, c.normal.y, c.normal.z);
  }
  TFlowSourceTable t;
  t.source_count = t.selected_source = t.selected_handle = 1;
  t.flow_sources[1] = Line({-1, 0, 0}, {1, 0, 0}, 0.1);
  TMouseState m;
  StartSourceDrag(m, {{-1, 0.1f, 5}, {0.1f, 0.2f, -1}}, 5);
  ExpectVec(m.drag_point, -0.5, 1.1, 0);
  // Shift: the x plane, seen nearly edge-on, so the end moves in depth.
  DragSource(t, m, {{-0.6f, 1.1f, 5}, {0.1f, 0, -1}}, true);
  ExpectVec(t.flow_sources[1].p0, -1, 0, 4);
  ExpectVec(t.flow_sources[1].p1, 1, 0, 0);
  ExpectVec(m.drag_point, -0.5, 1.1, 4);
  // Parallel to the plane, meeting it beyond single precision, or no selection.
  DragSource(t, m, {{0, 0, 5}, {0, 1, 0}}, false);
  DragSource(t, m, {{0, 0, 1000}, {1, 0, -1e-38f}}, false);
  t.selected_source = 0;
  DragSource(t, m, {{0.5f, 0.25f, 5}, {0, 0, -1}}, false);
  ExpectVec(t.flow_sources[1].p0, -1, 0, 4);
  ExpectVec(m.drag_point, -0.5, 1.1, 4);
}

TEST(PanView, ThePointUnderTheMouseAtTheCentresDepthFollowsIt) {
  // Camera 5 units in front of the centre, looking along -z, viewport inset by 20 pixels.
  auto camera = [](const float c[3]) {
    TStoredMatrices m;
    const double mv[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -c[0], -c[1], -c[2] - 5, 1};
    const double pr[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, -21.0 / 19, -1, 0, 0, -40.0 / 19, 0};
    std::copy(mv, mv + 16, m.modelview_matrix);
    std::copy(pr, pr + 16, m.projection_matrix);
    m.viewport_rect[0] = m.viewport_rect[1] = 20, m.viewport_rect[2] = 400, m.viewport_rect[3] = 300;
    return m;
  };
  TView v;
  v.center[0] = 0.5f, v.center[1] = -0.25f, v.center[2] = 1;
  const TStoredMatrices before = camera(v.center);
  const double c[3] = {v.center[0], v.center[1], v.center[2]};
  double wc[3], grabbed[3], moved[3];
  ASSERT_TRUE(ProjectObjectPoint(c, before, wc));
  EXPECT_NEAR(wc[0], 220, 1e-9);
  ASSERT_TRUE(UnprojectWindowPoint(100, 300 - 40, wc[2], before, grabbed));  // y flipped by the viewport height
  PanView(v, before, 100, 40, 160, 10);
  EXPECT_NEAR(v.center[2], 1, 1e-6);
  ASSERT_TRUE(ProjectObjectPoint(grabbed, camera(v.center), moved));
  EXPECT_NEAR(moved[0], 160, 1e-3);
  EXPECT_NEAR(moved[1], 300 - 10, 1e-3);
}

namespace {

// Identity matrices on a 200 x 200 viewport: one pixel is 0.01 object units at any depth.
TStoredMatrices Flat200() {
  TStoredMatrices m;
  m.viewport_rect[2] = m.viewport_rect[3] = 200;
  return m;
}

}  // namespace

TEST(PickSource, ASlackOfAFewPixelsGrabsBesideTheGlyphAsDrawn) {
  const TStoredMatrices m = Flat200();
  EXPECT_NEAR(PixelSpanAt(m, {0.3f, -0.2f, 0.5f}, 4), 0.04, 1e-9);
  TFlowSourceTable t;
  t.source_count = 1;
  t.flow_sources[1] = Line({0, -0.5f, 0}, {0, 0.5f, 0}, 0.1);  // spheres 10 pixels, cylinder 6
  const struct {
    float x, y;     // where the ray passes the glyph plane
    double pixels;  // slack
    int handle;     // 0: nothing grabbed
  } cases[] = {
      {0.12f, 0.5f, 0, 0},  {0.12f, 0.5f, 4, 2},  // 2 pixels beside the p1 sphere
      {0.15f, 0.5f, 4, 0},                        // 5 pixels beside: too far
      {0.0f, -0.63f, 4, 1},                       // 3 pixels below p0
      {0.08f, 0.0f, 0, 0},  {0.08f, 0.0f, 4, 3},  // 2 pixels beside the cylinder
      {0.11f, 0.0f, 4, 0},                        // 5 pixels beside the cylinder
  };
  for (const auto& c : cases) {
    const TRay ray{{c.x, c.y, -5}, {0, 0, 1}};
    const TPick p = PickSource(t, ray, {&m, c.pixels});
    EXPECT_EQ(p.handle, c.handle) << c.x << ", " << c.y << " slack " << c.pixels;
    EXPECT_EQ(p.source, c.handle == 0 ? 0 : 1);
  }
  t.flow_sources[1].radius = t.flow_sources[1].cyl_radius = 0;  // not drawn yet: no slack either
  EXPECT_EQ(PickSource(t, {{0, 0.5f, -5}, {0, 0, 1}}, {&m, 4}).source, 0);
}

TEST(DragSourceInDepth, MovesTheGrabbedPartAlongTheAxisMostIntoTheScreenByPixelSpans) {
  const TStoredMatrices m = Flat200();
  const struct {
    TVec3 ray;
    int handle, dy, axis;
    TVec3 d0, d1;  // expected moves of p0 and p1
  } cases[] = {
      {{0.1f, 0.2f, -1}, 1, -10, 3, {0, 0, -0.1f}, {0, 0, 0}},  // up: away from the viewer (-z)
      {{0.1f, 0.2f, -1}, 2, 10, 3, {0, 0, 0}, {0, 0, 0.1f}},    // down: toward the viewer
      {{0.1f, 0.2f, -1}, 3, -5, 3, {0, 0, -0.05f}, {0, 0, -0.05f}},
      {{-2, 0.5f, 1}, 3, -10, 1, {-0.1f, 0, 0}, {-0.1f, 0, 0}},  // looking along -x
      {{0.5f, 1, 1}, 1, 0, 2, {0, 0, 0}, {0, 0, 0}},             // no vertical step: nothing
  };
  for (const auto& c : cases) {
    TFlowSourceTable t;
    t.source_count = t.selected_source = 1;
    t.selected_handle = c.handle;
    t.flow_sources[1] = Line({0, -0.5f, 0}, {0, 0.5f, 0}, 0.1);
    TMouseState mouse;
    mouse.drag_ray = c.ray;
    mouse.drag_point = {0, 0.5f, 0};
    DragSourceInDepth(t, mouse, m, c.dy);
    EXPECT_EQ(mouse.drag_axis, c.axis);
    ExpectVec(t.flow_sources[1].p0, c.d0.x, -0.5 + c.d0.y, c.d0.z);
    ExpectVec(t.flow_sources[1].p1, c.d1.x, 0.5 + c.d1.y, c.d1.z);
    const TVec3& moved = c.handle == 1 ? c.d0 : c.d1;
    ExpectVec(mouse.drag_point, moved.x, 0.5 + moved.y, moved.z);
  }
  TFlowSourceTable t;  // no selection: nothing moves
  t.source_count = 1;
  t.flow_sources[1] = Line({0, -0.5f, 0}, {0, 0.5f, 0}, 0.1);
  TMouseState mouse;
  mouse.drag_ray = {0, 0, -1};
  DragSourceInDepth(t, mouse, m, -10);
  ExpectVec(t.flow_sources[1].p0, 0, -0.5, 0);
}
