#pragma once
// The scalar data channels a vertex can show, and the value ranges the
// colour map uses. Channel codes: 0 K min, 1 K max, 2 max abs K,
// 3 (Kmin + Kmax)/2, 4 Velocity, 5 Aux, 6 X, 7 Y, 8 Z, 9 K max * K min,
// 10 File (a scalar of the file's arrays, see file_arrays.h).
#include <string>

#include "data/file_arrays.h"
#include "mesh/mesh_model.h"

enum DataChannel : int {
  kChanKMin = 0,
  kChanKMax = 1,
  kChanKMaxAbs = 2,
  kChanKAvg = 3,
  kChanVelocity = 4,
  kChanAux = 5,
  kChanX = 6,
  kChanY = 7,
  kChanZ = 8,
  kChanKMinMax = 9,
  kChanFile = 10,
};

// The channel's name as the "Data" tab shows it ("K max", "Velocity", ...);
// "" for a code outside 0..10.
const char* DataChannelName(int channel);

// Value of channel `channel` at one vertex (reads kmin, kmax, speed, aux, pos);
// 0 for the File channel, whose values live beside the vertex records
// (FileChannelValue).
double ChannelValue(const TVertex& v, int channel);

// Fills auto_range of all ten channels from the first vertex_count vertices
// (the velocity channel also covers every time-step vector, or is the flow
// array's magnitude: VelocityChannelRange); constant channels
// get 0..7 (Aux) or 0..10; K min, K max and (Kmin+Kmax)/2 get fixed ranges;
// the File channel gets the range of its scalar over every step without the
// extreme 1 % at each end (FileChannelRange), 0..10 without file scalars.
// With copy_to_data_range, data_range := auto_range. No vertices: nothing.
void ComputeDataRanges(TMesh& mesh, bool copy_to_data_range);

// The magnitude of the flow array, when the mesh's velocities come from a
// file array that fits its vertices: the "Velocity" channel then shows it, in
// the file's units, instead of the lengths of the velocities drawn (which
// "Normalise" makes all alike). False otherwise.
bool FlowMagnitudeScalar(const TMesh& mesh, TFileScalar& out);
// The Velocity channel's range: with a flow array, its magnitude's 1 %-trimmed
// range over every step; otherwise the lengths of the velocities.
TRange VelocityChannelRange(const TMesh& mesh, const TRange& lengths);

// The title of channel `channel` on `mesh` for its legend: the array it
// shows ("p", "wallShearStress magnitude") for the File channel and for the
// Velocity channel of file vectors, else the channel's name.
std::string ChannelTitle(const TMesh& mesh, int channel);

// The File channel's scalar: the one file_scalar selects (clamped to those
// the mesh offers); false when it offers none.
bool SelectedFileScalar(const TMesh& mesh, TFileScalar& out);

// The File channel at vertex v: the selected file scalar at file_step; 0
// when the mesh has no file scalars.
double FileChannelValue(const TMesh& mesh, int32_t v);
// The 1 %-trimmed range of the selected file scalar over all its steps.
TRange FileChannelRange(const TMesh& mesh);

// The range buttons ">", "<", "<>", "><" on one (min, max) pair.
enum class RangeCommand { ShiftUp, ShiftDown, Widen, Narrow };
TRange ApplyRangeCommand(TRange r, RangeCommand cmd);

// A typed pair is accepted only when min < max.
bool AcceptTypedRange(double min, double max);

// Number typed into "Min" or "Max", read like the framework's string-to-float
// conversion: optional blanks around a decimal number with optional sign,
// fraction and exponent ("-2.5", "1.5E-006"). Anything else (empty text,
// hexadecimal, "inf", "nan", trailing characters) fails and `error` receives
// "'<text>' is not a valid floating point value".
bool ParseTypedNumber(const std::string& text, double& value, std::string& error);

// Enter in "Min" or "Max": both texts are converted (the first failure stops
// with its message and changes nothing); an increasing pair is stored into
// data_range[channel], any other pair is ignored. Returns the conversion
// error, "" when both texts were numbers. Either way without an error the
// caller refreshes the render state, which rewrites both edits.
std::string ApplyTypedRange(TMesh& mesh, int channel, const std::string& min_text, const std::string& max_text);

// A range button on the selected channel's pair of data_range.
void ApplyRangeButton(TMesh& mesh, int channel, RangeCommand cmd);
