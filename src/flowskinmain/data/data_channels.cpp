#include "data/data_channels.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

#include "data/file_arrays.h"
#include "mesh/parallel_for.h"
#include "mesh/record_prefetch.h"

const char* DataChannelName(int channel) {
  static const char* const kNames[] = {"K min", "K max", "max abs K", "(Kmin + Kmax)/2", "Velocity", "Aux",
                                       "X",     "Y",     "Z",         "K max * K min",   "File"};
  return channel >= 0 && channel < 11 ? kNames[channel] : "";
}

namespace {

// ChannelValue, inline for the range scan.
inline double Value(const TVertex& v, int channel) {
  switch (channel) {
    case kChanKMin:
      return v.kmin;
    case kChanKMax:
      return v.kmax;
    case kChanKMaxAbs:
      return std::max(std::fabs(v.kmin), std::fabs(v.kmax));
    case kChanKAvg:
      return (v.kmin + v.kmax) / 2;
    case kChanVelocity:
      return v.speed;
    case kChanAux:
      return v.aux;
    case kChanX:
      return v.pos.x;
    case kChanY:
      return v.pos.y;
    case kChanZ:
      return v.pos.z;
    case kChanKMinMax:
      return v.kmax * v.kmin;
    default:
      return 0;
  }
}

}  // namespace

double ChannelValue(const TVertex& v, int channel) { return Value(v, channel); }

namespace {

// Fewest vertices a thread takes in the range scan.
constexpr size_t kScanBlock = 8192;

void Widen(TRange& r, double value) {
  if (value < r.min) {
    r.min = value;
  } else if (value > r.max) {
    r.max = value;
  }
}

// Every channel's range over the vertices [begin, end), widened from `r`.
void ScanVertices(const TMesh& mesh, size_t begin, size_t end, TRange (&r)[kDataChannelCount]) {
  for (size_t i = begin; i < end; ++i) {
    if (i + kPrefetchAhead < end) {
      const TVertex& ahead = mesh.vertices[i + kPrefetchAhead];
      PrefetchRead(&ahead.pos);
      PrefetchRead(&ahead.kmax);  // with kmin
      PrefetchRead(&ahead.aux);
      PrefetchRead(&ahead.speed);
    }
    const TVertex& v = mesh.vertices[i];
#pragma GCC unroll 16
    for (int c = 0; c < kDataChannelCount; ++c) Widen(r[c], Value(v, c));
  }
}

// All channels in one pass over the vertex records (they are large, so one
// sweep instead of eleven keeps the scan memory-bound only once). The cores
// each take the ranges of a block of vertices, every block starting from
// vertex 0's values; the blocks are then merged in order by the same rule, so
// the ranges are those of one sweep on any number of threads.
void ScanChannels(const TMesh& mesh, TRange (&r)[kDataChannelCount]) {
  struct TRanges {
    TRange r[kDataChannelCount];
  } start;
  for (int c = 0; c < kDataChannelCount; ++c) start.r[c].min = start.r[c].max = ChannelValue(mesh.vertices[0], c);
  const std::vector<TRanges> part =
      ScanInParts(static_cast<size_t>(mesh.vertex_count), kScanBlock, start,
                  [&mesh](size_t begin, size_t end, TRanges& ranges) { ScanVertices(mesh, begin, end, ranges.r); });
  for (int c = 0; c < kDataChannelCount; ++c) {
    r[c] = start.r[c];
    for (const TRanges& p : part) {
      Widen(r[c], p.r[c].min);
      Widen(r[c], p.r[c].max);
    }
  }
  if (mesh.time_count >= 2) {
    for (int t = 0; t < mesh.time_count; ++t)
      for (int i = 0; i < mesh.vertex_count; ++i) Widen(r[kChanVelocity], vec_length(mesh.time_velo[t][i]));
  }
}

}  // namespace

void ComputeDataRanges(TMesh& mesh, bool copy_to_data_range) {
  if (mesh.vertex_count <= 0) return;
  TRange scanned[kDataChannelCount];
  ScanChannels(mesh, scanned);
  for (int c = 0; c < kDataChannelCount; ++c) {
    TRange r = scanned[c];
    if (r.min == r.max) r = {0, c == kChanAux ? 7.0 : 10.0};
    if (c == kChanKMin) r = {-25, 15};
    if (c == kChanKMax) r = {-15, 25};
    if (c == kChanKAvg) r = {-20, 20};
    if (c == kChanFile) r = FileChannelRange(mesh);
    if (c == kChanVelocity) r = VelocityChannelRange(mesh, r);
    mesh.auto_range[c] = r;
    if (copy_to_data_range) mesh.data_range[c] = r;
  }
}

