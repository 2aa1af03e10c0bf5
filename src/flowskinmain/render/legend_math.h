#pragma once
// The colour legend of the data overlay, laid out without GL: a vertical bar
// at the right edge of the view running from the "Min" colour at the bottom
// to the "Max" colour at the top, a few evenly spaced values beside it and the
// title (the array or channel shown) above it. The texts are measured by the
// caller's text renderer; window pixels with the origin at the bottom left
// (as the GL's window coordinates); rectangles exclude x1 and y1.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TLegendRect {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A line of text in the box x0..x1, y0..y1 (its width as measured, its height
// the line height), the text's baseline at `baseline`.
struct TLegendText {
  TLegendRect box;
  int32_t baseline = 0;
  std::string text;
};

// How the caller's renderer measures text, in window pixels.
struct TLegendFont {
  std::function<int32_t(const std::string&)> width;
  int32_t ascent = 0, descent = 0;  // above and below the baseline
};

struct TLegendLayout {
  bool fits = false;               // the panel is large enough for a legend at all
  int32_t scale = 1;               // window pixels per unit of the bar's and ticks' sizes
  TLegendRect bar;                 // filled with the colour map, 0 at y0, 1 at y1
  std::vector<TLegendRect> ticks;  // short marks left of the bar, one per value
  std::vector<TLegendText> texts;  // the values (bottom to top), then the title
};

constexpr int32_t kLegendValues = 5;  // values written beside the bar, min and max included

// The font's pixel size for a panel of w x h pixels: 11 per 256 pixels of
// height, at least 11, but no larger than a tenth of the height (so the values
// beside the bar stay apart) or a ninth of the width (so they fit left of it),
// and at least 6.
// Grey level (0 or 255) of text on the colour value `background`: black on a
// light background, white on a dark one.
int32_t TextInkOn(int32_t background);

int32_t LegendFontPixels(int32_t w, int32_t h);

// A value with three significant digits in the shortest of fixed and
// scientific notation ("0.5", "-12.3", "1.5e+03").
std::string FormatLegendNumber(double x);

// The value at the place f (0..1, bottom to top) of the bar: min + f (max -
// min); on a logarithmic scale (log_floor > 0, below max) floor (max /
// floor)^f, so the bar's bottom shows the floor.
double LegendValue(double f, double min, double max, double log_floor);

// The legend's title: the channel's name, then the unit in brackets when one
// is given ("p [Pa]"), then ", log" on a logarithmic scale.
std::string LegendTitle(const std::string& channel, const std::string& unit, bool log_scale);

// The legend of the range min..max titled `title` in a panel of w x h pixels:
// the bar half the panel's height, centred vertically; the values
// right-aligned left of the bar, centred on their ticks; the title above the
// bar, right-aligned with it, or starting at the panel's left edge where it
// is wider than the room left of the bar's end. fits is false (and
// nothing is laid out) when the panel is smaller than 80 x 80. The values are
// LegendValue's; on a logarithmic scale whose floor lies above min the
// lowest value reads "≤ floor" (every value at or below the floor has the
// bottom colour).
TLegendLayout LayoutLegend(int32_t w, int32_t h, double min, double max, const std::string& title,
                           const TLegendFont& font, double log_floor = 0);
