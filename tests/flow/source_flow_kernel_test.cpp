// The block kernel that sums the uniform flow and the sources: the vector path
// (taken on processors with AVX2 and FMA) against the lane-by-lane reference,
// the cases where a vertex sits on a source, and the whole synthesis against the
// formulas written out vertex by vertex (partial last block included).
#include "flow/source_flow_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "flow/velocity_synthesis.h"

namespace {

TSourceTerm Term(TVecD p0, TVecD axis, double radial, double along, double swirl, bool is_line) {
  return TSourceTerm{p0.x, p0.y, p0.z, axis.x, axis.y, axis.z, radial, along, swirl, is_line};
}

TVecD UnitAxis(std::mt19937& rng) {
  std::normal_distribution<double> g;
  TVecD a{g(rng), g(rng), g(rng)};
  const double len = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return {a.x / len, a.y / len, a.z / len};
}

void SetLane(TSourceBlock& b, int lane, double x, double y, double z) {
  b.px[lane] = x;
  b.py[lane] = y;
  b.pz[lane] = z;
}

void ExpectLane(const TSourceBlock& b, int lane, double x, double y, double z, double tol) {
  EXPECT_NEAR(b.vx[lane], x, tol) << lane;
  EXPECT_NEAR(b.vy[lane], y, tol) << lane;
  EXPECT_NEAR(b.vz[lane], z, tol) << lane;
}

}  // namespace

// Many blocks of random vertices through a mix of point sources, generic and
// axis-parallel line sources and a line with p0 = p1; some lanes sit exactly on
// a point source, on the p0 of a line, or on an axis-parallel line.
TEST(SourceFlowKernel, VectorPathMatchesTheReferenceOnRandomBlocksAndOnSources) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-3, 3);
  TSourceTerm terms[16];
  for (int i = 0; i < 16; ++i) {
    const TVecD p0{u(rng), u(rng), u(rng)};
    TVecD axis = UnitAxis(rng);
    if (i == 3) axis = {0, 0, 0};   // p0 = p1
    if (i == 7) axis = {0, 1, 0};   // parallel to y, like a new default source
    if (i == 11) axis = {1, 0, 0};  // parallel to x
    terms[i] = Term(p0, axis, u(rng), u(rng), u(rng), i % 4 != 0);
  }
  const TVecD uniform{-0.5, 2, 1.25};
  for (int round = 0; round < 300; ++round) {
    TSourceBlock fast, ref;
    for (int lane = 0; lane < kSourceBlock; ++lane) SetLane(fast, lane, u(rng), u(rng), u(rng));
    const int lane = round % kSourceBlock;
    const TSourceTerm& on = terms[(round / kSourceBlock) % 16];
    switch (round % 4) {
      case 0:  // on p0 of any source (point source, line, or p0 = p1)
        SetLane(fast, lane, on.p0x, on.p0y, on.p0z);
        break;
      case 1:  // on the y-parallel line, away from p0
        SetLane(fast, lane, terms[7].p0x, terms[7].p0y + u(rng), terms[7].p0z);
        break;
      case 2:  // on the x-parallel line
        SetLane(fast, lane, terms[11].p0x + u(rng), terms[11].p0y, terms[11].p0z);
        break;
      default:
        break;
    }
    ref = fast;
    AccumulateSources(fast, uniform, terms, 16);
    AccumulateSourcesScalar(ref, uniform, terms, 16);
    for (int l = 0; l < kSourceBlock; ++l) {
      const double scale = 1 + std::fabs(ref.vx[l]) + std::fabs(ref.vy[l]) + std::fabs(ref.vz[l]);
      ExpectLane(fast, l, ref.vx[l], ref.vy[l], ref.vz[l], 1e-10 * scale);
    }
    if (HasFailure()) break;
  }
}

