// Data channels and their ranges (the auxiliary field: handlers_aux.cpp; the
// time controls: handlers_time.cpp).

#include "data/colour_map_gl.h"
#include "data/data_channels.h"
#include "data/render_state.h"
#include "glpanel/glpanel.h"
#include "window/form1.h"

// data_channel from the channel radios, per-vertex cur_value / norm_value,
// scene_dirty. With `full` also the "Min"/"Max" edits from the channel's
// data_range and the colour map chosen (the swatches and "Long" enabled only
// for the ramp between the "Min"/"Max" colours); the map is
// loaded only when the panel's context can be made current (before the first
// paint the GL initialisation loads it).
void TForm1::RefreshRenderState(bool full) {
  const bool current = GLPanel1->MakeCurrent();
  const TRenderStateControls c = RenderCtl();
  const TRangeTexts t = ::RefreshRenderState(state, c, full, current);
  if (!full) return;
  // The swatches and "Long" shape only the ramp: greyed while a tabled map is shown.
  for (QWidget* w : std::initializer_list<QWidget*>{sh_datamin, sh_datamax, cblong})
    w->setEnabled(UsesSwatches(c.colour_map));
  eddmin->SetText(QString::fromStdString(t.min));
  eddmax->SetText(QString::fromStdString(t.max));
}

// Key up in "Min" or "Max": on Enter both texts are read; an increasing pair
// becomes the selected channel's data_range, any other pair is ignored, and the
// refresh writes the stored range back into both edits (so a rejected pair is
// visibly undone). A text that is not a number is reported and changes nothing.
void TForm1::eddmaxKeyUp(QObject*, int& key, TShiftState) {
  if (key != 13) return;
  const std::string error =
      ApplyTypedRange(state.mesh, state.frame.data_channel, eddmin->Text().toStdString(), eddmax->Text().toStdString());
  if (!error.empty()) {
    Dialogs().ShowMessage(QString::fromStdString(error));
    return;
  }
  RefreshRenderState(true);
  RequestRedraw();
}

// "Reset": every channel's range back to the one computed from the mesh.
void TForm1::Button5Click(QObject*) {
  ComputeDataRanges(state.mesh, true);
  RefreshRenderState(true);
  RequestRedraw();
}

// ">", "<", "<>", "><" on the selected channel's range; any other sender
// narrows.
void TForm1::but_dupClick(QObject* sender) {
  RangeCommand cmd = RangeCommand::Narrow;
  if (sender == but_dup)
    cmd = RangeCommand::ShiftUp;
  else if (sender == but_ddown)
    cmd = RangeCommand::ShiftDown;
  else if (sender == but_dwide)
    cmd = RangeCommand::Widen;
  ApplyRangeButton(state.mesh, state.frame.data_channel, cmd);
  RefreshRenderState(true);
  RequestRedraw();
}
