// Projection volume, view reset, frame-texture size and light position.
#include "render/camera_math.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

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

TEST(CameraMath, AngleOfViewIsThatOfTheLensOnA35mmFrame) {
  for (int f : {5, 35, 50, 200, 1000}) {
    TView v = ViewOfSize(3.7);
    TCameraControls c;
    c.foc_length = f;
    ComputeProjection(v, c, 640, 480);
    // Half-width at the near plane over the near distance is 17.5 / f, so an
    // object `size` wide at `distance` exactly fills the width.
    EXPECT_NEAR(v.frustum_right / v.frustum_near, 17.5 / f, 1e-12);
    EXPECT_NEAR(v.frustum_right / v.frustum_near * v.distance, v.size / 2, 1e-12);
    // The vertical extent follows the viewport's aspect.
    EXPECT_NEAR(v.frustum_top / v.frustum_right, 480.0 / 640.0, 1e-12);
  }
}

TEST(CameraMath, IsometricKeepsTheFramingWidthAndMovesTheNearPlane) {
  TView v = ViewOfSize(2);
  TCameraControls c;
  c.iso = true;
  ComputeProjection(v, c, 400, 200);
  EXPECT_TRUE(v.isometric);
  EXPECT_DOUBLE_EQ(v.frustum_right - v.frustum_left, 2.0);
  EXPECT_DOUBLE_EQ(v.frustum_top - v.frustum_bottom, 1.0);
  EXPECT_NEAR(v.frustum_near, 0.01 * v.distance, 1e-15);
  EXPECT_NEAR(v.frustum_far, 5 * v.distance, 1e-12);
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
