#include "mesh/crack_insertion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "mesh/triangle_strips.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"

namespace {

void Prepare(TMesh& m) {
  BuildAdjacency(m);
  ComputeNormals(m);
}

void Crack(TMesh& m, double convex = 45, double concave = 20) {
  Prepare(m);
  InsertCracks(m, TCrackOptions{convex, concave});
  BuildAdjacency(m);
  ComputeNormals(m);
}

// A roof: two flat strips of triangles meeting along the ridge y = 0 at an
// angle; `fold` is the height drop per unit of |y| on each side (convex ridge).
TMesh Roof(double fold) {
  std::vector<TVec3> pos;
  for (int j = 0; j <= 2; ++j)
    for (int i = 0; i <= 3; ++i) pos.push_back(TVec3{float(i), float(j - 1), float(-fold * std::abs(j - 1))});
  std::vector<int32_t> c;
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 3; ++i) {
      const int32_t a = j * 4 + i, b = a + 1, cc = b + 4, d = a + 4;
      c.insert(c.end(), {a, b, cc, a, cc, d});
    }
  return MakeMeshFromArrays(pos, c);
}

}  // namespace

TEST(IsSharpEdge, ThresholdsForConvexAndConcaveEdges) {
  TMesh roof = Roof(1);  // 90 degrees between the face normals at the ridge
  Prepare(roof);
  // Faces 0 (y < 0 side) and 1 share the edge (0..1) x ...; take faces 1 and 6 across the ridge at x 0..1.
  int32_t x = -1;
  const int32_t g = FindFaceAcross(roof, 1, 4, 5, x);
  ASSERT_GE(g, 0);
  const TCrackThresholds th45 = MakeCrackThresholds(TCrackOptions{45, 20});
  const TCrackThresholds th100 = MakeCrackThresholds(TCrackOptions{100, 20});
  EXPECT_TRUE(IsSharpEdge(roof, th45, 1, g, 5, 4) || IsSharpEdge(roof, th45, 1, g, 4, 5));
  EXPECT_FALSE(IsSharpEdge(roof, th100, 1, g, 5, 4) && IsSharpEdge(roof, th100, 1, g, 4, 5));
  // Sharp above 80 degrees for convex and concave alike, so the sign does not matter.
  const TCrackThresholds both80 = MakeCrackThresholds(TCrackOptions{80, 80});
  EXPECT_TRUE(IsSharpEdge(roof, both80, 1, g, 5, 4));
  EXPECT_TRUE(IsSharpEdge(roof, both80, 1, g, 4, 5));
  // Only one of the two directions counts as convex: with a 100 degree convex and
  // a 20 degree concave threshold exactly one call says sharp.
  EXPECT_NE(IsSharpEdge(roof, th100, 1, g, 5, 4), IsSharpEdge(roof, th100, 1, g, 4, 5));
}

TEST(InsertCracks, CubeCornersSplitIntoThreeCopies) {
  TMesh m = fixtures::Cube();
  Crack(m);
  EXPECT_EQ(m.vertex_count, 24);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckNormals), "");
  // Every face keeps its geometry; every vertex now lies on one cube side, so its
  // normal is that side's normal.
  const TMesh orig = fixtures::Cube();
  for (int f = 0; f < m.face_count; ++f)
    for (int k = 0; k < 3; ++k) {
      const TVec3& p = m.vertices[m.faces[f].v[k]].pos;
      const TVec3& q = orig.vertices[orig.faces[f].v[k]].pos;
      EXPECT_TRUE(p.x == q.x && p.y == q.y && p.z == q.z);
    }
  for (int i = 0; i < m.vertex_count; ++i) {
    const TVec3& n = m.vertices[i].normal;
    EXPECT_NEAR(std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z), 1, 1e-6) << i;
  }
}

TEST(InsertCracks, NoThresholdReachedMeansNoChange) {
  TMesh m = fixtures::Cube();
  Crack(m, 180, 180);
  EXPECT_EQ(m.vertex_count, 8);
  TMesh s = fixtures::Sphere(1, 2);  // neighbouring faces differ by far less than 45 degrees
  const int32_t n = s.vertex_count;
  Crack(s);
  EXPECT_EQ(s.vertex_count, n);
}

TEST(InsertCracks, ZeroThresholdsCutEveryFaceFree) {
  // Every edge of the octahedron is sharp at 0 degrees: each face gets three
  // corners of its own.
  TMesh m = fixtures::Octahedron();
  Crack(m, 0, 0);
  EXPECT_EQ(m.vertex_count, 24);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckNormals), "");
  for (int i = 0; i < m.vertex_count; ++i) EXPECT_EQ(m.vertices[i].vface_count, 1) << i;
}

TEST(InsertCracks, SingleSharpEdgeInAClosedFanIsNotCut) {
  // A closed fan folded along one spoke only: the centre has one sharp edge.
  TMesh m = fixtures::Fan(8);
  Prepare(m);
  const TCrackThresholds th = MakeCrackThresholds(TCrackOptions{});
  std::vector<TFanEntry> fan = WalkFan(m, th, 0);
  EXPECT_EQ(fan.size(), 8u);
  EXPECT_FALSE(FanNeedsCut(fan));
  fan[3].edge_type = kFanSharp;
  EXPECT_FALSE(FanNeedsCut(fan));
  fan[5].edge_type = kFanSharp;
  EXPECT_TRUE(FanNeedsCut(fan));
}

