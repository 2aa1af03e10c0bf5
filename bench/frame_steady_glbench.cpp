// Time of the steady frame (nothing changed: lists 1, 6 and 2 replayed, frame
// captured into the frame texture, glFinish in place of the buffer swap) on a
// 100,000-triangle sphere at 512 x 512 offscreen, against the same surface
// drawn lit from one plain display list. Run under an X display:
//   frame_steady_glbench [frames [size]]
#include <GL/gl.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "advection/capture_gl.h"
#include "advection/surface_passes_gl.h"
#include "mesh/mesh_preparation.h"
#include "mesh/mesh_shapes.h"
#include "mesh/triangle_strips.h"
#include "shell/camera_gl.h"
#include "shell/frame_gl.h"

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

// Milliseconds per call of `frame` over n calls, each finished with glFinish.
double MsPerFrame(int n, const std::function<void()>& frame) {
  frame();
  glFinish();
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) {
    frame();
    glFinish();
  }
  const std::chrono::duration<double, std::milli> dt = std::chrono::steady_clock::now() - t0;
  return dt.count() / n;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 200;
  if (argc > 2) kSize = std::atoi(argv[2]);
  QSurfaceFormat format;
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setDepthBufferSize(24);
  QOffscreenSurface surface;
  surface.setFormat(format);
  surface.create();
  QOpenGLContext context;
  context.setFormat(format);
  if (!context.create() || !context.makeCurrent(&surface)) {
    std::fprintf(stderr, "no GL context\n");
    return 1;
  }
  QOpenGLFramebufferObject fbo(kSize, kSize, QOpenGLFramebufferObject::Depth);
  fbo.bind();

  TAppState state;
  state.mesh = BenchSphere();
  ResetView(state.mesh, state.view);
  TFrameControls controls;  // the controls at start: texture, shade, light on
  InitGLState(state.frame, kSize, kSize);
  DrawFrame(state, controls, TFramePasses(), kSize, kSize);  // compiles lists 1, 6, 2

  TListCompileCounts counts;
  const double steady =
      MsPerFrame(frames, [&] { counts.Add(DrawFrame(state, controls, TFramePasses(), kSize, kSize)); });

  // One plain list: the lit shaded surface, drawn with the same clear and camera.
  TSurfaceFrame lit;
  lit.lighting_on = true;
  glNewList(kPlainList, GL_COMPILE);
  DrawShadedSurface(state.mesh, controls.surface, lit, false, 1.0);
  glEndList();
  const double plain = MsPerFrame(frames, [&] {
    BeginFrame(state, controls, kSize, kSize);
    glCallList(kPlainList);
  });

  // One list holding what the steady frame draws, without lock step, capture or list split.
  EnableSurfaceArrays(state.mesh);
  glNewList(kSameList, GL_COMPILE);
  glBindTexture(GL_TEXTURE_2D, kFrameTexture);
  DrawTexturedSurface(state.mesh, controls.surface, lit, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  BeginOverlayProjection(state.view);
  DrawOverlaySurface(state.mesh, controls.surface, lit);
  EndOverlayProjection();
  glEndList();
  DisableSurfaceArrays();
  const double same = MsPerFrame(frames, [&] {
    BeginFrame(state, controls, kSize, kSize);
    glCallList(kSameList);
  });

  // Where the steady frame's time goes: each step alone after the clear and camera.
  const double clear = MsPerFrame(frames, [&] { BeginFrame(state, controls, kSize, kSize); });
  const double list1 = MsPerFrame(frames, [&] {
    BeginFrame(state, controls, kSize, kSize);
    glBindTexture(GL_TEXTURE_2D, 8);
    glCallList(kSurfaceList);
  });
  const double list6 = MsPerFrame(frames, [&] {
    BeginFrame(state, controls, kSize, kSize);
    BeginOverlayProjection(state.view);
    glCallList(kShadingList);
    EndOverlayProjection();
  });
  const double capture = MsPerFrame(frames, [&] {
    BeginFrame(state, controls, kSize, kSize);
    glBindTexture(GL_TEXTURE_2D, 8);
    CaptureFrame(state.view);
    glBindTexture(GL_TEXTURE_2D, 0);
  });

  std::printf("mesh: %d triangles, %d vertices, %d strip entries; %d x %d, %d frames\n", state.mesh.face_count,
              state.mesh.vertex_count, state.mesh.strip_len, kSize, kSize, frames);
  std::printf("steady frame (lists 1, 6, 2 + capture): %.3f ms/frame\n", steady);
  std::printf("one plain list, lit surface once:       %.3f ms/frame  ratio %.2f\n", plain, steady / plain);
  std::printf("one plain list, same two surface passes: %.3f ms/frame  ratio %.2f (goal <= 1.5)\n", same,
              steady / same);
  std::printf("alone, each with clear + camera (%.3f ms): list 1 %.3f, list 6 %.3f, capture %.3f ms\n", clear, list1,
              list6, capture);
  std::printf("recompiles during the steady frames: surface %lld, shading %lld, overlay %lld; captures %lld\n",
              static_cast<long long>(counts.surface), static_cast<long long>(counts.shading),
              static_cast<long long>(counts.overlay), static_cast<long long>(counts.captures));
  fbo.release();
  context.doneCurrent();
  return 0;
}
