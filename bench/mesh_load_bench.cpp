// Times the loading of a large mesh: generates a ring torus of about 1,000,000
// triangles as ASCII PLY and as little-endian binary PLY in temporary files,
// then measures
//   - a bare std::from_chars parse of the file's numbers (the floor for reading),
//   - reading alone (file, header and body into a mesh),
//   - reading the binary file, the binary file copied into memory, and the
//     floor of a binary read: that copy plus every vertex and face record
//     written once,
//   - the whole LoadMesh (reading and every preparation step),
//   - each preparation pass on its own, and the passes split over the cores
//     on 1 and on 2 threads,
// and the peak resident memory of the process. Subdivision and crack insertion
// are off in a load by default; they are timed on a quarter-size torus.
//
//   mesh_load_bench [nu nv]     (default 1000 500: 500,000 vertices, 1,000,000 triangles)
//   mesh_load_bench --peak FILE [loop_steps]
//       one LoadMesh of FILE in this fresh process, and its peak resident size
//       as a ratio to the floor: the vertex records and faces of the result
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench_timing.h"
#include "data/data_channels.h"
#include "flow/direction_alignment.h"
#include "formats/ply_reader.h"
#include "formats/ply_writer.h"
#include "loading/mesh_loading.h"
#include "mesh/crack_insertion.h"
#include "mesh/curvature.h"
#include "mesh/loop_subdivision.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "mesh/parallel_for.h"
#include "mesh/triangle_strips.h"

