// Eye rays against the glyphs of flow sources, the choice of the nearest
// glyph, and the drag of a grabbed source in a coordinate plane.
#include "interaction/pick_math.h"

#include <gtest/gtest.h>

namespace {

TRay Ray(TVec3 o, TVec3 d) { return {o, d}; }

TFlowSource PointAt(TVec3 p, double radius) {
  TFlowSource s;
  s.p0 = p;
  s.radius = radius;
  return s;
}

TFlowSource LineFrom(TVec3 p0, TVec3 p1, double radius) {
  TFlowSource s = PointAt(p0, radius);
  s.p1 = p1;
  s.is_line = true;
  s.cyl_radius = 0.6 * radius;
  return s;
}

void ExpectVec(const TVec3& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, 1e-5);
  EXPECT_NEAR(v.y, y, 1e-5);
  EXPECT_NEAR(v.z, z, 1e-5);
}

}  // namespace

TEST(RayGlyphs, SphereAndCylinderGiveTheNearRootOrNoHit) {
  struct Case {
    const char* what;
    double t;
    double expected;
  };
  const TVec3 c{0, 0, 0}, a{0, -1, 0}, b{0, 1, 0};
  const Case cases[] = {
      {"sphere ahead, direction of length 2", RaySphere(c, 1, Ray({0, 0, -5}, {0, 0, 2})), 2},
      {"sphere behind the origin: negative root", RaySphere(c, 1, Ray({0, 0, 5}, {0, 0, 2})), -3},
      {"origin inside the sphere", RaySphere(c, 1, Ray({0, 0, 0}, {0, 0, 1})), -1},
      {"tangent ray (discriminant 0)", RaySphere(c, 1, Ray({1, 0, -5}, {0, 0, 1})), kNoHit},
      {"zero radius never hit", RaySphere(c, 0, Ray({0, 0, -5}, {0, 0, 1})), kNoHit},
      {"zero direction", RaySphere(c, 1, Ray({0, 0, -5}, {0, 0, 0})), kNoHit},
      {"cylinder across its axis", RayCylinder(a, b, 0.5, Ray({0, 0, -5}, {0, 0, 1})), 4.5},
      {"cylinder at the end of the segment (s = L)", RayCylinder(a, b, 0.5, Ray({0, 1, -5}, {0, 0, 1})), 4.5},
      {"past the end: no cap", RayCylinder(a, b, 0.5, Ray({0, 1.01f, -5}, {0, 0, 1})), kNoHit},
      {"before the start", RayCylinder(a, b, 0.5, Ray({0, -1.01f, -5}, {0, 0, 1})), kNoHit},
      {"ray parallel to the axis inside it", RayCylinder(a, b, 0.5, Ray({0.1f, -5, 0}, {0, 1, 0})), kNoHit},
      {"zero-length segment", RayCylinder(a, a, 0.5, Ray({0, -1, -5}, {0, 0, 1})), kNoHit},
      {"cylinder behind the origin", RayCylinder(a, b, 0.5, Ray({0, 0, 5}, {0, 0, 1})), -5.5},
      {"oblique segment", RayCylinder({-1, -1, 0}, {1, 1, 0}, 0.5, Ray({0, 0, -5}, {0, 0, 1})), 4.5},
  };
  for (const Case& k : cases) EXPECT_NEAR(k.t, k.expected, 1e-5) << k.what;
}

TEST(PickSource, NearestGlyphInFrontWinsAndTiesKeepTheEarlierCandidate) {
  const TRay ray = Ray({0, 0, 5}, {0, 0, -1});
  TFlowSourceTable t;
  t.source_count = 3;
  t.flow_sources[1] = PointAt({0, 0, 0}, 0.5);
  t.flow_sources[2] = PointAt({0, 0, 1}, 0.5);  // overlaps source 1, nearer to the eye
  t.flow_sources[3] = PointAt({0, 0, 6}, 0.5);  // behind the ray origin
  TPick p = PickSource(t, ray);
  EXPECT_EQ(p.source, 2);
  EXPECT_EQ(p.handle, 1);
  EXPECT_NEAR(p.t, 3.5, 1e-6);

  t.flow_sources[2] = PointAt({0, 0, 0}, 0.5);  // exactly the same distance: the lower index keeps it
  EXPECT_EQ(PickSource(t, ray).source, 1);

  // A line whose ends coincide: p0 before p1; its cylinder has no length.
  t.source_count = 1;
  t.flow_sources[1] = LineFrom({0, 0, 0}, {0, 0, 0}, 0.5);
  p = PickSource(t, ray);
  EXPECT_EQ(p.handle, 1);
  // The segment of a line seen across, between its end spheres.
  t.flow_sources[1] = LineFrom({-1, 0, 0}, {1, 0, 0}, 0.5);
  p = PickSource(t, ray);
  EXPECT_EQ(p.handle, 3);
  EXPECT_NEAR(p.t, 5 - 0.3, 1e-6);
  // Radii not yet written by the glyph pass: nothing can be picked.
  t.flow_sources[1] = LineFrom({-1, 0, 0}, {1, 0, 0}, 0);
  EXPECT_EQ(PickSource(t, ray).source, 0);

  TMouseState m;
  StartSourceDrag(m, Ray({1, 2, 5}, {0, 0, -2}), 1.5);
  ExpectVec(m.drag_point, 1, 2, 2);
  ExpectVec(m.drag_ray, 0, 0, -2);
}

