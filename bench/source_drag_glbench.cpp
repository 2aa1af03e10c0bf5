// Two costs of the interaction and the overlays, offscreen at 512 x 512:
//
// 1. A mouse move that drags a flow source on a 1,000,000-vertex sphere, to
//    the frame shown: the drag in its plane, the render-state refresh, then a
//    frame with the scene dirty (velocity synthesis, displacement, texture
//    coordinates, the surface buffers refreshed and list 2 recompiled, all
//    drawn), glFinish in place of the buffer swap, against the steady frame
//    drawn just after it (each move's own ratio; their median is reported).
//    The window's Run loop and mouse handler do the same.
// 2. The overlay list with every overlay on (mesh lines, normals, velocity
//    vectors, frames, both curvature directions, box, one line source) at
//    100,000 triangles, replayed, against the plain lit surface list.
//
// Run under an X display:  source_drag_glbench [moves [vertices]]
#include <GL/gl.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "advection/advection_pass.h"
#include "advection/surface_passes_gl.h"
#include "bench_timing.h"
#include "data/colour_map_gl.h"
#include "flow/velocity_synthesis.h"
#include "flow/view_unproject.h"
#include "interaction/pick_math.h"
#include "mesh/curvature.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "mesh/triangle_strips.h"
#include "offscreen_gl.h"
#include "render/camera_gl.h"
#include "render/frame_gl.h"
#include "render/overlays_gl.h"
#include "render/source_glyphs_gl.h"

