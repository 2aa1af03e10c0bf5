// Times SynthesizeVelocity on a point cloud of 1,000,000 vertices on the unit
// sphere (analytic normals and tangent frames) with 10 line sources, the case
// of a source being dragged over a large mesh: the synthesis then runs once per
// mouse move. Prints the best and the median of the repetitions (wall and
// processor time), and which path the source sums took on this processor.
//
// Usage: flow_synth_bench [vertex_count] [repetitions] [line_sources]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <numbers>
#include <vector>

#include "flow/flow_source.h"
#include "flow/source_flow_kernel.h"
#include "flow/velocity_synthesis.h"
#include "mesh/mesh_model.h"

namespace {

// Fibonacci points on the unit sphere with normal = position, e1 along the
// parallel (east) and e2 = normal x e1 (north).
void BuildSphereCloud(TMesh& mesh, int32_t n) {
  mesh.vertices.assign(static_cast<size_t>(n), TVertex{});
  mesh.vertex_count = n;
  const double golden = std::numbers::pi * (3.0 - std::sqrt(5.0));
  for (int32_t i = 0; i < n; ++i) {
    const double z = 1.0 - 2.0 * (i + 0.5) / n;
    const double r = std::sqrt(1.0 - z * z);
    const double phi = golden * i;
    TVertex& v = mesh.vertices[i];
    v.pos = {static_cast<float>(r * std::cos(phi)), static_cast<float>(r * std::sin(phi)), static_cast<float>(z)};
    v.normal = v.pos;
    v.e1 = {static_cast<float>(-std::sin(phi)), static_cast<float>(std::cos(phi)), 0};
    vec_cross(v.normal, v.e1, v.e2);
    v.dir_max = v.e1;
    v.dir_min = v.e2;
  }
  mesh.box_min[0] = mesh.box_min[1] = mesh.box_min[2] = -1;
  mesh.box_max[0] = mesh.box_max[1] = mesh.box_max[2] = 1;
  mesh.box_size = 2 * std::sqrt(3.0);
}

// Line sources of mixed strengths on a ring around the sphere.
void AddLineSources(TFlowSourceTable& table, int count) {
  for (int i = 1; i <= count; ++i) {
    TFlowSource& s = table.flow_sources[i];
    const double a = 2 * std::numbers::pi * i / count;
    s.p0 = {static_cast<float>(1.5 * std::cos(a)), static_cast<float>(1.5 * std::sin(a)), -1};
    s.p1 = {s.p0.x, s.p0.y, 1};
    s.is_line = true;
    s.strength = 10 - i;
    s.axis_strength = i % 3;
    s.rot_strength = i - 5;
  }
  table.source_count = count;
  table.selected_source = count > 0 ? 1 : 0;
}

// Processor time of this thread, milliseconds.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t n = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const int reps = argc > 2 ? std::atoi(argv[2]) : 21;
  const int sources = argc > 3 ? std::clamp(std::atoi(argv[3]), 0, kMaxFlowSources) : 10;
  TMesh mesh;
  BuildSphereCloud(mesh, n);
  TFlowSourceTable table;
  AddLineSources(table, sources);
  TFlowParams params;  // defaults plus a uniform flow, projection, normal flow and a rotation
  params.vz = -10;
  params.normal_flow = 3;
  params.angle = 45;
  params.view_size = 3;

  std::vector<double> ms, cpu_ms;
  SynthesizeVelocity(mesh, table, params);  // warm-up: pages touched once
  for (int r = 0; r < reps; ++r) {
    const double c0 = CpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    SynthesizeVelocity(mesh, table, params);
    const auto t1 = std::chrono::steady_clock::now();
    cpu_ms.push_back(CpuMs() - c0);
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  std::sort(cpu_ms.begin(), cpu_ms.end());
  double check = 0;
  for (int32_t i = 0; i < n; i += 997) check += mesh.vertices[i].speed;
  std::printf("SynthesizeVelocity: %d vertices, %d line sources, %d runs: best %.2f ms, median %.2f ms (check %.6g)\n",
              n, sources, reps, ms.front(), ms[ms.size() / 2], check);
  std::printf("processor time (the machine may be shared): best %.2f ms, median %.2f ms\n", cpu_ms.front(),
              cpu_ms[cpu_ms.size() / 2]);
  std::printf("source sums: %s\n",
              SourceKernelIsVectorised() ? "four lanes (AVX2, FMA)" : "lane by lane (no AVX2/FMA)");
  return 0;
}
