// Turning, zooming and panning the view with the mouse, the end of a gesture,
// and the texture offsets a view drag writes.
#include "interaction/view_drag_math.h"

#include <gtest/gtest.h>

#include "flow/view_unproject.h"

TEST(ViewDrag, RotateOneDegreePerPixelAndTiltStopsShortOfTheRightAngle) {
  struct Case {
    double rot_x;
    int dx, dy;
    double want_x, want_y;
  };
  const Case cases[] = {
      {0, 30, -10, 10, -30},   {80, 0, -10, 89.99, 0},  {80, 0, -25, 89.99, 0},
      {-80, 0, 10, -89.99, 0}, {89.99, 0, 1, 88.99, 0}, {0, -5, 0, 0, 5},
  };
  for (const Case& c : cases) {
    TView v;
    v.rot_x = c.rot_x;
    RotateView(v, c.dx, c.dy);
    EXPECT_NEAR(v.rot_x, c.want_x, 1e-12);
    EXPECT_EQ(v.rot_y, c.want_y);
  }
}

TEST(ViewDrag, ZoomScalesBySizeFactorOnlyWhenTheResultStaysPositive) {
  struct Case {
    int last_y, y, h;
    double want;
  };
  const Case cases[] = {
      {300, 100, 400, 4},  // up by half the panel: doubled
      {100, 300, 400, 2},  // down by half: f = 0, ignored
      {0, 400, 400, 2},    // down by the whole panel: f = -1, ignored
      {100, 200, 400, 1},  // down by a quarter: halved
      {100, 50, 0, 2},     // no panel height: nothing
  };
  for (const Case& c : cases) {
    TView v;
    v.size = 2;
    ZoomView(v, c.last_y, c.y, c.h);
    EXPECT_DOUBLE_EQ(v.size, c.want) << c.last_y << " -> " << c.y;
  }
}

TEST(ViewDrag, GestureEndsWithoutButtonsOrOutsideThePanelEdgesIncluded) {
  EXPECT_FALSE(MoveEndsGesture(true, 0, 0, 400, 300));
  EXPECT_FALSE(MoveEndsGesture(true, 400, 300, 400, 300));
  EXPECT_TRUE(MoveEndsGesture(true, 401, 10, 400, 300));
  EXPECT_TRUE(MoveEndsGesture(true, 10, 301, 400, 300));
  EXPECT_TRUE(MoveEndsGesture(true, -1, 10, 400, 300));
  EXPECT_TRUE(MoveEndsGesture(true, 10, -1, 400, 300));
  EXPECT_TRUE(MoveEndsGesture(false, 10, 10, 400, 300));
}

TEST(ViewDrag, TextureDragReplacesTheOffsetAndAccumulatesTheNoiseOffset) {
  TView v;
  const TTextureDragParams p{true, 20, 400, 200};
  DragTexture(v, 8, -4, p);
  DragTexture(v, 8, -4, p);
  EXPECT_DOUBLE_EQ(v.drag_offset_s, -8.0 / 400);
  EXPECT_DOUBLE_EQ(v.drag_offset_t, -4.0 / 200);
  EXPECT_DOUBLE_EQ(v.noise_offset_s, -2 * 8 * 0.5 / 64);
  EXPECT_DOUBLE_EQ(v.noise_offset_t, 2 * -4 * 0.5 / 64);
  const TView before = v;
  DragTexture(v, 50, 50, {false, 20, 400, 200});
  DragTexture(v, 50, 50, {true, 20, 0, 0});
  EXPECT_EQ(v.drag_offset_s, before.drag_offset_s);
  EXPECT_EQ(v.drag_offset_t, before.drag_offset_t);
  EXPECT_EQ(v.noise_offset_s, before.noise_offset_s);
  EXPECT_EQ(v.noise_offset_t, before.noise_offset_t);
}

namespace {

// Perspective camera 5 units in front of `center` (looking along -z) on a
// viewport inset by 20 pixels in a 440 x 340 panel.
TStoredMatrices CameraAt(const float center[3]) {
  TStoredMatrices m;
  const double mv[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -center[0], -center[1], -center[2] - 5, 1};
  const double n = 1, f = 20;
  const double pr[16] = {2 * n, 0, 0, 0, 0, 2 * n, 0, 0, 0, 0, -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
  std::copy(mv, mv + 16, m.modelview_matrix);
  std::copy(pr, pr + 16, m.projection_matrix);
  const int32_t vp[4] = {20, 20, 400, 300};
  std::copy(vp, vp + 4, m.viewport_rect);
  return m;
}

}  // namespace

TEST(ViewDrag, PanKeepsThePointUnderTheMouseAtTheCentresDepth) {
  TView v;
  v.center[0] = 0.5f, v.center[1] = -0.25f, v.center[2] = 1;
  const TStoredMatrices before = CameraAt(v.center);
  const double c[3] = {v.center[0], v.center[1], v.center[2]};
  double wc[3], grabbed[3];
  ASSERT_TRUE(ProjectWindowPoint(c, before, wc));
  EXPECT_NEAR(wc[0], 220, 1e-9);  // the centre projects to the middle of the viewport
  ASSERT_TRUE(UnprojectWindowPoint(100, 300 - 40, wc[2], before, grabbed));
  PanView(v, before, 100, 40, 160, 10);
  EXPECT_NEAR(v.center[2], 1, 1e-6);  // panning stays at the centre's depth
  double moved[3];
  ASSERT_TRUE(ProjectWindowPoint(grabbed, CameraAt(v.center), moved));
  EXPECT_NEAR(moved[0], 160, 1e-3);
  EXPECT_NEAR(moved[1], 300 - 10, 1e-3);
}