namespace {

constexpr int kSize = 512;
constexpr unsigned kPlainList = 100;

using Clock = std::chrono::steady_clock;
double MsSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// A UV sphere of about `vertices` vertices, prepared for drawing as a load would.
TMesh PreparedSphere(int vertices, bool curvature) {
  const int slices = std::max(8, static_cast<int>(std::sqrt(static_cast<double>(vertices))));
  TMesh m = MakeUvSphereMesh(1, slices, vertices / slices + 1);
  BuildAdjacency(m);
  ComputeNormals(m);
  ComputeBoundingBox(m);
  BuildStrips(m);
  if (curvature) ComputeCurvature(m, TCurvatureOptions());
  for (int i = 0; i < m.vertex_count; ++i) m.vertices[i].adv_pos = m.vertices[i].pos;
  return m;
}

// The default line of "Add flow": (mid-x, ymin, zmin) to (mid-x, ymax, zmin), selected.
void AddDefaultLine(TAppState& s) {
  TFlowSource& f = s.sources.flow_sources[1];
  const float mx = static_cast<float>((s.mesh.box_min[0] + s.mesh.box_max[0]) / 2);
  f.p0 = {mx, static_cast<float>(s.mesh.box_min[1]), static_cast<float>(s.mesh.box_min[2])};
  f.p1 = {mx, static_cast<float>(s.mesh.box_max[1]), f.p0.z};
  f.is_line = true;
  f.strength = 10;
  s.sources.source_count = 1;
  s.sources.selected_source = 1;
}

// Milliseconds spent in the CPU steps of the frame passes.
struct TStepTimes {
  double synthesis = 0, advection = 0;  // velocity synthesis; displacement and texture coordinates
  int64_t syntheses = 0;
};

// The frame passes of the window, timed: synthesis while the scene is dirty,
// then displacement and texture coordinates; glyphs and paint blobs.
TFramePasses WindowPasses(TAppState& s, TGlyphQuadric& q, TStepTimes& t) {
  TFramePasses p;
  p.advection_step = [&] {
    auto t0 = Clock::now();
    if (s.frame.scene_dirty) {
      SynthesizeVelocity(s.mesh, s.sources, TFlowParams{.view_size = s.view.size});
      ++t.syntheses;
      t.synthesis += MsSince(t0);
      t0 = Clock::now();
    }
    DisplaceVertices(s.mesh, 0.01);
    t.advection += MsSince(t0);
  };
  p.compute_tex_coords = [&] {
    const auto t0 = Clock::now();
    ComputeTexCoords(s.mesh, s.matrices, s.view, s.frame.texture_dragged, TTexCoordParams());
    t.advection += MsSince(t0);
  };
  p.source_glyphs = [&] { DrawFlowSources(s.sources, s.mesh, s.mouse, q); };
  p.paint_blobs = [&] { DrawPaintSources(s.sources, s.frame.frame_counter, q); };
  return p;
}

// Part 1: `moves` mouse moves dragging the p1 end of the line source.
void DragBench(int vertices, int moves) {
  TAppState s;
  auto t0 = Clock::now();
  s.mesh = PreparedSphere(vertices, false);
  std::printf("drag: sphere of %d vertices, %d triangles prepared in %.0f ms\n", s.mesh.vertex_count, s.mesh.face_count,
              MsSince(t0));
  ResetView(s.mesh, s.view);
  s.view.rot_y = 30;  // turned so the line is not hidden behind the sphere
  s.view.rot_x = 20;
  AddDefaultLine(s);
  TFrameControls c;
  TGlyphQuadric quadric;
  TStepTimes steps;
  const TFramePasses passes = WindowPasses(s, quadric, steps);
  InitGLState(s.frame, kSize, kSize);
  DrawFrame(s, c, passes, kSize, kSize);  // writes the glyph radii
  glFinish();

  // Press on the p1 sphere.
  const TVec3 p1 = s.sources.flow_sources[1].p1;
  const double end[3] = {p1.x, p1.y, p1.z};
  double win[3];
  ProjectObjectPoint(end, s.matrices, win);
  int x = static_cast<int>(std::lround(win[0])), y = kSize - static_cast<int>(std::lround(win[1]));
  TRay ray;
  UnprojectRay(s.matrices, kSize, x, y, ray);
  const TPick pick = PickSource(s.sources, ray);
  if (pick.source != 1) {
    std::printf("drag: the press at (%d, %d) missed the glyph\n", x, y);
    return;
  }
  StartSourceDrag(s.mouse, ray, pick.t);
  s.sources.selected_handle = pick.handle;
  s.mouse.mouse_mode = 4;

  // Each move is followed by the steady frame that comes next while the
  // mouse rests, so that the ratio compares frames of the same moment.
  std::vector<double> total, drag, synth, advect, lists, steady, ratio;
  TRenderStateControls rc;
  for (int i = 0; i < moves; ++i) {
    x += 2;
    y += 1;
    steps = TStepTimes();
    const auto m0 = Clock::now();
    UnprojectRay(s.matrices, kSize, x, y, ray);
    DragSource(s.sources, s.mouse, ray, false);
    RefreshRenderState(s, rc, true);
    s.frame.scene_dirty = true;
    s.frame.view_changed = true;
    drag.push_back(MsSince(m0));
    DrawFrame(s, c, passes, kSize, kSize);
    glFinish();
    total.push_back(MsSince(m0));
    synth.push_back(steps.synthesis);
    advect.push_back(steps.advection);
    lists.push_back(total.back() - drag.back() - steps.synthesis - steps.advection);
    const auto f0 = Clock::now();
    DrawFrame(s, c, passes, kSize, kSize);
    glFinish();
    steady.push_back(MsSince(f0));
    ratio.push_back(total.back() / steady.back());
  }
  std::printf("drag: %d moves, medians: mouse move to frame shown %.1f ms (max %.1f; goal < 100)\n", moves,
              Median(total), *std::max_element(total.begin(), total.end()));
  std::printf(
      "      drag + render-state refresh %.1f, velocity synthesis %.1f, displacement + texture coordinates "
      "%.1f,\n      refreshing and drawing the surface %.1f ms; a steady frame %.1f ms; move to frame / the steady "
      "frame after it, median %.2f (goal <= 1.5)\n",
      Median(drag), Median(synth), Median(advect), Median(lists), Median(steady), Median(ratio));
}

// Milliseconds per replay of `draw` after clear and camera, finished with glFinish.
double MsPerReplay(int n, TAppState& s, const TFrameControls& c, const std::function<void()>& draw) {
  std::vector<double> ms;
  for (int r = 0; r < 5; ++r) {
    const auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
      BeginFrame(s, c, kSize, kSize);
      draw();
      glFinish();
    }
    ms.push_back(MsSince(t0) / n);
  }
  return Median(ms);
}

