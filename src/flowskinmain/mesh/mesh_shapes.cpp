#include "mesh/mesh_shapes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace {

TVec3 Vec(double x, double y, double z) {
  return TVec3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

// Appends the quad (a, b, c, d), counter-clockwise, as (a, b, c) and (a, c, d).
void AddQuad(std::vector<int32_t>& corners, int32_t a, int32_t b, int32_t c, int32_t d) {
  corners.insert(corners.end(), {a, b, c, a, c, d});
}

}  // namespace

TMesh MakeMeshFromArrays(const std::vector<TVec3>& positions, const std::vector<int32_t>& corners) {
  TMesh mesh;
  mesh.vertex_count = static_cast<int32_t>(positions.size());
  mesh.face_count = static_cast<int32_t>(corners.size() / 3);
  mesh.vertices.resize(positions.size());
  for (size_t i = 0; i < positions.size(); ++i) mesh.vertices[i].pos = positions[i];
  mesh.faces.resize(mesh.face_count);
  for (int32_t f = 0; f < mesh.face_count; ++f)
    for (int k = 0; k < 3; ++k) mesh.faces[f].v[k] = corners[3 * f + k];
  return mesh;
}

TMesh MakeTorusMesh(double major_r, double minor_r, int nu, int nv) {
  std::vector<TVec3> pos;
  pos.reserve(static_cast<size_t>(nu) * nv);
  for (int i = 0; i < nu; ++i) {
    const double u = 2 * std::numbers::pi * i / nu;
    for (int j = 0; j < nv; ++j) {
      const double v = 2 * std::numbers::pi * j / nv;
      const double ring = major_r + minor_r * std::cos(v);
      pos.push_back(Vec(ring * std::cos(u), ring * std::sin(u), minor_r * std::sin(v)));
    }
  }
  std::vector<int32_t> corners;
  corners.reserve(static_cast<size_t>(nu) * nv * 6);
  auto at = [nu, nv](int i, int j) { return static_cast<int32_t>((i % nu) * nv + (j % nv)); };
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j) AddQuad(corners, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
  return MakeMeshFromArrays(pos, corners);
}

TMesh MakeUvSphereMesh(double r, int slices, int stacks) {
  std::vector<TVec3> pos;
  pos.push_back(Vec(0, 0, r));
  for (int j = 1; j < stacks; ++j) {
    const double theta = std::numbers::pi * j / stacks;
    for (int i = 0; i < slices; ++i) {
      const double phi = 2 * std::numbers::pi * i / slices;
      pos.push_back(Vec(r * std::sin(theta) * std::cos(phi), r * std::sin(theta) * std::sin(phi), r * std::cos(theta)));
    }
  }
  pos.push_back(Vec(0, 0, -r));
  const int32_t south = static_cast<int32_t>(pos.size()) - 1;
  auto ring = [slices](int j, int i) { return static_cast<int32_t>(1 + (j - 1) * slices + i % slices); };
  std::vector<int32_t> corners;
  for (int i = 0; i < slices; ++i) corners.insert(corners.end(), {0, ring(1, i), ring(1, i + 1)});
  for (int j = 1; j + 1 < stacks; ++j)
    for (int i = 0; i < slices; ++i) AddQuad(corners, ring(j, i), ring(j + 1, i), ring(j + 1, i + 1), ring(j, i + 1));
  for (int i = 0; i < slices; ++i) corners.insert(corners.end(), {ring(stacks - 1, i), south, ring(stacks - 1, i + 1)});
  return MakeMeshFromArrays(pos, corners);
}

TMesh MakeGeodesicSphereMesh(double r, int levels) {
  std::vector<TVec3> pos = {Vec(1, 0, 0), Vec(-1, 0, 0), Vec(0, 1, 0), Vec(0, -1, 0), Vec(0, 0, 1), Vec(0, 0, -1)};
  std::vector<int32_t> corners = {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5};
  for (int level = 0; level < levels; ++level) {
    std::map<std::pair<int32_t, int32_t>, int32_t> mid;
    auto midpoint = [&](int32_t a, int32_t b) {
      const auto key = std::minmax(a, b);
      auto it = mid.find(key);
      if (it != mid.end()) return it->second;
      TVec3 m;
      vec_add(pos[a], pos[b], m);
      vec_normalize(m);
      pos.push_back(m);
      return mid[key] = static_cast<int32_t>(pos.size()) - 1;
    };
    std::vector<int32_t> next;
    for (size_t f = 0; f < corners.size(); f += 3) {
      const int32_t p0 = corners[f], p1 = corners[f + 1], p2 = corners[f + 2];
      const int32_t m01 = midpoint(p0, p1), m12 = midpoint(p1, p2), m20 = midpoint(p2, p0);
      next.insert(next.end(), {p0, m01, m20, m01, p1, m12, p2, m20, m12, m01, m12, m20});
    }
    corners.swap(next);
  }
  for (TVec3& p : pos) vec_scale(p, r);
  return MakeMeshFromArrays(pos, corners);
}

TMesh MakeGridMesh(int nx, int ny, double width, double height) {
  std::vector<TVec3> pos;
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) pos.push_back(Vec(width * i / nx, height * j / ny, 0));
  auto at = [nx](int i, int j) { return static_cast<int32_t>(j * (nx + 1) + i); };
  std::vector<int32_t> corners;
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) AddQuad(corners, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
  return MakeMeshFromArrays(pos, corners);
}
