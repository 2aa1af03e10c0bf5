// Time controls of time-dependent data: the "Time" and "dt" edits, the slider,
// and their update from view.time (after a load, a command, a Run-loop step).
#include <QGroupBox>
#include <QLabel>

#include "data/time_controls.h"
#include "window/form1.h"

// The time group and the "t = " label only for meshes with at least two time
// steps; then the slider at the time's percentage of the time range, "Time" and
// the label with the time in 10 significant digits. time_controls_busy is held
// while the controls are written, so the slider's own change event does
// nothing.
void TForm1::ShowTimeControls() {
  ++state.time_controls_busy;
  const bool shown = HasTimeSteps(state.mesh);
  gb_time->setVisible(shown);
  lab_time->setVisible(shown);
  if (shown) {
    tb_time->SetPosition(TimeSliderPosition(state.mesh, state.view.time));
    ed_time->SetText(QString::fromStdString(FormatTimeValue(state.view.time)));
    lab_time->setText(QString::fromStdString(TimeLabelText(state.view.time)));
  }
  --state.time_controls_busy;
}

// A Run-loop step advanced view.time: the controls show it. The velocity of the
// new time is interpolated by the next frame's synthesis (the loop marks the
// scene dirty).
void TForm1::RunLoopTimeStep() { ShowTimeControls(); }

namespace {

// Enter (virtual key 13) released.
bool IsEnter(int key) { return key == 13; }

}  // namespace

// Enter in "Time": view.time := the typed number, not clamped to the time range
// (outside it the flow holds the first or last step). Text that is not a
// number is reported and changes nothing.
void TForm1::ed_timeKeyUp(QObject*, int& key, TShiftState) {
  double t = 0;
  if (!IsEnter(key) || !ReadFloatEdit(ed_time, t)) return;
  state.view.time = t;
  ShowTimeControls();
  RefreshRenderState(false);
  RequestRedraw();
}

// Enter in "dt": view.time_step, the time added per Run-loop frame with
// "animate" checked.
void TForm1::ed_dtimeKeyUp(QObject*, int& key, TShiftState) {
  double dt = 0;
  if (!IsEnter(key) || !ReadFloatEdit(ed_dtime, dt)) return;
  state.view.time_step = dt;
  ShowTimeControls();
  RefreshRenderState(false);
  RequestRedraw();
}

// The slider moved by the user: view.time := the slider's percentage of the
// time range (two time steps included). Ignored while the program writes it.
void TForm1::tb_timeChange(QObject*) {
  if (state.time_controls_busy > 0) return;
  if (HasTimeSteps(state.mesh)) state.view.time = TimeAtSliderPosition(state.mesh, tb_time->Position());
  ShowTimeControls();
  RefreshRenderState(false);
  RequestRedraw();
}
