// A movie made by the batch command line: 120 frames of 512 x 512 of a
// 100,000-triangle torus with a uniform flow, written as PNG and as BMP
// files and as one H.264 (MP4) and one VP9 (WebM) movie at the default rate
// and quality, each as a ratio to the same 120 frames drawn without writing
// (--dry-run); the size of each output. The times are the program's own "N frames in T s" (first frame
// drawn to last file closed), so start-up and the mesh load are left out.
// Rounds alternate the three runs; medians are reported. Run under an X
// display:  batch_movie_bench [rounds]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "formats/ply_writer.h"
#include "mesh/mesh_shapes.h"

namespace {

namespace fs = std::filesystem;

// Bytes of a file, or of the files in a folder.
double BytesUnder(const fs::path& p) {
  if (fs::is_regular_file(p)) return double(fs::file_size(p));
  double sum = 0;
  for (const auto& e : fs::directory_iterator(p))
    if (e.is_regular_file()) sum += double(e.file_size());
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const fs::path dir = fs::temp_directory_path() / "flowskin_batch_bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path mesh = dir / "torus100k.ply";
  std::ofstream(mesh) << FormatPly(MakeTorusMesh(1.0, 0.4, 250, 200));  // 100,000 triangles
  const std::string base = std::string(FLOWSKIN_EXE) + " " + mesh.string() +
                           " --size 512x512 --set ud_vz=-10 --set ud_rotate=5 --frames 120 --output ";
  constexpr int kRuns = 5;
  const char* names[kRuns] = {"drawn only", "PNG", "BMP", "MP4", "WebM"};
  const std::string outputs[kRuns] = {(dir / "dry.png").string() + " --dry-run", (dir / "png/f.png").string(),
                                      (dir / "bmp/f.bmp").string(), (dir / "movie.mp4").string(),
                                      (dir / "movie.webm").string()};
  const fs::path written[kRuns] = {fs::path(), dir / "png", dir / "bmp", dir / "movie.mp4", dir / "movie.webm"};
  fs::create_directories(dir / "png");
  fs::create_directories(dir / "bmp");
  std::vector<double> times[kRuns];
  for (int r = 0; r < rounds; ++r)
    for (int k = 0; k < kRuns; ++k) {
      const double t = FrameSeconds(base + outputs[k]);
      if (t < 0) {
        std::fprintf(stderr, "run failed: %s\n", (base + outputs[k]).c_str());
        return 1;
      }
      times[k].push_back(t);
    }
  const double floor = Median(times[0]);
  std::printf("120 frames, 512 x 512, torus of 100,000 triangles; medians of %d interleaved rounds\n", rounds);
  for (int k = 0; k < kRuns; ++k) {
    std::printf("  %-10s %7.3f s  %6.1f ms/frame  ratio %.3f", names[k], Median(times[k]),
                Median(times[k]) / 120 * 1000, Median(times[k]) / floor);
    if (!written[k].empty()) std::printf("  %8.0f KiB", BytesUnder(written[k]) / 1024.0);
    std::printf("\n");
  }
  fs::remove_all(dir);
  return 0;
}
