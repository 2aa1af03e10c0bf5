#pragma once
// One frame of the view: clear and camera set-up, then the composition of the
// surface list (1), the frame capture, the shading overlay list (6) and the
// overlay list (2). Control values come in TFrameControls; the passes of the
// advection, noise, paint-source and overlay code come in as hooks, each
// called at its place in the order and skipped when empty.
#include <cstdint>
#include <functional>

#include "advection/surface_passes_gl.h"
#include "app_state.h"
#include "render/camera_math.h"

// Fixed display-list ids of the frame.
constexpr unsigned kSurfaceList = 1;
constexpr unsigned kOverlayList = 2;
constexpr unsigned kShadingList = 6;

// Check boxes of the overlay list, drawn in this order when checked.
struct TOverlayControls {
  bool shline = false;     // cbshline: mesh lines
  bool shnormals = false;  // cbshnormals
  bool shvelo = false;     // cbshvelo: velocity vectors
  bool shframes = false;   // cbshframes
  bool shmaxcurv = false;  // cbshmaxcurv: maximum-curvature vectors (kind 1)
  bool shmincurv = false;  // cbshmincurv: minimum-curvature vectors (kind 2)
  bool shbox = false;      // cbshbox: bounding box
};

// Every control value a frame reads (defaults: the controls at start).
struct TFrameControls {
  bool tex_lock = false;          // cb_tex_lock
  bool tex_lock_drag = false;     // cb_tex_lock_drag
  bool shtexture = true;          // cbshtexture: texture advection on
  bool shfill = true;             // cbshfill: draw the surface
  bool lighting = true;           // cb_lighting
  bool showelements = true;       // cb_showelements: flow-source glyphs
  int32_t background = 0xC0C0C0;  // sh_background colour value
  TOverlayControls overlays;
  TSurfaceControls surface;  // sh_diffuse, sh_specular, ud_shininess, cbsmooth, cbTexData, ud_alpha_shade...
  TCameraControls camera;    // ud_foc_length, cb_iso, up axis, light controls
};

// Passes that other parts of the program supply. Each is called, when set,
// at its place in the frame; the ones marked "in list" run while a display
// list is being compiled, so their GL calls are recorded into it.
struct TFramePasses {
  std::function<void()> advection_step;             // in list 1, texture free: synthesis while scene_dirty, adv_pos
  std::function<void()> compute_tex_coords;         // in list 1, start of the textured pass, texture free: tex
  std::function<void()> paint_blobs;                // after list 1, and again after the noise
  std::function<void()> inject_noise;               // noise quad over the surface pixels, before the capture
  std::function<void()> stretch_contrast;           // shown frame only: after the capture, before list 6
  std::function<bool()> begin_composite;            // list 6 drawn through the contrast composite when true
  std::function<void()> end_composite;              // after list 6 when begin_composite gave true
  std::function<void()> source_glyphs;              // in list 2 when cb_showelements
  std::function<void()> mesh_lines;                 // in list 2, cbshline
  std::function<void()> normals;                    // in list 2, cbshnormals
  std::function<void()> velocity_vectors;           // in list 2, cbshvelo
  std::function<void()> frames;                     // in list 2, cbshframes
  std::function<void(int kind)> curvature_vectors;  // in list 2, kind 1 max (cbshmaxcurv), 2 min (cbshmincurv)
  std::function<void()> box;                        // in list 2, cbshbox
  std::function<void()> legend;                     // after list 2, every frame, window pixels
  std::function<void()> annotations;                // after the legend, every frame, window pixels
};

// What the buffer objects of the surface (list 1) and of the shading overlay
// (list 6) hold, with the controls and frame state of their last refresh:
// the frames between refreshes draw with those, as a replayed list would.
struct TSurfaceDrawings {
  bool surface_arrays = false;  // list 1 drawn from `surface` (else the display list)
  TFrameControls surface_controls;
  TSurfaceFrame surface_frame;
  TSurfaceBuffers surface;
  bool shading_arrays = false;  // list 6 drawn from `shading`
  TSurfaceControls shading_controls;
  TSurfaceFrame shading_frame;
  TSurfaceBuffers shading;
  // Smooth shading split at sharp edges, made anew when the faces or the
  // feature angle change (sharp_key: what it was made from).
  TSplitNormals sharp;
  uint64_t sharp_key = 0;
};

// What one frame did (for the frame-rate-free checks of tests and benchmarks).
struct TFrameReport {
  bool composed = false;          // gl_ready and a viewport: the frame was composed
  bool compiled_surface = false;  // list 1 recompiled
  bool advected = false;          // list 1 recompiled with the advection step
  bool captured = false;          // noise injected and frame copied into the frame texture
  bool compiled_shading = false;  // list 6 recompiled
  bool compiled_overlay = false;  // list 2 recompiled
};

// Running totals of list compilations over many frames.
struct TListCompileCounts {
  int64_t surface = 0, shading = 0, overlay = 0, advections = 0, captures = 0;
  void Add(const TFrameReport& r);
};

// Steps 5..8 of a redraw: the frame texture emptied when frame_texture_stale
// is set (a new mesh or view size: nothing of the old picture may flow into
// the new one), full-panel viewport, clear to the Background colour, frame
// texture size (powers of two covering the panel), camera and light. Returns
// false when the margin leaves no viewport: the frame then shows only the
// background and must not be composed.
bool BeginFrame(TAppState& app, const TFrameControls& c, int32_t panel_w, int32_t panel_h);

// The frame composition: lighting sample, texture-lock step, list 1
// (recompiled on scene_dirty or view_changed), paint blobs, noise and capture,
// contrast stretch and list 6 while the texture is on, list 2 (recompiled on
// scene_dirty), legend.
// Does nothing before the GL state is initialised.
TFrameReport ComposeFrame(TAppState& app, const TFrameControls& c, const TFramePasses& passes = TFramePasses());

// Step 10: scene_dirty and overlay_dirty := false; view_changed := whether this
// frame's texture coordinates looked through an older camera (the next frame
// takes them again through the camera the texture now holds).
void EndFrame(TFrameState& frame);

// BeginFrame, ComposeFrame and EndFrame in a row. When BeginFrame finds no
// viewport the flags are kept, so the first frame with a viewport again
// recompiles what was pending.
TFrameReport DrawFrame(TAppState& app, const TFrameControls& c, const TFramePasses& passes, int32_t panel_w,
                       int32_t panel_h);
