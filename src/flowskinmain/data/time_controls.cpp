#include "data/time_controls.h"

#include <algorithm>
#include <cmath>

#include "data/render_state.h"

bool HasTimeSteps(const TMesh& mesh) {
  return mesh.time_count > 1 && static_cast<int32_t>(mesh.time_values.size()) >= mesh.time_count;
}

int32_t TimeSliderPosition(const TMesh& mesh, double t) {
  if (!HasTimeSteps(mesh)) return 0;
  const double t0 = mesh.time_values[0], span = mesh.time_values[mesh.time_count - 1] - t0;
  if (!(span > 0)) return 0;
  const double p = std::nearbyint((t - t0) * 100 / span);
  if (std::isnan(p)) return 0;
  return static_cast<int32_t>(std::clamp(p, 0.0, 100.0));
}

double TimeAtSliderPosition(const TMesh& mesh, int32_t position) {
  const double t0 = mesh.time_values[0];
  return t0 + (mesh.time_values[mesh.time_count - 1] - t0) * position / 100;
}

std::string FormatTimeValue(double t) { return FormatGeneralNumber(t, 10); }

std::string TimeLabelText(double t) { return "t = " + FormatTimeValue(t); }
