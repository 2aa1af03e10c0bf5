// Projection volume, view reset, frame-texture size and light position.
#include "render/camera_math.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <utility>

namespace {

TView ViewOfSize(double size) {
  TView v;
  v.size = size;
  return v;
}

}  // namespace

TEST(CameraMath, PerspectiveVolumeOfBoxSizeTwoAtFocalLength50) {
  TView v = ViewOfSize(2);
  TCameraControls c;  // focal length 50, perspective
  ComputeProjection(v, c, 512, 512);
  EXPECT_NEAR(v.distance, 2.0 * 50 / 35, 1e-12);
  EXPECT_NEAR(v.distance, 2.857, 5e-4);
  EXPECT_NEAR(v.frustum_near, 0.1429, 5e-5);
  EXPECT_NEAR(v.frustum_far, 14.29, 5e-3);
  EXPECT_DOUBLE_EQ(v.frustum_left, -0.05);
  EXPECT_DOUBLE_EQ(v.frustum_right, 0.05);
  EXPECT_DOUBLE_EQ(v.frustum_bottom, -0.05);
  EXPECT_DOUBLE_EQ(v.frustum_top, 0.05);
  EXPECT_FALSE(v.isometric);
}

TEST(CameraMath, AngleOfViewIsThatOfTheLensOnA35mmFrameAcrossTheSmallerSide) {
  for (int f : {5, 35, 50, 200, 1000}) {
    for (const auto& [w, h] : {std::pair{640, 480}, std::pair{480, 640}, std::pair{512, 512}}) {
      TView v = ViewOfSize(3.7);
      TCameraControls c;
      c.foc_length = f;
      ComputeProjection(v, c, w, h);
      // The half-extent of the smaller side at the near plane over the near
      // distance is 17.5 / f, so an object `size` across at `distance` exactly
      // fills that side; the other side follows the viewport's aspect.
      const double small_half = w < h ? v.frustum_right : v.frustum_top;
      EXPECT_NEAR(small_half / v.frustum_near, 17.5 / f, 1e-12) << w << " x " << h;
      EXPECT_NEAR(small_half / v.frustum_near * v.distance, v.size / 2, 1e-12);
      EXPECT_NEAR(v.frustum_top / v.frustum_right, double(h) / w, 1e-12);
      EXPECT_DOUBLE_EQ(v.frustum_left, -v.frustum_right);
      EXPECT_DOUBLE_EQ(v.frustum_bottom, -v.frustum_top);
    }
  }
}

TEST(CameraMath, TheObjectSizeFitsTheSmallerViewportSideInBothProjections) {
  // Visible extents at the centre's distance (orthographic: the volume itself;
  // perspective: the near-plane extent scaled to `distance`).
  const struct {
    int w, h;
    bool iso;
    double width, height;
  } cases[] = {
      {400, 200, true, 4, 2},
      {200, 400, true, 2, 4},
      {300, 300, true, 2, 2},
      {1920, 1080, false, 2 * 1920.0 / 1080, 2},
      {1080, 1920, false, 2, 2 * 1920.0 / 1080},
      {512, 512, false, 2, 2},
  };
  for (const auto& k : cases) {
    TView v = ViewOfSize(2);
    TCameraControls c;
    c.iso = k.iso;
    ComputeProjection(v, c, k.w, k.h);
    const double scale = k.iso ? 1 : v.distance / v.frustum_near;
    EXPECT_EQ(v.isometric, k.iso);
    EXPECT_NEAR((v.frustum_right - v.frustum_left) * scale, k.width, 1e-12) << k.w << " x " << k.h;
    EXPECT_NEAR((v.frustum_top - v.frustum_bottom) * scale, k.height, 1e-12) << k.w << " x " << k.h;
    EXPECT_NEAR(v.frustum_near, (k.iso ? 0.01 : 0.05) * v.distance, 1e-15);
    EXPECT_NEAR(v.frustum_far, 5 * v.distance, 1e-12);
  }
}

TEST(CameraMath, MarginViewportIsEmptyWhenTheMarginEatsThePanel) {
  TViewportRect r = MarginViewport(512, 300, 10);
  EXPECT_EQ(r.x, 10);
  EXPECT_EQ(r.y, 10);
  EXPECT_EQ(r.width, 492);
  EXPECT_EQ(r.height, 280);
  EXPECT_FALSE(r.Empty());
  EXPECT_TRUE(MarginViewport(512, 300, 150).Empty());  // height exactly 0
  EXPECT_TRUE(MarginViewport(512, 300, 400).Empty());  // negative size
  EXPECT_TRUE(MarginViewport(0, 0, 0).Empty());
  // Any typed 32-bit margin: no overflow, and no viewport from huge values either way.
  EXPECT_TRUE(MarginViewport(512, 300, 2000000000).Empty());
  EXPECT_TRUE(MarginViewport(512, 300, INT32_MAX).Empty());
  EXPECT_TRUE(MarginViewport(512, 300, INT32_MIN).Empty());
  const TViewportRect grown = MarginViewport(512, 300, -10);  // a negative margin enlarges the viewport
  EXPECT_EQ(grown.x, -10);
  EXPECT_EQ(grown.width, 532);
  EXPECT_EQ(grown.height, 320);
}

