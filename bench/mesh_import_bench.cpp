// Times the loading of a binary STL file against the same surface as ASCII
// PLY, in one run: a ring torus of about 1,000,000 triangles is written in
// both formats to temporary files, then measured (best of 3, from the page
// cache)
//   - reading the file into memory (the floor for both),
//   - reading the STL through the import library, corners joined: in the
//     import worker as the program does it (ReadImportedMesh) against the same
//     read inside this process (ReadSoupWithLibrary, BuildMeshFromSoup); the
//     processor times of the worker rows include the workers' own (RUSAGE_CHILDREN),
//   - reading the PLY (ReadPlyFile),
//   - the whole LoadMesh of each (reading and every preparation step),
// the time to start a worker for a small file (a tetrahedron as OBJ, median of
// 21) against reading it inside the process, and the peak resident memory of
// the process.
//
//   mesh_import_bench [nu nv] [--keep]   (default 1000 500: 500,000 vertices, 1,000,000 triangles)
//
// --keep leaves both files in the temporary folder and prints their paths.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench_timing.h"
#include "formats/import_library.h"
#include "formats/mesh_import.h"
#include "formats/ply_reader.h"
#include "formats/ply_writer.h"
#include "loading/mesh_loading.h"
#include "mesh/mesh_shapes.h"

