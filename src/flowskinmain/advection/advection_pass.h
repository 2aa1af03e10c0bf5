#pragma once
// The advection pass: every vertex is moved one time step along its velocity
// (`adv_pos`), and both positions are projected into window pixels to give the
// frame-texture coordinate `tex` one step upstream along the projected flow.
// The frame texture is a copy of the window (one texel per window pixel), so a
// texture coordinate is a window pixel position divided by the texture size.
//
// Runs while display list 1 is compiled, i.e. only in frames that recompile it;
// the list then replays the same coordinates on every newly captured texture.
#include <cstdint>

#include "mesh/mesh_model.h"
#include "view_record.h"

// adv_pos := pos + h * velo for vertices 0..vertex_count-1 (object space; h is
// the time step, position of "Delta t" / 1000). Reads pos, velo; writes adv_pos.
void DisplaceVertices(TMesh& mesh, double h);

// c := projection * modelview of the stored matrices, column-major (element
// [col][row] at 4 col + row), float64: the matrix applied to object points.
void ComputeClipMatrix(const TStoredMatrices& m, double c[16]);

// Control values of ComputeTexCoords (defaults: the controls at start).
struct TTexCoordParams {
  int32_t disp_max = 30;     // ud_dispmax "Disp max": largest displacement in tenths of a pixel
  bool scale_up = true;      // cb_scale_up: every displacement rescaled to exactly "Disp max"
  bool warp_texture = true;  // cb_warp_texture: move the texture (else move the geometry)
  bool drag_texture = true;  // cb_drag_texture: apply and consume the view's drag offsets
};

// Per vertex: s, t := window projection of pos (pixels, stored into tex as
// float32); s1, t1 := projection of adv_pos; the projected displacement is
// limited to D = disp_max / 10 pixels (rescaled to exactly D when longer or
// when scale_up, with factor 0.0001 for displacements of at most 0.01 pixel).
// Texture-warp mode: adv_pos := pos and (s, t) moves upstream, against the
// (limited) displacement. Geometry-warp mode: the object-space displacement
// adv_pos - pos is rescaled the same way and (s, t) stays at pos's projection.
// Finally tex := (s / tex_width + ds, t / tex_height + dt) in texture units.
//
// Window projection with the stored matrices and viewport_rect (x0, y0, w, h):
// x = x0 + (X/W + 1) w / 2, y = y0 + (Y/W + 1) h / 2; a clip W of exactly 0
// counts as 1. Texture sizes below 1 count as 1.
// Drag offsets: with drag_texture, (ds, dt) := the view's drag_offset_s/t, both
// are reset to 0 and texture_dragged := (ds or dt non-zero); without it ds = dt
// = 0 and the offsets and texture_dragged are left as they are.
// The texture is looked up where the frame texture holds the vertex: with
// `seen_by` (the camera of the frame the texture was captured in) the base
// (s, t) is pos's projection through that camera, while the displacement is
// still measured in this frame's, so that after a view change the surface
// takes its own texture with it (the drag offsets are then consumed but not
// applied). Returns true when seen_by differed from m.
// Reads pos, adv_pos, the view's tex_width/tex_height; writes tex, adv_pos.
bool ComputeTexCoords(TMesh& mesh, const TStoredMatrices& m, TView& view, bool& texture_dragged,
                      const TTexCoordParams& p, const TStoredMatrices* seen_by = nullptr);
