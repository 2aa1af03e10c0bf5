#include "render/legend_math.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "colorconversion/colorconversion.h"

int32_t TextInkOn(int32_t background) {
  const TRGBInt bg = SplitColor(background);
  return (bg.red * 0.299 + bg.green * 0.587 + bg.blue * 0.114) > 128 ? 0 : 255;
}

int32_t LegendFontPixels(int32_t w, int32_t h) {
  // 11 per 256 pixels of height, at least 11; no more than five lines fit
  // beside the bar or nine characters left of it.
  return std::max(6, std::min({std::max(11, 11 * h / 256), h / 10, w / 9}));
}

std::string FormatLegendNumber(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3g", x == 0 ? 0.0 : x);  // no "-0"
  return buf;
}

double LegendValue(double f, double min, double max, double log_floor) {
  if (log_floor > 0 && max > log_floor) return log_floor * std::pow(max / log_floor, f);
  return min + f * (max - min);
}

std::string LegendTitle(const std::string& channel, const std::string& unit, bool log_scale) {
  std::string t = channel;
  if (!unit.empty()) t += " [" + unit + "]";
  if (log_scale) t += ", log";
  return t;
}

TLegendLayout LayoutLegend(int32_t w, int32_t h, double min, double max, const std::string& title,
                           const TLegendFont& font, double log_floor) {
  TLegendLayout l;
  if (w < 80 || h < 80) return l;
  l.fits = true;
  const int32_t s = std::max(1, h / 256);
  l.scale = s;
  const int32_t margin = 6 * s, bar_w = 10 * s;
  const int32_t bar_h = h / 2;
  l.bar = {w - margin - bar_w, (h - bar_h) / 2, w - margin, (h - bar_h) / 2 + bar_h};
  const int32_t line = font.ascent + font.descent;
  auto text_at = [&](int32_t right, int32_t baseline, const std::string& text) {
    const int32_t width = font.width(text);
    return TLegendText{{right - width, baseline - font.descent, right, baseline + font.ascent}, baseline, text};
  };
  for (int32_t k = 0; k < kLegendValues; ++k) {
    const double f = static_cast<double>(k) / (kLegendValues - 1);
    const int32_t y = l.bar.y0 + static_cast<int32_t>(f * (bar_h - 1));
    l.ticks.push_back({l.bar.x0 - 3 * s, y, l.bar.x0, y + s});
    // Centred on the tick: the baseline half a line below the tick's middle.
    std::string value = FormatLegendNumber(LegendValue(f, min, max, log_floor));
    if (k == 0 && log_floor > 0 && log_floor < max && min < log_floor) value = "\u2264 " + value;
    l.texts.push_back(text_at(l.bar.x0 - 5 * s, y + s / 2 - line / 2 + font.descent, value));
  }
  TLegendText t = text_at(l.bar.x1, l.bar.y1 + 3 * s + line / 2 + font.descent, title);
  if (t.box.x0 < 2 * s) {  // a title wider than the room left of the bar's end starts at the panel's edge
    const int32_t width = t.box.x1 - t.box.x0;
    t.box.x0 = 2 * s;
    t.box.x1 = t.box.x0 + width;
  }
  l.texts.push_back(t);
  return l;
}
