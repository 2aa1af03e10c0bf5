// Writes the sample meshes of the examples/ folder:
//   sphere.ply        geodesic sphere of radius 1, 8192 triangles
//   torus.ply         ring torus around z (radii 1 and 0.35), 9216 triangles
//   torus_flow.ply    the torus with a velocity per vertex winding helically
//                     round the ring and the tube ("Flow data")
//   sphere_swirl.ply  sphere of 2048 triangles with a velocity per vertex (a swirl
//                     about z) and 8 time steps whose swirl axis tips over from z
//                     towards x, for the time controls
//   torus_binary.ply  torus_flow.ply written as little-endian binary PLY
//   wave_mapped.ply   a wavy square sheet of 7938 triangles with texture
//                     coordinates spanning the whole picture ("Load image...")
//   box.ply           a box 2 x 1.4 x 1 of 3072 triangles whose sides meet at
//                     sharp edges (smooth shading keeps them sharp)
//   checker.bmp       a 256 x 256 24-bit bitmap to map onto it: a checker
//                     board whose coloured squares grow redder to the right
//                     and greener downwards, so the picture's orientation shows
//
//   make_examples [folder]      (default: examples)
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "advection/image_map.h"
#include "formats/ply_writer.h"
#include "mesh/mesh_shapes.h"

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

// Unit tangents along the ring (about z) and round the tube, mixed so the flow
// winds one and a half turns round the tube per turn round the ring.
TMesh HelixTorus() {
  constexpr double kMajor = 1, kMinor = 0.35;
  TMesh m = MakeTorusMesh(kMajor, kMinor, 96, 48);
  m.has_user_velo = true;
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    const TVec3& p = m.vertices[i].pos;
    const double u = std::atan2(p.y, p.x);
    TVec3 ring{static_cast<float>(-std::sin(u)), static_cast<float>(std::cos(u)), 0};
    TVec3 out{static_cast<float>(p.x - kMajor * std::cos(u)), static_cast<float>(p.y - kMajor * std::sin(u)), p.z};
    vec_normalize(out);
    TVec3 tube;
    vec_cross(ring, out, tube);
    const double k = 1.5 * kMinor / kMajor;  // speed round the tube for 1.5 tube turns per ring turn
    m.vertices[i].user_velo = TVec3{static_cast<float>(ring.x + k * tube.x), static_cast<float>(ring.y + k * tube.y),
                                    static_cast<float>(ring.z + k * tube.z)};
  }
  return m;
}

// A 2 x 2 sheet in the xy plane, waved in z, with texture coordinates (tx, ty)
// running 0..1 across x and 1..0 up y: the picture lies upright on it when
// y points up, its top row along the sheet's top edge. Across x the
// coordinate follows the length along the wave, not x itself, so the squares
// of a checker keep their width on the slopes (coordinates generated from
// the box would stretch them there).
TMesh WaveSheet() {
  constexpr int kCells = 63;
  TMesh m = MakeGridMesh(kCells, kCells, 2, 2);
  m.has_tex0 = true;
  for (int32_t k = 0; k < m.vertex_count; ++k) {
    TVertex& v = m.vertices[k];
    v.pos.x -= 1;
    v.pos.y -= 1;
    v.pos.z = static_cast<float>(0.2 * std::sin(std::numbers::pi * v.pos.x) * std::cos(std::numbers::pi * v.pos.y / 2));
  }
  for (int j = 0; j <= kCells; ++j) {
    TVertex* row = &m.vertices[size_t(j) * (kCells + 1)];
    std::vector<double> length(kCells + 1, 0.0);
    for (int i = 1; i <= kCells; ++i) {
      const double dx = row[i].pos.x - row[i - 1].pos.x, dz = row[i].pos.z - row[i - 1].pos.z;
      length[i] = length[i - 1] + std::sqrt(dx * dx + dz * dz);
    }
    for (int i = 0; i <= kCells; ++i) {
      row[i].tex0[0] = static_cast<float>(length[i] / length[kCells]);
      row[i].tex0[1] = 1 - static_cast<float>(j) / kCells;
    }
  }
  return m;
}

