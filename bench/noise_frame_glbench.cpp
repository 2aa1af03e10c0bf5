// The animated frame at 512 x 512 offscreen (glFinish in place of the buffer
// swap), on spheres of 10,000, 100,000 and 1,000,000 triangles:
//  - the steady Run-loop frame (lists 1, 6 and 2 replayed, noise injected,
//    frame captured), as a ratio to the least such a frame can cost: the same
//    two surface passes replayed from plain display lists, one 64 x 64 noise
//    upload, one screen quad and one glCopyTexImage2D;
//  - the dirty frame (velocity synthesis, advection, texture coordinates and
//    the surface refreshed) on 100,000 and 1,000,000 vertices, with the
//    surface in buffer objects and recompiled into display lists, each as a
//    ratio to the steady frame of the same mesh;
//  - the per-vertex passes of the dirty frame on 1 and on 2 threads;
//  - one rebuild of the 64 noise textures;
//  - the steady frame coloured by data (Y through the Viridis map) with the
//    data colour blended with the streaks against the same frame with the
//    data laid over them, as a ratio.
// Run under an X display:  noise_frame_glbench [frames] [blend]
// ("blend": only the last measure).
#include <GL/gl.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "advection/advection_pass.h"
#include "advection/capture_gl.h"
#include "advection/noise_gl.h"
#include "advection/surface_passes_gl.h"
#include "bench_timing.h"
#include "data/colour_map_gl.h"
#include "data/data_channels.h"
#include "flow/velocity_synthesis.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "mesh/parallel_for.h"
#include "mesh/triangle_strips.h"
#include "offscreen_gl.h"
#include "render/camera_gl.h"
#include "render/frame_gl.h"

namespace {

constexpr int kSize = 512;
constexpr unsigned kPlainTextured = 100;  // the textured surface pass once
constexpr unsigned kPlainShading = 101;   // the shading overlay pass once
constexpr int kRounds = 5;

// A unit sphere of about `faces` triangles, prepared for drawing as a load would.
TMesh BenchSphere(int slices, int stacks) {
  TMesh m = MakeUvSphereMesh(1, slices, stacks);
  BuildAdjacency(m);
  ComputeNormals(m);
  ComputeBoundingBox(m);
  BuildStrips(m);
  return m;
}

// Everything one mesh needs: state, controls with a uniform flow "Linear"
// z = -10, and the frame's passes as the window installs them.
struct Bench {
  TAppState app;
  TFrameControls controls;
  TFlowParams flow;
  TFramePasses passes;

