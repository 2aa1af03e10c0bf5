// Flow sources, velocity-field controls and direction-field alignment: the
// "Flow" tab's handlers read the source controls, call one flow-core command
// and apply what it returns (controls to show, notifications to send).
#include "flow/direction_alignment.h"
#include "flow/flow_controls.h"
#include "flow/flow_editing.h"
#include "glpanel/glpanel.h"
#include "window/form1.h"

namespace {

// The source-editing controls as values.
TFlowSourceControls FlowSourceControlsOf(const TForm1& f) {
  TFlowSourceControls c;
  c.is_line = !f.rb_sphereflow->Checked();
  c.strength = f.ud_fstrength->Position();
  c.axis_strength = f.ud_faxisstrength->Position();
  c.rot_strength = f.ud_frotstrength->Position();
  c.paint = f.cb_emit->Checked();
  c.paint_on = f.ud_paint_on->Position();
  c.paint_off = f.ud_paint_off->Position();
  c.paint_colour = f.sh_flow_paint_col->Color();
  return c;
}

// Writes a source into the controls while flow_controls_busy is raised, so the
// notifications these writes fire do not store half-written values back.
void WriteFlowSourceControls(TForm1& f, const TShowFlowSource& show) {
  if (!show.apply) return;
  TFlowControlsBusy busy(f.state.sources);
  const TFlowSourceControls& c = show.controls;
  f.ud_fstrength->SetPosition(c.strength);
  f.ud_frotstrength->SetPosition(c.rot_strength);
  f.ud_faxisstrength->SetPosition(c.axis_strength);
  f.cb_emit->SetChecked(c.paint);
  f.ud_paint_on->SetPosition(c.paint_on);
  f.ud_paint_off->SetPosition(c.paint_off);
  f.sh_flow_paint_col->SetColor(c.paint_colour);
  if (c.is_line) {
    f.rb_cylflow->SetChecked(true);
  } else {
    f.rb_sphereflow->SetChecked(true);
  }
  f.ud_frotstrength->ShowTrio(show.line_controls_visible);
  f.ud_faxisstrength->ShowTrio(show.line_controls_visible);
}

// The notifications that end an editing command.
void Finish(TForm1& f, TFlowFinish finish) {
  switch (finish) {
    case TFlowFinish::kNothing:
      break;
    case TFlowFinish::kRedraw:
      f.RequestRedraw();
      break;
    case TFlowFinish::kRefreshRedraw:
      f.RefreshRenderState(false);
      f.RequestRedraw();
      break;
    case TFlowFinish::kFinishWithRefresh:
      f.RequestRedraw();
      f.RefreshRenderState(true);
      f.RequestRedraw();
      break;
  }
}

// Shows a refused command's message, or the controls and notifications of a done one.
void Apply(TForm1& f, const TFlowEditResult& r) {
  if (!r.message.empty()) {
    f.Dialogs().ShowMessage(QString::fromStdString(r.message));
    return;
  }
  WriteFlowSourceControls(f, r.show);
  Finish(f, r.finish);
}

}  // namespace

// Copies the source-editing controls into the selected flow source; nothing
// happens when no source is selected or while the controls are being written.
void TForm1::StoreFlowControls() { ::StoreFlowControls(state.sources, FlowSourceControlsOf(*this)); }

void TForm1::ShowFlowSource() { WriteFlowSourceControls(*this, ::ShowFlowSource(state.sources)); }

// "Point source" / "Line source": the selected source takes the kind; the
// "Rotational" and "Tangential" rows show for a line source only.
void TForm1::rb_cylflowClick(QObject*) { Apply(*this, SetFlowSourceKind(state.sources, FlowSourceControlsOf(*this))); }

// "Add flow" / "Add paint" (by sender): a new selected source, a moved copy of
// the selected one or a default line upright in the middle of the view, in
// front of the surface.
// With the table full it shows a message and changes nothing.
void TForm1::but_add_flowClick(QObject* sender) {
  const TFlowViewInfo view{state.matrices, GLPanel1->Width(), GLPanel1->Height()};
  Apply(*this, AddFlowSource(state.sources, FlowSourceControlsOf(*this), state.mesh, sender == but_add_paint, view));
}

// "Delete": the selected source; the selection stays at its index (or the new last).
void TForm1::Button6Click(QObject*) { Apply(*this, DeleteFlowSource(state.sources, FlowSourceControlsOf(*this))); }

// "Next", "Prev", "Deselect" (by sender).
void TForm1::but_prevfClick(QObject* sender) {
  const TSelectionStep step = sender == but_nextf   ? TSelectionStep::kNext
                              : sender == but_prevf ? TSelectionStep::kPrev
                                                    : TSelectionStep::kDeselect;
  Apply(*this, StepFlowSelection(state.sources, FlowSourceControlsOf(*this), step));
}

// "Align neighbor" (hidden): consistent directions by a walk from the middle
// vertex. Without a mesh there is no start vertex and nothing happens.
void TForm1::Button1Click(QObject*) {
  if (state.mesh.vertex_count <= 0) return;
  AlignNeighbours(state.mesh, cb_sortmaxabs->Checked());
  state.frame.scene_dirty = true;
}

// "Align:" "Y": dir_max and dir_min turned towards +y; shows in the next frame.
void TForm1::Button2Click(QObject*) {
  AlignDirectionsWithAxis(state.mesh, 1);
  state.frame.scene_dirty = true;
}

// "Align:" "X".
void TForm1::Button3Click(QObject*) {
  AlignDirectionsWithAxis(state.mesh, 0);
  state.frame.scene_dirty = true;
}

// "Align:" "Z".
void TForm1::Button4Click(QObject*) {
  AlignDirectionsWithAxis(state.mesh, 2);
  state.frame.scene_dirty = true;
}

// "Max val": working directions from the computed ones (crossed where |kmin|
// is larger when "sort max abs" is checked), then a frame.
void TForm1::Button9Click(QObject*) {
  ResetCurvatureDirections(state.mesh, cb_sortmaxabs->Checked());
  RequestRedraw();
}
