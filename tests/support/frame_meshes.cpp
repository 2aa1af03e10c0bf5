#include "support/frame_meshes.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace frame_meshes {
namespace {

constexpr int32_t kEnd = 0x7FFFFFFF;

void AddFace(TMesh& m, int32_t a, int32_t b, int32_t c) {
  TFace f{};
  f.v[0] = a;
  f.v[1] = b;
  f.v[2] = c;
  m.faces.push_back(f);
}

// Face normals, adv_pos, box and counts from positions and faces.
void Finish(TMesh& m) {
  m.vertex_count = static_cast<int32_t>(m.vertices.size());
  m.face_count = static_cast<int32_t>(m.faces.size());
  for (TFace& f : m.faces) {
    const TVec3& p0 = m.vertices[f.v[0]].pos;
    const TVec3& p1 = m.vertices[f.v[1]].pos;
    const TVec3& p2 = m.vertices[f.v[2]].pos;
    const TVec3 e0{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    const TVec3 e1{p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
    vec_cross(e0, e1, f.fnormal);
    vec_normalize(f.fnormal);
  }
  for (int k = 0; k < 3; ++k) {
    m.box_min[k] = 1e300;
    m.box_max[k] = -1e300;
  }
  for (TVertex& v : m.vertices) {
    v.adv_pos = v.pos;
    const float p[3] = {v.pos.x, v.pos.y, v.pos.z};
    for (int k = 0; k < 3; ++k) {
      m.box_min[k] = std::min(m.box_min[k], static_cast<double>(p[k]));
      m.box_max[k] = std::max(m.box_max[k], static_cast<double>(p[k]));
    }
  }
  m.box_center = {static_cast<float>((m.box_min[0] + m.box_max[0]) / 2),
                  static_cast<float>((m.box_min[1] + m.box_max[1]) / 2),
                  static_cast<float>((m.box_min[2] + m.box_max[2]) / 2)};
  const double dx = m.box_max[0] - m.box_min[0], dy = m.box_max[1] - m.box_min[1], dz = m.box_max[2] - m.box_min[2];
  m.box_size = std::sqrt(dx * dx + dy * dy + dz * dz);
  m.strips.push_back(0x7FFFFFFE);
  m.strip_len = static_cast<int32_t>(m.strips.size());
}

TVertex VertexAt(double x, double y, double z, TVec3 normal) {
  TVertex v{};
  v.pos = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  v.normal = normal;
  return v;
}

}  // namespace

TMesh Sphere(double r, int slices, int stacks) {
  TMesh m;
  m.vertices.push_back(VertexAt(0, 0, r, {0, 0, 1}));
  m.vertices.push_back(VertexAt(0, 0, -r, {0, 0, -1}));
  for (int j = 1; j < stacks; ++j) {
    const double th = std::numbers::pi * j / stacks;
    for (int i = 0; i < slices; ++i) {
      const double ph = 2 * std::numbers::pi * i / slices;
      const TVec3 n{static_cast<float>(std::sin(th) * std::cos(ph)), static_cast<float>(std::sin(th) * std::sin(ph)),
                    static_cast<float>(std::cos(th))};
      m.vertices.push_back(VertexAt(r * n.x, r * n.y, r * n.z, n));
    }
  }
  auto ring = [&](int j, int i) { return 2 + (j - 1) * slices + (i % slices); };
  for (int i = 0; i < slices; ++i) {
    AddFace(m, 0, ring(1, i), ring(1, i + 1));
    m.strips.insert(m.strips.end(), {0, ring(1, i), ring(1, i + 1), kEnd});
    AddFace(m, 1, ring(stacks - 1, i + 1), ring(stacks - 1, i));
    m.strips.insert(m.strips.end(), {1, ring(stacks - 1, i + 1), ring(stacks - 1, i), kEnd});
  }
  for (int j = 1; j + 1 < stacks; ++j) {
    for (int i = 0; i <= slices; ++i) {
      m.strips.push_back(ring(j, i));
      m.strips.push_back(ring(j + 1, i));
      if (i == slices) continue;
      AddFace(m, ring(j, i), ring(j + 1, i), ring(j, i + 1));
      AddFace(m, ring(j, i + 1), ring(j + 1, i), ring(j + 1, i + 1));
    }
    m.strips.push_back(kEnd);
  }
  Finish(m);
  return m;
}

TMesh Square(double h, int n) {
  TMesh m;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i) m.vertices.push_back(VertexAt(-h + 2 * h * i / n, -h + 2 * h * j / n, 0, {0, 0, 1}));
  auto at = [&](int i, int j) { return j * (n + 1) + i; };
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i <= n; ++i) {
      // Row strip top, bottom alternating: (top_i, bottom_i, top_i+1) is counter-clockwise from +z.
      m.strips.push_back(at(i, j + 1));
      m.strips.push_back(at(i, j));
      if (i == n) continue;
      AddFace(m, at(i, j + 1), at(i, j), at(i + 1, j + 1));
      AddFace(m, at(i + 1, j + 1), at(i, j), at(i + 1, j));
    }
    m.strips.push_back(kEnd);
  }
  Finish(m);
  return m;
}

}  // namespace frame_meshes