TEST(CameraMath, WindowExtentMakesTheDrawingAreaTheTypedSizeWithinWindowLimits) {
  EXPECT_EQ(WindowExtentFor(800, 1100, 512), 1388);  // the rest of the window keeps its 588 pixels
  EXPECT_EQ(WindowExtentFor(300, 700, 512), 488);
  EXPECT_EQ(WindowExtentFor(-5000, 700, 512), 0);
  EXPECT_EQ(WindowExtentFor(INT32_MAX, 1100, 512), 16777215);  // no overflow from any typed integer
  EXPECT_EQ(WindowExtentFor(INT32_MIN, 1100, 512), 0);
}

TEST(CameraMath, ResetViewAimsAtTheBoxAndTakesTheFirstTime) {
  TMesh m;
  m.box_center = {1, -2, 3};
  m.box_size = 7.5;
  TView v;
  v.rot_x = 30;
  v.rot_y = -45;
  v.margin = 4;
  v.time = 9;
  ResetView(m, v);
  EXPECT_FLOAT_EQ(v.center[0], 1);
  EXPECT_FLOAT_EQ(v.center[1], -2);
  EXPECT_FLOAT_EQ(v.center[2], 3);
  EXPECT_DOUBLE_EQ(v.size, 7.5);
  EXPECT_EQ(v.rot_x, 0);
  EXPECT_EQ(v.rot_y, 0);
  EXPECT_EQ(v.time, 0);
  EXPECT_EQ(v.margin, 4);  // untouched
  m.time_count = 3;
  m.time_values = {0.25, 1, 2};
  ResetView(m, v);
  EXPECT_DOUBLE_EQ(v.time, 0.25);
}

TEST(CameraMath, TexSizeIsTheSmallestPowerOfTwoNotBelow) {
  EXPECT_EQ(TexSizeFor(512), 512);
  EXPECT_EQ(TexSizeFor(513), 1024);
  EXPECT_EQ(TexSizeFor(600), 1024);
  EXPECT_EQ(TexSizeFor(400), 512);
  EXPECT_EQ(TexSizeFor(300), 512);
  EXPECT_EQ(TexSizeFor(1), 1);
  EXPECT_EQ(TexSizeFor(0), 1);
  EXPECT_EQ(TexSizeFor(800), 1024);
}

TEST(CameraMath, LightComesFromTheViewerAtZeroAnglesAndTurnsWithThem) {
  float p[4];
  LightPosition(0, 0, 2.5, true, p);
  EXPECT_FLOAT_EQ(p[0], 0);
  EXPECT_FLOAT_EQ(p[1], 0);
  EXPECT_FLOAT_EQ(p[2], 2.5f);
  EXPECT_FLOAT_EQ(p[3], 0);
  LightPosition(DegToRad(90), 0, 2, false, p);
  EXPECT_NEAR(p[0], 2, 1e-6);
  EXPECT_NEAR(p[2], 0, 1e-6);
  EXPECT_FLOAT_EQ(p[3], 1);
  LightPosition(DegToRad(10), DegToRad(25), 3, true, p);
  EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 3, 1e-5);
  EXPECT_NEAR(p[1], 3 * std::sin(DegToRad(25)), 1e-6);
}

// Every "Look along" view under every up axis: the model-view matrix turns the
// named direction into the viewer's (0, 0, -1), exactly, or within the tilt's
// 0.01-degree hold short of the up axis; the whole box is framed.
TEST(AxisViews, EachLooksAlongItsDirectionUnderEveryUpAxis) {
  TMesh mesh;
  mesh.box_center = {1, 2, 3};
  mesh.box_size = 4;
  for (const UpAxis up : {UpAxis::X, UpAxis::Y, UpAxis::Z}) {
    for (const TAxisView& a : kAxisViews) {
      SCOPED_TRACE(testing::Message() << a.name << " up " << int(up));
      TView view;
      view.rot_x = 33;
      view.rot_y = -71;
      view.distance = 10;
      LookAlong(mesh, view, up, a);
      EXPECT_EQ(view.center[0], 1);
      EXPECT_EQ(view.center[2], 3);
      EXPECT_EQ(view.size, 4);
      double m[16];
      TurntableModelview(view, up, m);
      const double n = std::sqrt(a.dx * a.dx + a.dy * a.dy + a.dz * a.dz);
      const double d[3] = {a.dx / n, a.dy / n, a.dz / n};
      double eye[3];
      for (int r = 0; r < 3; ++r) eye[r] = m[r] * d[0] + m[4 + r] * d[1] + m[8 + r] * d[2];
      EXPECT_NEAR(eye[0], 0, 1e-9);
      EXPECT_NEAR(eye[1], 0, 2e-4);  // sin(0.01 degree) when the tilt is held
      EXPECT_NEAR(eye[2], -1, 2e-8);  // 1 - cos(0.01 degree)
    }
  }
  EXPECT_EQ(AxisViewNamed("ISO"), &kAxisViews[6]);
  EXPECT_EQ(AxisViewNamed("-Y"), &kAxisViews[3]);
  EXPECT_EQ(AxisViewNamed("y"), nullptr);
  EXPECT_EQ(AxisViewNamed("+x "), nullptr);
}
