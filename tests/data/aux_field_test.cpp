// The auxiliary-field operations on small prepared meshes, against values
// worked out from the geometry.
#include "data/aux_field.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/data_channels.h"
#include "data/render_state.h"
#include "support/mesh_fixtures.h"

namespace {

// A perspective camera at (0, 0, distance) looking at the origin: glFrustum
// with half-width `half` at the near plane 1, far plane 100, a size x size
// viewport.
TStoredMatrices CameraOnZ(double distance, double half, int size) {
  TStoredMatrices m;
  m.modelview_matrix[14] = -distance;
  const double n = 1, f = 100;
  double* p = m.projection_matrix;
  for (int i = 0; i < 16; ++i) p[i] = 0;
  p[0] = p[5] = n / half;
  p[10] = -(f + n) / (f - n);
  p[11] = -1;
  p[14] = -2 * f * n / (f - n);
  m.viewport_rect[2] = m.viewport_rect[3] = size;
  return m;
}

}  // namespace

TEST(SmoothAux, WeightZeroKeepsTheFieldAndFullWeightTakesTheClampedNeighbourMean) {
  TMesh m = fixtures::Grid(3, 3);
  fixtures::Prepare(m);
  m.vertices.push_back(TVertex{});  // a last vertex without neighbours
  m.vertex_count += 1;
  m.data_range[kChanAux] = {0, 1};
  for (int i = 0; i < m.vertex_count; ++i)
    m.vertices[i].aux = (i % 3 == 0) ? 5.0 : -0.5 + 0.1 * i;  // some outside 0..1
  const TMesh before = m;

  SmoothAux(m, {5, 0.0});  // A = 0
  SmoothAux(m, {0, 1.0});  // N = 0: no pass at all
  for (int i = 0; i < m.vertex_count; ++i) EXPECT_EQ(m.vertices[i].aux, before.vertices[i].aux) << i;

  SmoothAux(m, {1, 1.0});
  for (int i = 0; i < m.vertex_count; ++i) {
    const TVertex& v = before.vertices[i];
    double expected = v.aux;  // no neighbours: kept, and not clamped
    if (v.nb_count > 0) {
      double sum = 0;
      for (int k = 0; k < v.nb_count; ++k) sum += std::clamp(before.vertices[v.nb[k]].aux, 0.0, 1.0);
      expected = sum / v.nb_count;
    }
    EXPECT_DOUBLE_EQ(m.vertices[i].aux, expected) << i;
    EXPECT_EQ(m.vertices[i].aux_base, m.vertices[i].aux) << i;
  }
}

TEST(ShadeAux, AddsTheShadeOfTheLightBroughtIntoModelSpaceAndNeverAccumulates) {
  TMesh m = fixtures::Octahedron();
  fixtures::Prepare(m);
  for (int i = 0; i < m.vertex_count; ++i) m.vertices[i].aux_base = 100 + i;
  // A modelview whose rotation takes model +x to eye +z: the eye-space light
  // (0, 0, 1, 0) shines along model +x.
  TStoredMatrices mv;
  const double rot[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -7, 1};
  std::copy(rot, rot + 16, mv.modelview_matrix);
  mv.light_position[2] = 3;  // any length: normalised for a directional light
  const TAuxShade p{10, 2, true};

  ShadeAux(m, mv, p);
  const TMesh once = m;
  ShadeAux(m, mv, p);
  // Octahedron vertices: +x, -x, +y, -y, +z, -z with outward normals.
  EXPECT_NEAR(m.vertices[0].aux, 100 + 2, 1e-5);   // facing the light: aux_base + sh_max
  EXPECT_NEAR(m.vertices[1].aux, 101 + 10, 1e-5);  // facing away: aux_base + sh_min
  EXPECT_NEAR(m.vertices[2].aux, 102 + 10, 1e-5);  // grazing: a = 0
  for (int i = 0; i < m.vertex_count; ++i) {
    EXPECT_EQ(m.vertices[i].aux, once.vertices[i].aux) << i;
    EXPECT_EQ(m.vertices[i].aux_base, 100 + i) << i;
  }

  // A point light at (0, 0, 5) with the identity modelview: the +z vertex
  // faces it fully, the +x vertex sees it from behind its tangent plane.
  TStoredMatrices point;
  point.light_position[2] = 5;
  point.light_position[3] = 1;
  ShadeAux(m, point, {10, 2, false});
  EXPECT_NEAR(m.vertices[4].aux, 104 + 2, 1e-5);
  EXPECT_NEAR(m.vertices[0].aux, 100 + 10, 1e-5);
}

