#pragma once
// The colour legend of the data overlay, laid out without GL: a vertical bar
// at the right edge of the view running from the "Min" colour at the bottom
// to the "Max" colour at the top, a few evenly spaced values beside it and the
// channel's name above it, all drawn with a small built-in 5 x 7 pixel font so
// every picture carries the same letters. Window pixels with the origin at the
// bottom left (as the GL's window coordinates); rectangles exclude x1 and y1.
#include <cstdint>
#include <string>
#include <vector>

struct TLegendRect {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A line of text whose lower-left corner is (x, y).
struct TLegendText {
  int32_t x = 0, y = 0;
  std::string text;
};

struct TLegendLayout {
  bool fits = false;               // the panel is large enough for a legend at all
  int32_t scale = 1;               // window pixels per font pixel
  TLegendRect bar;                 // filled with the colour map, 0 at y0, 1 at y1
  std::vector<TLegendRect> ticks;  // short marks left of the bar, one per value
  std::vector<TLegendText> texts;  // the values (bottom to top), then the name
};

constexpr int32_t kGlyphWidth = 5, kGlyphHeight = 7;
constexpr int32_t kLegendValues = 5;  // values written beside the bar, min and max included

// Rows of the glyph of c, top row first, bit 4 the leftmost pixel; nullptr
// for a character the font lacks (drawn as a blank).
const uint8_t* GlyphRows(char c);

// Width of a text in window pixels: one glyph plus one pixel of space per
// character, without the space after the last.
int32_t TextWidth(const std::string& text, int32_t scale);

// The lit pixels of a text as rectangles, one per run of lit pixels in a
// glyph row.
std::vector<TLegendRect> TextPixels(const TLegendText& t, int32_t scale);

// A value with three significant digits in the shortest of fixed and
// scientific notation ("0.5", "-12.3", "1.5e+03").
std::string FormatLegendNumber(double x);

// The legend of the range min..max of channel `name` in a panel of w x h
// pixels: the bar half the panel's height, centred vertically, one font pixel
// per 256 panel pixels of height (at least 1); the values right-aligned left
// of the bar, the name right-aligned with the bar above it. fits is false
// (and nothing is laid out) when the panel is smaller than 80 x 80.
TLegendLayout LayoutLegend(int32_t w, int32_t h, double min, double max, const std::string& name);
