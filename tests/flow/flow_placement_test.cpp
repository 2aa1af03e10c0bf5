// Where "Add flow" puts a new source seen through the window's own camera:
// upright on the screen at the view's centre, in front of the surface, inside
// the view, for surfaces the centre ray meets and for one it passes through.
#include <gtest/gtest.h>

#include <cmath>

#include "flow/flow_editing.h"
#include "flow/view_unproject.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "render/camera_math.h"

namespace {

// The matrices a frame of a w x h panel stores for `view` (perspective, glFrustum's matrix).
TStoredMatrices FrameMatrices(TView& view, int w, int h) {
  TStoredMatrices m;
  TCameraControls c;
  ComputeProjection(view, c, w, h);
  TurntableModelview(view, c.up_axis, m.modelview_matrix);
  const double l = view.frustum_left, r = view.frustum_right, b = view.frustum_bottom, t = view.frustum_top;
  const double n = view.frustum_near, f = view.frustum_far;
  // clang-format off
  const double p[16] = {2 * n / (r - l), 0, 0, 0, 0, 2 * n / (t - b), 0, 0, (r + l) / (r - l), (t + b) / (t - b),
                        -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
  // clang-format on
  std::copy(p, p + 16, m.projection_matrix);
  m.viewport_rect[2] = w, m.viewport_rect[3] = h;
  return m;
}

// Window position of p (x, y pixels from the bottom left, z depth 0..1).
void Win(const TStoredMatrices& m, const TVec3& p, double win[3]) {
  const double obj[3] = {p.x, p.y, p.z};
  ASSERT_TRUE(ProjectObjectPoint(obj, m, win));
}

double Distance(const TVec3& a, const double b[3]) {
  return std::sqrt((a.x - b[0]) * (a.x - b[0]) + (a.y - b[1]) * (a.y - b[1]) + (a.z - b[2]) * (a.z - b[2]));
}

}  // namespace

TEST(FlowPlacement, ANewSourceStandsUprightAtTheViewCentreInFrontOfTheSurface) {
  const struct {
    const char* name;
    TMesh mesh;
    double rot_y, rot_x;
    int w, h;
    double front;  // how much nearer than the centre the first surface on the centre ray is; 0: none is met
  } cases[] = {
      // Sphere of radius 1 about the origin: the camera sits `distance` from the centre.
      // Sphere of radius 1 about the origin; ring torus of radii 1 and 0.35 around z,
      // whose outer rim (radius 1.35) faces a camera that sees it edge-on.
      {"sphere, front", MakeUvSphereMesh(1, 64, 32), 0, 0, 512, 512, 1},
      {"sphere, turned", MakeUvSphereMesh(1, 64, 32), 40, -25, 640, 360, 1},
      {"torus face-on, through the hole", MakeTorusMesh(1, 0.35, 96, 48), 0, 0, 512, 512, 0},
      {"torus edge-on", MakeTorusMesh(1, 0.35, 96, 48), 0, -89.99, 360, 640, 1.35},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    TMesh mesh = k.mesh;
    ComputeBoundingBox(mesh);
    TView view;
    ResetView(mesh, view);
    view.rot_y = k.rot_y, view.rot_x = k.rot_x;
    const TFlowViewInfo info{FrameMatrices(view, k.w, k.h), k.w, k.h};
    TFlowSourceTable table;
    TFlowSourceControls controls;
    ASSERT_TRUE(AddFlowSource(table, controls, mesh, false, info).message.empty());
    const TFlowSource& s = table.flow_sources[1];
    double w0[3], w1[3], wm[3];
    Win(info.matrices, s.p0, w0);
    Win(info.matrices, s.p1, w1);
    const TVec3 mid{(s.p0.x + s.p1.x) / 2, (s.p0.y + s.p1.y) / 2, (s.p0.z + s.p1.z) / 2};
    Win(info.matrices, mid, wm);
    // Centred on the centre pixel, upright (p0 below p1), both ends inside the view.
    EXPECT_NEAR(wm[0], k.w / 2, 0.5);
    EXPECT_NEAR(wm[1], k.h / 2, 0.5);
    EXPECT_NEAR(w0[0], w1[0], 0.5);
    EXPECT_LT(w0[1], w1[1] - 0.1 * std::min(k.w, k.h));
    EXPECT_GT(w0[1], 0);
    EXPECT_LT(w1[1], k.h);
    EXPECT_NEAR(std::hypot(s.p1.x - s.p0.x, s.p1.y - s.p0.y, s.p1.z - s.p0.z), 0.25 * mesh.box_size, 1e-4);
    // Distance from the camera: the centre pixel at depth 0 lies on the near plane.
    double eye_centre[3];
    ASSERT_TRUE(UnprojectWindowPoint(k.w / 2.0, k.h / 2.0, 0.0, info.matrices, eye_centre));
    const double along = Distance(mid, eye_centre) + view.frustum_near;  // near plane to camera
    // Through the hole at the box centre's depth, else 0.1 box_size in front of the surface.
    const double expected = k.front == 0 ? view.distance : view.distance - k.front - 0.1 * mesh.box_size;
    EXPECT_NEAR(along, expected, 0.02);
  }
}