TEST(InsertCracks, BoundaryVertexOnOneSharpEdgeSplitsInTwo) {
  TMesh m = Roof(1);  // ridge vertices 4..7; 4 and 7 lie on the boundary
  Crack(m);
  EXPECT_EQ(m.vertex_count, 12 + 4);
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckNormals), "");
  // After the cut no face normal is averaged across the ridge.
  for (int i = 0; i < m.vertex_count; ++i) EXPECT_NEAR(std::fabs(m.vertices[i].normal.y), std::sqrt(0.5), 1e-5) << i;
}

TEST(InsertCracks, WalkFanOfAnOpenFanEndsWithABoundaryEntry) {
  TMesh m = fixtures::Fan(6, false);  // five faces around vertex 0, open between ring vertices 6 and 1
  Prepare(m);
  const std::vector<TFanEntry> fan = WalkFan(m, MakeCrackThresholds(TCrackOptions{}), 0);
  ASSERT_EQ(fan.size(), 6u);
  EXPECT_EQ(fan.front().edge_type, kFanBoundary);
  EXPECT_EQ(fan.back().face, -1);
  EXPECT_EQ(fan.back().edge_type, kFanBoundary);
  std::set<int32_t> faces;
  for (size_t k = 0; k + 1 < fan.size(); ++k) faces.insert(fan[k].face);
  EXPECT_EQ(faces.size(), 5u);
}

TEST(DuplicateVertex, DoublesAFullArrayAndCopiesTheRecord) {
  TMesh m = fixtures::Tetrahedron();
  m.vertices[2].aux = 3.5;
  const int32_t c = DuplicateVertex(m, 2);
  EXPECT_EQ(c, 4);
  EXPECT_EQ(m.vertex_count, 5);
  EXPECT_EQ(m.vertices.size(), 8u);
  EXPECT_EQ(m.vertices[4].aux, 3.5);
  EXPECT_EQ(m.vertices[4].pos.x, m.vertices[2].pos.x);
}

TEST(InsertCracks, CopiesCarryTheTimeStepVectors) {
  // Every time row must keep one vector per vertex in use, and a copy flows as
  // the corner it was cut from: each face corner keeps its time vectors.
  const TMesh orig = fixtures::Cube();
  TMesh m = fixtures::Cube();
  m.time_count = 2;
  m.time_values = {0, 1};
  m.time_velo.assign(2, std::vector<TVec3>(m.vertex_count));
  for (int i = 0; i < m.vertex_count; ++i) {
    m.time_velo[0][i] = TVec3{float(i), 1, 0};
    m.time_velo[1][i] = TVec3{0, float(2 * i), 3};
  }
  Crack(m);
  ASSERT_EQ(m.vertex_count, 24);
  for (int t = 0; t < 2; ++t) ASSERT_GE(m.time_velo[t].size(), 24u) << t;
  for (int f = 0; f < m.face_count; ++f)
    for (int k = 0; k < 3; ++k) {
      const int32_t now = m.faces[f].v[k], before = orig.faces[f].v[k];
      EXPECT_EQ(m.time_velo[0][now].x, float(before)) << f << " " << k;
      EXPECT_EQ(m.time_velo[1][now].y, float(2 * before)) << f << " " << k;
    }
}

TEST(InsertCracks, OpenFanWalkedFromTheMiddleIsCutIntoOneCopyPerRegion) {
  // An open fan of four faces around vertex 0, folded up and down so that its
  // three inner edges are sharp, with the faces listed from the middle: the
  // first face's forward edge is sharp, not the boundary. Vertex 0 must become
  // four copies, one per face, ring vertices 2..4 two each (one sharp edge
  // and the boundary), and every copy must be used by a face.
  const std::vector<TVec3> pos = {{0, 0, 0}, {1, 0, 0}, {0.7f, 0.7f, -1}, {0, 1, 0}, {-0.7f, 0.7f, -1}, {-1, 0, 0}};
  TMesh m = MakeMeshFromArrays(pos, {0, 3, 4, 0, 4, 5, 0, 1, 2, 0, 2, 3});
  Crack(m);
  EXPECT_EQ(m.vertex_count, 12);
  std::set<int32_t> used;
  for (const TFace& f : m.faces) used.insert(f.v, f.v + 3);
  EXPECT_EQ(used.size(), 12u);
  for (int f = 0; f < m.face_count; ++f)  // no corner shared between two faces
    for (int g = f + 1; g < m.face_count; ++g)
      for (int32_t a : m.faces[f].v)
        for (int32_t b : m.faces[g].v) EXPECT_NE(a, b) << f << " " << g;
  EXPECT_EQ(ValidateMesh(m, kCheckAdjacency | kCheckNormals), "");
}
