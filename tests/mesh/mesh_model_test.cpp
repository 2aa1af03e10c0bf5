#include "mesh/mesh_model.h"

#include <gtest/gtest.h>

TEST(VectorOps, CrossWithAliasedOutputMatchesSeparateOutput) {
  TVec3 a{1, 2, 3}, b{-4, 5, 0.5f}, sep;
  vec_cross(a, b, sep);
  vec_cross(a, b, a);
  EXPECT_FLOAT_EQ(a.x, sep.x);
  EXPECT_FLOAT_EQ(a.y, sep.y);
  EXPECT_FLOAT_EQ(a.z, sep.z);
  EXPECT_FLOAT_EQ(sep.x, 2 * 0.5f - 3 * 5);
  EXPECT_FLOAT_EQ(sep.y, 3 * -4 - 1 * 0.5f);
  EXPECT_FLOAT_EQ(sep.z, 1 * 5 - 2 * -4);
}

TEST(VectorOps, NormalizeLeavesZeroVectorZeroAndScalesOthersToUnit) {
  TVec3 z{};
  vec_normalize(z);
  EXPECT_EQ(z.x, 0);
  EXPECT_EQ(z.y, 0);
  EXPECT_EQ(z.z, 0);
  TVec3 v{3, 0, 4};
  vec_normalize(v);
  EXPECT_NEAR(vec_length(v), 1.0, 1e-7);
  EXPECT_FLOAT_EQ(v.x, 0.6f);
}

TEST(VertexLayout, TexIsFollowedByAFloatForThreeComponentTexturePointers) {
  EXPECT_EQ(offsetof(TVertex, tex0), offsetof(TVertex, tex) + 2 * sizeof(float));
  EXPECT_LT(offsetof(TVertex, adv_pos), offsetof(TVertex, normal));
}
