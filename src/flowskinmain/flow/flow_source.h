#pragma once
// Point and line flow sources that the user places and drags in the view,
// and the fixed table that holds them (indexed from 1).
#include <array>
#include <cstdint>

#include "mesh/mesh_model.h"

struct TFlowSource {
  TVec3 p0;                 // point source position; first end of a line source
  TVec3 p1;                 // second end of a line source
  double strength = 0;      // radial outflow (negative: sink)
  double axis_strength = 0; // flow along the line direction (line sources only)
  double rot_strength = 0;  // swirl about the line (line sources only)
  double radius = 0;        // sphere glyph radius, box_size / 75 (written by the overlay)
  double cyl_radius = 0;    // cylinder glyph radius, 0.6 * radius
  bool is_line = false;
  TVec3 axis;               // unit p0 -> p1, recomputed by every source-flow pass
  bool paint = false;       // drawn, blinking, into the image
  int32_t paint_on = 0;     // frames per blink period with the glyph drawn
  int32_t paint_off = 0;    // frames per blink period without it
  int32_t paint_colour = 0; // 0x00BBGGRR
};

constexpr int kMaxFlowSources = 100;

// The table with its selection. Entries 1..source_count are in use (slot 0 is
// never used, so indices read as the user sees them).
struct TFlowSourceTable {
  std::array<TFlowSource, kMaxFlowSources + 1> flow_sources{};
  int32_t source_count = 0;
  int32_t selected_source = 0;   // valid only inside 1..source_count
  int32_t selected_handle = 0;   // 1 p0 sphere, 2 p1 sphere, 3 the segment
  int32_t flow_controls_busy = 0;

  bool HasSelection() const { return selected_source >= 1 && selected_source <= source_count; }
};