  explicit Bench(TMesh mesh) {
    app.mesh = std::move(mesh);
    ResetView(app.mesh, app.view);
    flow.vz = -10;
    flow.view_size = app.view.size;
    passes.advection_step = [this] {
      if (app.frame.scene_dirty) SynthesizeVelocity(app.mesh, app.sources, flow);
      DisplaceVertices(app.mesh, 10 / 1000.0);
    };
    passes.compute_tex_coords = [this] {
      ComputeTexCoords(app.mesh, app.matrices, app.view, app.frame.texture_dragged, TTexCoordParams());
    };
    passes.inject_noise = [this] {
      InjectNoise(app.view, app.noise, TInjectControls(), app.frame.lighting_on, kSize, kSize);
    };
  }
  void Frame() { DrawFrame(app, controls, passes, kSize, kSize); }
  void DirtyFrame() {
    app.frame.scene_dirty = true;
    Frame();
  }
  // The least a steady frame can cost: both surface passes from plain lists,
  // one noise upload, one quad, one copy of the frame.
  void Floor(const TNoisePixels& noise) {
    BeginFrame(app, controls, kSize, kSize);
    glBindTexture(GL_TEXTURE_2D, kFrameTexture);
    glCallList(kPlainTextured);
    // The quad covers what the noise quad covers, textured and blended over
    // the surface pixels only, as any injection must be.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_GREATER);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 0.1f);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, kNoiseSize, kNoiseSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, noise.data());
    DrawNoiseQuad(NoiseQuadFor(app.view, false, kSize, kSize, 25));
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glBindTexture(GL_TEXTURE_2D, kFrameTexture);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, kSize, kSize, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    BeginOverlayProjection(app.view);
    glCallList(kPlainShading);
    EndOverlayProjection();
  }
  void CompilePlainLists() {
    TSurfaceFrame lit;
    lit.lighting_on = true;
    EnableSurfaceArrays(app.mesh);
    glNewList(kPlainTextured, GL_COMPILE);
    DrawTexturedSurface(app.mesh, controls.surface, lit, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEndList();
    DisableSurfaceArrays();
    glNewList(kPlainShading, GL_COMPILE);
    DrawOverlaySurface(app.mesh, controls.surface, lit);
    glEndList();
  }
};

void SteadyFrame(int slices, int stacks, int frames) {
  Bench b(BenchSphere(slices, stacks));
  InitGLState(b.app.frame, kSize, kSize);
  BuildNoiseTextures(b.app.noise, TNoiseBuildParams());
  b.DirtyFrame();  // synthesis, advection, lists compiled
  b.CompilePlainLists();
  TNoisePixels noise{};
  std::vector<double> steady, floor;
  for (int r = 0; r < kRounds; ++r) {
    steady.push_back(MsPerFrame(frames / kRounds, [&] { b.Frame(); }));
    floor.push_back(MsPerFrame(frames / kRounds, [&] { b.Floor(noise); }));
  }
  const double s = Median(steady), f = Median(floor);
  std::printf("%9d triangles  steady frame %8.3f ms  floor %8.3f ms  ratio %.3f (goal <= 1.1)\n", b.app.mesh.face_count,
              s, f, s / f);
}

// Dirty and steady frames in alternating rounds, with the surface drawn from
// buffer objects (arrays) or display lists.
void DirtyFrame(int slices, int stacks, int frames) {
  Bench b(BenchSphere(slices, stacks));
  InitGLState(b.app.frame, kSize, kSize);
  BuildNoiseTextures(b.app.noise, TNoiseBuildParams());
  const int n = std::max(1, frames / kRounds);
  std::vector<double> dirty[2], steady[2];
  for (int r = 0; r < kRounds; ++r) {
    for (int arrays = 0; arrays < 2; ++arrays) {
      b.app.frame.surface_arrays = arrays == 1;
      dirty[arrays].push_back(MsPerFrame(n, [&] { b.DirtyFrame(); }));
      steady[arrays].push_back(MsPerFrame(n, [&] { b.Frame(); }));
    }
  }
  for (int arrays = 1; arrays >= 0; --arrays) {
    const double d = Median(dirty[arrays]), st = Median(steady[arrays]);
    std::printf("%9d vertices   %-7s dirty frame %8.3f ms  steady frame %8.3f ms  dirty/steady %.2f (goal <= 2)\n",
                b.app.mesh.vertex_count, arrays ? "arrays" : "lists", d, st, d / st);
  }
}

// The per-vertex passes of a dirty frame on one thread and on two, medians of
// alternating rounds of 10 runs each (the steady frame's matrices).
void PassThreads(int slices, int stacks) {
  Bench b(BenchSphere(slices, stacks));
  InitGLState(b.app.frame, kSize, kSize);
  b.DirtyFrame();
  const struct {
    const char* name;
    std::function<void()> run;
  } passes[] = {
      {"velocity synthesis", [&] { SynthesizeVelocity(b.app.mesh, b.app.sources, b.flow); }},
      {"displacement", [&] { DisplaceVertices(b.app.mesh, 0.01); }},
      {"texture coordinates",
       [&] {
         ComputeTexCoords(b.app.mesh, b.app.matrices, b.app.view, b.app.frame.texture_dragged, TTexCoordParams());
       }},
  };
  for (const auto& p : passes) {
    std::vector<double> ms[2];
    for (int r = 0; r < 2 * kRounds; ++r) {
      for (int t = 1; t <= 2; ++t) {
        SetParallelThreads(t);
        ms[t - 1].push_back(100 * Measure([&] {
                                    for (int k = 0; k < 10; ++k) p.run();
                                  }).wall);
      }
    }
    const double one = Median(ms[0]), two = Median(ms[1]);
    std::printf("%9d vertices   %-20s 1 thread %7.2f ms  2 threads %7.2f ms  speed-up %.2f\n", b.app.mesh.vertex_count,
                p.name, one, two, one / two);
  }
  SetParallelThreads(0);
}

void NoiseRebuild() {
  TNoiseState noise;
  std::vector<double> ms;
  for (int r = 0; r < 20; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    BuildNoiseTextures(noise, TNoiseBuildParams());
    glFinish();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::printf("noise rebuild (64 steps of 64 x 64 into lists 11..74): %.3f ms median of 20 (goal < 20)\n", Median(ms));
}

// The data overlay's steady frame with "Blend with streaks" off and on, in
// alternating rounds; each switch recompiles the shading list in one frame
// that is not timed.
void BlendFrame(int slices, int stacks, int frames) {
  Bench b(BenchSphere(slices, stacks));
  InitGLState(b.app.frame, kSize, kSize);
  BuildNoiseTextures(b.app.noise, TNoiseBuildParams());
  ComputeDataRanges(b.app.mesh, true);
  TRenderStateControls rc;
  rc.radios.py = true;
  rc.colour_map = kMapViridis;
  RefreshRenderState(b.app, rc, true);
  b.controls.surface.tex_data = true;
  std::vector<double> ms[2];
  for (int r = 0; r < kRounds; ++r) {
    for (int blend = 0; blend < 2; ++blend) {
      b.controls.surface.blend_streaks = blend == 1;
      b.DirtyFrame();
      b.Frame();
      ms[blend].push_back(MsPerFrame(frames / kRounds, [&] { b.Frame(); }));
    }
  }
  const double over = Median(ms[0]), blended = Median(ms[1]);
  std::printf("%9d triangles  data over streaks %8.3f ms  blended with streaks %8.3f ms  ratio %.3f (goal <= 1.1)\n",
              b.app.mesh.face_count, over, blended, blended / over);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 100;
  TBenchGL gl(kSize);
  if (!gl.Ok()) return 1;
  std::printf("%d x %d, medians of %d rounds\n", kSize, kSize, kRounds);
  if (argc > 2 && std::string(argv[2]) == "blend") {
    BlendFrame(250, 201, frames);  // 100,000 triangles
    return 0;
  }
  SteadyFrame(100, 51, frames);         // 10,000 triangles
  SteadyFrame(250, 201, frames);        // 100,000
  SteadyFrame(1000, 501, frames / 4);   // 1,000,000
  DirtyFrame(250, 401, frames / 4);     // 100,000 vertices
  DirtyFrame(1000, 1001, frames / 10);  // 1,000,000 vertices
  PassThreads(1000, 1001);
  NoiseRebuild();
  BlendFrame(250, 201, frames);
  return 0;
}