// A vertex on a source, one source at a time: a point source or a line with
// p0 = p1 gives nothing at p0; on a line only the axial part remains, with the
// factor 1 / 0.001; off the line of a p0 = p1 source the flow is radial with
// 1 / (0.001 + d). Both paths give these values.
TEST(SourceFlowKernel, VertexOnASourceGivesOnlyTheAxialPartOrNothing) {
  const TVecD zero{0, 0, 0};
  for (bool vector_path : {true, false}) {
    auto run = [&](const TSourceTerm& t, TSourceBlock& b) {
      if (vector_path) {
        AccumulateSources(b, zero, &t, 1);
      } else {
        AccumulateSourcesScalar(b, zero, &t, 1);
      }
    };
    TSourceBlock b{};
    SetLane(b, 0, 1, 2, 3);                                // on p0
    SetLane(b, 1, 1, 2.5, 3);                              // on the y line, 0.5 above p0
    SetLane(b, 2, 1, 2, 5);                                // 2 away from p0 along z
    SetLane(b, 3, 1, -7, 3);                               // on the y line, below p0
    SetLane(b, 5, 1.5, 2, 3);                              // 0.5 away along x
    run(Term({1, 2, 3}, {0, 1, 0}, 4, 0.5, 3, false), b);  // point source: only `radial` counts
    ExpectLane(b, 0, 0, 0, 0, 0);
    ExpectLane(b, 2, 0, 0, 4 * 2 / (0.001 + 4), 1e-12);
    ExpectLane(b, 1, 0, 4 * 0.5 / (0.001 + 0.25), 0, 1e-12);

    run(Term({1, 2, 3}, {0, 1, 0}, 4, 0.5, 3, true), b);  // line along y through p0
    ExpectLane(b, 0, 0, 0.5 / 0.001, 0, 1e-9);
    ExpectLane(b, 1, 0, 0.5 / 0.001, 0, 1e-9);
    ExpectLane(b, 3, 0, 0.5 / 0.001, 0, 1e-9);
    // Lane 2: offset (0, 0, 2), r^ = z, w = r^ x y = -x.
    ExpectLane(b, 2, -3 / 2.001, 0.5 / 2.001, 4 / 2.001, 1e-12);

    run(Term({1, 2, 3}, {0, 0, 0}, 4, 0.5, 3, true), b);  // p0 = p1: radial only
    ExpectLane(b, 0, 0, 0, 0, 0);
    ExpectLane(b, 5, 4 / 0.501, 0, 0, 1e-12);
    ExpectLane(b, 2, 0, 0, 4 / 2.001, 1e-12);
  }
}

namespace {

// The synthesis written out for one vertex straight from the formulas (uniform
// flow and sources only, then the projection, normal flow and rotation).
TVecD ReferenceVelocity(const TVertex& v, const TFlowSourceTable& table, const TFlowParams& p, double box) {
  const double px = v.pos.x, py = v.pos.y, pz = v.pos.z;
  double vx = float(p.vx * box), vy = float(p.vy * box), vz = float(p.vz * box);
  for (int i = 1; i <= table.source_count; ++i) {
    const TFlowSource& s = table.flow_sources[i];
    double rx = px - s.p0.x, ry = py - s.p0.y, rz = pz - s.p0.z;
    if (!s.is_line) {
      const double k = box * s.strength / (0.001 + rx * rx + ry * ry + rz * rz);
      vx += k * rx, vy += k * ry, vz += k * rz;
      continue;
    }
    const double ax = s.axis.x, ay = s.axis.y, az = s.axis.z;
    const double t = rx * ax + ry * ay + rz * az;
    rx -= t * ax, ry -= t * ay, rz -= t * az;
    const double d = std::sqrt(rx * rx + ry * ry + rz * rz);
    if (d > 0) rx /= d, ry /= d, rz /= d;
    const double wx = ry * az - rz * ay, wy = rz * ax - rx * az, wz = rx * ay - ry * ax;
    const double k = box / (0.001 + d);
    vx += k * (s.strength * rx + s.axis_strength * ax + s.rot_strength * wx);
    vy += k * (s.strength * ry + s.axis_strength * ay + s.rot_strength * wy);
    vz += k * (s.strength * rz + s.axis_strength * az + s.rot_strength * wz);
  }
  const double nx = v.normal.x, ny = v.normal.y, nz = v.normal.z;
  const double vn = vx * nx + vy * ny + vz * nz;
  TVecD out{0.02 * (vx - vn * nx), 0.02 * (vy - vn * ny), 0.02 * (vz - vn * nz)};
  const double kn = p.normal_flow * box / 10;
  out.x += kn * nx, out.y += kn * ny, out.z += kn * nz;
  const double th = p.angle * std::numbers::pi / 180, c = std::cos(th), sn = std::sin(th);
  const double a = out.x * v.e1.x + out.y * v.e1.y + out.z * v.e1.z;
  const double b = out.x * v.e2.x + out.y * v.e2.y + out.z * v.e2.z;
  const double h = out.x * nx + out.y * ny + out.z * nz;
  const double a2 = a * c - b * sn, b2 = a * sn + b * c;
  return {a2 * v.e1.x + b2 * v.e2.x + h * nx, a2 * v.e1.y + b2 * v.e2.y + h * ny, a2 * v.e1.z + b2 * v.e2.z + h * nz};
}

}  // namespace

