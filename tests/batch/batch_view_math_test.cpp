// The pan of --pan: the surface point at the view centre lands where the pan
// sends it in the next frame's projection, perspective or orthographic, at any
// angle. (Turn and zoom are checked on pictures by the batch tests.)
#include "batch/batch_view_math.h"

#include <gtest/gtest.h>

#include "flow/view_unproject.h"
#include "render/camera_math.h"

TEST(BatchViewMath, PanMovesTheCentrePointByThePixelsAsked) {
  struct Case {
    bool iso;
    double rot_y, rot_x, dx, dy;
    int w, h;
  };
  const Case cases[] = {
      {false, 0, 0, 20, 0, 200, 200},      {false, 30, -20, -15, 40, 320, 240}, {true, 0, 0, 0, -25, 200, 100},
      {true, -60, 45, 33.5, 12, 128, 128}, {false, 0, 0, 0, 0, 64, 64},
  };
  for (const Case& c : cases) {
    TView v;
    v.center[0] = 1;
    v.center[1] = -2;
    v.center[2] = 0.5f;
    v.size = 4;
    v.rot_y = c.rot_y;
    v.rot_x = c.rot_x;
    TCameraControls cam;
    cam.iso = c.iso;
    TStoredMatrices before, after;
    CameraMatricesOf(v, cam, c.w, c.h, before);
    const double point[3] = {v.center[0], v.center[1], v.center[2]};
    double was[3], now[3];
    ASSERT_TRUE(ProjectObjectPoint(point, before, was));
    PanViewBy(v, before, c.dx, c.dy);
    CameraMatricesOf(v, cam, c.w, c.h, after);
    ASSERT_TRUE(ProjectObjectPoint(point, after, now));
    // Window y grows upwards, pixels of the command line downwards.
    EXPECT_NEAR(now[0] - was[0], c.dx, 0.01) << c.dx << "," << c.dy;
    EXPECT_NEAR(now[1] - was[1], -c.dy, 0.01) << c.dx << "," << c.dy;
  }
}
