#include "mesh/curvature.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mesh/double_lanes.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "support/fp_traps.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"

namespace {

void Prepare(TMesh& m, bool second_ring = false) {
  BuildAdjacency(m);
  ComputeNormals(m);
  ComputeBoundingBox(m);
  ComputeCurvature(m, TCurvatureOptions{second_ring});
}

// A cylinder of radius r around the z axis (open at both ends), normals outward.
TMesh Cylinder(double r, int n, int rings) {
  std::vector<TVec3> pos;
  for (int j = 0; j <= rings; ++j)
    for (int i = 0; i < n; ++i) {
      const double a = 2 * M_PI * i / n;
      pos.push_back(TVec3{float(r * std::cos(a)), float(r * std::sin(a)), float(j * 2 * M_PI * r / n)});
    }
  std::vector<int32_t> c;
  for (int j = 0; j < rings; ++j)
    for (int i = 0; i < n; ++i) {
      const int32_t a = j * n + i, b = j * n + (i + 1) % n, cc = b + n, d = a + n;
      c.insert(c.end(), {a, b, cc, a, cc, d});
    }
  return MakeMeshFromArrays(pos, c);
}

}  // namespace

TEST(ComputeCurvature, SphereOfRadiusRGivesMinusOneOverR) {
  // Per vertex the estimate is limited by the angle-weighted normals of an
  // irregular mesh (up to ten percent on these coarse spheres); the mean
  // over the sphere is closer.
  const double r = 2.5;
  for (TMesh m : {fixtures::Sphere(r, 4), fixtures::UvSphere(r, 40, 20)}) {
    for (bool ring : {false, true}) {
      Prepare(m, ring);
      double sum = 0;
      for (int i = 0; i < m.vertex_count; ++i) {
        const TVertex& v = m.vertices[i];
        EXPECT_NEAR(v.kmax, -1 / r, 0.1 / r) << i;
        EXPECT_NEAR(v.kmin, -1 / r, 0.1 / r) << i;
        EXPECT_GE(v.kmax, v.kmin);
        sum += v.kmax + v.kmin;
      }
      EXPECT_NEAR(sum / (2 * m.vertex_count), -1 / r, 0.05 / r);
    }
    NormalizeCurvature(m);
    EXPECT_NEAR(m.vertices[0].kmin, -m.box_size / r, 0.1 * m.box_size / r);
  }
}

TEST(ComputeCurvature, PlaneGivesZeroCurvature) {
  TMesh m = fixtures::Grid(6, 6, 3, 3);
  Prepare(m);
  for (int i = 0; i < m.vertex_count; ++i) {
    if (m.vertices[i].nb_count < 3) continue;
    EXPECT_NEAR(m.vertices[i].kmax, 0, 1e-9);
    EXPECT_NEAR(m.vertices[i].kmin, 0, 1e-9);
  }
}

TEST(ComputeCurvature, CylinderHasOneBentAndOneStraightDirection) {
  const double r = 1.5;
  TMesh m = Cylinder(r, 48, 6);
  Prepare(m);
  for (int i = 2 * 48; i < 4 * 48; ++i) {  // interior rings only
    const TVertex& v = m.vertices[i];
    EXPECT_NEAR(v.kmax, 0, 0.02 / r) << i;
    EXPECT_NEAR(v.kmin, -1 / r, 0.02 / r) << i;
    EXPECT_NEAR(std::fabs(v.dir_max0.z), 1, 1e-3) << i;  // the straight direction runs along the axis
    EXPECT_NEAR(v.dir_min0.z, 0, 1e-3) << i;
    EXPECT_NEAR(vec_dot(v.dir_min0, v.normal), 0, 1e-5);
  }
}

TEST(ComputeCurvature, LocalFrameIsOrthonormalAndUsesZWhenTheNormalIsY) {
  TMesh m = fixtures::Octahedron();
  Prepare(m);
  for (const TVertex& v : m.vertices) {
    EXPECT_NEAR(vec_length(v.e1), 1, 1e-6);
    EXPECT_NEAR(vec_dot(v.e1, v.normal), 0, 1e-6);
    EXPECT_NEAR(vec_dot(v.e1, v.e2), 0, 1e-6);
    EXPECT_NEAR(vec_dot(v.e2, v.normal), 0, 1e-6);
  }
  m.vertices[2].normal = TVec3{0, 1, 0};  // exactly +y: e1 = y x z = x
  ComputeCurvature(m, TCurvatureOptions{});
  const TVertex& top = m.vertices[2];
  EXPECT_NEAR(top.e1.x, 1, 1e-6);
  EXPECT_NEAR(top.e2.z, -1, 1e-6);
}

TEST(ComputeCurvature, VertexWithTwoNeighboursKeepsItsCurvatureButGetsAFrame) {
  TMesh m = fixtures::SingleTriangle();
  for (TVertex& v : m.vertices) v.kmax = v.kmin = 7;
  Prepare(m);
  EXPECT_EQ(m.vertices[0].kmax, 7);
  EXPECT_EQ(m.vertices[1].kmin, 7);
  EXPECT_NEAR(vec_length(m.vertices[0].e1), 1, 1e-6);
}

