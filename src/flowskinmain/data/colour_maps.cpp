#include "data/colour_maps.h"

#include <algorithm>
#include <cmath>

namespace {

// One control point of a tabled map: its place t (0..1) along the map and its
// red, green, blue (0..1).
struct TControlPoint {
  double t, r, g, b;
};

// Viridis: 16 of the 256 published entries (every 17th, so t = k/15) of the
// viridis map of S. van der Walt and N. Smith, presented at the SciPy 2015
// conference (Austin, Texas), its table released under CC0.
constexpr TControlPoint kViridis[] = {
    {0 / 15.0, 0.267004, 0.004874, 0.329415},  {1 / 15.0, 0.282656, 0.100196, 0.422160},
    {2 / 15.0, 0.277134, 0.185228, 0.489898},  {3 / 15.0, 0.253935, 0.265254, 0.529983},
    {4 / 15.0, 0.221989, 0.339161, 0.548752},  {5 / 15.0, 0.190631, 0.407061, 0.556089},
    {6 / 15.0, 0.163625, 0.471133, 0.558148},  {7 / 15.0, 0.139147, 0.533812, 0.555298},
    {8 / 15.0, 0.120565, 0.596422, 0.543611},  {9 / 15.0, 0.134692, 0.658636, 0.517649},
    {10 / 15.0, 0.208030, 0.718701, 0.472873}, {11 / 15.0, 0.327796, 0.773980, 0.406640},
    {12 / 15.0, 0.477504, 0.821444, 0.318195}, {13 / 15.0, 0.647257, 0.858400, 0.209861},
    {14 / 15.0, 0.824940, 0.884720, 0.106217}, {15 / 15.0, 0.993248, 0.906157, 0.143936},
};

// Cividis: 16 of the 256 entries (every 17th) of J. R. Nunez, C. R. Anderton
// and R. S. Renslow, "Optimizing colormaps with consideration for color vision
// deficiency to enable accurate interpretation of scientific data", PLOS ONE
// 13(7): e0199239, 2018 (supporting information S1, the cividis table).
constexpr TControlPoint kCividis[] = {
    {0 / 15.0, 0.000000, 0.135112, 0.304751},  {1 / 15.0, 0.000000, 0.181610, 0.421859},
    {2 / 15.0, 0.117612, 0.225935, 0.434308},  {3 / 15.0, 0.208926, 0.272546, 0.424809},
    {4 / 15.0, 0.279411, 0.318677, 0.423031},  {5 / 15.0, 0.342246, 0.364939, 0.428559},
    {6 / 15.0, 0.401418, 0.411790, 0.440708},  {7 / 15.0, 0.458366, 0.459552, 0.460457},
    {8 / 15.0, 0.517920, 0.508454, 0.472707},  {9 / 15.0, 0.582087, 0.558670, 0.468118},
    {10 / 15.0, 0.648222, 0.610553, 0.454801}, {11 / 15.0, 0.716177, 0.664384, 0.432386},
    {12 / 15.0, 0.785965, 0.720438, 0.399613}, {13 / 15.0, 0.857809, 0.778969, 0.353259},
    {14 / 15.0, 0.932180, 0.840159, 0.285880}, {15 / 15.0, 0.995737, 0.909344, 0.217772},
};

// Cool to warm, the diverging map of K. Moreland, "Diverging Color Maps for
// Scientific Visualization", Advances in Visual Computing (ISVC 2009), LNCS
// 5876, pp. 92-103: its table of 33 colours in bytes, blue through a neutral
// grey (221, 221, 221) at the middle to red.
constexpr int kCoolWarmBytes[33][3] = {
    {59, 76, 192},   {68, 90, 204},   {77, 104, 215},  {87, 117, 225},  {98, 130, 234},  {108, 142, 241},
    {119, 154, 247}, {130, 165, 251}, {141, 176, 254}, {152, 185, 255}, {163, 194, 255}, {174, 201, 253},
    {184, 208, 249}, {194, 213, 244}, {204, 217, 238}, {213, 219, 230}, {221, 221, 221}, {229, 216, 209},
    {236, 211, 197}, {241, 204, 185}, {245, 196, 173}, {247, 187, 160}, {247, 177, 148}, {247, 166, 135},
    {244, 154, 123}, {241, 141, 111}, {236, 127, 99},  {229, 112, 88},  {222, 96, 77},   {213, 80, 66},
    {203, 62, 56},   {192, 40, 47},   {180, 4, 38},
};

// Grey: black to white, linear in the stored bytes.
constexpr TControlPoint kGrey[] = {{0, 0, 0, 0}, {1, 1, 1, 1}};

uint8_t Byte(double x) { return static_cast<uint8_t>(std::lround(std::clamp(x, 0.0, 1.0) * 255.0)); }

template <size_t N>
TColourMapTexels Interpolate(const TControlPoint (&points)[N]) {
  TColourMapTexels texels{};
  size_t k = 0;  // the segment points[k] .. points[k + 1] holding t
  for (int i = 0; i < 256; ++i) {
    const double t = i / 255.0;
    while (k + 2 < N && t > points[k + 1].t) ++k;
    const TControlPoint& a = points[k];
    const TControlPoint& b = points[k + 1];
    const double u = std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0);
    texels[3 * i + 0] = Byte(a.r + u * (b.r - a.r));
    texels[3 * i + 1] = Byte(a.g + u * (b.g - a.g));
    texels[3 * i + 2] = Byte(a.b + u * (b.b - a.b));
  }
  return texels;
}

TColourMapTexels CoolWarmTexels() {
  TControlPoint points[33];
  for (int k = 0; k < 33; ++k)
    points[k] = {k / 32.0, kCoolWarmBytes[k][0] / 255.0, kCoolWarmBytes[k][1] / 255.0, kCoolWarmBytes[k][2] / 255.0};
  return Interpolate(points);
}

}  // namespace

const char* ColourMapName(int32_t kind) {
  switch (kind) {
    case kMapRamp:
      return "Min to Max";
    case kMapViridis:
      return "Viridis";
    case kMapCividis:
      return "Cividis";
    case kMapCoolWarm:
      return "Cool to warm";
    case kMapGrey:
      return "Grey";
    default:
      return "";
  }
}

bool UsesSwatches(int32_t kind) { return kind <= kMapRamp || kind >= kColourMapCount; }

TColourMapTexels TabledMapTexels(int32_t kind) {
  switch (kind) {
    case kMapViridis:
      return Interpolate(kViridis);
    case kMapCividis:
      return Interpolate(kCividis);
    case kMapCoolWarm:
      return CoolWarmTexels();
    case kMapGrey:
      return Interpolate(kGrey);
    default:
      return {};
  }
}

double LogScaleFloor(double min, double max, double smallest_positive) {
  if (!(max > 0)) return 0;
  if (min > 0) return min;
  if (smallest_positive > 0 && smallest_positive < max) return smallest_positive;
  return max * 1e-3;
}

double MapCoordinate(double v, const TRange& range, double log_floor) {
  if (log_floor > 0) {
    if (!(range.max > log_floor) || !(v > log_floor)) return 0.0;
    return (std::log(v) - std::log(log_floor)) / (std::log(range.max) - std::log(log_floor));
  }
  const double width = range.max - range.min;
  return width > 0 ? (v - range.min) / width : 0.0;
}
