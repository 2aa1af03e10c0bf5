#include "mesh/mesh_preparation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"

namespace {

TVec3 Minus(const TVec3& a, const TVec3& b) { return TVec3{a.x - b.x, a.y - b.y, a.z - b.z}; }

void Adjacency(TMesh& m) {
  BuildAdjacency(m);
  ComputeNormals(m);
}

}  // namespace

TEST(BuildAdjacency, TetrahedronHasThreeNeighboursAndFacesEverywhere) {
  TMesh m = fixtures::Tetrahedron();
  BuildAdjacency(m);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency), "");
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(m.vertices[i].nb_count, 3);
    EXPECT_EQ(m.vertices[i].vface_count, 3);
  }
}

TEST(BuildAdjacency, NeighboursInOrderOfFirstSharedFaceFacesIncreasing) {
  // Faces (0,1,2), (0,3,1), (0,2,3), (1,3,2): vertex 0 meets 1, 2 in face 0, then 3.
  TMesh m = fixtures::Tetrahedron();
  BuildAdjacency(m);
  const TVertex& v0 = m.vertices[0];
  EXPECT_EQ(v0.nb[0], 1);
  EXPECT_EQ(v0.nb[1], 2);
  EXPECT_EQ(v0.nb[2], 3);
  // Vertex 1 first gets 0 (link q->p), then 2 (r->q), then 3.
  EXPECT_EQ(m.vertices[1].nb[0], 0);
  EXPECT_EQ(m.vertices[1].nb[1], 2);
  EXPECT_EQ(m.vertices[1].nb[2], 3);
  const TVertex& v3 = m.vertices[3];
  EXPECT_TRUE(std::is_sorted(v3.vface, v3.vface + v3.vface_count));
  EXPECT_EQ(v3.vface[0], 1);
}

TEST(BuildAdjacency, VertexWithTwentyFacesKeepsTheFirstFifteen) {
  TMesh m = fixtures::Fan(20);
  BuildAdjacency(m);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency), "");
  const TVertex& c = m.vertices[0];
  ASSERT_EQ(c.nb_count, 15);
  ASSERT_EQ(c.vface_count, 15);
  for (int k = 0; k < 15; ++k) EXPECT_EQ(c.vface[k], k);
  // Face k brings ring vertices k+1 and k+2 (face 19 wraps to vertex 1).
  for (int k = 0; k < 15; ++k) EXPECT_EQ(c.nb[k], k + 1);
  // Ring vertex 17 is dropped at the centre but still lists the centre.
  EXPECT_EQ(m.vertices[17].nb[0], 0);
}

TEST(ComputeNormals, PointOutwardsAndAreUnit) {
  for (TMesh m : {fixtures::Tetrahedron(), fixtures::Octahedron(), fixtures::Cube(), fixtures::Sphere(2, 2)}) {
    Adjacency(m);
    EXPECT_EQ(ValidateMesh(m, kCheckNormals), "");
    for (int i = 0; i < m.vertex_count; ++i) {
      const TVertex& v = m.vertices[i];
      EXPECT_GT(vec_dot(v.normal, v.pos) / vec_length(v.pos), 0.5) << i;
    }
    for (const TFace& f : m.faces) {
      const TVec3& p0 = m.vertices[f.v[0]].pos;
      EXPECT_NEAR(vec_dot(f.fnormal, Minus(m.vertices[f.v[1]].pos, p0)), 0, 1e-6);
      EXPECT_NEAR(vec_dot(f.fnormal, Minus(m.vertices[f.v[2]].pos, p0)), 0, 1e-6);
      EXPECT_GT(vec_dot(f.fnormal, p0), 0);
    }
  }
}

TEST(ComputeNormals, CubeCornerNormalIsTheAngleWeightedDiagonal) {
  // Each corner touches three faces; angle weighting makes the normal the
  // unit diagonal however the faces are split into triangles.
  TMesh m = fixtures::Cube();
  Adjacency(m);
  for (int i = 0; i < 8; ++i) {
    const TVertex& v = m.vertices[i];
    EXPECT_NEAR(v.normal.x, v.pos.x / std::sqrt(3.0), 1e-6);
    EXPECT_NEAR(v.normal.y, v.pos.y / std::sqrt(3.0), 1e-6);
    EXPECT_NEAR(v.normal.z, v.pos.z / std::sqrt(3.0), 1e-6);
  }
}

TEST(ComputeNormals, DegenerateFaceGivesZeroNormalAndUnusedVertexStaysZero) {
  TMesh m = fixtures::SingleTriangle();
  m.vertices.push_back(TVertex{});
  m.vertices[3].pos = TVec3{5, 5, 5};
  m.vertex_count = 4;
  m.faces.push_back(TFace{{0, 0, 1}, {}, 0});
  m.face_count = 2;
  Adjacency(m);
  EXPECT_EQ(vec_length(m.faces[1].fnormal), 0);
  EXPECT_EQ(vec_length(m.vertices[3].normal), 0);
  EXPECT_FLOAT_EQ(m.vertices[0].normal.z, 1);
}

TEST(ComputeBoundingBox, BoxCentreAndDiagonal) {
  TMesh m = fixtures::Grid(3, 2, 4, 3);
  m.vertices[5].pos.z = -12;
  ComputeBoundingBox(m);
  EXPECT_DOUBLE_EQ(m.box_min[0], 0);
  EXPECT_DOUBLE_EQ(m.box_max[0], 4);
  EXPECT_DOUBLE_EQ(m.box_max[1], 3);
  EXPECT_DOUBLE_EQ(m.box_min[2], -12);
  EXPECT_DOUBLE_EQ(m.box_size, 13);
  EXPECT_FLOAT_EQ(m.box_center.z, -6);
  EXPECT_FLOAT_EQ(m.box_center.x, 2);
}

TEST(GenerateTexCoords, SquareCornersAndFlatHeight) {
  TMesh m = fixtures::TwoTriangles();  // (0,0), (1,0), (0,1), (1,1)
  ComputeBoundingBox(m);
  GenerateTexCoords(m);
  const float want[4][2] = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(m.vertices[i].tex0[0], want[i][0]) << i;
    EXPECT_FLOAT_EQ(m.vertices[i].tex0[1], want[i][1]) << i;
  }
  for (TVertex& v : m.vertices) v.pos.y = 3;  // zero height counts as 1: v = 1 everywhere
  ComputeBoundingBox(m);
  GenerateTexCoords(m);
  for (const TVertex& v : m.vertices) EXPECT_FLOAT_EQ(v.tex0[1], 1);
}

TEST(GenerateTexCoords, FileCoordinatesAreKept) {
  TMesh m = fixtures::TwoTriangles();
  m.has_tex0 = true;
  m.vertices[1].tex0[0] = 0.25f;
  ComputeBoundingBox(m);
  GenerateTexCoords(m);
  EXPECT_FLOAT_EQ(m.vertices[1].tex0[0], 0.25f);
}

TEST(ComputeNormals, SwappedOrientationFlipsEveryNormal) {
  TMesh a = fixtures::Sphere(1, 1), b = a;
  for (TFace& f : b.faces) std::swap(f.v[0], f.v[1]);
  Adjacency(a);
  Adjacency(b);
  for (int i = 0; i < a.vertex_count; ++i) EXPECT_NEAR(a.vertices[i].normal.x, -b.vertices[i].normal.x, 1e-6);
  for (int f = 0; f < a.face_count; ++f) EXPECT_NEAR(a.faces[f].fnormal.z, -b.faces[f].fnormal.z, 1e-6);
}
