#include "mesh/mesh_preparation.h"

#include <cmath>

namespace {

void AddNeighbour(TVertex& v, int32_t b) {
  for (int32_t s = 0; s < v.nb_count; ++s)
    if (v.nb[s] == b) return;
  if (v.nb_count < kMaxAdjacent) v.nb[v.nb_count++] = b;
}

void AddFace(TVertex& v, int32_t f) {
  if (v.vface_count < kMaxAdjacent) v.vface[v.vface_count++] = f;
}

TVec3 UnitEdge(const TVec3& from, const TVec3& to) {
  TVec3 e{to.x - from.x, to.y - from.y, to.z - from.z};
  vec_normalize(e);
  return e;
}

// Angle between the unit (or zero) vectors u and w, 0..pi.
double CornerAngle(const TVec3& u, const TVec3& w) {
  TVec3 c;
  vec_cross(u, w, c);
  return std::atan2(vec_length(c), vec_dot(u, w));
}

void AddScaled(TVec3& acc, const TVec3& v, double s) {
  acc.x = static_cast<float>(acc.x + v.x * s);
  acc.y = static_cast<float>(acc.y + v.y * s);
  acc.z = static_cast<float>(acc.z + v.z * s);
}

}  // namespace

void BuildAdjacency(TMesh& mesh) {
  TVertex* vs = mesh.vertices.data();
  for (int32_t i = 0; i < mesh.vertex_count; ++i) vs[i].nb_count = vs[i].vface_count = 0;
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    const int32_t p = mesh.faces[f].v[0], q = mesh.faces[f].v[1], r = mesh.faces[f].v[2];
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
}

void ComputeNormals(TMesh& mesh) {
  TVertex* vs = mesh.vertices.data();
  for (int32_t i = 0; i < mesh.vertex_count; ++i) vec_zero(vs[i].normal);
  for (TFace& face : mesh.faces) {
    const TVec3& p0 = vs[face.v[0]].pos;
    const TVec3& p1 = vs[face.v[1]].pos;
    const TVec3& p2 = vs[face.v[2]].pos;
    const TVec3 a = UnitEdge(p0, p1), b = UnitEdge(p1, p2), c = UnitEdge(p2, p0);
    vec_cross(a, b, face.fnormal);
    vec_normalize(face.fnormal);
    const TVec3 na{-a.x, -a.y, -a.z}, nb{-b.x, -b.y, -b.z}, nc{-c.x, -c.y, -c.z};
    AddScaled(vs[face.v[0]].normal, face.fnormal, CornerAngle(nc, a));
    AddScaled(vs[face.v[1]].normal, face.fnormal, CornerAngle(na, b));
    AddScaled(vs[face.v[2]].normal, face.fnormal, CornerAngle(nb, c));
  }
  for (int32_t i = 0; i < mesh.vertex_count; ++i) vec_normalize(vs[i].normal);
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