namespace {

// Reads the file and parses every number after "end_header" with from_chars:
// the first `reals` as double, the rest as integers. Returns a checksum.
double BareParse(const std::string& path, size_t reals) {
  std::string text, error;
  if (!ReadFileText(path, text, error)) std::exit(1);
  const char* p = text.data() + text.find("end_header") + 10;
  const char* end = text.data() + text.size();
  double sum = 0;
  for (size_t n = 0;; ++n) {
    while (p < end && static_cast<unsigned char>(*p) <= ' ') ++p;
    if (p >= end) break;
    if (n < reals) {
      double d = 0;
      p = std::from_chars(p, end, d).ptr;
      sum += d;
    } else {
      long long i = 0;
      p = std::from_chars(p, end, i).ptr;
      sum += static_cast<double>(i);
    }
  }
  return sum;
}

// The floor of a binary read: the file's bytes into memory, then every vertex
// and face record written once from them (positions and corners copied as
// they stand, without any check). The file is FormatPlyBinary's little-endian
// layout: float x y z per vertex, a one-byte count and three ints per face.
size_t CopyAndWriteRecords(const std::string& path, int32_t nv, int32_t nf) {
  std::string text, error;
  if (!ReadFileText(path, text, error)) std::exit(1);
  const char* p = text.data() + text.find("end_header\n") + 11;
  TMesh m;
  m.vertices.reserve(nv);
  for (int32_t i = 0; i < nv; ++i, p += 12) std::memcpy(&m.vertices.emplace_back().pos, p, 12);
  m.faces.reserve(nf);
  for (int32_t f = 0; f < nf; ++f, p += 13) std::memcpy(m.faces.emplace_back().v, p + 1, 12);
  return m.vertices.size() + m.faces.size();
}

void Row(const char* name, TTime t) { std::printf("  %-34s %8.3f s wall %8.3f s cpu\n", name, t.wall, t.cpu); }

// A pass on 1 and on 2 threads in this run (best of 5 each; `setup`, untimed,
// gives each run its input) and the ratio 2 threads / 1 thread.
void ThreadRows(const char* name, const std::function<void()>& pass, const std::function<void()>& setup = nullptr) {
  TTime t[2];
  for (int threads : {1, 2}) {
    SetParallelThreads(threads);
    for (int r = 0; r < 5; ++r) {
      if (setup) setup();
      const TTime one = Measure(pass);
      t[threads - 1].wall = std::min(t[threads - 1].wall, one.wall);
      t[threads - 1].cpu = std::min(t[threads - 1].cpu, one.cpu);
    }
  }
  SetParallelThreads(0);
  std::printf("  %-34s 1 thread %.3f s, 2 threads %.3f s wall; 2 / 1: %.2f wall %.2f cpu\n", name, t[0].wall, t[1].wall,
              t[1].wall / t[0].wall, t[1].cpu / t[0].cpu);
}

// Each pass on the mesh as the previous passes left it; every pass is
// idempotent, so each is run three times and the best time is kept.
void TimePasses(const std::string& path) {
  TMesh m;
  std::string error;
  std::printf("each pass of a load (best of 3):\n");
  Row("read (ReadPlyFile)", Best(3, [&] { ReadPlyFile(path, false, m, error); }));
  Row("BuildAdjacency", Best(3, [&] { BuildAdjacency(m); }));
  Row("ComputeNormals", Best(3, [&] { ComputeNormals(m); }));
  Row("ComputeBoundingBox", Best(3, [&] { ComputeBoundingBox(m); }));
  Row("BuildStrips", Best(3, [&] { BuildStrips(m); }));
  Row("GenerateTexCoords", Best(3, [&] { GenerateTexCoords(m); }));
  Row("ComputeCurvature (second ring)", Best(3, [&] { ComputeCurvature(m, TCurvatureOptions{true}); }));
  Row("ComputeCurvature", Best(3, [&] { ComputeCurvature(m, TCurvatureOptions{}); }));
  Row("AlignDirectionsWithAxis (+y)", Best(3, [&] { AlignDirectionsWithAxis(m, 1); }));
  Row("ComputeDataRanges", Best(3, [&] { ComputeDataRanges(m, true); }));
  std::printf("passes split over the cores, 2 threads against 1 (best of 5 each):\n");
  // The curvature fits were split before: how far 2 threads can go on this
  // machine as it is loaded now.
  ThreadRows("ComputeCurvature (reference)", [&] { ComputeCurvature(m, TCurvatureOptions{}); });
  ThreadRows("BuildAdjacency", [&] { BuildAdjacency(m); });
  ThreadRows("ComputeNormals", [&] { ComputeNormals(m); });
  ThreadRows("ComputeBoundingBox", [&] { ComputeBoundingBox(m); });
  ThreadRows("GenerateTexCoords", [&] { GenerateTexCoords(m); });
}

void TimeOptionalPasses(int nu, int nv) {
  TMesh m = MakeTorusMesh(4, 1, nu / 2, nv / 2);
  std::printf("optional passes on a torus of %d triangles:\n", m.face_count);
  BuildAdjacency(m);
  Row("LoopSubdivide (one step)", Measure([&] { LoopSubdivide(m); }));
  BuildAdjacency(m);
  ComputeNormals(m);
  Row("InsertCracks (1 degree thresholds)", Measure([&] { InsertCracks(m, TCrackOptions{1, 1}); }));
  std::printf("  (%d triangles, %d vertices after both)\n", m.face_count, m.vertex_count);
  const TMesh base = [&] {
    TMesh b = MakeTorusMesh(4, 1, nu / 2, nv / 2);
    BuildAdjacency(b);
    return b;
  }();
  const std::function<void()> fresh = [&] { m = base; };
  const std::function<void()> step = [&] { LoopSubdivide(m); };
  ThreadRows("LoopSubdivide (one step)", step, fresh);
}

// Binary read against ASCII read and against its floor, in one run.
void TimeBinaryRead(const std::string& path, const std::string& binary_path, int32_t nv, int32_t nf) {
  std::string error;
  const TTime ascii = Best(5, [&] {
    TMesh r;
    if (!ReadPlyFile(path, false, r, error)) std::exit(1);
  });
  const TTime binary = Best(5, [&] {
    TMesh r;
    if (!ReadPlyFile(binary_path, false, r, error)) std::printf("binary read failed: %s\n", error.c_str());
  });
  const TTime copy = Best(5, [&] {
    std::string text;
    ReadFileText(binary_path, text, error);
  });
  const TTime floor = Best(5, [&] { CopyAndWriteRecords(binary_path, nv, nf); });
  std::printf("binary against ASCII reading (best of 5):\n");
  Row("ASCII read (ReadPlyFile)", ascii);
  Row("binary read (ReadPlyFile)", binary);
  Row("binary file copied into memory", copy);
  Row("copy + every record written once", floor);
  std::printf("  binary read / floor    %.2f wall %.2f cpu  (goal <= 1.5)\n", binary.wall / floor.wall,
              binary.cpu / floor.cpu);
  std::printf("  ASCII read / binary    %.1f wall %.1f cpu\n", ascii.wall / binary.wall, ascii.cpu / binary.cpu);
}

}  // namespace