TEST(ComputeCurvature, DirectionsAreTangentUnitAndKeptInBothCopies) {
  TMesh m = fixtures::Torus(3, 1, 48, 24);
  Prepare(m);
  for (const TVertex& v : m.vertices) {
    EXPECT_GE(v.kmax, v.kmin);
    EXPECT_NEAR(vec_length(v.dir_max0), 1, 1e-5);
    EXPECT_NEAR(vec_dot(v.dir_max0, v.normal), 0, 1e-5);
    EXPECT_NEAR(std::fabs(vec_dot(v.dir_max0, v.dir_min0)), 0, 1e-3);
    EXPECT_EQ(v.dir_max.x, v.dir_max0.x);
    EXPECT_EQ(v.dir_min.z, v.dir_min0.z);
  }
  // Outer equator (tube angle 0): along the tube -1/r, around the z axis -1/(R+r).
  const TVertex& outer = m.vertices[0];
  EXPECT_NEAR(outer.kmin, -1.0, 0.05);
  EXPECT_NEAR(outer.kmax, -1.0 / 4, 0.05);
}

TEST(ComputeCurvature, ExactOnAQuadraticPatchAlsoWhenTheSecondRingOverflowsTheTable) {
  // Apex of z = -(x^2 + y^2) / 2 (curvature -1 along every direction) with 15
  // neighbours, each fanned out to 8 vertices of its own: the second ring has
  // 120 vertices, far more than the 150-row table holds. Every equation is
  // exact for this surface, so any subset of rows gives -1.
  std::vector<TVec3> pos = {TVec3{0, 0, 0}};
  std::vector<int32_t> corners;
  auto on_surface = [](double x, double y) { return TVec3{float(x), float(y), float(-(x * x + y * y) / 2)}; };
  for (int i = 0; i < 15; ++i)
    pos.push_back(on_surface(0.1 * std::cos(i * 2 * M_PI / 15), 0.1 * std::sin(i * 2 * M_PI / 15)));
  for (int i = 0; i < 15; ++i) corners.insert(corners.end(), {0, 1 + i, 1 + (i + 1) % 15});
  for (int i = 0; i < 15; ++i) {
    const int32_t first = static_cast<int32_t>(pos.size());
    for (int k = 0; k < 8; ++k) {
      const double a = i * 2 * M_PI / 15 + (k - 3.5) * 0.02;
      pos.push_back(on_surface(0.2 * std::cos(a) + 0.01 * k, 0.2 * std::sin(a)));
    }
    for (int k = 0; k < 7; ++k) corners.insert(corners.end(), {1 + i, first + k + 1, first + k});
  }
  TMesh m = MakeMeshFromArrays(pos, corners);
  BuildAdjacency(m);
  for (TVertex& v : m.vertices) {
    v.normal = TVec3{v.pos.x, v.pos.y, 1};
    vec_normalize(v.normal);
  }
  ASSERT_EQ(m.vertices[0].nb_count, 15);
  for (bool ring : {false, true}) {
    ComputeCurvature(m, TCurvatureOptions{ring});
    EXPECT_NEAR(m.vertices[0].kmax, -1, 1e-3) << ring;
    EXPECT_NEAR(m.vertices[0].kmin, -1, 1e-3) << ring;
  }
}

TEST(ComputeCurvature, DegenerateNeighbourhoodGivesNoCurvatureInsteadOfInfinities) {
  // One cube corner pulled 10^7 away: the fits of its neighbours overflow on
  // the way (the defined outcome is then zero curvature, not inf or nan), so
  // the traps are off for this case only.
  FpTrapsOff traps_off;
  TMesh m = fixtures::Cube();
  m.vertices[3].pos.z = -1e7f;
  Prepare(m);
  int zero = 0;
  for (const TVertex& v : m.vertices) {
    ASSERT_TRUE(std::isfinite(v.kmax) && std::isfinite(v.kmin));
    ASSERT_TRUE(std::isfinite(v.dir_max.x) && std::isfinite(v.dir_min.y));
    EXPECT_GE(v.kmax, v.kmin);
    zero += v.kmax == 0 && v.kmin == 0 && vec_length(v.dir_max) == 0;
  }
  EXPECT_GT(zero, 0);
}

// The fits are solved two or four at a time depending on the machine; every
// fit must come out with the same bits either way, whatever the valences and
// however many fits are left for the last batch.
TEST(ComputeCurvature, FourLanesGiveTheBitsOfTwo) {
  if (!WideLanes()) GTEST_SKIP() << "this machine has no four-lane variant";
  TMesh jittered = fixtures::Sphere(1.5, 3);
  for (int32_t i = 0; i < jittered.vertex_count; ++i)
    jittered.vertices[i].pos.x += 0.01f * static_cast<float>((i * 7919) % 13 - 6);
  const struct {
    const char* name;
    TMesh mesh;
    bool second_ring;
  } cases[] = {
      {"jittered sphere", jittered, false},
      {"jittered sphere, second ring", jittered, true},
      {"torus of 1,003 vertices", fixtures::Torus(2, 0.7, 59, 17), false},
      {"fan of 20", fixtures::Fan(20), true},
      {"grid with a flat border", fixtures::Grid(13, 7), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMesh two = c.mesh, four = c.mesh;
    SetWideLanes(false);
    Prepare(two, c.second_ring);
    SetWideLanes(true);
    Prepare(four, c.second_ring);
    EXPECT_EQ(MeshDifference(two, four), "");
  }
}
