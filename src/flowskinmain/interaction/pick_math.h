#pragma once
// Picking and dragging of flow-source glyphs with eye rays through window
// pixels: the ray of a pixel, its intersection with the sphere and cylinder
// glyphs, the nearest glyph under the mouse, and the move of a grabbed source
// in a coordinate plane through the grab point. All positions are object
// space; ray parameters are multiples of the (unnormalised) ray direction.
#include <cstdint>

#include "app_state.h"
#include "flow/flow_source.h"
#include "view_record.h"

// Ray parameter that stands for "no hit"; larger than any accepted pick.
constexpr double kNoHit = 1e12;

// An eye ray: points origin + t * direction, t > 0 in front of the origin.
struct TRay {
  TVec3 origin;
  TVec3 direction;  // not normalised: one unit of t is the step from window depth 0.1 to 0.2
};

// The eye ray through panel pixel (x, y), y counted downwards from the top of
// a panel `panel_height` pixels high: origin at window depth 0.1, direction to
// the point at depth 0.2, through the stored matrices of the last frame.
// Returns false (ray zero) when the matrices or the viewport cannot be inverted.
bool UnprojectRay(const TStoredMatrices& m, int32_t panel_height, int32_t x, int32_t y, TRay& ray);

// Nearer intersection of the ray with the sphere (centre, radius): the
// smaller root of |O + tD - C|^2 = r^2 when the discriminant is > 0, else
// kNoHit. The root may be negative (sphere behind the origin or around it);
// the caller decides what counts.
double RaySphere(const TVec3& centre, double radius, const TRay& ray);

// Nearer intersection with the open cylinder of radius `radius` around the
// segment p0-p1 (no end caps): kNoHit when the segment has zero length, the
// ray runs parallel to the axis or misses, or the hit's projection onto the
// axis lies outside 0..|p1 - p0|.
double RayCylinder(const TVec3& p0, const TVec3& p1, double radius, const TRay& ray);

// The glyph a pick ray hits first.
struct TPick {
  int32_t source = 0;  // 1..source_count; 0 when nothing was hit
  int32_t handle = 0;  // 1 the p0 sphere, 2 the p1 sphere, 3 the segment
  double t = kNoHit;   // ray parameter of the hit
};

// Grab tolerance of picking: a press within `pixels` window pixels of a glyph's
// outline as drawn still grabs it. The pixels are turned into object lengths
// at each glyph's own depth through `matrices` (those of the frame shown).
struct TPickSlack {
  const TStoredMatrices* matrices = nullptr;  // none: no tolerance
  double pixels = 0;
};

// Tolerance of a press in the view: a few pixels around the glyphs.
constexpr double kPickSlackPixels = 4;

// Nearest glyph along the ray among sources 1..source_count, using each
// source's `radius` (spheres) and `cyl_radius` (cylinder of a line source),
// each widened by the slack at the sphere's centre or the segment's middle.
// Candidates in order p0, p1, segment per source, sources in index order; a
// candidate wins when 0 < t < best, strictly, so ties keep the earlier one
// and glyphs behind the origin never win.
TPick PickSource(const TFlowSourceTable& table, const TRay& ray, const TPickSlack& slack = {});

// After a hit: drag_point := origin + t * direction, drag_ray := direction.
void StartSourceDrag(TMouseState& mouse, const TRay& ray, double t);

// Normal of the drag plane from the grab ray n = drag_ray. Without Shift the
// axis k of the largest |n_k| (x first; y, then z replace it only when
// strictly larger) and the normal n_k e_k. With Shift the axis of the smallest
// |n_k| (replaced only when strictly smaller); when that |n_k| <= 0.0001 the
// normal is the whole ray direction (the plane faces the viewer). Writes
// `axis` (1, 2, 3 for x, y, z) in both cases.
TVec3 DragPlaneNormal(const TVec3& drag_ray, bool shift, int32_t& axis);

// Moves the selected source with the mouse ray `ray`: the ray meets the plane
// through drag_point with the normal of DragPlaneNormal at Q; p0 (handle 1),
// p1 (handle 2) or both (handle 3) move by Q - drag_point, and drag_point := Q.
// drag_axis is written even when nothing moves. Nothing moves without a valid
// selection, when the ray runs parallel to the plane (denominator 0), or when
// Q is too far away to be held in single precision.
void DragSource(TFlowSourceTable& table, TMouseState& mouse, const TRay& ray, bool shift);

// Shift-drag of the grabbed part in depth: it moves along the coordinate axis
// that points most into the screen (largest |drag_ray_k|, x first; y, then z,
// replace it only when strictly larger), which becomes drag_axis, by one pixel
// span at drag_point's depth (`matrices` of the frame shown) for every pixel
// of the vertical mouse step dy: up (dy < 0) moves away from the viewer, down
// toward it. drag_point moves along. Nothing moves without a valid selection
// or when the span cannot be measured.
void DragSourceInDepth(TFlowSourceTable& table, TMouseState& mouse, const TStoredMatrices& matrices, int32_t dy);
