#pragma once
// Where the annotations of the view go: the axes triad in the lower-left
// corner, turned as the view is, and the time value in the upper-left corner.
#include <array>
#include <cstdint>

// One axis of the triad: which (0 x, 1 y, 2 z), its tip relative to the
// triad's centre in window pixels (y up), and how far it points towards the
// viewer (-1 .. 1).
struct TTriadAxis {
  int32_t axis = 0;
  double tip_x = 0, tip_y = 0;
  double towards_viewer = 0;
};

struct TTriadLayout {
  bool fits = false;  // the panel is large enough for a triad
  int32_t centre_x = 0, centre_y = 0;
  int32_t length = 0;              // pixels of an axis seen side-on
  int32_t font_pixels = 0;         // of the axis letters
  std::array<TTriadAxis, 3> axes;  // in drawing order: the farthest first
};

// The triad of a panel of w x h pixels under `modelview` (column-major, as
// the frame's camera stores it): each object axis as the view turns it, its
// length and letter size following the panel's smaller side.
TTriadLayout LayoutTriad(int32_t w, int32_t h, const double modelview[16]);

// Margin in pixels between an annotation and the panel's edge.
int32_t AnnotationMargin(int32_t w, int32_t h);

// Font pixels of the time value.
int32_t TimeTextPixels(int32_t w, int32_t h);
