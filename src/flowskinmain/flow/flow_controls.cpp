#include "flow/flow_controls.h"

#include <algorithm>
#include <cmath>

bool StoreFlowControls(TFlowSourceTable& table, const TFlowSourceControls& controls) {
  if (table.source_count <= 0 || !table.HasSelection() || table.selected_source > kMaxFlowSources ||
      table.flow_controls_busy > 0) {
    return false;
  }
  TFlowControlsBusy busy(table);
  TFlowSource& s = table.flow_sources[table.selected_source];
  s.is_line = controls.is_line;
  s.strength = controls.strength;
  s.axis_strength = controls.axis_strength;
  s.rot_strength = controls.rot_strength;
  s.paint = controls.paint;
  s.paint_on = controls.paint_on;
  s.paint_off = controls.paint_off;
  s.paint_colour = controls.paint_colour;
  return true;
}

namespace {

// A strength as an up-down position: nearest integer, ties to even, within the
// control's range (NaN shows as 0).
int32_t StrengthPosition(double value) {
  if (!(value == value)) return 0;
  return static_cast<int32_t>(std::nearbyint(std::clamp(value, -100.0, 100.0)));
}

}  // namespace

TShowFlowSource ShowFlowSource(const TFlowSourceTable& table) {
  TShowFlowSource show;
  if (table.flow_controls_busy > 0 || !table.HasSelection() || table.selected_source > kMaxFlowSources) return show;
  const TFlowSource& s = table.flow_sources[table.selected_source];
  show.apply = true;
  show.controls.strength = StrengthPosition(s.strength);
  show.controls.rot_strength = StrengthPosition(s.rot_strength);
  show.controls.axis_strength = StrengthPosition(s.axis_strength);
  show.controls.paint = s.paint;
  show.controls.paint_on = s.paint_on;
  show.controls.paint_off = s.paint_off;
  show.controls.paint_colour = s.paint_colour;
  show.controls.is_line = s.is_line;
  show.line_controls_visible = s.is_line;
  return show;
}