bool FlowMagnitudeScalar(const TMesh& mesh, TFileScalar& out) {
  const int a = mesh.flow_array.array;
  if (a < 0 || a >= static_cast<int>(mesh.file_arrays.size()) || mesh.file_arrays[a].components != 3 ||
      !FileArrayFits(mesh, mesh.file_arrays[a]))
    return false;
  out = TFileScalar{mesh.file_arrays[a].name + " magnitude", a, true};
  return true;
}

namespace {

// The 1 %-trimmed range of scalar `s` over every step of its array.
TRange RangeOverSteps(const TMesh& mesh, const TFileScalar& s) {
  std::vector<double> values;
  const int steps = static_cast<int>(mesh.file_arrays[s.array].steps.size());
  values.reserve(static_cast<size_t>(steps) * static_cast<size_t>(mesh.vertex_count));
  for (int t = 0; t < steps; ++t)
    for (int32_t v = 0; v < mesh.vertex_count; ++v) values.push_back(FileScalarValue(mesh, s, t, v));
  return TrimmedRange(std::move(values), 0.01);
}

}  // namespace

bool SelectedFileScalar(const TMesh& mesh, TFileScalar& out) {
  const std::vector<TFileScalar> scalars = FileScalars(mesh);
  if (scalars.empty()) return false;
  out = scalars[static_cast<size_t>(std::clamp<int32_t>(mesh.file_scalar, 0, int32_t(scalars.size()) - 1))];
  return true;
}

TRange VelocityChannelRange(const TMesh& mesh, const TRange& lengths) {
  TFileScalar s;
  return FlowMagnitudeScalar(mesh, s) ? RangeOverSteps(mesh, s) : lengths;
}

std::string ChannelTitle(const TMesh& mesh, int channel) {
  TFileScalar s;
  if (channel == kChanVelocity && FlowMagnitudeScalar(mesh, s)) return s.label;
  if (channel == kChanFile && SelectedFileScalar(mesh, s)) return s.label;
  return DataChannelName(channel);
}

double FileChannelValue(const TMesh& mesh, int32_t v) {
  TFileScalar s;
  return SelectedFileScalar(mesh, s) ? FileScalarValue(mesh, s, mesh.file_step, v) : 0;
}

TRange FileChannelRange(const TMesh& mesh) {
  TFileScalar s;
  return SelectedFileScalar(mesh, s) ? RangeOverSteps(mesh, s) : TRange{0, 10};
}

TRange ApplyRangeCommand(TRange r, RangeCommand cmd) {
  const double d = r.max - r.min;
  switch (cmd) {
    case RangeCommand::ShiftUp:
      return {r.min + d / 8, r.max + d / 8};
    case RangeCommand::ShiftDown:
      return {r.min - d / 8, r.max - d / 8};
    case RangeCommand::Widen:
      return {r.min - d / 2, r.max + d / 2};
    case RangeCommand::Narrow:
      break;
  }
  return {r.min + d / 4, r.max - d / 4};
}

bool AcceptTypedRange(double min, double max) { return min < max; }

bool ParseTypedNumber(const std::string& text, double& value, std::string& error) {
  size_t b = text.find_first_not_of(" \t");
  size_t e = text.find_last_not_of(" \t");
  const std::string t = b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
  // Sign, digits with at most one point, then an optional exponent with digits.
  size_t i = 0, digits = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) ++digits;
  if (i < t.size() && t[i] == '.') {
    for (++i; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) ++digits;
  }
  bool ok = digits > 0;
  if (ok && i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t exp_digits = 0;
    for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) ++exp_digits;
    ok = exp_digits > 0;
  }
  if (ok && i == t.size()) {
    // from_chars reports a value out of range instead of raising the overflow flag.
    const char* first = t.data() + (t[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(first, t.data() + t.size(), value);
    ok = r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(value);
  } else {
    ok = false;
  }
  if (!ok) error = "'" + text + "' is not a valid floating point value";
  return ok;
}

std::string ApplyTypedRange(TMesh& mesh, int channel, const std::string& min_text, const std::string& max_text) {
  if (channel < 0 || channel >= kDataChannelCount) return "";
  double lo = 0, hi = 0;
  std::string error;
  if (!ParseTypedNumber(min_text, lo, error) || !ParseTypedNumber(max_text, hi, error)) return error;
  if (AcceptTypedRange(lo, hi)) mesh.data_range[channel] = {lo, hi};
  return "";
}

void ApplyRangeButton(TMesh& mesh, int channel, RangeCommand cmd) {
  if (channel < 0 || channel >= kDataChannelCount) return;
  mesh.data_range[channel] = ApplyRangeCommand(mesh.data_range[channel], cmd);
}
