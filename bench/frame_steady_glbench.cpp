// Time of the steady frame (nothing changed: the surface and shading passes
// drawn again from their buffers, list 2 replayed, frame captured into the
// frame texture, glFinish in place of the buffer swap) on a
// 100,000-triangle sphere at 512 x 512 offscreen, against the same surface
// drawn lit from one plain display list. The frame draws the surface twice
// (textured, then the translucent shading overlay), so it is also compared
// with those two passes drawn each on its own, which leaves what the frame's
// own steps (lock step, capture, list 2) cost. Last, the same sphere is drawn
// by the batch command (flowskin FILE --dry-run, same size and frame count,
// its own "drew N frames in T s"), once in every round, and its frame
// compared with the steady frame measured just before and after it. Run
// under an X display:
//   frame_steady_glbench [frames [size]]
#include <GL/gl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "advection/capture_gl.h"
#include "advection/noise_gl.h"
#include "advection/surface_passes_gl.h"
#include "bench_timing.h"
#include "formats/ply_writer.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "mesh/triangle_strips.h"
#include "offscreen_gl.h"
#include "render/camera_gl.h"
#include "render/frame_gl.h"

namespace {

int kSize = 512;                      // panel size; a second argument overrides it
constexpr unsigned kPlainList = 100;  // the lit surface once
constexpr unsigned kSameList = 101;   // the steady frame's drawing (textured + shading overlay) in one list

// 2 * 250 * 200 = 100,000 triangles, prepared as a load would for drawing.
TMesh BenchSphere() {
  TMesh m = MakeUvSphereMesh(1, 250, 201);
  BuildAdjacency(m);
  ComputeNormals(m);
  ComputeBoundingBox(m);
  BuildStrips(m);
  for (int i = 0; i < m.vertex_count; ++i) {
    TVertex& v = m.vertices[i];
    v.adv_pos = v.pos;
    v.tex[0] = 0.5f + 0.4f * v.pos.x;  // a stand-in for the upstream texture coordinates
    v.tex[1] = 0.5f + 0.4f * v.pos.y;
  }
  return m;
}

// Milliseconds per frame the batch command reports for `frames` frames of the
// mesh in `ply` drawn without writing; < 0 when it fails.
double BatchMsPerFrame(const std::string& ply, int frames) {
  const std::string size = std::to_string(kSize);
  const double seconds =
      FrameSeconds(std::string(FLOWSKIN_EXE) + " " + ply + " --size " + size + "x" + size + " --warmup 20 --frames " +
                   std::to_string(frames) + " --dry-run -o " + ply + ".png");
  return seconds > 0 ? 1000 * seconds / frames : -1;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 200;
  if (argc > 2) kSize = std::atoi(argv[2]);
  TBenchGL gl(kSize);
  if (!gl.Ok()) return 1;

  TAppState state;
  state.mesh = BenchSphere();
  ResetView(state.mesh, state.view);
  TFrameControls controls;  // the controls at start: texture, shade, light on
  InitGLState(state.frame, kSize, kSize);
  DrawFrame(state, controls, TFramePasses(), kSize, kSize);  // compiles lists 1, 6, 2

  // The variants, each measured in every round; rounds interleave them so a
  // busy machine slows all alike, and the median of the rounds is reported.
  TSurfaceFrame lit;
  lit.lighting_on = true;
  glNewList(kPlainList, GL_COMPILE);  // the lit shaded surface once
  DrawShadedSurface(state.mesh, controls.surface, lit, false, 1.0);
  glEndList();
  EnableSurfaceArrays(state.mesh);
  glNewList(kSameList, GL_COMPILE);  // what the steady frame draws, without lock step, capture or list split
  glBindTexture(GL_TEXTURE_2D, kFrameTexture);
  DrawTexturedSurface(state.mesh, controls.surface, lit, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  BeginOverlayProjection(state.view);
  DrawOverlaySurface(state.mesh, controls.surface, lit);
  EndOverlayProjection();
  glEndList();
  DisableSurfaceArrays();

  // The Run loop's frame also blends one noise time step over the surface
  // pixels before the capture: the same frame with that pass.
  BuildNoiseTextures(state.noise, TNoiseBuildParams{});
  TFramePasses with_noise;
  with_noise.inject_noise = [&] {
    InjectNoise(state.view, state.noise, TInjectControls{}, state.frame.lighting_on, kSize, kSize);
  };

  // The Run loop's frame as the program draws it: into a window's back
  // buffer (which the frame capture then reads), not a framebuffer object.
  QWindow window;
  window.setSurfaceType(QSurface::OpenGLSurface);
  window.setFormat(gl.Format());
  window.resize(kSize, kSize);
  window.show();
  for (int i = 0; i < 100 && !window.isExposed(); ++i) QGuiApplication::processEvents(QEventLoop::AllEvents, 20);

  TListCompileCounts counts;
  auto begin = [&] { BeginFrame(state, controls, kSize, kSize); };
  const std::vector<std::pair<const char*, std::function<void()>>> variants = {
      {"steady frame (lists 1, 6, 2 + capture)",
       [&] { counts.Add(DrawFrame(state, controls, TFramePasses(), kSize, kSize)); }},
      {"steady frame with the noise injected",
       [&] { counts.Add(DrawFrame(state, controls, with_noise, kSize, kSize)); }},
      {"the same in a window's back buffer",
       [&] {
         gl.OnWindow(window);
         counts.Add(DrawFrame(state, controls, with_noise, kSize, kSize));
       }},
      {"plain list: lit surface once",
       [&] {
         begin();
         glCallList(kPlainList);
       }},
      {"plain list: the same two surface passes",
       [&] {
         begin();
         glCallList(kSameList);
       }},
      {"  clear + camera alone", begin},
      {"  surface pass alone (list 1's buffers)",
       [&] {
         begin();
         glBindTexture(GL_TEXTURE_2D, kFrameTexture);
         TSurfaceDrawings& d = *state.frame.surface_drawings;
         DrawTexturedSurface(state.mesh, d.surface_controls.surface, d.surface_frame, nullptr, &d.surface);
       }},
      {"  shading overlay alone (list 6's buffers)",
       [&] {
         begin();
         BeginOverlayProjection(state.view);
         TSurfaceDrawings& d = *state.frame.surface_drawings;
         DrawOverlaySurface(state.mesh, d.shading_controls, d.shading_frame, &d.shading);
         EndOverlayProjection();
       }},
      {"  capture alone",
       [&] {
         begin();
         glBindTexture(GL_TEXTURE_2D, kFrameTexture);
         CaptureFrame(state.view, state.frame.capture);
       }},
  };
  // Each round also runs the batch command once, bracketed by the steady
  // frame (and the steady frame with noise) measured just before and just
  // after it, so that the batch frame is compared with the steady frame of
  // the same seconds (the machine's speed drifts between rounds, and even
  // within one); the median of the rounds' ratios is reported.
  const std::string ply =
      (std::filesystem::temp_directory_path() / ("flowskin_bench_sphere_" + std::to_string(getpid()) + ".ply"))
          .string();
  std::ofstream(ply) << FormatPly(state.mesh);
  constexpr int kRounds = 5;
  std::vector<std::vector<double>> ms(variants.size());
  // n frames of variant v, back on the framebuffer object after it
  const auto measure = [&](size_t v, int n) {
    const double t = MsPerFrame(n, variants[v].second);
    gl.Target();
    return t;
  };
  // One round unmeasured first: without it the first round measured ran up
  // to twice as slow as the later ones.
  for (size_t v = 0; v < variants.size(); ++v) measure(v, frames / kRounds);
  std::vector<double> batch, batch_ratio, batch_noise_ratio, batch_window_ratio;
  for (int r = 0; r < kRounds; ++r) {
    for (size_t v = 0; v < variants.size(); ++v) ms[v].push_back(measure(v, frames / kRounds));
    double before[3], after[3];  // steady, with noise, in a window
    for (size_t v = 0; v < 3; ++v) before[v] = measure(v, frames / 2);
    batch.push_back(BatchMsPerFrame(ply, frames));
    for (size_t v = 3; v-- > 0;) after[v] = measure(v, frames / 2);
    batch_ratio.push_back(batch.back() / ((before[0] + after[0]) / 2));
    batch_noise_ratio.push_back(batch.back() / ((before[1] + after[1]) / 2));
    batch_window_ratio.push_back(batch.back() / ((before[2] + after[2]) / 2));
  }
  std::filesystem::remove(ply);
  std::vector<double> median;
  for (auto& m : ms) {
    std::sort(m.begin(), m.end());
    median.push_back(m[kRounds / 2]);
  }

  std::printf("mesh: %d triangles, %d vertices, %d strip entries; %d x %d; %d rounds of %d frames, medians\n",
              state.mesh.face_count, state.mesh.vertex_count, state.mesh.strip_len, kSize, kSize, kRounds,
              frames / kRounds);
  for (size_t v = 0; v < variants.size(); ++v) std::printf("%-42s %8.3f ms/frame\n", variants[v].first, median[v]);
  std::printf("ratio steady / lit surface once:          %.2f   (goal <= 1.5)\n", median[0] / median[3]);
  std::printf("ratio steady / same passes in one list:   %.2f\n", median[0] / median[4]);
  // The two surface passes each on their own, less the clear and camera counted twice.
  const double passes = median[6] + median[7] - median[5];
  std::printf("ratio steady / surface passes on their own: %.2f\n", median[0] / passes);
  std::printf("recompiles during the steady frames: surface %lld, shading %lld, overlay %lld; captures %lld\n",
              static_cast<long long>(counts.surface), static_cast<long long>(counts.shading),
              static_cast<long long>(counts.overlay), static_cast<long long>(counts.captures));

  for (std::vector<double>* v : {&batch, &batch_ratio, &batch_noise_ratio, &batch_window_ratio})
    std::sort(v->begin(), v->end());
  if (batch[0] < 0) {
    std::printf("the batch command failed\n");
    return 1;
  }
  std::printf("batch frame (flowskin --dry-run, one run per round) %8.3f ms/frame\n", batch[kRounds / 2]);
  std::printf("ratio batch frame / steady frame, median of the rounds' ratios: %.2f   (goal <= 1.1)\n",
              batch_ratio[kRounds / 2]);
  std::printf("  the rounds' ratios:");
  for (double x : batch_ratio) std::printf(" %.2f", x);
  std::printf("\nratio batch frame / steady frame with noise, median: %.2f\n", batch_noise_ratio[kRounds / 2]);
  std::printf("ratio batch frame / the same in a window (the Run loop's frame), median: %.2f\n",
              batch_window_ratio[kRounds / 2]);
  return 0;
}
