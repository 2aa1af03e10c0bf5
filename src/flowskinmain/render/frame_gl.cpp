#include "render/frame_gl.h"

#include <GL/gl.h>

#include <cstring>

#include "advection/capture_gl.h"
#include "colorconversion/colorconversion.h"
#include "render/camera_gl.h"
#include "render/frame_math.h"

namespace {

void Run(const std::function<void()>& pass) {
  if (pass) pass();
}

// What the split at sharp edges is made from: the faces (corners and normals),
// the vertex count and the angle, hashed a word at a time.
uint64_t SharpKey(const TMesh& mesh, int32_t angle) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ (uint64_t(uint32_t(mesh.vertex_count)) << 32 | uint32_t(angle));
  const auto mix = [&h](uint64_t w) { h = (h ^ w) * 0xFF51AFD7ED558CCDull, h ^= h >> 29; };
  for (int32_t i = 0; i < mesh.face_count; ++i) {
    const TFace& f = mesh.faces[size_t(i)];
    uint32_t w[6];
    std::memcpy(w, f.v, sizeof f.v);
    std::memcpy(w + 3, &f.fnormal, sizeof f.fnormal);
    mix(uint64_t(w[0]) << 32 | w[1]);
    mix(uint64_t(w[2]) << 32 | w[3]);
    mix(uint64_t(w[4]) << 32 | w[5]);
  }
  return h;
}

// The frame state of the surface passes; with the split at sharp edges of
// the mesh as it is now when the pass is lit (`shaded`: not the textured
// pass, which has no normals) and smooth shading asks for one.
TSurfaceFrame SurfaceFrameOf(TAppState& app, const TSurfaceControls& c, bool shaded) {
  TSurfaceFrame s;
  s.lighting_on = app.frame.lighting_on;
  s.tex_lock_state = app.frame.tex_lock_state;
  if (shaded && c.smooth && c.sharp_edges && app.frame.surface_drawings) {
    TSurfaceDrawings& d = *app.frame.surface_drawings;
    const uint64_t key = SharpKey(app.mesh, c.feature_angle);
    if (key != d.sharp_key || d.sharp.face_count != app.mesh.face_count) {
      d.sharp = SplitNormalsAt(app.mesh, c.feature_angle);
      d.sharp_key = key;
    }
    s.sharp = &d.sharp;
  }
  return s;
}

// The surface pass the check boxes choose, with the frame texture's
// coordinates computed first (textured pass) through compute_tex_coords.
void DrawSurfaceBody(TMesh& mesh, const TFrameControls& c, const TSurfaceFrame& sf,
                     const std::function<void()>& compute_tex_coords, TSurfaceBuffers* buffers) {
  if (!c.shfill) return;
  if (c.shtexture) {
    DrawTexturedSurface(mesh, c.surface, sf, compute_tex_coords, buffers);
    glBindTexture(GL_TEXTURE_2D, 0);
  } else if (c.surface.tex_data) {
    DrawDataSurface(mesh, c.surface, sf, false, 1.0, buffers);
  } else {
    DrawShadedSurface(mesh, c.surface, sf, false, 1.0, buffers);
  }
}

// List 1: the advection step while the texture is free, then the surface pass
// the check boxes choose, on the interleaved arrays of the vertex records.
void CompileSurfaceList(TAppState& app, const TFrameControls& c, const TFramePasses& passes, bool advect) {
  EnableSurfaceArrays(app.mesh);
  glNewList(kSurfaceList, GL_COMPILE);
  if (advect) Run(passes.advection_step);
  DrawSurfaceBody(app.mesh, c, SurfaceFrameOf(app, c.surface, !c.shtexture), passes.compute_tex_coords, nullptr);
  glEndList();
  DisableSurfaceArrays();
}

TSurfaceDrawings& DrawingsOf(TFrameState& f) {
  if (!f.surface_drawings) f.surface_drawings = std::make_shared<TSurfaceDrawings>();
  return *f.surface_drawings;
}

