#pragma once
// The values of the source controls on the "Flow" tab and the two copies between
// them and the selected source: StoreFlowControls (controls -> source) and
// ShowFlowSource (source -> controls). Both honour `flow_controls_busy`, the
// guard the window holds while it writes the controls itself, so that the change
// notifications fired by those writes do not copy half-written values back.
#include <cstdint>

#include "flow/flow_source.h"

// Control values, each default the control's default.
struct TFlowSourceControls {
  bool is_line = true;         // rb_cylflow "Line source" checked (rb_sphereflow "Point source" not)
  int32_t strength = 10;       // ud_fstrength "Strength", -100..100
  int32_t axis_strength = 0;   // ud_faxisstrength "Tangential", -100..100
  int32_t rot_strength = 0;    // ud_frotstrength "Rotational", -100..100
  bool paint = false;          // cb_emit "Paint"
  int32_t paint_on = 1;        // ud_paint_on "Paint on", 1..1000
  int32_t paint_off = 0;       // ud_paint_off "Paint off", 0..100
  int32_t paint_colour = 255;  // sh_flow_paint_col brush colour, 0x00BBGGRR (red)
};

// What the window writes into the controls after ShowFlowSource.
struct TShowFlowSource {
  bool apply = false;                  // false: leave every control as it is
  TFlowSourceControls controls;        // values for the controls (strengths rounded)
  bool line_controls_visible = false;  // "Rotational" and "Tangential" rows (ud_, ed_, lab_) visible
};

// Holds flow_controls_busy raised for its lifetime. The window holds one while
// it writes the values of a TShowFlowSource into the controls.
class TFlowControlsBusy {
 public:
  explicit TFlowControlsBusy(TFlowSourceTable& table) : table_(table) { ++table_.flow_controls_busy; }
  ~TFlowControlsBusy() { --table_.flow_controls_busy; }
  TFlowControlsBusy(const TFlowControlsBusy&) = delete;
  TFlowControlsBusy& operator=(const TFlowControlsBusy&) = delete;

 private:
  TFlowSourceTable& table_;
};

// Copies the control values into the selected source: is_line, the three
// strengths, paint, paint_on, paint_off, paint_colour. Positions, end points and
// radii are never touched. Does nothing (returns false) when no source is
// selected (selected_source outside 1..source_count) or flow_controls_busy > 0.
// Called at the start of every redraw, by the change notification of the
// source controls, on every mouse press in the view and first by every editing
// command.
bool StoreFlowControls(TFlowSourceTable& table, const TFlowSourceControls& controls);

// The selected source as control values: strengths rounded to the nearest
// integer (ties to even) and limited to -100..100, the other fields as stored;
// the rotational and tangential rows are visible exactly for a line source.
// `apply` is false (controls keep their values and visibility) when no source
// is selected or flow_controls_busy > 0. The window writes the controls while
// holding a TFlowControlsBusy.
TShowFlowSource ShowFlowSource(const TFlowSourceTable& table);
