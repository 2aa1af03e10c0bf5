#pragma once
// The colour maps of the data overlay, chosen by name on the "Data" tab, and
// the logarithmic scale of the data range. Plain code: the 256 texels of each
// map and the mapping of a data value to the 0..1 coordinate into them.
#include <array>
#include <cstdint>

#include "mesh/mesh_model.h"

// The 256 RGB texels of a colour map, texel 0 for the range's minimum.
using TColourMapTexels = std::array<uint8_t, 256 * 3>;

// The maps of the "Colour map" list, in its order. kMapRamp is the ramp from
// the "Min" to the "Max" colour swatch through hue-lightness-saturation (the
// long way round with "Long"); the others are tabled below and ignore the
// swatches.
enum TColourMapKind : int32_t {
  kMapRamp = 0,
  kMapViridis = 1,
  kMapCividis = 2,
  kMapCoolWarm = 3,
  kMapGrey = 4,
};
constexpr int32_t kColourMapCount = 5;

// The list's caption of map `kind` ("Min to Max", "Viridis", "Cividis",
// "Cool to warm", "Grey"); empty outside 0 .. kColourMapCount - 1.
const char* ColourMapName(int32_t kind);

// Whether choice `kind` is the ramp of the swatches: kMapRamp, and any
// choice outside the list.
bool UsesSwatches(int32_t kind);

// The texels of a tabled map (kMapViridis .. kMapGrey), interpolated
// linearly in RGB between its control points; all zero for another kind.
TColourMapTexels TabledMapTexels(int32_t kind);

// The lower end of the logarithmic scale of the range min .. max: min itself
// when it is positive; when it is not, the smallest positive value the data
// take below max (`smallest_positive`, 0 when there is none), else a
// thousandth of max. 0 when max is not positive: no logarithmic scale exists
// and the range is mapped linearly.
double LogScaleFloor(double min, double max, double smallest_positive);

// A data value's coordinate into the map: (v - min) / (max - min) with
// log_floor 0 (values outside the range fall outside 0..1 and take the end
// colours); with a positive log_floor, (log v - log floor) / (log max - log
// floor), a value at or below the floor (zero and negative ones included)
// giving 0. A range with max <= min (or max <= floor) maps every value to 0.
double MapCoordinate(double v, const TRange& range, double log_floor);