// A box 2 x 1.4 x 1 with every side a grid of cells, the sides sharing the
// vertices of their edges: a closed surface with sharp edges.
TMesh Box() {
  constexpr int kCells = 16;
  const float half[3] = {1.0f, 0.7f, 0.5f};
  std::vector<TVec3> points;
  std::map<std::array<int, 3>, int32_t> index;  // grid point (-kCells..kCells per axis) -> vertex
  std::vector<int32_t> corners;
  auto vertex = [&](std::array<int, 3> g) {
    const auto [it, added] = index.try_emplace(g, int32_t(points.size()));
    if (added) points.push_back({half[0] * g[0] / kCells, half[1] * g[1] / kCells, half[2] * g[2] / kCells});
    return it->second;
  };
  for (int axis = 0; axis < 3; ++axis)
    for (int side : {-1, 1}) {
      const int u = (axis + 1) % 3, v = (axis + 2) % 3;  // u x v points along +axis
      for (int i = -kCells; i < kCells; i += 2)
        for (int j = -kCells; j < kCells; j += 2) {
          auto at = [&](int a, int b) {
            std::array<int, 3> g{};
            g[size_t(axis)] = side * kCells, g[size_t(u)] = a, g[size_t(v)] = b;
            return vertex(g);
          };
          const int32_t p00 = at(i, j), p10 = at(i + 2, j), p11 = at(i + 2, j + 2), p01 = at(i, j + 2);
          if (side > 0)
            corners.insert(corners.end(), {p00, p10, p11, p00, p11, p01});
          else
            corners.insert(corners.end(), {p00, p11, p10, p00, p01, p11});
        }
    }
  return MakeMeshFromArrays(points, corners);
}

// The checker picture, written as a 24-bit bitmap.
bool WriteChecker(const std::filesystem::path& path) {
  constexpr int kSize = 256, kSquare = 32;
  std::vector<uint8_t> bgr(size_t(kSize) * kSize * 3);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      uint8_t* p = &bgr[(size_t(y) * kSize + x) * 3];
      const bool coloured = (x / kSquare + y / kSquare) % 2 == 0;
      p[0] = coloured ? 160 : 255;                      // blue
      p[1] = coloured ? static_cast<uint8_t>(y) : 255;  // green grows downwards
      p[2] = coloured ? static_cast<uint8_t>(x) : 255;  // red grows to the right
    }
  const std::vector<uint8_t> file = Bitmap24File(bgr.data(), size_t(kSize) * 3, kSize, kSize);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  out.close();
  std::printf("%s: %d x %d pixels, %zu bytes\n", path.string().c_str(), kSize, kSize, file.size());
  return static_cast<bool>(out);
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
  const std::string arg = argc > 1 ? argv[1] : "";
  if (arg == "-h" || arg == "--help") {
    std::printf(
        "usage: make_examples [FOLDER]\nWrites the sample meshes and the checker picture into FOLDER "
        "(default: examples).\n");
    return 0;
  }
  if (argc > 2 || arg.starts_with("-")) {
    std::fprintf(stderr, "make_examples: unknown option or extra argument; usage: make_examples [FOLDER]\n");
    return 2;
  }
  const std::filesystem::path dir = argc > 1 ? argv[1] : "examples";
  std::filesystem::create_directories(dir);
  const bool ok = Write(dir / "sphere.ply", MakeGeodesicSphereMesh(1, 5)) &&
                  Write(dir / "torus.ply", MakeTorusMesh(1, 0.35, 96, 48)) &&
                  Write(dir / "torus_flow.ply", HelixTorus()) && Write(dir / "sphere_swirl.ply", SwirlSphere()) &&
                  Write(dir / "torus_binary.ply", HelixTorus(), true) && Write(dir / "wave_mapped.ply", WaveSheet()) &&
                  Write(dir / "box.ply", Box()) && WriteChecker(dir / "checker.bmp");
  return ok ? 0 : 1;
}
