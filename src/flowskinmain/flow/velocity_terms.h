#pragma once
// The per-vertex terms of the velocity synthesis, in double precision. The
// synthesis calls them in order inside one pass over the vertices, so every
// vertex record is read once; they are inline so that pass stays a tight loop.
// The sum over the sources for a block of vertices is in source_flow_kernel.h.
// Positions are object space; the source coefficients already carry box_size.
#include <cmath>

#include "flow/flow_source.h"
#include "mesh/mesh_model.h"

struct TVecD {
  double x = 0, y = 0, z = 0;
};

inline TVecD ToVecD(const TVec3& v) { return {v.x, v.y, v.z}; }

// One source prepared for the vertex pass: its position and axis, and the three
// strengths already multiplied by box_size.
struct TSourceTerm {
  double p0x, p0y, p0z;
  double ax, ay, az;  // unit axis (zero when p0 = p1)
  double radial;      // box_size * strength
  double along;       // box_size * axis_strength
  double swirl;       // box_size * rot_strength
  bool is_line;
};

// velo += s dir: curvature flow along a principal direction, s = 0.1 * view size.
inline void AddCurvatureFlow(const TVec3& dir, double s, TVecD& velo) {
  velo.x += s * dir.x;
  velo.y += s * dir.y;
  velo.z += s * dir.z;
}

// The source flow of a point source at vertex position p: box_size * strength *
// r / (0.001 + |r|^2) with r = p - p0; zero at p0.
inline void AddPointSource(const TVecD& p, const TSourceTerm& s, TVecD& v) {
  const double rx = p.x - s.p0x, ry = p.y - s.p0y, rz = p.z - s.p0z;
  const double f = s.radial / (0.001 + rx * rx + ry * ry + rz * rz);
  v.x += f * rx;
  v.y += f * ry;
  v.z += f * rz;
}

// The source flow of a line source (the infinite line through p0 along axis) at
// vertex position p. With r^ the unit perpendicular offset from the line
// (zero on the line), d its length and w = r^ x axis:
//   v += (radial r^ + along axis + swirl w) / (0.001 + d).
inline void AddLineSource(const TVecD& p, const TSourceTerm& s, TVecD& v) {
  double rx = p.x - s.p0x, ry = p.y - s.p0y, rz = p.z - s.p0z;
  const double t = rx * s.ax + ry * s.ay + rz * s.az;
  rx -= t * s.ax;
  ry -= t * s.ay;
  rz -= t * s.az;
  const double d = std::sqrt(rx * rx + ry * ry + rz * rz);
  const double inv_d = d > 0 ? 1.0 / d : 0.0;
  rx *= inv_d;
  ry *= inv_d;
  rz *= inv_d;
  const double wx = ry * s.az - rz * s.ay, wy = rz * s.ax - rx * s.az, wz = rx * s.ay - ry * s.ax;
  const double f = 1.0 / (0.001 + d);
  v.x += f * (s.radial * rx + s.along * s.ax + s.swirl * wx);
  v.y += f * (s.radial * ry + s.along * s.ay + s.swirl * wy);
  v.z += f * (s.radial * rz + s.along * s.az + s.swirl * wz);
}

// velo += 0.02 v for the summed source flow v (uniform flow plus every source)
// of one vertex, with the normal component of v removed first when `project`.
inline void AddSourceFlow(const TVecD& source_flow, const TVecD& n, bool project, TVecD& velo) {
  TVecD v = source_flow;
  if (project) {
    const double vn = v.x * n.x + v.y * n.y + v.z * n.z;
    v.x -= vn * n.x;
    v.y -= vn * n.y;
    v.z -= vn * n.z;
  }
  velo.x += 0.02 * v.x;
  velo.y += 0.02 * v.y;
  velo.z += 0.02 * v.z;
}

// velo += k n, k = normal_flow * box_size / 10 (zero when the control is 0).
inline void AddNormalFlow(const TVecD& n, double k, TVecD& velo) {
  velo.x += k * n.x;
  velo.y += k * n.y;
  velo.z += k * n.z;
}

// Turns the e1/e2 part of velo by the angle with cosine c and sine s about the
// normal (from e1 towards e2) and keeps the normal part.
inline void RotateVelocity(const TVecD& e1, const TVecD& e2, const TVecD& n, double c, double s, TVecD& velo) {
  const double a = velo.x * e1.x + velo.y * e1.y + velo.z * e1.z;
  const double b = velo.x * e2.x + velo.y * e2.y + velo.z * e2.z;
  const double h = velo.x * n.x + velo.y * n.y + velo.z * n.z;
  const double a2 = a * c - b * s, b2 = a * s + b * c;
  velo.x = a2 * e1.x + b2 * e2.x + h * n.x;
  velo.y = a2 * e1.y + b2 * e2.y + h * n.y;
  velo.z = a2 * e1.z + b2 * e2.z + h * n.z;
}

// speed := |velo| of the stored (float32) velocity: the "Velocity" data channel.
inline void ComputeSpeed(TVertex& v) { v.speed = std::sqrt(vec_dot(v.velo, v.velo)); }
