#pragma once
// The CPU half of the render-state refresh: which data channel the radio
// buttons select, the per-vertex value and normalised value of that channel,
// the texts of the "Min"/"Max" edits, and the 256 texels of the colour map.
#include <array>
#include <cstdint>
#include <string>

#include "app_state.h"
#include "data/colour_maps.h"
#include "mesh/mesh_model.h"

// The channel radio buttons of the "Data" tab. "Velocity" (rbvelocity) is not
// listed: it is what none of the others being checked means.
struct TChannelRadios {
  bool kmax = false;     // rbkmax "K max"
  bool kmin = false;     // rbkmin "K min"
  bool kminmax = false;  // rbkminmax "K max * K min" (hidden)
  bool kmaxabs = false;  // rbkmaxabs "max abs K" (hidden)
  bool kavg = false;     // rbkavg "(Kmin + Kmax)/2"
  bool px = false;       // rbpx "X"
  bool py = false;       // rbpy "Y"
  bool pz = false;       // rbpz "Z"
  bool ad = false;       // rbad "Aux"
  bool file = false;     // rbfile "File"
};

// Control values the refresh reads (defaults: the controls at start).
struct TRenderStateControls {
  TChannelRadios radios;
  int32_t datamin = 0xFFFF00;     // sh_datamin colour value, aqua (0, 255, 255)
  int32_t datamax = 0x8080FF;     // sh_datamax, (255, 128, 128)
  bool long_way = false;          // cblong: hue the long way round
  int32_t colour_map = kMapRamp;  // cb_colour_map: the map by its place in the list (TColourMapKind)
  bool log_scale = false;         // cb_log_scale: the range mapped logarithmically
};

// Code of the first checked radio button in the order K max, K min,
// K max * K min, max abs K, (Kmin + Kmax)/2, X, Y, Z, Aux, File; 4 (Velocity) when
// none is checked.
uint8_t ChannelCode(const TChannelRadios& r);

// For vertices 0 .. vertex_count-1: cur_value := the channel's value,
// norm_value := (cur_value - min) / (max - min) with data_range[code].
// A range with max <= min (never stored by the range commands) maps every
// vertex to 0 instead of dividing by zero. With log_scale, norm_value is the
// logarithmic MapCoordinate above the floor LogScaleFloor gives for the range
// and the smallest positive cur_value; returns that floor (0: linear, also
// when the range holds no positive value).
double ComputeVertexData(TMesh& mesh, int code, bool log_scale = false);

// The general number format of the range edits: at most 6 significant
// digits (exact halves rounded away from zero), trailing zeros dropped; fixed notation when the rounded value has a
// decimal exponent from -4 to 6 (0.00001 .. 999999), scientific otherwise
// with an exponent of at least 3 digits ("1.5E-006", "1.23457E007").
std::string FormatRangeValue(double x);

// The same general format with `digits` significant digits (1..18): fixed
// notation for a rounded decimal exponent from -5 to digits - 1, scientific
// otherwise. FormatRangeValue is FormatGeneralNumber(x, 6); the time edits use
// 10 digits.
std::string FormatGeneralNumber(double x, int digits);

// The 256 RGB texels of the colour map from the "Min" to the "Max" colour,
// interpolated in hue-lightness-saturation (the long way round with long_way).
TColourMapTexels ColourMapTexels(int32_t min_colour, int32_t max_colour, bool long_way);

// The texels of the map the controls choose: the ramp of the swatches, or a
// tabled map (an unknown choice gives the ramp).
TColourMapTexels ColourMapTexels(const TRenderStateControls& c);

// Texts of eddmin / eddmax for the selected channel.
struct TRangeTexts {
  std::string min, max;
};
TRangeTexts RangeTexts(const TMesh& mesh, int code);

// The non-GL part of RefreshRenderState: data_channel from the radios,
// file_step from the view's time (the last step at or before it), per-vertex
// data (logarithmic with log_scale; data_log_floor := its floor, 0 when
// linear), scene_dirty := true. Returns the range texts to show.
TRangeTexts RefreshDataChannel(TAppState& app, const TChannelRadios& radios, bool log_scale = false);
