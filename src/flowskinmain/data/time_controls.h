#pragma once
// The time of time-dependent data as the "Time dependent data" group shows it:
// the slider spans the mesh's time range in percent, the edit and the "t = "
// label show the time as text. The velocity at a time is interpolated by the
// velocity synthesis (FindTimeInterval); these only translate between the
// time and the controls.
#include <cstdint>
#include <string>

#include "mesh/mesh_model.h"

// Whether the mesh has time steps the controls can move between (more than
// one, with their time values present).
bool HasTimeSteps(const TMesh& mesh);

// Slider position of time t: round((t - T0) * 100 / (Tlast - T0)) to the
// nearest integer (ties to even), clamped to 0..100; 0 when the mesh has no
// time steps, its time range is empty or t is not a number.
int32_t TimeSliderPosition(const TMesh& mesh, double t);

// The time at slider position 0..100: T0 + (Tlast - T0) * position / 100.
// Only meaningful when HasTimeSteps.
double TimeAtSliderPosition(const TMesh& mesh, int32_t position);

// The text of the "Time" edit: general number format, 10 significant digits.
std::string FormatTimeValue(double t);

// "t = <time>", the label under the view and the time annotation of frames.
std::string TimeLabelText(double t);
