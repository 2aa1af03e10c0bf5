// Per-vertex opacity of the shaded and data passes.
#include "advection/surface_opacity.h"

#include <gtest/gtest.h>

TEST(SurfaceOpacity, LowValuesOpaqueHighValuesAtThePassAlpha) {
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, 0, false), 1);
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, 1, false), 0.6);
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, 0.5, false), 0.8);
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, -3, false), 1);   // below the range: opaque
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, 7, false), 0.6);  // above: the pass alpha
}

TEST(SurfaceOpacity, InverseSwapsTheEndsIncludingOutsideValues) {
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, 0, true), 0.6);
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, 1, true), 1);
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, -3, true), 0.6);
  EXPECT_DOUBLE_EQ(SurfaceOpacity(0.6, 7, true), 1);
}

TEST(SurfaceOpacity, FullAlphaIsOpaqueEverywhere) {
  for (double v : {-1.0, 0.0, 0.3, 1.0, 2.0}) {
    EXPECT_DOUBLE_EQ(SurfaceOpacity(1, v, false), 1);
    EXPECT_DOUBLE_EQ(SurfaceOpacity(1, v, true), 1);
  }
}
