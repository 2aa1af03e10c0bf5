#include "mesh/loop_subdivision.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mesh/mesh_preparation.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"

namespace {

void Subdivide(TMesh& m) {
  BuildAdjacency(m);
  LoopSubdivide(m);
  BuildAdjacency(m);
}

}  // namespace

TEST(LoopAlpha, KnownWeights) {
  EXPECT_NEAR(LoopAlpha(6), 10, 1e-12);
  EXPECT_NEAR(LoopAlpha(3), 7.0 / 3, 1e-12);
  EXPECT_NEAR(LoopAlpha(2), 50.0 / 39, 1e-12);
}

TEST(LoopSubdivide, SingleTriangleGivesSixVerticesAndFourFaces) {
  TMesh m = fixtures::SingleTriangle();  // (0,0,0), (1,0,0), (0,1,0)
  Subdivide(m);
  ASSERT_EQ(m.vertex_count, 6);
  ASSERT_EQ(m.face_count, 4);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency), "");
  // Boundary edges: midpoints, in the order (0,1), (1,2), (2,0).
  EXPECT_FLOAT_EQ(m.vertices[3].pos.x, 0.5f);
  EXPECT_FLOAT_EQ(m.vertices[3].pos.y, 0);
  EXPECT_FLOAT_EQ(m.vertices[4].pos.x, 0.5f);
  EXPECT_FLOAT_EQ(m.vertices[4].pos.y, 0.5f);
  EXPECT_FLOAT_EQ(m.vertices[5].pos.y, 0.5f);
  // Old vertex 1 with two neighbours: (alpha Q1 + Q0 + Q2) / (2 + alpha), alpha = 50/39.
  const double a = 50.0 / 39;
  EXPECT_NEAR(m.vertices[1].pos.x, a / (2 + a), 1e-6);
  EXPECT_NEAR(m.vertices[1].pos.y, 1 / (2 + a), 1e-6);
  // Face order of the four children of face 0.
  const int want[4][3] = {{0, 3, 5}, {3, 1, 4}, {2, 5, 4}, {3, 4, 5}};
  for (int f = 0; f < 4; ++f)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(m.faces[f].v[k], want[f][k]);
}

TEST(LoopSubdivide, OctahedronGivesEighteenVerticesThirtyTwoFacesSameOrientation) {
  TMesh m = fixtures::Octahedron();
  Subdivide(m);
  EXPECT_EQ(m.vertex_count, 18);
  EXPECT_EQ(m.face_count, 32);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency), "");
  ComputeNormals(m);
  for (const TFace& f : m.faces) EXPECT_GT(vec_dot(f.fnormal, m.vertices[f.v[0]].pos), 0);
  // Old vertex (1,0,0) with four neighbours at distance sqrt 2 in the y-z plane.
  const double a = LoopAlpha(4);
  EXPECT_NEAR(m.vertices[0].pos.x, a / (4 + a), 1e-6);
  EXPECT_NEAR(m.vertices[0].pos.y, 0, 1e-6);
  // Interior edge (+x, +y), opposite +z and -z: (3 (Q_a + Q_b) + Q_c + Q_d) / 8.
  EXPECT_NEAR(m.vertices[6].pos.x, 3.0 / 8, 1e-6);
  EXPECT_NEAR(m.vertices[6].pos.y, 3.0 / 8, 1e-6);
  EXPECT_NEAR(m.vertices[6].pos.z, 0, 1e-6);
}

TEST(LoopSubdivide, DataIsCarriedWithTheSameWeights) {
  // Put (x, y, z) of the position into tex0, user_velo and every time step:
  // each must come out equal to the refined position (scaled per step).
  TMesh m = fixtures::Sphere(1, 1);
  m.has_tex0 = m.has_user_velo = true;
  m.time_count = 2;
  m.time_values = {0, 1};
  m.time_velo.assign(2, std::vector<TVec3>(m.vertex_count));
  for (int i = 0; i < m.vertex_count; ++i) {
    TVertex& v = m.vertices[i];
    v.tex0[0] = v.pos.x;
    v.tex0[1] = v.pos.y;
    v.user_velo = v.pos;
    m.time_velo[0][i] = v.pos;
    m.time_velo[1][i] = TVec3{2 * v.pos.x, 2 * v.pos.y, 2 * v.pos.z};
    v.aux = 5;
  }
  Subdivide(m);
  ASSERT_EQ(m.time_velo[1].size(), static_cast<size_t>(m.vertex_count));
  for (int i = 0; i < m.vertex_count; ++i) {
    const TVertex& v = m.vertices[i];
    EXPECT_NEAR(v.tex0[0], v.pos.x, 1e-6);
    EXPECT_NEAR(v.tex0[1], v.pos.y, 1e-6);
    EXPECT_NEAR(v.user_velo.z, v.pos.z, 1e-6);
    EXPECT_NEAR(m.time_velo[0][i].y, v.pos.y, 1e-6);
    EXPECT_NEAR(m.time_velo[1][i].x, 2 * v.pos.x, 1e-6);
    EXPECT_EQ(v.aux, 0);  // only pos, tex0 and user_velo are written into the new records
  }
}

TEST(LoopSubdivide, TwoStepsOfTwoTrianglesGiveThirtyTwoFaces) {
  TMesh m = fixtures::TwoTriangles();
  Subdivide(m);
  Subdivide(m);
  EXPECT_EQ(m.face_count, 32);
  EXPECT_EQ(m.vertex_count, 25);  // a 4 x 4 grid of cells has 5 x 5 vertices
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency), "");
}

TEST(LoopSubdivide, VertexInNoFaceKeepsItsValues) {
  TMesh m = fixtures::SingleTriangle();
  m.vertices.push_back(TVertex{});
  m.vertices[3].pos = TVec3{4, 5, 6};
  m.vertex_count = 4;
  Subdivide(m);
  EXPECT_EQ(m.vertex_count, 7);
  EXPECT_FLOAT_EQ(m.vertices[3].pos.y, 5);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency), "");
}

TEST(SubdivisionBudget, RefusesStepsBeyondMemoryOrIndexRange) {
  const TMesh m = fixtures::Octahedron();
  std::string error;
  EXPECT_TRUE(CheckSubdivisionBudget(m, 3, error));
  EXPECT_FALSE(CheckSubdivisionBudget(m, 20, error));
  EXPECT_NE(error.find("choose fewer steps"), std::string::npos) << error;
  // 12 steps of 8 faces: 134 million faces, far beyond 8 GB of vertex records.
  EXPECT_GT(SubdivisionMemoryEstimate(m, 12), 8.0 * 1024 * 1024 * 1024);
  EXPECT_FALSE(CheckSubdivisionBudget(m, 12, error));
}
