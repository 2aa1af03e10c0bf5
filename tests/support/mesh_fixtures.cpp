#include "support/mesh_fixtures.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

#include "formats/ply_writer.h"
#include "loading/mesh_loading.h"
#include "mesh/mesh_shapes.h"

namespace fixtures {

namespace {

TVec3 V(double x, double y, double z) {
  return TVec3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

}  // namespace

TMesh Tetrahedron() {
  return MakeMeshFromArrays({V(1, 1, 1), V(1, -1, -1), V(-1, 1, -1), V(-1, -1, 1)},
                            {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2});
}

TMesh Octahedron(double r) {
  return MakeMeshFromArrays({V(r, 0, 0), V(-r, 0, 0), V(0, r, 0), V(0, -r, 0), V(0, 0, r), V(0, 0, -r)},
                            {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5});
}

TMesh Cube(double half) {
  std::vector<TVec3> pos;
  for (int i = 0; i < 8; ++i) pos.push_back(V(i & 1 ? half : -half, i & 2 ? half : -half, i & 4 ? half : -half));
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  std::vector<int32_t> corners;
  for (const auto& q : quads) corners.insert(corners.end(), {q[0], q[1], q[2], q[0], q[2], q[3]});
  return MakeMeshFromArrays(pos, corners);
}

TMesh SingleTriangle() { return MakeMeshFromArrays({V(0, 0, 0), V(1, 0, 0), V(0, 1, 0)}, {0, 1, 2}); }

TMesh TwoTriangles() { return MakeGridMesh(1, 1, 1, 1); }

TMesh Grid(int nx, int ny, double width, double height) { return MakeGridMesh(nx, ny, width, height); }

TMesh Sphere(double r, int levels) { return MakeGeodesicSphereMesh(r, levels); }

TMesh UvSphere(double r, int slices, int stacks) { return MakeUvSphereMesh(r, slices, stacks); }

TMesh Torus(double R, double r, int nu, int nv) { return MakeTorusMesh(R, r, nu, nv); }

TMesh Fan(int n, bool closed) {
  std::vector<TVec3> pos = {V(0, 0, 0)};
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    pos.push_back(V(std::cos(a), std::sin(a), 0));
  }
  std::vector<int32_t> corners;
  for (int i = 0; i < (closed ? n : n - 1); ++i) corners.insert(corners.end(), {0, 1 + i, 1 + (i + 1) % n});
  return MakeMeshFromArrays(pos, corners);
}

TMesh Band(double r, double h, int n) {
  std::vector<TVec3> pos;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    pos.push_back(V(r * std::cos(a), r * std::sin(a), 0));
    pos.push_back(V(r * std::cos(a), r * std::sin(a), h));
  }
  std::vector<int32_t> corners;
  for (int i = 0; i < n; ++i) {
    const int32_t a = 2 * i, b = 2 * ((i + 1) % n), c = b + 1, d = a + 1;
    corners.insert(corners.end(), {a, b, c, a, c, d});
  }
  return MakeMeshFromArrays(pos, corners);
}

void Prepare(TMesh& mesh) {
  std::string error;
  PrepareLoadedMesh(mesh, TMesh{}, TLoadOptions{}, error);
}

std::string PlyText(const TMesh& mesh) { return FormatPly(mesh); }

namespace {

// The folder of this test process's files, removed when the process ends.
struct TTempFolder {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("flowskin_test_" + std::to_string(::getpid()));
  ~TTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

}  // namespace

std::string WriteTempFile(const std::string& name, const std::string& text) {
  namespace fs = std::filesystem;
  static const TTempFolder folder;
  fs::create_directories(folder.dir);
  const fs::path path = folder.dir / name;
  fs::create_directories(path.parent_path());  // a name may hold folders
  std::ofstream out(path, std::ios::binary);
  out << text;
  return path.string();
}

}  // namespace fixtures
