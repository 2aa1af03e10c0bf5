// Our load of a large ASCII PLY file against a widely used mesh library
// (OpenMesh) on the same file, in one run: writes a ring torus of about
// 1,000,000 triangles as ASCII PLY, then times (best of `reps`, wall and
// processor time)
//   (a) the library's read of the file into a triangle mesh,
//   (b) its read, one Loop step and the vertex normals of the result,
//   (c) our whole LoadMesh with the default options,
//   (d) our whole LoadMesh with one Loop step ("Subdivide when read:" 1),
// and prints c / a (goal <= 0.5) and d / b (goal <= 1.0). The peak resident
// size of each of the four is taken in a fresh process of this program.
// Only this program links the library; the product never does.
//
//   mesh_load_reference_bench [nu nv [reps]]   (default 1000 500 3)
//   mesh_load_reference_bench --peak ours|reference FILE [loop_steps]
//       one load of FILE in this fresh process; prints its time and the
//       peak resident size in MiB on one line
#include <unistd.h>

#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>
#include <OpenMesh/Tools/Subdivider/Uniform/LoopT.hh>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_timing.h"
#include "formats/ply_writer.h"
#include "loading/mesh_loading.h"
#include "mesh/mesh_shapes.h"

namespace {

using TReferenceMesh = OpenMesh::TriMesh_ArrayKernelT<>;

// The library's read of `path`; steps > 0 adds that many Loop steps and the
// face and vertex normals of the result (our load computes its normals after
// the subdivision too). Returns the face count, -1 when the read failed.
long ReferenceLoad(const std::string& path, int steps) {
  TReferenceMesh mesh;
  if (!OpenMesh::IO::read_mesh(mesh, path)) return -1;
  if (steps > 0) {
    OpenMesh::Subdivider::Uniform::LoopT<TReferenceMesh> loop;
    loop.attach(mesh);
    loop(static_cast<size_t>(steps));
    loop.detach();
    mesh.request_face_normals();
    mesh.request_vertex_normals();
    mesh.update_normals();
  }
  return static_cast<long>(mesh.n_faces());
}

// Our whole load of `path` with `steps` Loop steps (0: the default options).
long OurLoad(const std::string& path, int steps) {
  TMesh mesh;
  std::string error;
  TLoadOptions opt;
  opt.subdivide = steps > 0;
  if (steps > 0) opt.subdiv_steps = steps;
  if (!LoadMesh(path, opt, mesh, error)) {
    std::printf("load failed: %s\n", error.c_str());
    return -1;
  }
  return mesh.face_count;
}

long Load(bool ours, const std::string& path, int steps) {
  return ours ? OurLoad(path, steps) : ReferenceLoad(path, steps);
}

// Best of `reps` loads; stops the program when a load fails or the two
// programs' face counts disagree with `faces`.
TTime BestLoad(int reps, bool ours, const std::string& path, int steps, long faces) {
  long got = 0;
  const TTime t = Best(reps, [&] { got = Load(ours, path, steps); });
  if (got != faces) {
    std::printf("%s load with %d Loop step(s) gave %ld faces, expected %ld\n", ours ? "our" : "reference", steps, got,
                faces);
    std::exit(1);
  }
  return t;
}

void Row(const char* name, TTime t) { std::printf("  %-42s %8.3f s wall %8.3f s cpu\n", name, t.wall, t.cpu); }

// One load in this fresh process and its peak resident size.
int PeakOfOneLoad(const char* who, const char* path, int steps) {
  const bool ours = std::strcmp(who, "ours") == 0;
  long faces = 0;
  const TTime t = Measure([&] { faces = Load(ours, path, steps); });
  std::printf("%ld faces in %.3f s wall %.3f s cpu, peak %.0f MiB\n", faces, t.wall, t.cpu, PeakMegabytes());
  return faces > 0 ? 0 : 1;
}

// The peak of one load, run as a fresh process of this program: the MiB it
// reports, or -1.
double PeakInFreshProcess(const char* who, const std::string& path, int steps) {
  const std::string command =
      "/proc/" + std::to_string(getpid()) + "/exe --peak " + who + " '" + path + "' " + std::to_string(steps);
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char line[256] = {0};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  const int status = pclose(pipe);
  const char* peak = got ? std::strstr(line, "peak ") : nullptr;
  return status == 0 && peak ? std::atof(peak + 5) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3 && std::strcmp(argv[1], "--peak") == 0)
    return PeakOfOneLoad(argv[2], argv[3], argc > 4 ? std::atoi(argv[4]) : 0);
  const int nu = argc > 2 ? std::atoi(argv[1]) : 1000, nv = argc > 2 ? std::atoi(argv[2]) : 500;
  const int reps = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("flowskin_reference_torus_" + std::to_string(getpid()) + ".ply"))
          .string();
  long faces = 0;
  {
    const TMesh torus = MakeTorusMesh(4, 1, nu, nv);
    const std::string text = FormatPly(torus);
    std::ofstream(path, std::ios::binary) << text;
    faces = torus.face_count;
    std::printf("torus: %d vertices, %ld triangles, %.1f MB of ASCII PLY in %s\n", torus.vertex_count, faces,
                text.size() / 1e6, path.c_str());
  }
  std::printf("best of %d (the file comes from the page cache each time):\n", reps);
  const TTime a = BestLoad(reps, false, path, 0, faces);
  Row("(a) reference: read", a);
  const TTime b = BestLoad(reps, false, path, 1, 4 * faces);
  Row("(b) reference: read + Loop step + normals", b);
  const TTime c = BestLoad(reps, true, path, 0, faces);
  Row("(c) ours: LoadMesh", c);
  const TTime d = BestLoad(reps, true, path, 1, 4 * faces);
  Row("(d) ours: LoadMesh, one Loop step", d);
  std::printf("  c / a  %.2f wall %.2f cpu  (goal <= 0.5)\n", c.wall / a.wall, c.cpu / a.cpu);
  std::printf("  d / b  %.2f wall %.2f cpu  (goal <= 1.0)\n", d.wall / b.wall, d.cpu / b.cpu);
  std::printf("peak resident size, each in a fresh process:\n");
  for (int steps : {0, 1}) {
    const double ours = PeakInFreshProcess("ours", path, steps);
    const double theirs = PeakInFreshProcess("reference", path, steps);
    std::printf("  %d Loop step(s): ours %.0f MiB, reference %.0f MiB, ours / reference %.2f\n", steps, ours, theirs,
                ours / theirs);
  }
  std::filesystem::remove(path);
  return 0;
}
