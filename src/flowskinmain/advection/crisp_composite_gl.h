#pragma once
// "Contrast" above 1.0 without losing the surface's shape: instead of
// stretching the whole shown frame about one mean colour (which turns the
// texture's slow swells into white and black patches) and laying a faint
// shading over it, the shading overlay is drawn through a small program that
// takes the shown frame's texture about its own local mean (between its
// level-3 and level-4 mipmaps, a mean over about 11 x 11 pixels), stretches
// that detail by the factor and lays it onto the shading:
//   base   = mix(pivot, lit colour, overlay alpha)
//   d      = factor * (frame - local mean of frame)
//   detail = d / sqrt(1 + 4 d^2)          (below 1/2 however strong)
//   shown  = base + detail * 2 min(base, 1 - base)
// so the large-scale light and dark are the shading's, the streaks keep their
// contrast, and the detail fades towards black and white instead of clipping.
// The lit colour is the fixed-function lighting of light 0 as the overlay
// sets it up (colour material, two-sided for open surfaces).
#include <array>
#include <cstdint>

#include "view_record.h"

// Texture object that holds the shown frame for the composite (mipmapped).
constexpr unsigned kCompositeTexture = 1001;

struct TCompositeSetup {
  double factor = 1;                           // "Contrast" factor, > 1
  std::array<double, 3> pivot{0.5, 0.5, 0.5};  // mean colour of the shown surface, 0..1
  bool lighting_on = true;
  bool two_sided = false;     // open surface: back faces lit with their own normal turned
  bool data_colours = false;  // the overlay's colours come from the data's colour map
};

// Copies the shown frame (the lower-left panel_w x panel_h pixels) into the
// composite texture (view.tex_width x view.tex_height) and builds its mipmaps.
void CopyShownFrameForComposite(const TView& view, int32_t panel_w, int32_t panel_h);

// Whether this context can build the composite program (built once into
// `program`, 0 before or when it cannot).
bool CompositeReady(uint32_t& program);

// Binds the composite program (the composite texture on unit 1) (compiled once per context into `program`,
// 0 before) for the overlay drawn next, without blending; false when the
// context cannot compile it (the caller then draws the plain overlay).
bool BeginComposite(uint32_t& program, const TView& view, const TCompositeSetup& s);
void EndComposite();
