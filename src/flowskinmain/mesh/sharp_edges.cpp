#include "mesh/sharp_edges.h"

#include <cmath>

namespace {

// Angle of face f's corner at vertex v.
double CornerAngle(const TMesh& mesh, const TFace& f, int32_t v) {
  int k = 0;
  while (k < 2 && f.v[k] != v) ++k;
  const TVec3& p = mesh.vertices[f.v[k]].pos;
  const TVec3& a = mesh.vertices[f.v[(k + 1) % 3]].pos;
  const TVec3& b = mesh.vertices[f.v[(k + 2) % 3]].pos;
  const double ax = a.x - p.x, ay = a.y - p.y, az = a.z - p.z;
  const double bx = b.x - p.x, by = b.y - p.y, bz = b.z - p.z;
  const double cx = ay * bz - az * by, cy = az * bx - ax * bz, cz = ax * by - ay * bx;
  return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), ax * bx + ay * by + az * bz);
}

// Whether faces f and g share an edge through v: a second vertex.
bool ShareEdgeAt(const TFace& f, const TFace& g, int32_t v) {
  for (int i = 0; i < 3; ++i) {
    if (f.v[i] == v) continue;
    for (int j = 0; j < 3; ++j)
      if (g.v[j] == f.v[i]) return true;
  }
  return false;
}

double Dot(const TVec3& a, const TVec3& b) { return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z; }

int32_t Root(int32_t (&parent)[kMaxAdjacent], int32_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

}  // namespace

TSplitNormals SplitNormalsAt(const TMesh& mesh, double feature_angle) {
  TSplitNormals s;
  s.face_count = mesh.face_count;
  s.faces = mesh.faces.data();
  s.angle = feature_angle;
  const int32_t nv = mesh.vertex_count;
  s.source.resize(size_t(nv));
  s.normals.resize(size_t(nv));
  for (int32_t i = 0; i < nv; ++i) {
    s.source[size_t(i)] = uint32_t(i);
    s.normals[size_t(i)] = mesh.vertices[size_t(i)].normal;
  }
  s.corners.resize(size_t(mesh.face_count) * 3);
  for (int32_t f = 0; f < mesh.face_count; ++f)
    for (int k = 0; k < 3; ++k) s.corners[size_t(f) * 3 + size_t(k)] = uint32_t(mesh.faces[size_t(f)].v[k]);

  const double min_cos = std::cos(feature_angle * M_PI / 180.0);
  for (int32_t v = 0; v < nv; ++v) {
    const TVertex& vx = mesh.vertices[size_t(v)];
    const int32_t n = vx.vface_count;
    if (n < 2) continue;
    int32_t parent[kMaxAdjacent];
    for (int32_t i = 0; i < n; ++i) parent[i] = i;
    for (int32_t i = 0; i < n; ++i)
      for (int32_t j = i + 1; j < n; ++j) {
        const TFace& a = mesh.faces[size_t(vx.vface[i])];
        const TFace& b = mesh.faces[size_t(vx.vface[j])];
        if (Dot(a.fnormal, b.fnormal) >= min_cos && ShareEdgeAt(a, b, v)) parent[Root(parent, i)] = Root(parent, j);
      }
    int32_t groups = 0;
    for (int32_t i = 0; i < n; ++i) groups += Root(parent, i) == i;
    if (groups < 2) continue;
    s.split = true;
    // One drawn vertex per group: the record itself for the group of the
    // first face, new ones for the others.
    int32_t drawn[kMaxAdjacent];
    for (int32_t i = 0; i < n; ++i) drawn[i] = -1;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t r = Root(parent, i);
      if (drawn[r] >= 0) continue;
      if (i == 0) {
        drawn[r] = v;
      } else {
        drawn[r] = int32_t(s.source.size());
        s.source.push_back(uint32_t(v));
        s.normals.emplace_back();
      }
      double sx = 0, sy = 0, sz = 0;
      for (int32_t j = 0; j < n; ++j) {
        if (Root(parent, j) != r) continue;
        const TFace& f = mesh.faces[size_t(vx.vface[j])];
        const double w = CornerAngle(mesh, f, v);
        sx += w * f.fnormal.x, sy += w * f.fnormal.y, sz += w * f.fnormal.z;
      }
      const double len = std::sqrt(sx * sx + sy * sy + sz * sz);
      TVec3& out = s.normals[size_t(drawn[r])];
      if (len > 0)
        out = TVec3{float(sx / len), float(sy / len), float(sz / len)};
      else
        out = vx.normal;
    }
    for (int32_t i = 0; i < n; ++i) {
      const int32_t f = vx.vface[i];
      for (int k = 0; k < 3; ++k)
        if (mesh.faces[size_t(f)].v[k] == v) s.corners[size_t(f) * 3 + size_t(k)] = uint32_t(drawn[Root(parent, i)]);
    }
  }
  return s;
}
