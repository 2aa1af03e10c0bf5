#include "flow/velocity_synthesis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "flow/source_flow_kernel.h"

namespace {

// Points on the unit sphere (without the poles) with analytic normal = position,
// e1 pointing east along the circle of constant z and e2 = normal x e1 north.
TMesh UnitSphereCloud(int rings = 9, int per_ring = 12) {
  TMesh mesh;
  for (int r = 1; r <= rings; ++r) {
    const double lat = std::numbers::pi * (r / (rings + 1.0) - 0.5);
    for (int k = 0; k < per_ring; ++k) {
      const double lon = 2 * std::numbers::pi * k / per_ring;
      TVertex v{};
      v.pos = {float(std::cos(lat) * std::cos(lon)), float(std::cos(lat) * std::sin(lon)), float(std::sin(lat))};
      v.normal = v.pos;
      v.e1 = {float(-std::sin(lon)), float(std::cos(lon)), 0};
      vec_cross(v.normal, v.e1, v.e2);
      mesh.vertices.push_back(v);
    }
  }
  mesh.vertex_count = static_cast<int32_t>(mesh.vertices.size());
  mesh.box_size = 2 * std::sqrt(3.0);
  return mesh;
}

// Vertices at the given positions with a fixed frame: normal z, e1 x, e2 y.
TMesh PointCloud(const std::vector<TVec3>& positions, double box_size) {
  TMesh mesh;
  for (const TVec3& p : positions) {
    TVertex v{};
    v.pos = p;
    v.normal = {0, 0, 1};
    v.e1 = {1, 0, 0};
    v.e2 = {0, 1, 0};
    mesh.vertices.push_back(v);
  }
  mesh.vertex_count = static_cast<int32_t>(mesh.vertices.size());
  mesh.box_size = box_size;
  return mesh;
}

TFlowParams NoTerms() {
  TFlowParams p;
  p.shpotflow = false;
  return p;
}

void ExpectVec(const TVec3& got, double x, double y, double z, double tol) {
  EXPECT_NEAR(got.x, x, tol);
  EXPECT_NEAR(got.y, y, tol);
  EXPECT_NEAR(got.z, z, tol);
}

}  // namespace

TEST(VelocitySynthesis, DefaultSettingsGiveZeroVelocityEvenWithUnusedFileVelocities) {
  TMesh mesh = UnitSphereCloud();
  for (TVertex& v : mesh.vertices) {
    v.user_velo = {1, 2, 3};
    v.velo = {5, 5, 5};
    v.speed = 7;
  }
  TFlowSourceTable table;
  SynthesizeVelocity(mesh, table, TFlowParams{});
  mesh.has_user_velo = true;  // "Flow data" unchecked: file velocities unused
  SynthesizeVelocity(mesh, table, TFlowParams{});
  for (const TVertex& v : mesh.vertices) {
    ExpectVec(v.velo, 0, 0, 0, 0);
    EXPECT_EQ(v.speed, 0);
  }
}

TEST(VelocitySynthesis, ContourPresetXYRunsAlongCirclesOfConstantZ) {
  TMesh mesh = UnitSphereCloud();
  TFlowSourceTable table;
  TFlowParams p;
  p.vz = -10;
  p.angle = 90;
  SynthesizeVelocity(mesh, table, p);
  for (const TVertex& v : mesh.vertices) {
    // Projected (0, 0, -10 box) is -10 box cos(lat) e2; turned by 90 degrees it is +e1.
    const double len = 0.02 * 10 * mesh.box_size * std::sqrt(1 - double(v.pos.z) * v.pos.z);
    ExpectVec(v.velo, len * v.e1.x, len * v.e1.y, 0, 1e-5);
    EXPECT_NEAR(vec_dot(v.velo, v.normal), 0, 1e-5);
    EXPECT_NEAR(v.speed, len, 1e-5);
  }
}

