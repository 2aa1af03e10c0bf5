#include "formats/polygon_split.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using TTris = std::vector<std::array<int32_t, 3>>;

// Twice the signed area of the triangle in the xy plane.
double Cross2(const TVec3& a, const TVec3& b, const TVec3& c) {
  return (double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x);
}

// Area of a polygon in the xy plane (shoelace).
double PolygonArea(const std::vector<TVec3>& p) {
  double s = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const TVec3 &a = p[i], &b = p[(i + 1) % p.size()];
    s += double(a.x) * b.y - double(b.x) * a.y;
  }
  return 0.5 * s;
}

// Even-odd test of a point strictly inside a polygon in the xy plane.
bool InsidePolygon(const std::vector<TVec3>& p, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
    if ((p[i].y > y) != (p[j].y > y) && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x) in = !in;
  }
  return in;
}

std::vector<TVec3> Xy(std::initializer_list<std::pair<double, double>> pts) {
  std::vector<TVec3> out;
  for (const auto& [x, y] : pts) out.push_back(TVec3{float(x), float(y), 0});
  return out;
}

struct TPolygonCase {
  const char* label;
  std::vector<TVec3> corners;  // counter-clockwise in z = 0
};

// Planar polygons, several of them non-convex, where a fan from the first
// corner would put triangles outside the polygon.
std::vector<TPolygonCase> PlanarCases() {
  return {
      {"square", Xy({{0, 0}, {1, 0}, {1, 1}, {0, 1}})},
      {"dart quad, reflex corner 2", Xy({{0, 0}, {2, 1}, {0.5, 1}, {0, 3}})},
      {"dart quad, reflex corner 0", Xy({{0.5, 1}, {0, 3}, {0, 0}, {2, 1}})},
      {"convex pentagon", Xy({{0, 0}, {0.5, -0.5}, {1, 0}, {1, 1}, {0, 1}})},
      {"L shape from its reflex corner", Xy({{1, 1}, {1, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 1}})},
      {"L shape", Xy({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}})},
      {"comb", Xy({{0, 0}, {5, 0}, {5, 3}, {4, 3}, {4, 1}, {3, 1}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}})},
      {"star", Xy({{0, -3}, {1, -1}, {3, 0}, {1, 1}, {0, 3}, {-1, 1}, {-3, 0}, {-1, -1}})},
      {"octagon", Xy({{2, 0}, {1.4, 1.4}, {0, 2}, {-1.4, 1.4}, {-2, 0}, {-1.4, -1.4}, {0, -2}, {1.4, -1.4}})},
  };
}

TEST(PolygonSplit, PlanarPolygonsGiveNMinusTwoTrianglesInsideThePolygonWithItsWinding) {
  for (const TPolygonCase& c : PlanarCases()) {
    SCOPED_TRACE(c.label);
    TTris tris;
    SplitPolygon(c.corners, tris);
    ASSERT_EQ(tris.size(), c.corners.size() - 2);
    double area = 0;
    for (const auto& t : tris) {
      for (int k = 0; k < 3; ++k) ASSERT_TRUE(t[k] >= 0 && t[k] < int32_t(c.corners.size()));
      const TVec3 &a = c.corners[t[0]], &b = c.corners[t[1]], &d = c.corners[t[2]];
      const double twice = Cross2(a, b, d);
      EXPECT_GT(twice, 0) << "triangle turned over or flat: " << t[0] << " " << t[1] << " " << t[2];
      area += twice / 2;
      // The centroid and points near each corner lie inside the polygon.
      const double cx = (double(a.x) + b.x + d.x) / 3, cy = (double(a.y) + b.y + d.y) / 3;
      EXPECT_TRUE(InsidePolygon(c.corners, cx, cy)) << "triangle outside: " << t[0] << " " << t[1] << " " << t[2];
      for (const TVec3* p : {&a, &b, &d})
        EXPECT_TRUE(InsidePolygon(c.corners, 0.9 * p->x + 0.1 * cx, 0.9 * p->y + 0.1 * cy));
    }
    EXPECT_NEAR(area, PolygonArea(c.corners), 1e-5);
  }
}

TEST(PolygonSplit, QuadTakesItsShorterDiagonal) {
  const struct {
    const char* label;
    std::vector<TVec3> quad;
    std::array<int, 2> diagonal;  // the corners the two triangles share
  } cases[] = {
      {"long along 0-2", Xy({{0, 0}, {2, -0.5}, {4, 0}, {2, 0.5}}), {1, 3}},
      {"long along 1-3", Xy({{0, 0}, {0.5, -2}, {1, 0}, {0.5, 2}}), {0, 2}},
      {"slanted rhombus", Xy({{0, 0}, {3, 0}, {4, 1}, {1, 1}}), {1, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TTris tris;
    SplitPolygon(c.quad, tris);
    ASSERT_EQ(tris.size(), 2u);
    int shared = 0;
    for (int a : tris[0])
      for (int b : tris[1]) shared += (a == b) && (a == c.diagonal[0] || a == c.diagonal[1]);
    EXPECT_EQ(shared, 2);
  }
}

TEST(PolygonSplit, BentAndDegeneratePolygonsStillGiveNMinusTwoTrianglesOfDistinctCorners) {
  std::vector<TVec3> saddle;  // a non-planar hexagon bent up and down, in a tilted plane
  for (int k = 0; k < 6; ++k) {
    const double a = k * M_PI / 3;
    saddle.push_back(TVec3{float(std::cos(a)), float(std::sin(a)), float(0.2 * (k % 2 ? 1 : -1) + std::cos(a))});
  }
  std::vector<TVec3> collinear = Xy({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
  std::vector<TVec3> repeated = Xy({{0, 0}, {1, 0}, {1, 0}, {1, 1}, {0, 1}});
  for (const std::vector<TVec3>* p : {&saddle, &collinear, &repeated}) {
    TTris tris;
    SplitPolygon(*p, tris);
    ASSERT_EQ(tris.size(), p->size() - 2);
    std::vector<int> used(p->size(), 0);
    for (const auto& t : tris) {
      EXPECT_TRUE(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
      for (int k : t) used[k] = 1;
    }
    for (int u : used) EXPECT_EQ(u, 1);  // every corner is in some triangle
  }
}

TEST(PolygonSplit, PendingPolygonsKeepFileOrderAndSwap) {
  VertexArray v(6);
  const std::vector<TVec3> hex = Xy({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
  for (int i = 0; i < 6; ++i) v[i].pos = hex[i];
  FaceArray faces(1);
  faces[0].v[0] = 5;
  TPendingPolygons pending;
  const std::vector<int32_t> corners = {0, 1, 2, 3, 4, 5};
  for (bool swap : {false, true}) pending.Add(corners, swap, faces);
  faces.emplace_back().v[0] = 4;
  ASSERT_EQ(faces.size(), 10u);
  pending.Resolve(v, faces);
  EXPECT_EQ(faces[0].v[0], 5);
  EXPECT_EQ(faces[9].v[0], 4);
  for (int f = 1; f < 5; ++f) {
    EXPECT_GT(Cross2(v[faces[f].v[0]].pos, v[faces[f].v[1]].pos, v[faces[f].v[2]].pos), 0) << f;
    EXPECT_LT(Cross2(v[faces[f + 4].v[0]].pos, v[faces[f + 4].v[1]].pos, v[faces[f + 4].v[2]].pos), 0) << f;
  }
}

}  // namespace
