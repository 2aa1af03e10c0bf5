#pragma once
// The flow sources as glyphs: lit spheres at the ends and cylinders along the
// segments with guide lines to the box floor and walls (in the overlay list),
// and the paint sources as unlit blobs drawn into the frame before it is
// captured, so the flow carries their colour. Positions are object space.
#include <cstdint>

#include "app_state.h"
#include "flow/flow_source.h"
#include "mesh/mesh_model.h"

struct GLUquadric;

// The one GLU quadric every sphere and cylinder is drawn with: created at the
// first Get, reused for every glyph of every frame, released by Release
// (call it while the context is current; the destructor releases what is left).
class TGlyphQuadric {
 public:
  TGlyphQuadric() = default;
  ~TGlyphQuadric();
  TGlyphQuadric(const TGlyphQuadric&) = delete;
  TGlyphQuadric& operator=(const TGlyphQuadric&) = delete;
  GLUquadric* Get();
  void Release();
  // Quadrics made so far (one per Get after a Release): stays 1 over a whole run.
  int32_t Created() const { return created_; }

 private:
  GLUquadric* quadric_ = nullptr;
  int32_t created_ = 0;
};

// glColor3f of a colour value; with `highlight` each of R, G, B is first
// raised by 100 and capped at 255.
void SetHighlightColour(int32_t colour, bool highlight);

// A cylinder of `radius` from a to b (8 slices, 3 stacks, no caps): turned
// about z by the azimuth of b - a and about y by its tilt from z. Nothing for
// a zero-length segment.
void DrawCylinder(TGlyphQuadric& q, const TVec3& a, const TVec3& b, double radius);

// Writes radius := L / 75 and cyl_radius := 0.6 L / 75 (L = box_size) into
// every source, which picking and the paint blobs then use. Draws the lit
// glyphs of the sources that do not paint: yellowish for strength >= 0,
// bluish for sinks, brightness 0.5, or 0.75 for the selected source with 1.0
// for its grabbed part (selected_handle 1 p0, 2 p1, else the segment). Then,
// only while a source is dragged (mouse_mode 4), unlit, the dragged source's
// guide lines from each end down to y = ymin, to x = xmin and to z = zmin
// (box_min), the segment along drag_axis 4 pixels wide, the others 1.
void DrawFlowSources(TFlowSourceTable& table, const TMesh& mesh, const TMouseState& mouse, TGlyphQuadric& q);

// Whether a paint source blinking `on` frames out of every on + off shows in
// frame `frame_counter` (frames since the last redraw request): counter
// mod (on + off) < on. A period of 0 or less never shows.
bool PaintBlobShown(int32_t frame_counter, int32_t on, int32_t off);

// The paint sources that show in this frame, unlit in their paint colour
// (brightened for the selected source's grabbed part), with the radius and
// cylinder radius last written by DrawFlowSources. Leaves lighting off.
void DrawPaintSources(const TFlowSourceTable& table, int32_t frame_counter, TGlyphQuadric& q);