TEST(VelocitySynthesis, AxisPresetZRunsDownTheMeridians) {
  TMesh mesh = UnitSphereCloud();
  TFlowSourceTable table;
  TFlowParams p;
  p.vz = -10;
  SynthesizeVelocity(mesh, table, p);
  for (const TVertex& v : mesh.vertices) {
    const double len = 0.02 * 10 * mesh.box_size * std::sqrt(1 - double(v.pos.z) * v.pos.z);
    ExpectVec(v.velo, -len * v.e2.x, -len * v.e2.y, -len * v.e2.z, 1e-5);
    EXPECT_LT(v.velo.z, 0);
  }
}

TEST(VelocitySynthesis, PointSourceWithoutProjectionFallsAsDistanceOverSoftenedSquare) {
  const double box = 3.0;
  TMesh mesh = PointCloud({{1, 2, 3}, {1.5f, 2, 3}, {1, 2.1f, 3}, {4, 2, -1}, {1.01f, 2, 3}}, box);
  TFlowSourceTable table;
  table.source_count = 1;
  table.flow_sources[1].p0 = {1, 2, 3};
  table.flow_sources[1].p1 = {1, 5, 3};  // unused by a point source
  table.flow_sources[1].strength = 10;
  table.flow_sources[1].rot_strength = 50;  // ignored by point sources
  TFlowParams p;
  p.project = false;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 0, 0, 0, 0);  // on the source
  for (int i = 1; i < mesh.vertex_count; ++i) {
    const TVertex& v = mesh.vertices[i];
    const double rx = v.pos.x - 1.0, ry = v.pos.y - 2.0, rz = v.pos.z - 3.0;
    const double r = std::sqrt(rx * rx + ry * ry + rz * rz);
    const double len = 0.02 * 10 * box * r / (0.001 + r * r);
    EXPECT_NEAR(v.speed, len, 1e-5 * len);
    ExpectVec(v.velo, len * rx / r, len * ry / r, len * rz / r, 1e-5 * len);
  }
}

TEST(VelocitySynthesis, RotationalLineSourceSwirlsAboutTheLine) {
  const double box = 2.0;
  TMesh mesh = PointCloud({{0.5f, 0, 0}, {0, -2, 7}, {0.3f, 0.4f, -3}, {0.01f, 0, 1}, {0, 0, 0.5f}}, box);
  TFlowSourceTable table;
  table.source_count = 1;
  TFlowSource& s = table.flow_sources[1];
  s.is_line = true;
  s.p0 = {0, 0, -1};
  s.p1 = {0, 0, 1};
  s.rot_strength = 4;
  TFlowParams p;
  p.project = false;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(s.axis, 0, 0, 1, 0);
  for (int i = 0; i < 4; ++i) {
    const TVertex& v = mesh.vertices[i];
    const double d = std::hypot(double(v.pos.x), double(v.pos.y));
    const double len = 0.02 * box * 4 / (0.001 + d);
    // r^ x axis for r^ = (x, y, 0) / d and axis z: (y, -x, 0) / d.
    ExpectVec(v.velo, len * v.pos.y / d, -len * v.pos.x / d, 0, 1e-5 * len);
  }
  ExpectVec(mesh.vertices[4].velo, 0, 0, 0, 0);  // on the line: no swirl direction
}

TEST(VelocitySynthesis, LineSourceOnTheLineKeepsOnlyTheAxialPartAndDegenerateLineActsRadially) {
  TMesh mesh = PointCloud({{2, 0, 0}, {5, 0, 0}}, 1.0);
  TFlowSourceTable table;
  table.source_count = 2;
  TFlowSource& line = table.flow_sources[1];
  line.is_line = true;
  line.p0 = {0, 0, 0};
  line.p1 = {3, 0, 0};  // the vertices lie on its (infinite) line
  line.strength = 7;
  line.axis_strength = 1;
  line.rot_strength = 9;
  TFlowSource& dot = table.flow_sources[2];
  dot.is_line = true;
  dot.p0 = dot.p1 = {2, 1, 0};  // zero axis: unit radial direction, 1 / (0.001 + d)
  dot.strength = 2;
  TFlowParams p;
  p.project = false;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(dot.axis, 0, 0, 0, 0);
  const double axial = 0.02 * 1 / 0.001;
  ExpectVec(mesh.vertices[0].velo, axial, 0.02 * 2 * -1 / 1.001, 0, 1e-4);
  const double d = std::sqrt(10.0);
  const double radial = 0.02 * 2 / (0.001 + d);
  ExpectVec(mesh.vertices[1].velo, axial + radial * 3 / d, radial * -1 / d, 0, 1e-4);
}