// The surface of every frame: where list 1 would be recompiled, the
// advection step and a refresh of the surface buffers (smooth surfaces with
// surface_arrays) or the list; then the buffers drawn with the controls of
// that refresh, or the list replayed.
void SurfaceStage(TAppState& app, const TFrameControls& c, const TFramePasses& passes, const TFramePlan& plan) {
  TSurfaceDrawings& d = DrawingsOf(app.frame);
  if (plan.compile_surface) {
    d.surface_arrays = app.frame.surface_arrays && c.surface.smooth;
    if (!d.surface_arrays) {
      CompileSurfaceList(app, c, passes, plan.advect);
    } else {
      if (plan.advect) Run(passes.advection_step);
      d.surface_controls = c;
      d.surface_frame = SurfaceFrameOf(app, c.surface, !c.shtexture);
      d.surface.refresh = true;
      DrawSurfaceBody(app.mesh, c, d.surface_frame, passes.compute_tex_coords, &d.surface);
      d.surface.refresh = false;
      return;
    }
  }
  if (d.surface_arrays) {
    DrawSurfaceBody(app.mesh, d.surface_controls, d.surface_frame, nullptr, &d.surface);
  } else {
    glCallList(kSurfaceList);
  }
}

// The translucent shading overlay: list 6 recompiled or its buffers
// refreshed on compile_shading, then drawn.
void ShadingOverlay(TAppState& app, const TFrameControls& c, const TFramePlan& plan) {
  TSurfaceDrawings& d = DrawingsOf(app.frame);
  if (plan.compile_shading) {
    d.shading_arrays = app.frame.surface_arrays && c.surface.smooth;
    d.shading_controls = c.surface;
    d.shading_frame = SurfaceFrameOf(app, c.surface, true);
    d.shading.refresh = true;
    if (!d.shading_arrays) {
      glNewList(kShadingList, GL_COMPILE);
      DrawOverlaySurface(app.mesh, c.surface, d.shading_frame);
      glEndList();
    }
  }
  if (d.shading_arrays) {
    DrawOverlaySurface(app.mesh, d.shading_controls, d.shading_frame, &d.shading);
    d.shading.refresh = false;
  } else {
    glCallList(kShadingList);
  }
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
    CaptureFrame(app.view, app.frame.capture);
    app.frame.capture.matrices = app.matrices;
    app.frame.capture.matrices_known = true;
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  Run(passes.stretch_contrast);
  BeginOverlayProjection(app.view);
  const bool composite = passes.begin_composite && passes.begin_composite();
  ShadingOverlay(app, c, plan);
  if (composite) Run(passes.end_composite);
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
    app.frame.capture.matrices_known = false;
  }
  glViewport(0, 0, panel_w, panel_h);
  const TRGBInt bg = SplitColor(c.background);
  glClearColor(bg.red / 255.0f, bg.green / 255.0f, bg.blue / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
  app.view.tex_width = TexSizeFor(panel_w);
  app.view.tex_height = TexSizeFor(panel_h);
  // Texture coordinates of another drawing size mean nothing in this one.
  if (app.frame.capture.panel_w != panel_w || app.frame.capture.panel_h != panel_h) app.frame.view_changed = true;
  app.frame.capture.panel_w = panel_w;
  app.frame.capture.panel_h = panel_h;
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
  // A surface with a border is seen from both sides (a wall's solver winding
  // says nothing of where the viewer stands): no culling, both sides lit.
  if (app.mesh.open)
    glDisable(GL_CULL_FACE);
  else
    glEnable(GL_CULL_FACE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, app.mesh.open ? GL_TRUE : GL_FALSE);
  SurfaceStage(app, c, passes, plan);
  Run(passes.paint_blobs);
  if (plan.shading_pass) TextureStage(app, c, passes, plan);
  if (plan.compile_overlay) CompileOverlayList(app, c, passes);
  glCallList(kOverlayList);
  Run(passes.legend);
  Run(passes.annotations);
  r.compiled_surface = plan.compile_surface;
  r.advected = plan.compile_surface && plan.advect;
  r.captured = plan.inject_capture;
  r.compiled_shading = plan.compile_shading;
  r.compiled_overlay = plan.compile_overlay;
  return r;
}

void EndFrame(TFrameState& frame) {
  frame.scene_dirty = false;
  // Coordinates that looked through an older camera are taken again through
  // the camera this frame's capture was made in.
  frame.view_changed = frame.capture.view_behind;
  frame.capture.view_behind = false;
  frame.overlay_dirty = false;
}

TFrameReport DrawFrame(TAppState& app, const TFrameControls& c, const TFramePasses& passes, int32_t panel_w,
                       int32_t panel_h) {
  if (!BeginFrame(app, c, panel_w, panel_h)) return TFrameReport();
  TFrameReport r = ComposeFrame(app, c, passes);
  EndFrame(app.frame);
  return r;
}
