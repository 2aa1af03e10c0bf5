#include "data/data_channels.h"

#include <algorithm>
#include <cmath>

double ChannelValue(const TVertex& v, int channel) {
  switch (channel) {
    case kChanKMin: return v.kmin;
    case kChanKMax: return v.kmax;
    case kChanKMaxAbs: return std::max(std::fabs(v.kmin), std::fabs(v.kmax));
    case kChanKAvg: return (v.kmin + v.kmax) / 2;
    case kChanVelocity: return v.speed;
    case kChanAux: return v.aux;
    case kChanX: return v.pos.x;
    case kChanY: return v.pos.y;
    case kChanZ: return v.pos.z;
    case kChanKMinMax: return v.kmax * v.kmin;
    default: return 0;
  }
}

namespace {

void Widen(TRange& r, double value) {
  if (value < r.min) {
    r.min = value;
  } else if (value > r.max) {
    r.max = value;
  }
}

TRange ScanChannel(const TMesh& mesh, int c) {
  TRange r;
  r.min = r.max = ChannelValue(mesh.vertices[0], c);
  for (int i = 1; i < mesh.vertex_count; ++i) Widen(r, ChannelValue(mesh.vertices[i], c));
  if (c == kChanVelocity && mesh.time_count >= 2) {
    for (int t = 0; t < mesh.time_count; ++t)
      for (int i = 0; i < mesh.vertex_count; ++i) Widen(r, vec_length(mesh.time_velo[t][i]));
  }
  if (r.min == r.max) {
    r.min = 0;
    r.max = (c == kChanAux) ? 7 : 10;
  }
  return r;
}

}  // namespace

void ComputeDataRanges(TMesh& mesh, bool copy_to_data_range) {
  if (mesh.vertex_count <= 0) return;
  for (int c = 0; c < kDataChannelCount; ++c) {
    TRange r = ScanChannel(mesh, c);
    if (c == kChanKMin) r = {-25, 15};
    if (c == kChanKMax) r = {-15, 25};
    if (c == kChanKAvg) r = {-20, 20};
    mesh.auto_range[c] = r;
    if (copy_to_data_range) mesh.data_range[c] = r;
  }
}

TRange ApplyRangeCommand(TRange r, RangeCommand cmd) {
  const double d = r.max - r.min;
  switch (cmd) {
    case RangeCommand::ShiftUp: return {r.min + d / 8, r.max + d / 8};
    case RangeCommand::ShiftDown: return {r.min - d / 8, r.max - d / 8};
    case RangeCommand::Widen: return {r.min - d / 2, r.max + d / 2};
    case RangeCommand::Narrow: break;
  }
  return {r.min + d / 4, r.max - d / 4};
}

bool AcceptTypedRange(double min, double max) { return min < max; }