TEST(VelocitySynthesis, VectorSourceSumsMatchTheReferenceTerms) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-2, 2);
  TSourceTerm terms[12];
  for (int i = 0; i < 12; ++i) {
    TVecD a{u(rng), u(rng), u(rng)};
    const double len = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    const bool zero_axis = i == 5;
    terms[i] = TSourceTerm{u(rng),
                           u(rng),
                           u(rng),
                           zero_axis ? 0 : a.x / len,
                           zero_axis ? 0 : a.y / len,
                           zero_axis ? 0 : a.z / len,
                           u(rng),
                           u(rng),
                           u(rng),
                           i % 3 != 0};
  }
  TSourceBlock fast, ref;
  for (int lane = 0; lane < kSourceBlock; ++lane) {
    fast.px[lane] = ref.px[lane] = u(rng);
    fast.py[lane] = ref.py[lane] = u(rng);
    fast.pz[lane] = ref.pz[lane] = u(rng);
  }
  // A lane exactly on the line of source 1 (close to a line the radial
  // direction is ill-conditioned, so only an exact zero offset compares).
  terms[1].ax = 0;
  terms[1].ay = 1;
  terms[1].az = 0;
  fast.px[3] = ref.px[3] = terms[1].p0x;
  fast.py[3] = ref.py[3] = terms[1].p0y + 0.5;
  fast.pz[3] = ref.pz[3] = terms[1].p0z;
  const TVecD uniform{0.25, -1, 3};
  AccumulateSources(fast, uniform, terms, 12);
  AccumulateSourcesScalar(ref, uniform, terms, 12);
  for (int lane = 0; lane < kSourceBlock; ++lane) {
    const double scale = 1 + std::fabs(ref.vx[lane]) + std::fabs(ref.vy[lane]) + std::fabs(ref.vz[lane]);
    EXPECT_NEAR(fast.vx[lane], ref.vx[lane], 1e-9 * scale) << lane;
    EXPECT_NEAR(fast.vy[lane], ref.vy[lane], 1e-9 * scale) << lane;
    EXPECT_NEAR(fast.vz[lane], ref.vz[lane], 1e-9 * scale) << lane;
  }
}

TEST(VelocitySynthesis, AngleTurnsTheTangentialPartFromE1TowardsE2AndKeepsTheNormalPart) {
  TMesh mesh = PointCloud({{0, 0, 0}}, 1.0);
  mesh.has_user_velo = true;
  mesh.vertices[0].user_velo = {3, -2, 5};  // e1 3, e2 -2, normal 5
  TFlowSourceTable table;
  TFlowParams p = NoTerms();
  p.usr_flow = true;
  p.angle = 180;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, -3, 2, 5, 1e-6);
  p.angle = 360;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 3, -2, 5, 1e-6);
  p.angle = 90;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 2, 3, 5, 1e-6);
  EXPECT_NEAR(mesh.vertices[0].speed, std::sqrt(38.0), 1e-6);
}

TEST(VelocitySynthesis, CurvatureFlowScalesWithTheViewSizeAlongTheChosenDirection) {
  TMesh mesh = PointCloud({{0, 0, 0}}, 1.0);
  mesh.vertices[0].dir_max = {0, 1, 0};
  mesh.vertices[0].dir_min = {1, 0, 0};
  TFlowSourceTable table;
  TFlowParams p = NoTerms();
  p.shcurvature = true;
  p.view_size = 4;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 0, 0.4, 0, 1e-7);
  p.curv_sh_max = false;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 0.4, 0, 0, 1e-7);
}

TEST(VelocitySynthesis, NormalFlowComesOnlyWithPotentialFlowAndIsNotScaledByTheSourceFactor) {
  TMesh mesh = PointCloud({{0, 0, 0}}, 2.0);
  TFlowSourceTable table;
  TFlowParams p = NoTerms();
  p.normal_flow = 5;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 0, 0, 0, 0);
  p.shpotflow = true;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 0, 0, 5 * 2.0 / 10, 1e-7);
}