// Peak resident size of one load against the records it leaves.
int PeakOfOneLoad(const char* path, int steps) {
  TMesh m;
  std::string error;
  TLoadOptions opt;
  opt.subdivide = steps > 0;
  opt.subdiv_steps = steps;
  const TTime t = Measure([&] {
    if (!LoadMesh(path, opt, m, error)) std::printf("load failed: %s\n", error.c_str());
  });
  const double floor =
      (static_cast<double>(m.vertex_count) * sizeof(TVertex) + static_cast<double>(m.face_count) * sizeof(TFace)) /
      (1024.0 * 1024.0);
  const double peak = PeakMegabytes();
  std::printf("%s, %d Loop step(s): %.3f s wall %.3f s cpu; peak %.0f MiB, records %.0f MiB, peak / records %.2f\n",
              TriangleCountText(m).c_str(), steps, t.wall, t.cpu, peak, floor, peak / floor);
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "--peak") == 0) return PeakOfOneLoad(argv[2], argc > 3 ? std::atoi(argv[3]) : 0);
  const int nu = argc > 2 ? std::atoi(argv[1]) : 1000, nv = argc > 2 ? std::atoi(argv[2]) : 500;
  const std::string stem =
      (std::filesystem::temp_directory_path() / ("flowskin_bench_torus_" + std::to_string(getpid()))).string();
  const std::string path = stem + ".ply", binary_path = stem + "_binary.ply";
  {
    const TMesh torus = MakeTorusMesh(4, 1, nu, nv);
    const std::string text = FormatPly(torus), binary = FormatPlyBinary(torus, false);
    std::ofstream(path, std::ios::binary) << text;
    std::ofstream(binary_path, std::ios::binary) << binary;
    std::printf("torus: %d vertices, %d triangles, %.1f MB of PLY text in %s, %.1f MB binary\n", torus.vertex_count,
                torus.face_count, text.size() / 1e6, path.c_str(), binary.size() / 1e6);
  }
  TimeBinaryRead(path, binary_path, nu * nv, 2 * nu * nv);
  const size_t reals = static_cast<size_t>(nu) * nv * 3;
  const TTime parse = Best(5, [&] { BareParse(path, reals); });
  TMesh m;
  std::string error;
  const TTime read = Best(5, [&] {
    TMesh r;
    ReadPlyFile(path, false, r, error);
  });
  TLoadReport report;
  const TTime load = Best(5, [&] {
    if (!LoadMesh(path, TLoadOptions{}, m, error, &report)) std::printf("load failed: %s\n", error.c_str());
  });
  const double peak = PeakMegabytes();
  std::printf("best of 5 (the file comes from the page cache each time):\n");
  Row("bare from_chars parse", parse);
  Row("reading alone", read);
  Row("whole LoadMesh", load);
  std::printf("  reading / bare parse  %.2f wall %.2f cpu  (goal <= 2)\n", read.wall / parse.wall,
              read.cpu / parse.cpu);
  std::printf("  LoadMesh / reading    %.2f wall %.2f cpu  (goal <= 3)\n", load.wall / read.wall, load.cpu / read.cpu);
  std::printf("  LoadMesh              %.3f s wall       (goal <= 2 s)\n", load.wall);
  std::printf("  peak memory           %.0f MB (goal < 1024 MB; each load replaces a mesh of the same size)\n", peak);
  std::printf("  %s; %s\n", TriangleCountText(m).c_str(), report.strip_text.c_str());
  m = TMesh{};
  TimePasses(path);
  std::filesystem::remove(path);
  std::filesystem::remove(binary_path);
  TimeOptionalPasses(nu, nv);
  return 0;
}
