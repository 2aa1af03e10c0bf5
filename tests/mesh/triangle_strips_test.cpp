#include "mesh/triangle_strips.h"

#include <gtest/gtest.h>

#include <vector>

#include "mesh/mesh_preparation.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"

namespace {

TStripStats Strips(TMesh& m) {
  BuildAdjacency(m);
  return BuildStrips(m);
}

}  // namespace

TEST(FindFaceAcross, ReturnsTheOtherFaceAndItsOffEdgeVertexSymmetrically) {
  TMesh m = fixtures::TwoTriangles();  // faces (0,1,3), (0,3,2)
  BuildAdjacency(m);
  int32_t x = -1;
  EXPECT_EQ(FindFaceAcross(m, 0, 3, 0, x), 1);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(FindFaceAcross(m, 1, 0, 3, x), 0);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(FindFaceAcross(m, 0, 0, 1, x), -1);
  TMesh s = fixtures::Sphere(1, 2);
  BuildAdjacency(s);
  for (int32_t f = 0; f < s.face_count; ++f)
    for (int k = 0; k < 3; ++k) {
      const int32_t a = s.faces[f].v[k], b = s.faces[f].v[(k + 1) % 3];
      const int32_t g = FindFaceAcross(s, f, a, b, x);
      ASSERT_GE(g, 0);
      int32_t y = -1;
      EXPECT_EQ(FindFaceAcross(s, g, b, a, y), f);
      EXPECT_EQ(y, s.faces[f].v[(k + 2) % 3]);
    }
}

TEST(BuildStrips, SingleTriangleAndTwoTriangles) {
  TMesh one = fixtures::SingleTriangle();
  const TStripStats s1 = Strips(one);
  EXPECT_EQ(one.strip_len, 5);
  EXPECT_EQ(one.strips[3], kStripEnd);
  EXPECT_EQ(one.strips[4], kStreamEnd);
  EXPECT_EQ(s1.strips, 1);
  TMesh two = fixtures::TwoTriangles();
  const TStripStats s2 = Strips(two);
  EXPECT_EQ(two.strip_len, 6);
  EXPECT_EQ(s2.strips, 1);
  EXPECT_EQ(s2.faces, 2);
  EXPECT_EQ(ValidateMesh(two, kCheckStrips), "");
  // Exact streams. One triangle: all three trial walks have length 1, so the
  // tie goes to the third rotation (v2, v0, v1). Two triangles (0,1,3), (0,3,2):
  // only the walk across (v2, v0) = (3, 0) reaches face 1, so rotation 2
  // (1, 3, 0) starts the strip and face 1 adds its off-edge vertex 2.
  const std::vector<int32_t> want1 = {2, 0, 1, kStripEnd, kStreamEnd};
  EXPECT_EQ(std::vector<int32_t>(one.strips.begin(), one.strips.begin() + one.strip_len), want1);
  const std::vector<int32_t> want2 = {1, 3, 0, 2, kStripEnd, kStreamEnd};
  EXPECT_EQ(std::vector<int32_t>(two.strips.begin(), two.strips.begin() + two.strip_len), want2);
  // The same strip whichever corner face 0 lists first: the walk across the
  // shared edge (3, 0) wins as the first, second or third rotation.
  for (const auto& corners : {std::vector<int32_t>{1, 3, 0}, std::vector<int32_t>{3, 0, 1}}) {
    TMesh turned = fixtures::TwoTriangles();
    for (int k = 0; k < 3; ++k) turned.faces[0].v[k] = corners[k];
    Strips(turned);
    EXPECT_EQ(std::vector<int32_t>(turned.strips.begin(), turned.strips.begin() + turned.strip_len), want2);
  }
}

TEST(BuildStrips, CoverEveryFaceOnceWithItsWinding) {
  for (TMesh m : {fixtures::Cube(), fixtures::Sphere(1, 3), fixtures::Torus(2, 0.5, 24, 12), fixtures::Grid(7, 5),
                  fixtures::Fan(20), fixtures::Band(1, 1, 9)}) {
    const TStripStats st = Strips(m);
    EXPECT_EQ(ValidateMesh(m, kCheckStrips), "");
    EXPECT_EQ(st.faces, m.face_count);
    EXPECT_LE(m.strip_len, 4 * m.face_count + 1);
    EXPECT_EQ(m.strip_len, m.face_count + 3 * st.strips + 1);
  }
}

TEST(BuildStrips, ClosedRingBecomesOneStripEndingAtItsStart) {
  TMesh m = fixtures::Band(1, 1, 8);
  const TStripStats st = Strips(m);
  EXPECT_EQ(st.strips, 1);
  EXPECT_EQ(st.faces, 16);
  EXPECT_EQ(m.strip_len, 16 + 2 + 1 + 1);
}

TEST(BuildStrips, StatisticsText) {
  EXPECT_EQ(StripStatisticsText(TStripStats{412, 2000}), "412 strips; length avg: 4.854 vtx send 2000");
  EXPECT_EQ(StripStatisticsText(TStripStats{2, 10}), "2 strips; length avg: 5 vtx send 10");
  EXPECT_EQ(StripStatisticsText(TStripStats{0, 0}), "0 strips; length avg: - vtx send 0");
  TMesh none;  // no faces: only the end marker
  const TStripStats st = BuildStrips(none);
  EXPECT_EQ(st.strips, 0);
  EXPECT_EQ(none.strip_len, 1);
  EXPECT_EQ(none.strips[0], kStreamEnd);
}

TEST(BuildStrips, FaceThatRepeatsAVertexIsCoveredWithoutInventingTriangles) {
  TMesh m = fixtures::Grid(2, 1);  // faces (0,1,4), (0,4,3), (1,2,5), (1,5,4)
  m.faces[2].v[1] = 1;             // (1,1,5): its collapsed edge (1,1) has no face across
  int32_t x = -1;
  BuildAdjacency(m);
  EXPECT_EQ(FindFaceAcross(m, 2, 1, 1, x), -1);
  BuildStrips(m);
  EXPECT_EQ(ValidateMesh(m, kCheckStrips), "");
}