TEST(AuxGradient, TheGradientOfYPointsUpTheSlopeOfATiltedPlane) {
  TMesh m = fixtures::Grid(6, 6, 2, 2);
  const double c = std::cos(0.5), s = std::sin(0.5);  // tilted about x by 0.5 rad
  for (int i = 0; i < m.vertex_count; ++i) {
    TVec3& p = m.vertices[i].pos;
    p = {p.x, static_cast<float>(p.y * c), static_cast<float>(p.y * s)};
  }
  fixtures::Prepare(m);
  ComputeVertexData(m, kChanY);
  CopyChannelToAux(m, kChanY);  // "Cur -> Aux" with "Y" shown
  EXPECT_EQ(m.data_range[kChanAux].min, m.data_range[kChanY].min);
  EXPECT_EQ(m.data_range[kChanAux].max, m.data_range[kChanY].max);
  const TMesh before = m;

  ReplaceDirectionsWithAuxGradient(m);
  // The estimate leans towards the grid's diagonals (27 degrees inside, up to
  // 45 at the corners, where only one triangle meets), but always points up
  // the slope and has about the right size: y grows by cos(0.5) per unit
  // along it.
  const TVec3 up_slope{0, static_cast<float>(c), static_cast<float>(s)};
  for (int i = 0; i < m.vertex_count; ++i) {
    const TVertex& v = m.vertices[i];
    TVec3 g = v.dir_max;
    EXPECT_NEAR(vec_length(g), c, 0.5 * c) << i;
    vec_normalize(g);
    EXPECT_GE(vec_dot(g, up_slope), 0.7) << i;
    EXPECT_TRUE(v.dir_min.x == v.dir_max.x && v.dir_min.z == v.dir_max.z);
    EXPECT_EQ(v.dir_max0.y, before.vertices[i].dir_max0.y);
  }
}

// A sphere stretched along y: on an exact sphere every point is umbilic and
// the computed principal directions are arbitrary (they even coincide), so
// the contour of the local cylinder would be too. At the silhouette only the
// cylinders seen from the side have a contour; one whose axis points at the
// eye has none.
TEST(FeatureLines, SphereDistancesAreSmallAtTheSilhouetteAndLargeFacingTheEye) {
  TMesh m = fixtures::Sphere(1, 3);
  for (int i = 0; i < m.vertex_count; ++i) m.vertices[i].pos.y *= 1.3f;
  fixtures::Prepare(m);
  for (int i = 0; i < m.vertex_count; ++i) m.vertices[i].aux_base = 7;
  EXPECT_FALSE(FeatureLineDistances(m, TStoredMatrices{}));  // no frame yet: empty viewport
  EXPECT_EQ(m.vertices[0].aux, 0);

  m.vertices[0].kmin = 0.2;                             // kmin >= 0 (flat or concave there): no contour
  const TStoredMatrices cam = CameraOnZ(5, 0.25, 200);  // about 80 pixels per unit at the sphere
  ASSERT_TRUE(FeatureLineDistances(m, cam));
  EXPECT_EQ(m.vertices[0].aux, 1000);
  EXPECT_EQ(vec_length(m.vertices[0].dir_max), 0);
  const TVec3 eye{0, 0, 4};  // the near-plane centre
  int rim = 0, front = 0;
  for (int i = 1; i < m.vertex_count; ++i) {
    const TVertex& v = m.vertices[i];
    EXPECT_EQ(v.aux_base, 7);
    TVec3 to_eye{eye.x - v.pos.x, eye.y - v.pos.y, eye.z - v.pos.z};
    vec_normalize(to_eye);
    const double facing = vec_dot(v.normal, to_eye);
    if (std::fabs(facing) < 0.3 && std::fabs(vec_dot(v.dir_min0, to_eye)) < 0.5) {  // cylinder seen from the side
      ++rim;
      EXPECT_LT(v.aux, 8) << i;
    } else if (facing > 0.9) {
      ++front;
      EXPECT_GT(v.aux, 40) << i;
      EXPECT_LT(v.aux, 120) << i;
    }
  }
  EXPECT_GT(rim, 4);
  EXPECT_GT(front, 4);
}

// The eye on the axis of a vertex's cylinder (or anywhere inside its circle)
// sees no contour; the division by the eye's distance from the axis must not
// run when that distance is 0.
TEST(FeatureLines, AnEyeOnTheCylinderAxisOrInsideTheCircleGivesNoContour) {
  const TStoredMatrices cam = CameraOnZ(5, 0.25, 200);
  TVertex v{};
  v.normal = {0, 0, 1};
  v.dir_max0 = {0, 1, 0};
  v.dir_min0 = {1, 0, 0};
  v.kmin = -1;  // radius 1 about C = (0, 0, -1), axis along x
  v.aux_base = 3;
  const double eyes[][3] = {{0, 0, -1}, {4, 0, -1}, {0, 0.5, -0.5}};
  for (const auto& eye : eyes) {
    v.aux = 0;
    v.dir_max = v.dir_min = {1, 1, 1};
    SilhouetteDistance(v, eye, cam);
    EXPECT_EQ(v.aux, 1000);
    EXPECT_EQ(vec_length(v.dir_max), 0);
    EXPECT_EQ(vec_length(v.dir_min), 0);
    EXPECT_EQ(v.aux_base, 3);
  }
}
