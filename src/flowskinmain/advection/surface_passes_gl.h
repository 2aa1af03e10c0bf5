#pragma once
// The passes that draw the triangulated surface itself: textured with the
// frame texture, shaded in the material colour, coloured by data through the
// 1-D colour map, and the translucent overlay of the shaded or data-coloured
// surface over the textured image. They run while the frame composition
// compiles display lists 1 and 6, so every value read here is frozen into the
// list. Positions are in object space; nothing is copied out of the vertex
// records.
#include <cstdint>
#include <functional>

#include "advection/surface_buffers_gl.h"
#include "mesh/mesh_model.h"
#include "mesh/sharp_edges.h"
#include "view_record.h"

// Control values read by the surface passes (defaults: the controls at start).
struct TSurfaceControls {
  int32_t diffuse = 0xC0C0C0;      // sh_diffuse, colour value (red in the low byte)
  int32_t specular = 0x808080;     // sh_specular
  int32_t shininess = 100;         // ud_shininess (0..1000; the GL accepts 0..128)
  bool smooth = true;              // cbsmooth: per-vertex normals, strips
  bool alpha_mod = false;          // cb_alpha_mod: per-vertex opacity from norm_value
  bool alpha_mod_inverse = false;  // cb_alpha_mod_inverse
  bool sh_image = false;           // cb_sh_image: modulate by the mapped image
  bool tex_data = false;           // cbTexData: overlay with data instead of shading
  int32_t alpha_shade = 60;        // ud_alpha_shade, per cent (1..100)
  bool blend_streaks = false;      // cb_blend_streaks: the data colour multiplies the streaks (with tex_data)
  bool image_loaded = false;       // a map image is held in display list 9 (image mapping state)
  bool sharp_edges = true;         // cb_sharp_edges: smooth shading split at edges bent beyond the feature angle
  int32_t feature_angle = 30;      // ud_feature_angle, degrees (1..180)
};

// Frame state the passes read.
struct TSurfaceFrame {
  bool lighting_on = false;  // cb_lighting as sampled at the start of the frame
  int32_t tex_lock_state = 0;
  // Smooth shading split at sharp edges (when set and split): the shaded and
  // data-coloured passes draw its drawn vertices and corners.
  const TSplitNormals* sharp = nullptr;
};

// Display list that uploads the mapped image into the bound 2-D texture.
constexpr unsigned kMapImageList = 9;

// Entries of the strip stream at or above this value (as unsigned) are markers.
constexpr uint32_t kStripMarker = 0x7FFFFFFE;

// Points the client vertex and texture-coordinate arrays at adv_pos and tex
// (3 floats each; the third texture float is tex0[0] and is ignored) of the
// first vertex, stride sizeof(TVertex), and enables both. Nothing when the
// mesh has no vertex records.
void EnableSurfaceArrays(const TMesh& mesh);
void DisableSurfaceArrays();

// Each pass draws in immediate mode (for compiling into a display list), or,
// given buffers and smooth shading, from those buffer objects (refreshed from
// the vertex records while buffers->refresh is set); flat shading always
// draws in immediate mode.

// Textured surface: runs compute_tex_coords (may be empty) while the texture
// is free, then draws every triangle at adv_pos with tex from the bound frame
// texture (GL_REPLACE, unlit). Smooth: one glDrawElements per strip run of 3+
// indices on the arrays of EnableSurfaceArrays; flat: the face list.
void DrawTexturedSurface(TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f,
                         const std::function<void()>& compute_tex_coords, TSurfaceBuffers* buffers = nullptr);

// The surface in the Diffuse colour with alpha a, lit while lighting_on;
// positions from adv_pos when use_adv, else pos. Smooth: the strip stream
// with vertex normals; flat: the face list with face normals.
void DrawShadedSurface(const TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f, bool use_adv, double a,
                       TSurfaceBuffers* buffers = nullptr);

// The surface coloured through the 1-D colour map by norm_value (GL_MODULATE
// with the lit Diffuse colour of alpha a); always the face list.
void DrawDataSurface(const TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f, bool use_adv, double a,
                     TSurfaceBuffers* buffers = nullptr);

// Data or shaded surface at adv_pos with alpha alpha_shade / 100, then blending off.
// With tex_data and blend_streaks the data surface instead multiplies what
// the frame holds (the streaks) by twice its lit map colour: a mid-grey streak
// shows the data colour as it is, lighter and darker streaks lighten and
// darken it; alpha_shade and the opacity per vertex do not apply. Drawn
// through the contrast composite (which blends nothing), the data colour is
// laid on at full opacity with the stretched streak detail over it.
void DrawOverlaySurface(const TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f,
                        TSurfaceBuffers* buffers = nullptr);

// Blending on (SRC_ALPHA, ONE_MINUS_SRC_ALPHA), depth LEQUAL, and a pushed
// projection equal to the frame's but with the far plane at 1.01 frustum_far,
// so the overlay's depth is slightly below the textured surface's.
void BeginOverlayProjection(const TView& view);
// Pops that projection; the matrix mode is left at GL_PROJECTION.
void EndOverlayProjection();