TEST(DragPlane, LargestOrWithShiftSmallestComponentWithStrictReplacement) {
  struct Case {
    TVec3 ray;
    bool shift;
    int axis;
    TVec3 normal;
  };
  const Case cases[] = {
      {{1, -3, 2}, false, 2, {0, -3, 0}},
      {{1, -3, 2}, true, 1, {1, 0, 0}},
      {{2, -2, 1}, false, 1, {2, 0, 0}},        // y equal to x does not replace it
      {{1, 2, -1}, true, 1, {1, 0, 0}},         // z equal to x does not replace it
      {{0.5f, 0, -2}, true, 2, {0.5f, 0, -2}},  // smallest is 0: the plane faces the viewer
      {{0.5f, 0.0002f, -2}, true, 2, {0, 0.0002f, 0}},
  };
  for (const Case& c : cases) {
    int32_t axis = 0;
    const TVec3 n = DragPlaneNormal(c.ray, c.shift, axis);
    EXPECT_EQ(axis, c.axis);
    ExpectVec(n, c.normal.x, c.normal.y, c.normal.z);
  }
}

TEST(DragSource, MovesTheGrabbedPartInThePlaneThroughTheGrabPoint) {
  TFlowSourceTable t;
  t.source_count = 1;
  t.selected_source = 1;
  t.flow_sources[1] = LineFrom({-1, 0, 0}, {1, 0, 0}, 0.1);
  TMouseState m;
  m.drag_point = {0, 0, 0.5f};
  m.drag_ray = {0.1f, 0.2f, -1};  // z faces the viewer most
  const TRay mouse = Ray({0.5f, 0.25f, 5}, {0, 0, -1});

  t.selected_handle = 3;
  DragSource(t, m, mouse, false);
  EXPECT_EQ(m.drag_axis, 3);
  ExpectVec(t.flow_sources[1].p0, -0.5, 0.25, 0);
  ExpectVec(t.flow_sources[1].p1, 1.5, 0.25, 0);
  ExpectVec(m.drag_point, 0.5, 0.25, 0.5);

  t.selected_handle = 2;  // one end: the other stays
  DragSource(t, m, Ray({0.5f, 1.25f, 5}, {0, 0, -1}), false);
  ExpectVec(t.flow_sources[1].p0, -0.5, 0.25, 0);
  ExpectVec(t.flow_sources[1].p1, 1.5, 1.25, 0);

  // Shift: the plane seen most nearly edge-on (x here), so the source moves in depth.
  t.selected_handle = 1;
  m.drag_point = {-0.5f, 0.25f, 0};
  DragSource(t, m, Ray({-0.6f, 0.25f, 5}, {0.1f, 0, -1}), true);
  EXPECT_EQ(m.drag_axis, 1);
  ExpectVec(t.flow_sources[1].p0, -0.5, 0.25, 4);

  // Rays that leave the source where it is: parallel to the plane, meeting it
  // beyond single precision, or no selection.
  const TFlowSource before = t.flow_sources[1];
  const TVec3 grab = m.drag_point;
  DragSource(t, m, Ray({0, 0, 5}, {0, 1, 0}), false);           // denominator 0
  DragSource(t, m, Ray({0, 0, 1000}, {1, 0, -1e-38f}), false);  // Q at 1e41
  t.selected_source = 0;
  DragSource(t, m, mouse, false);
  ExpectVec(t.flow_sources[1].p0, before.p0.x, before.p0.y, before.p0.z);
  ExpectVec(t.flow_sources[1].p1, before.p1.x, before.p1.y, before.p1.z);
  ExpectVec(m.drag_point, grab.x, grab.y, grab.z);
}