// Part 2: the overlay list with every overlay on against the lit surface once.
void OverlayBench(int frames) {
  TAppState s;
  s.mesh = PreparedSphere(50000, true);
  ResetView(s.mesh, s.view);
  AddDefaultLine(s);
  for (int i = 0; i < s.mesh.vertex_count; ++i) {
    TVertex& v = s.mesh.vertices[i];
    v.adv_pos = {v.pos.x + 0.001f * v.e1.x, v.pos.y + 0.001f * v.e1.y, v.pos.z + 0.001f * v.e1.z};
  }
  TFrameControls c;
  c.shtexture = false;
  c.overlays = {true, true, true, true, true, true, true};
  TGlyphQuadric q;
  TFramePasses p;
  p.source_glyphs = [&] { DrawFlowSources(s.sources, s.mesh, s.mouse, q); };
  p.mesh_lines = [&] { DrawMeshLines(s.mesh, TMeshLineMaterial(), true); };
  p.normals = [&] { DrawNormals(s.mesh); };
  p.velocity_vectors = [&] { DrawVelocityVectors(s.mesh); };
  p.frames = [&] { DrawFrames(s.mesh); };
  p.curvature_vectors = [&](int kind) { DrawCurvatureVectors(s.mesh, kind); };
  p.box = [&] { DrawBox(s.mesh, s.view.center); };
  InitGLState(s.frame, kSize, kSize);
  DrawFrame(s, c, p, kSize, kSize);  // compiles list 2 with every overlay
  TSurfaceFrame lit;
  lit.lighting_on = true;
  glNewList(kPlainList, GL_COMPILE);
  DrawShadedSurface(s.mesh, c.surface, lit, false, 1.0);
  glEndList();
  const double clear = MsPerReplay(frames, s, c, [] {});
  const double plain = MsPerReplay(frames, s, c, [] { glCallList(kPlainList); });
  const double overlay = MsPerReplay(frames, s, c, [] { glCallList(kOverlayList); });
  std::printf("overlays: %d triangles, %d vertices; medians of 5 rounds of %d replays\n", s.mesh.face_count,
              s.mesh.vertex_count, frames);
  std::printf("  clear + camera %.2f ms, plain lit surface list %.2f ms, overlay list (all on) %.2f ms\n", clear, plain,
              overlay);
  std::printf("  ratio overlay list / plain surface list: %.2f (%.2f without the clear and camera)\n", overlay / plain,
              (overlay - clear) / (plain - clear));
  // Each overlay in a list of its own.
  const std::pair<const char*, std::function<void()>> each[] = {{"flow-source glyph", p.source_glyphs},
                                                                {"mesh lines (lit)", p.mesh_lines},
                                                                {"normals", p.normals},
                                                                {"velocity vectors", p.velocity_vectors},
                                                                {"frames", p.frames},
                                                                {"max curvature", [&] { p.curvature_vectors(1); }},
                                                                {"min curvature", [&] { p.curvature_vectors(2); }},
                                                                {"box", p.box}};
  for (const auto& [name, draw] : each) {
    glNewList(kPlainList + 1, GL_COMPILE);
    draw();
    glEndList();
    const double ms = MsPerReplay(frames, s, c, [] { glCallList(kPlainList + 1); });
    std::printf("    %-20s %8.2f ms\n", name, ms - clear);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const int moves = argc > 1 ? std::atoi(argv[1]) : 20;
  const int vertices = argc > 2 ? std::atoi(argv[2]) : 1000000;
  TBenchGL gl(kSize);
  if (!gl.Ok()) return 1;
  DragBench(vertices, moves);
  OverlayBench(20);
  return 0;
}
