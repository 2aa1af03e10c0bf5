// Writes the sample meshes of the examples/ folder:
//   sphere.ply        geodesic sphere of radius 1, 8192 triangles
//   torus.ply         ring torus around z (radii 1 and 0.35), 9216 triangles
//   sphere_swirl.ply  sphere of 2048 triangles with a velocity per vertex (a swirl
//                     about z) and 8 time steps whose swirl axis tips over from z
//                     towards x, for the time controls
//   torus_binary.ply  the torus as little-endian binary PLY, with a velocity per
//                     vertex that winds around the tube
//
//   make_examples [folder]      (default: examples)
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>

#include "mesh/mesh_shapes.h"
#include "mesh/ply_writer.h"

namespace {

// a x p: tangent to a sphere about the origin at p.
TVec3 Swirl(const TVec3& axis, const TVec3& p) {
  TVec3 v;
  vec_cross(axis, p, v);
  return v;
}

TMesh SwirlSphere() {
  TMesh m = MakeGeodesicSphereMesh(1, 4);
  m.has_user_velo = true;
  for (int32_t i = 0; i < m.vertex_count; ++i) m.vertices[i].user_velo = Swirl(TVec3{0, 0, 1}, m.vertices[i].pos);
  m.time_count = 8;
  m.time_values.resize(m.time_count);
  m.time_velo.assign(m.time_count, std::vector<TVec3>(m.vertex_count));
  for (int32_t t = 0; t < m.time_count; ++t) {
    const double tilt = std::numbers::pi / 2 * t / (m.time_count - 1);
    const TVec3 axis{static_cast<float>(std::sin(tilt)), 0, static_cast<float>(std::cos(tilt))};
    m.time_values[t] = t;
    for (int32_t i = 0; i < m.vertex_count; ++i) m.time_velo[t][i] = Swirl(axis, m.vertices[i].pos);
  }
  return m;
}

// The torus with a velocity along the tube's circles: at each vertex the
// direction around the tube (about the tube's centre line), unit length.
TMesh WindingTorus() {
  const double major_r = 1;
  TMesh m = MakeTorusMesh(major_r, 0.35, 96, 48);
  m.has_user_velo = true;
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    const TVec3& p = m.vertices[i].pos;
    const double ring = std::hypot(p.x, p.y);
    const TVec3 centre{static_cast<float>(p.x * major_r / ring), static_cast<float>(p.y * major_r / ring), 0};
    const TVec3 around_z{static_cast<float>(-p.y / ring), static_cast<float>(p.x / ring), 0};
    const TVec3 out{p.x - centre.x, p.y - centre.y, p.z - centre.z};
    TVec3 v;
    vec_cross(around_z, out, v);
    vec_normalize(v);
    m.vertices[i].user_velo = v;
  }
  return m;
}

bool Write(const std::filesystem::path& path, const TMesh& mesh, bool binary = false) {
  const std::string text = binary ? FormatPlyBinary(mesh, false) : FormatPly(mesh);
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();  // a write that fails while the buffer is flushed must count as a failure
  std::printf("%s: %d vertices, %d triangles, %zu bytes\n", path.string().c_str(), mesh.vertex_count, mesh.face_count,
              text.size());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir = argc > 1 ? argv[1] : "examples";
  std::filesystem::create_directories(dir);
  const bool ok = Write(dir / "sphere.ply", MakeGeodesicSphereMesh(1, 5)) &&
                  Write(dir / "torus.ply", MakeTorusMesh(1, 0.35, 96, 48)) &&
                  Write(dir / "sphere_swirl.ply", SwirlSphere()) &&
                  Write(dir / "torus_binary.ply", WindingTorus(), true);
  return ok ? 0 : 1;
}
