#include "data/render_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "colorconversion/colorconversion.h"
#include "data/data_channels.h"
#include "data/file_arrays.h"
#include "mesh/parallel_for.h"

namespace {

// Fewest vertices a thread takes at a time in the channel evaluation.
constexpr size_t kValueChunk = 16384;

}  // namespace

uint8_t ChannelCode(const TChannelRadios& r) {
  if (r.kmax) return kChanKMax;
  if (r.kmin) return kChanKMin;
  if (r.kminmax) return kChanKMinMax;
  if (r.kmaxabs) return kChanKMaxAbs;
  if (r.kavg) return kChanKAvg;
  if (r.px) return kChanX;
  if (r.py) return kChanY;
  if (r.pz) return kChanZ;
  if (r.ad) return kChanAux;
  if (r.file) return kChanFile;
  return kChanVelocity;
}

double ComputeVertexData(TMesh& mesh, int code, bool log_scale) {
  if (code < 0 || code >= kDataChannelCount) return 0;
  const TRange range = mesh.data_range[code];
  const double width = range.max - range.min;
  const int32_t n = std::min<int32_t>(mesh.vertex_count, static_cast<int32_t>(mesh.vertices.size()));
  // The File channel's scalar; the Velocity channel of file vectors is their
  // magnitude, as the file gives it.
  TFileScalar scalar;
  const TFileScalar* file = nullptr;
  if (code == kChanFile && SelectedFileScalar(mesh, scalar)) file = &scalar;
  if (code == kChanVelocity && FlowMagnitudeScalar(mesh, scalar)) {
    file = &scalar;
    code = kChanFile;
  }
  // Each vertex's values are its own: the vertices are split over the cores
  // with the same result.
  ParallelForChunks(static_cast<size_t>(std::max(n, 0)), kValueChunk, [&](size_t begin, size_t end) {
    for (size_t k = begin; k < end; ++k) {
      const auto i = static_cast<int32_t>(k);
      TVertex& v = mesh.vertices[k];
      v.cur_value = code != kChanFile ? ChannelValue(v, code)
                    : file            ? FileScalarValue(mesh, *file, mesh.file_step, i)
                                      : 0.0;
      v.norm_value = width > 0 ? (v.cur_value - range.min) / width : 0.0;
    }
  });
  if (!log_scale) return 0;
  // The floor needs the smallest positive value when the range reaches down
  // to zero or below; then the coordinates are taken again above it.
  double smallest = 0;
  if (!(range.min > 0))
    for (int32_t i = 0; i < n; ++i) {
      const double v = mesh.vertices[i].cur_value;
      if (v > 0 && (smallest == 0 || v < smallest)) smallest = v;
    }
  const double floor = LogScaleFloor(range.min, range.max, smallest);
  if (floor <= 0) return 0;
  ParallelForChunks(static_cast<size_t>(std::max(n, 0)), kValueChunk, [&](size_t begin, size_t end) {
    for (size_t k = begin; k < end; ++k)
      mesh.vertices[k].norm_value = MapCoordinate(mesh.vertices[k].cur_value, range, floor);
  });
  return floor;
}

namespace {

// Trailing zeros and a bare decimal point removed from a digit string.
std::string TrimFraction(std::string s) {
  if (s.find('.') == std::string::npos) return s;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

std::string FormatGeneralNumber(double x, int digits) {
  digits = std::clamp(digits, 1, 18);
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
  if (x == 0) return "0";
  // Round to `digits` significant digits first: the notation depends on the
  // rounded value. A value exactly half way between two such numbers (1234.125
  // at 6 digits) rounds away from zero, as decimal formatting does; the C
  // library would round it to even.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.40e", x);         // exact digits of a value with few significant digits
  const char* next = buf + (x < 0 ? 2 : 1) + digits;  // "d.ddd...": the first digit dropped
  if (*next == '5' && std::strspn(next + 1, "0") == static_cast<size_t>(40 - digits)) {
    x = std::nextafter(x, x < 0 ? -HUGE_VAL : HUGE_VAL);
  }
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, x);
  const char* e = std::strchr(buf, 'e');
  const int exp10 = std::atoi(e + 1);  // x = d.ddd * 10^exp10
  if (exp10 >= -5 && exp10 < digits) {
    std::snprintf(buf, sizeof buf, "%.*f", std::max(digits - 1 - exp10, 0), x);
    return TrimFraction(buf);
  }
  std::string mantissa(buf, static_cast<size_t>(e - buf));
  mantissa = TrimFraction(mantissa);
  char exp_text[16];
  std::snprintf(exp_text, sizeof exp_text, "E%s%03d", exp10 < 0 ? "-" : "", std::abs(exp10));
  return mantissa + exp_text;
}

std::string FormatRangeValue(double x) { return FormatGeneralNumber(x, 6); }

TColourMapTexels ColourMapTexels(int32_t min_colour, int32_t max_colour, bool long_way) {
  const THLSInt a = RGBToHLS(SplitColor(min_colour));
  const THLSInt b = RGBToHLS(SplitColor(max_colour));
  TColourMapTexels texels{};
  for (int i = 0; i < 256; ++i) {
    const TRGBInt c = HLSToRGB(InterpolateHLS(a, b, long_way, i / 255.0));
    texels[3 * i + 0] = static_cast<uint8_t>(std::clamp(c.red, 0, 255));
    texels[3 * i + 1] = static_cast<uint8_t>(std::clamp(c.green, 0, 255));
    texels[3 * i + 2] = static_cast<uint8_t>(std::clamp(c.blue, 0, 255));
  }
  return texels;
}

TColourMapTexels ColourMapTexels(const TRenderStateControls& c) {
  if (!UsesSwatches(c.colour_map)) return TabledMapTexels(c.colour_map);
  return ColourMapTexels(c.datamin, c.datamax, c.long_way);
}

TRangeTexts RangeTexts(const TMesh& mesh, int code) {
  if (code < 0 || code >= kDataChannelCount) return {};
  return {FormatRangeValue(mesh.data_range[code].min), FormatRangeValue(mesh.data_range[code].max)};
}

TRangeTexts RefreshDataChannel(TAppState& app, const TChannelRadios& radios, bool log_scale) {
  app.frame.data_channel = ChannelCode(radios);
  TMesh& m = app.mesh;
  m.file_step = 0;
  for (int32_t t = 1; t < m.time_count && t < static_cast<int32_t>(m.time_values.size()); ++t)
    if (m.time_values[t] <= app.view.time) m.file_step = t;
  app.frame.data_log_floor = ComputeVertexData(app.mesh, app.frame.data_channel, log_scale);
  app.frame.scene_dirty = true;
  return RangeTexts(app.mesh, app.frame.data_channel);
}
