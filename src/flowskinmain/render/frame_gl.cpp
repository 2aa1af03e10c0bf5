#include "render/frame_gl.h"

#include <GL/gl.h>

#include "advection/capture_gl.h"
#include "colorconversion/colorconversion.h"
#include "render/camera_gl.h"
#include "render/frame_math.h"

namespace {

void Run(const std::function<void()>& pass) {
  if (pass) pass();
}

TSurfaceFrame SurfaceFrameOf(const TFrameState& f) {
  TSurfaceFrame s;
  s.lighting_on = f.lighting_on;
  s.tex_lock_state = f.tex_lock_state;
  return s;
}

// List 1: the advection step while the texture is free, then the surface pass
// the check boxes choose, on the interleaved arrays of the vertex records.
void CompileSurfaceList(TAppState& app, const TFrameControls& c, const TFramePasses& passes, bool advect) {
  EnableSurfaceArrays(app.mesh);
  glNewList(kSurfaceList, GL_COMPILE);
  if (advect) Run(passes.advection_step);
  const TSurfaceFrame sf = SurfaceFrameOf(app.frame);
  if (c.shfill) {
    if (c.shtexture) {
      DrawTexturedSurface(app.mesh, c.surface, sf, passes.compute_tex_coords);
      glBindTexture(GL_TEXTURE_2D, 0);
    } else if (c.surface.tex_data) {
      DrawDataSurface(app.mesh, c.surface, sf, false, 1.0);
    } else {
      DrawShadedSurface(app.mesh, c.surface, sf, false, 1.0);
    }
  }
  glEndList();
  DisableSurfaceArrays();
}

// Texture on: noise and capture while free or catching up, the contrast
// stretch of the shown frame (after the capture, so the advected image keeps
// its own), then the translucent shading overlay (list 6) in the slightly
// deeper projection.
void TextureStage(TAppState& app, const TFrameControls& c, const TFramePasses& passes, const TFramePlan& plan) {
  if (plan.inject_capture) {
    Run(passes.inject_noise);
    Run(passes.paint_blobs);
    glBindTexture(GL_TEXTURE_2D, kFrameTexture);
    CaptureFrame(app.view);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  Run(passes.stretch_contrast);
  BeginOverlayProjection(app.view);
  if (plan.compile_shading) {
    glNewList(kShadingList, GL_COMPILE);
    DrawOverlaySurface(app.mesh, c.surface, SurfaceFrameOf(app.frame));
    glEndList();
  }
  glCallList(kShadingList);
  EndOverlayProjection();
}

// List 2: flow-source glyphs, then the checked overlays in a projection moved
// toward the viewer by a fraction of frustum_near so they win the depth test.
void CompileOverlayList(const TAppState& app, const TFrameControls& c, const TFramePasses& passes) {
  glNewList(kOverlayList, GL_COMPILE);
  if (c.showelements) Run(passes.source_glyphs);
  PushMatrixOf(GL_PROJECTION);
  const double d = app.view.frustum_near * (app.view.isometric ? 0.2 : 0.05);
  glTranslated(0, 0, d);
  const TOverlayControls& o = c.overlays;
  if (o.shline) Run(passes.mesh_lines);
  if (o.shnormals) Run(passes.normals);
  if (o.shvelo) Run(passes.velocity_vectors);
  if (o.shframes) Run(passes.frames);
  if (o.shmaxcurv && passes.curvature_vectors) passes.curvature_vectors(1);
  if (o.shmincurv && passes.curvature_vectors) passes.curvature_vectors(2);
  if (o.shbox) Run(passes.box);
  PopMatrixOf(GL_PROJECTION);
  glEndList();
}

}  // namespace

void TListCompileCounts::Add(const TFrameReport& r) {
  surface += r.compiled_surface;
  shading += r.compiled_shading;
  overlay += r.compiled_overlay;
  advections += r.advected;
  captures += r.captured;
}

bool BeginFrame(TAppState& app, const TFrameControls& c, int32_t panel_w, int32_t panel_h) {
  if (app.frame.frame_texture_stale) {
    DiscardFrameTexture();
    app.frame.frame_texture_stale = false;
  }
  glViewport(0, 0, panel_w, panel_h);
  const TRGBInt bg = SplitColor(c.background);
  glClearColor(bg.red / 255.0f, bg.green / 255.0f, bg.blue / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
  app.view.tex_width = TexSizeFor(panel_w);
  app.view.tex_height = TexSizeFor(panel_h);
  return SetupCamera(app.view, app.matrices, c.camera, panel_w, panel_h);
}

TFrameReport ComposeFrame(TAppState& app, const TFrameControls& c, const TFramePasses& passes) {
  TFrameReport r;
  TFrameState& f = app.frame;
  if (!f.gl_ready) return r;
  r.composed = true;
  f.lighting_on = c.lighting;
  StepTextureLock(f, TextureLocked(c.tex_lock, c.tex_lock_drag, app.mouse.mouse_mode));
  const TFramePlan plan = PlanFrame(f, c.shtexture);
  if (c.shtexture) glBindTexture(GL_TEXTURE_2D, kFrameTexture);
  if (plan.compile_surface) CompileSurfaceList(app, c, passes, plan.advect);
  glCallList(kSurfaceList);
  Run(passes.paint_blobs);
  if (plan.shading_pass) TextureStage(app, c, passes, plan);
  if (plan.compile_overlay) CompileOverlayList(app, c, passes);
  glCallList(kOverlayList);
  Run(passes.legend);
  r.compiled_surface = plan.compile_surface;
  r.advected = plan.compile_surface && plan.advect;
  r.captured = plan.inject_capture;
  r.compiled_shading = plan.compile_shading;
  r.compiled_overlay = plan.compile_overlay;
  return r;
}

void EndFrame(TFrameState& frame) {
  frame.scene_dirty = false;
  frame.view_changed = false;
  frame.overlay_dirty = false;
}

TFrameReport DrawFrame(TAppState& app, const TFrameControls& c, const TFramePasses& passes, int32_t panel_w,
                       int32_t panel_h) {
  if (!BeginFrame(app, c, panel_w, panel_h)) return TFrameReport();
  TFrameReport r = ComposeFrame(app, c, passes);
  EndFrame(app.frame);
  return r;
}
