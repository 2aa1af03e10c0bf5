#include "mesh/mesh_preparation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

void AddNeighbour(TVertex& v, int32_t b) {
  for (int32_t s = 0; s < v.nb_count; ++s)
    if (v.nb[s] == b) return;
  if (v.nb_count < kMaxAdjacent) v.nb[v.nb_count++] = b;
}

void AddFace(TVertex& v, int32_t f) {
  if (v.vface_count < kMaxAdjacent) v.vface[v.vface_count++] = f;
}

// Three doubles for the sums of the normal pass.
struct TD3 {
  double x, y, z;
};

inline TD3 Sub(const TVec3& to, const TVec3& from) {
  return TD3{double(to.x) - from.x, double(to.y) - from.y, double(to.z) - from.z};
}
inline TD3 Cross(const TD3& a, const TD3& b) {
  return TD3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Dot(const TD3& a, const TD3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(const TD3& a) { return std::sqrt(Dot(a, a)); }

// a / |a|, or a when its length is 0.
inline TD3 Unit(const TD3& a) {
  const double len = Length(a);
  return len > 0 ? TD3{a.x / len, a.y / len, a.z / len} : a;
}

// Angle between the unit (or zero) vectors u and w, 0..pi.
inline double CornerAngle(const TD3& u, const TD3& w) { return std::atan2(Length(Cross(u, w)), Dot(u, w)); }

inline void AddScaled(TVec3& acc, const TVec3& v, double s) {
  acc.x = static_cast<float>(acc.x + v.x * s);
  acc.y = static_cast<float>(acc.y + v.y * s);
  acc.z = static_cast<float>(acc.z + v.z * s);
}

}  // namespace

void BuildAdjacency(TMesh& mesh) {
  TVertex* vs = mesh.vertices.data();
  // A vertex's lists are emptied when the first face reaches it (its record
  // is being written then anyway); vertices in no face are emptied at the end.
  // This spares a separate sweep over the large records.
  std::vector<uint8_t> reached(mesh.vertex_count, 0);
  auto reach = [&](int32_t i) {
    if (reached[i]) return;
    reached[i] = 1;
    vs[i].nb_count = vs[i].vface_count = 0;
  };
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    const int32_t p = mesh.faces[f].v[0], q = mesh.faces[f].v[1], r = mesh.faces[f].v[2];
    reach(p);
    reach(q);
    reach(r);
    AddNeighbour(vs[p], q);
    AddNeighbour(vs[q], p);
    AddNeighbour(vs[p], r);
    AddNeighbour(vs[r], p);
    AddNeighbour(vs[q], r);
    AddNeighbour(vs[r], q);
    AddFace(vs[p], f);
    AddFace(vs[q], f);
    AddFace(vs[r], f);
  }
  for (int32_t i = 0; i < mesh.vertex_count; ++i)
    if (!reached[i]) vs[i].nb_count = vs[i].vface_count = 0;
}

void ComputeNormals(TMesh& mesh) {
  // Positions and the normal sums live in compact arrays during the face
  // sweep (the full vertex records are large and faces reach them out of order).
  const int32_t n = mesh.vertex_count;
  std::vector<TVec3> pos(n), sum(n);
  for (int32_t i = 0; i < n; ++i) pos[i] = mesh.vertices[i].pos;
  for (TFace& face : mesh.faces) {
    const TVec3& p0 = pos[face.v[0]];
    const TVec3& p1 = pos[face.v[1]];
    const TVec3& p2 = pos[face.v[2]];
    const TD3 a = Unit(Sub(p1, p0)), b = Unit(Sub(p2, p1)), c = Unit(Sub(p0, p2));
    const TD3 fn = Unit(Cross(a, b));
    face.fnormal = TVec3{static_cast<float>(fn.x), static_cast<float>(fn.y), static_cast<float>(fn.z)};
    // A face with a zero normal (a zero edge, or collinear corners) adds nothing.
    // Otherwise every edge is non-zero and the corner angles sum to pi.
    if (fn.x == 0 && fn.y == 0 && fn.z == 0) continue;
    const TD3 na{-a.x, -a.y, -a.z}, nc{-c.x, -c.y, -c.z};
    const double angle0 = CornerAngle(nc, a), angle1 = CornerAngle(na, b);
    const double angle2 = std::max(0.0, std::numbers::pi - angle0 - angle1);
    AddScaled(sum[face.v[0]], face.fnormal, angle0);
    AddScaled(sum[face.v[1]], face.fnormal, angle1);
    AddScaled(sum[face.v[2]], face.fnormal, angle2);
  }
  for (int32_t i = 0; i < n; ++i) {
    const TD3 u = Unit(TD3{sum[i].x, sum[i].y, sum[i].z});
    mesh.vertices[i].normal = TVec3{static_cast<float>(u.x), static_cast<float>(u.y), static_cast<float>(u.z)};
  }
}

void ComputeBoundingBox(TMesh& mesh) {
  if (mesh.vertex_count <= 0) return;
  const TVec3& p0 = mesh.vertices[0].pos;
  double lo[3] = {p0.x, p0.y, p0.z}, hi[3] = {p0.x, p0.y, p0.z};
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    const TVec3& p = mesh.vertices[i].pos;
    const double c[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
      if (c[k] < lo[k]) {
        lo[k] = c[k];
      } else if (c[k] > hi[k]) {
        hi[k] = c[k];
      }
    }
  }
  double diag2 = 0;
  for (int k = 0; k < 3; ++k) {
    mesh.box_min[k] = lo[k];
    mesh.box_max[k] = hi[k];
    diag2 += (hi[k] - lo[k]) * (hi[k] - lo[k]);
  }
  mesh.box_center = TVec3{static_cast<float>((lo[0] + hi[0]) / 2), static_cast<float>((lo[1] + hi[1]) / 2),
                          static_cast<float>((lo[2] + hi[2]) / 2)};
  mesh.box_size = std::sqrt(diag2);
}

void GenerateTexCoords(TMesh& mesh) {
  if (mesh.has_tex0) return;
  double w = mesh.box_max[0] - mesh.box_min[0], h = mesh.box_max[1] - mesh.box_min[1];
  if (w == 0) w = 1;
  if (h == 0) h = 1;
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    TVertex& v = mesh.vertices[i];
    v.tex0[0] = static_cast<float>((v.pos.x - mesh.box_min[0]) / w);
    v.tex0[1] = static_cast<float>(1 - (v.pos.y - mesh.box_min[1]) / h);
  }
}