TEST(VelocitySynthesis, SourceFlowIsAddedToTheUnscaledBaseVelocity) {
  TMesh mesh = PointCloud({{0, 0, 0}}, 1.0);
  mesh.has_user_velo = true;
  mesh.vertices[0].user_velo = {1, 1, 1};
  TFlowSourceTable table;
  TFlowParams p;
  p.usr_flow = true;
  p.vx = 10;
  p.vz = 10;  // the normal (z) part of the uniform flow is projected away
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 1 + 0.2, 1, 1, 1e-6);
  p.project = false;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 1.2, 1, 1.2, 1e-6);
}

TEST(FindTimeInterval, ClampsToTheEndStepsAndInterpolatesBetweenNeighbours) {
  const std::vector<double> t{0, 1, 2};
  TTimeInterval r = FindTimeInterval(t, 3, 1.5);
  EXPECT_EQ(r.lo, 1);
  EXPECT_EQ(r.hi, 2);
  EXPECT_DOUBLE_EQ(r.w_lo, 0.5);
  EXPECT_DOUBLE_EQ(r.w_hi, 0.5);
  r = FindTimeInterval(t, 3, 0.25);
  EXPECT_EQ(r.lo, 0);
  EXPECT_EQ(r.hi, 1);
  EXPECT_DOUBLE_EQ(r.w_hi, 0.25);
  r = FindTimeInterval(t, 3, 1.0);  // exactly on a step: the interval ending there
  EXPECT_EQ(r.hi, 1);
  EXPECT_DOUBLE_EQ(r.w_hi, 1.0);
  for (double before : {-1.0, 0.0}) {
    r = FindTimeInterval(t, 3, before);
    EXPECT_EQ(r.lo, 0);
    EXPECT_EQ(r.hi, 0);
    EXPECT_DOUBLE_EQ(r.w_lo, 1.0);
  }
  for (double after : {2.0, 5.0}) {
    r = FindTimeInterval(t, 3, after);
    EXPECT_EQ(r.lo, 2);
    EXPECT_EQ(r.hi, 2);
    EXPECT_DOUBLE_EQ(r.w_lo, 1.0);
  }
  r = FindTimeInterval({}, 0, 3.0);
  EXPECT_EQ(r.hi, 0);
  EXPECT_DOUBLE_EQ(r.w_lo, 1.0);
}

TEST(VelocitySynthesis, TimeDependentFileVelocitiesFollowTheViewTime) {
  TMesh mesh = PointCloud({{0, 0, 0}, {1, 0, 0}}, 1.0);
  mesh.has_user_velo = true;
  mesh.time_count = 3;
  mesh.time_values = {0, 1, 2};
  mesh.time_velo = {{{1, 0, 0}, {0, 0, 1}}, {{0, 2, 0}, {0, 0, 2}}, {{0, 0, 4}, {0, 0, 4}}};
  TFlowSourceTable table;
  TFlowParams p = NoTerms();
  p.usr_flow = true;
  p.view_time = 1.5;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 0, 1, 2, 1e-7);
  ExpectVec(mesh.vertices[1].velo, 0, 0, 3, 1e-7);
  p.view_time = -1;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 1, 0, 0, 0);
  p.view_time = 5;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 0, 0, 4, 0);
  mesh.time_velo[2].resize(1);  // a step shorter than the vertex list: no base field
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[1].velo, 0, 0, 0, 0);
}

TEST(VelocitySynthesis, OnlyVerticesInUseAreWritten) {
  TMesh mesh = PointCloud({{0, 0, 0}, {0, 0, 0}}, 1.0);
  mesh.vertex_count = 1;
  mesh.vertices[1].velo = {9, 9, 9};
  TFlowSourceTable table;
  TFlowParams p;
  p.vx = 1;
  SynthesizeVelocity(mesh, table, p);
  ExpectVec(mesh.vertices[0].velo, 0.02, 0, 0, 1e-7);
  ExpectVec(mesh.vertices[1].velo, 9, 9, 9, 0);
}
