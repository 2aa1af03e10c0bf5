#pragma once
// Annotations drawn over the frame (window pixels), so pictures and movies of
// the frame carry them: the axes triad and the time of time-dependent data.
#include <cstdint>
#include <string>

struct TAnnotations {
  bool axes = false;                  // the axes triad, lower left
  const double* modelview = nullptr;  // the frame's camera (column-major), for the triad
  std::string time_text;              // upper left; empty: none
};

// Draws what `a` asks for, in black on a light `background` (a colour value)
// and in white on a dark one, the axes in red (x), green (y) and blue (z).
// Leaves the GL state as it found it.
void DrawAnnotations(int32_t w, int32_t h, const TAnnotations& a, int32_t background);
