#pragma once
// Program-wide state: one instance, owned by the main window and passed by
// reference to whatever needs it. Field names are the program's shared names.
#include <cstdint>
#include <memory>
#include <vector>

#include "flow/flow_source.h"
#include "mesh/mesh_model.h"
#include "view_record.h"

// The buffer objects that stand in for the surface lists (frame driver).
struct TSurfaceDrawings;

// How each frame reaches the frame texture.
struct TFrameCapture {
  // Frames drawn in the window are read back and written into the texture
  // (set for a software rasteriser, which copies out of a window's
  // top-down rows by drawing them flipped); else copied by the GL.
  bool read_back_window = false;
  int32_t panel_w = 0, panel_h = 0;  // pixels of the frame being drawn
  std::vector<uint8_t> pixels;       // the read-back frame, kept between frames
  // The camera of the frame the texture holds: texture coordinates are taken
  // through it, so that after a view change the surface keeps its own texture
  // rather than whatever the old view showed at its new place.
  TStoredMatrices matrices;
  bool matrices_known = false;  // false until a capture, and after the texture is emptied
  bool view_behind = false;     // this frame's coordinates looked through an older camera
};

// Shared frame flags and counters of the frame driver.
struct TFrameState {
  bool gl_ready = false;
  bool scene_dirty = false;
  bool view_changed = false;
  bool texture_dragged = false;
  int32_t tex_lock_state = 0;  // 0 free, 1 locked, 2 just unlocked
  bool lighting_on = false;
  int32_t redraw_suspended = 0;
  bool noise_dirty = false;
  bool overlay_dirty = false;        // list 2 is recompiled in the next frame (a source drag ended)
  bool frame_texture_stale = false;  // the frame texture is emptied before the next frame draws
  TFrameCapture capture;
  uint8_t data_channel = 0;   // 0..10
  double data_log_floor = 0;  // lower end of the logarithmic colour scale in use; 0: the scale is linear
  int32_t frame_counter = 0;
  int32_t fps_frames = 0;
  int64_t fps_last_tick = 0, fps_tick = 0;
  // Smooth surfaces drawn from buffer objects holding only what changed (else
  // everything recompiled into display lists 1 and 6); tests draw both ways.
  bool surface_arrays = true;
  std::shared_ptr<TSurfaceDrawings> surface_drawings;  // made by the frame driver; freed with the context
  uint32_t composite_program = 0;                      // the contrast composite's program in this context, 0 before
};

// Mouse gesture state of the view.
struct TMouseState {
  uint8_t mouse_mode = 0;  // 0 none, 1 rotate, 2 zoom, 3 pan, 4 drag a flow source
  int32_t last_mouse_x = 0, last_mouse_y = 0;
  TVec3 drag_point;
  TVec3 drag_ray;
  int32_t drag_axis = 1;  // 1, 2, 3 for x, y, z
};

// Noise generator state that outlives a rebuild of the noise textures.
struct TNoiseState {
  uint32_t random_state = 0;  // linear congruential generator, never reseeded
  int32_t pulse_table[256] = {};
  double noise_phase = 0;                        // time step of the noise, 0 .. 64.5, advanced by every injection
  bool noise_flash = false;                      // the next injection replaces the image by unfiltered noise
  double noise_mean[3] = {127.5, 127.5, 127.5};  // mean noise colour (0..255) of the last rebuild
  unsigned injected_list = 0;                    // noise list blended into this frame, 0 when none (or a flash)
};

// The picture mapped onto the surface (display list 9).
struct TImageState {
  bool image_loaded = false;              // a map image is held in display list 9; never reset
  int32_t tex_width = 0, tex_height = 0;  // size of that map image, texels
  std::vector<uint8_t> image_pixels;      // RGBA of the last loaded picture, rows of tex_width * 4 bytes
  std::vector<uint8_t> map_pixels;        // RGBA of the last "-> image map", 512 rows of 2048 bytes
};

struct TAppState {
  TMesh mesh;
  bool mesh_loaded = false;  // a mesh has been loaded at least once
  TView view;
  TStoredMatrices matrices;
  TFrameState frame;
  TFlowSourceTable sources;
  TMouseState mouse;
  TNoiseState noise;
  TImageState image;
  int32_t time_controls_busy = 0;  // > 0 while the time controls are written by the program
};