namespace {

// Binary STL: 80-byte header, triangle count, per triangle a zero normal, the
// three corners and a zero attribute word (little-endian, as on this machine).
std::string StlBinary(const TMesh& m) {
  std::string out(80, ' ');
  const uint32_t count = static_cast<uint32_t>(m.face_count);
  out.append(reinterpret_cast<const char*>(&count), 4);
  out.reserve(84 + 50 * m.faces.size());
  char record[50] = {};
  for (const TFace& f : m.faces) {
    for (int k = 0; k < 3; ++k) std::memcpy(record + 12 + 12 * k, &m.vertices[f.v[k]].pos, 12);
    out.append(record, sizeof record);
  }
  return out;
}

void Row(const char* name, TTime t) { std::printf("  %-44s %8.3f s wall %8.3f s cpu\n", name, t.wall, t.cpu); }

// Processor time of the waited-for child processes (the import workers).
double ChildrenCpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// Like Measure, the processor time of the workers the run started added to
// this process's own.
TTime MeasureWithWorkers(const std::function<void()>& fn) {
  const double c0 = ChildrenCpu();
  TTime t = Measure(fn);
  t.cpu += ChildrenCpu() - c0;
  return t;
}

// The median wall and processor time (workers included) of `reps` runs.
TTime MedianOf(int reps, const std::function<void()>& fn) {
  std::vector<double> walls, cpus;
  for (int r = 0; r < reps; ++r) {
    const TTime t = MeasureWithWorkers(fn);
    walls.push_back(t.wall);
    cpus.push_back(t.cpu);
  }
  return TTime{Median(walls), Median(cpus)};
}

void Fail(const char* what, const std::string& error) {
  std::printf("%s failed: %s\n", what, error.c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  SetImportWorkerPath(FLOWSKIN_IMPORT_WORKER);
  const bool keep = argc > 1 && std::strcmp(argv[argc - 1], "--keep") == 0;
  const int args = argc - keep;
  const int nu = args > 2 ? std::atoi(argv[1]) : 1000, nv = args > 2 ? std::atoi(argv[2]) : 500;
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::string stem = "flowskin_bench_torus_" + std::to_string(getpid());
  const std::string ply = (dir / (stem + ".ply")).string(), stl = (dir / (stem + ".stl")).string();
  {
    const TMesh torus = MakeTorusMesh(4, 1, nu, nv);
    const std::string ply_text = FormatPly(torus), stl_bytes = StlBinary(torus);
    std::ofstream(ply, std::ios::binary) << ply_text;
    std::ofstream(stl, std::ios::binary) << stl_bytes;
    std::printf("torus: %d vertices, %d triangles; ASCII PLY %.1f MB, binary STL %.1f MB\n", torus.vertex_count,
                torus.face_count, ply_text.size() / 1e6, stl_bytes.size() / 1e6);
  }
  std::string error, bytes;
  const TTime file = Best(3, [&] {
    if (!ReadFileText(stl, bytes, error)) Fail("reading", error);
  });
  const TTime stl_read = Best(3, [&] {
    TMesh m;
    if (!ReadImportedMesh(stl, bytes, TMeshFormat::kStlBinary, false, TImportLimits{}, nullptr, m, error))
      Fail("STL read", error);
  }, MeasureWithWorkers);
  const TTime stl_read_here = Best(3, [&] {
    TMesh m;
    TTriangleSoup soup;
    if (!ReadSoupWithLibrary(stl, bytes, TMeshFormat::kStlBinary, soup, error) ||
        !BuildMeshFromSoup(soup, false, nullptr, m, error))
      Fail("STL read in the process", error);
  });
  const std::string tetra = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n";
  const TTime small_worker = MedianOf(21, [&] {
    TMesh m;
    if (!ReadImportedMesh("tetra.obj", tetra, TMeshFormat::kObj, false, TImportLimits{}, nullptr, m, error))
      Fail("small OBJ read", error);
  });
  const TTime small_here = MedianOf(21, [&] {
    TMesh m;
    TTriangleSoup soup;
    if (!ReadSoupWithLibrary("tetra.obj", tetra, TMeshFormat::kObj, soup, error) ||
        !BuildMeshFromSoup(soup, false, nullptr, m, error))
      Fail("small OBJ read in the process", error);
  });
  const TTime ply_read = Best(3, [&] {
    TMesh m;
    if (!ReadPlyFile(ply, false, m, error)) Fail("PLY read", error);
  });
  TMesh stl_mesh, ply_mesh;
  const TTime stl_load = Best(3, [&] {
    if (!LoadMesh(stl, TLoadOptions{}, stl_mesh, error)) Fail("STL load", error);
  }, MeasureWithWorkers);
  const TTime ply_load = Best(3, [&] {
    if (!LoadMesh(ply, TLoadOptions{}, ply_mesh, error)) Fail("PLY load", error);
  });
  std::printf("best of 3 (files from the page cache):\n");
  Row("binary STL file into memory", file);
  Row("binary STL read by the library in the worker", stl_read);
  Row("binary STL read by the library in the process", stl_read_here);
  std::printf("  worker / in the process              %.3f wall %.3f cpu\n", stl_read.wall / stl_read_here.wall,
              stl_read.cpu / stl_read_here.cpu);
  std::printf(
      "  small OBJ (4 triangles), median of 21: worker %.2f ms wall %.2f ms cpu, in the process %.2f ms wall"
      " %.2f ms cpu\n",
      1e3 * small_worker.wall, 1e3 * small_worker.cpu, 1e3 * small_here.wall, 1e3 * small_here.cpu);
  Row("ASCII PLY read (ReadPlyFile)", ply_read);
  Row("whole LoadMesh, binary STL", stl_load);
  Row("whole LoadMesh, ASCII PLY", ply_load);
  std::printf("  LoadMesh STL / PLY    %.2f wall %.2f cpu\n", stl_load.wall / ply_load.wall,
              stl_load.cpu / ply_load.cpu);
  std::printf("  peak memory           %.0f MB\n", PeakMegabytes());
  std::printf("  STL: %s; PLY: %s\n", TriangleCountText(stl_mesh).c_str(), TriangleCountText(ply_mesh).c_str());
  if (keep) {
    std::printf("kept: %s\n      %s\n", stl.c_str(), ply.c_str());
  } else {
    std::filesystem::remove(ply);
    std::filesystem::remove(stl);
  }
  return 0;
}