// 13 vertices (one full block and a partial one) on tilted tangent frames, with
// point and line sources: every vertex gets exactly its own velocity.
TEST(SourceFlowKernel, SynthesisGivesEveryVertexItsOwnVelocityIncludingThePartialBlock) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1, 1);
  TMesh mesh;
  for (int i = 0; i < 13; ++i) {
    TVertex v{};
    v.pos = {float(u(rng)), float(u(rng)), float(u(rng))};
    const TVecD n = UnitAxis(rng);
    v.normal = {float(n.x), float(n.y), float(n.z)};
    TVec3 helper{0, 0, 1};
    vec_cross(v.normal, helper, v.e1);
    vec_normalize(v.e1);
    vec_cross(v.normal, v.e1, v.e2);
    mesh.vertices.push_back(v);
  }
  mesh.vertex_count = 13;
  mesh.box_size = 1.7;
  TFlowSourceTable table;
  table.source_count = 3;
  auto set = [&](int i, TVec3 p0, TVec3 p1, double radial, double along, double swirl, bool is_line) {
    TFlowSource& s = table.flow_sources[i];
    s.p0 = p0;
    s.p1 = p1;
    s.strength = radial;
    s.axis_strength = along;
    s.rot_strength = swirl;
    s.is_line = is_line;
  };
  set(1, {0.2f, 0.1f, -0.3f}, {0.2f, 0.1f, -0.3f}, 6, 0, 0, false);
  set(2, {-0.5f, 0, 0}, {0.5f, 0.4f, 0.2f}, -2, 3, 5, true);
  set(3, {0, -0.8f, 0.4f}, {0, 0.8f, 0.4f}, 1, -1, 2, true);  // along y
  TFlowParams p;
  p.vx = 3;
  p.vy = -2;
  p.vz = 7;
  p.normal_flow = -4;
  p.angle = 30;
  SynthesizeVelocity(mesh, table, p);
  for (int i = 0; i < 13; ++i) {
    const TVertex& v = mesh.vertices[i];
    const TVecD want = ReferenceVelocity(v, table, p, mesh.box_size);
    const double len = std::sqrt(want.x * want.x + want.y * want.y + want.z * want.z);
    EXPECT_NEAR(v.velo.x, want.x, 1e-5 * (1 + len)) << i;
    EXPECT_NEAR(v.velo.y, want.y, 1e-5 * (1 + len)) << i;
    EXPECT_NEAR(v.velo.z, want.z, 1e-5 * (1 + len)) << i;
    EXPECT_NEAR(v.speed, len, 1e-5 * (1 + len)) << i;
  }
}
