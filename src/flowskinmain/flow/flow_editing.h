#pragma once
// The editing commands of the "Flow" tab on the flow-source table: "Add flow",
// "Add paint", "Next", "Prev", "Deselect", "Delete" and the point/line radio
// buttons. Each takes the current values of the source controls (every command
// first stores them into the selected source) and returns what the window shows
// afterwards, so the handlers only read the controls, call one function and
// apply the result.
//
// How the "Flow" tab's handlers use the flow core (c = the source controls read
// into a TFlowSourceControls, r = the returned TFlowEditResult):
//   but_add_flowClick:  r = AddFlowSource(sources, c, mesh, sender == but_add_paint,
//                                         {matrices, panel width, panel height});
//                       non-empty r.message: message box, nothing else
//   but_prevfClick:     r = StepFlowSelection(sources, c, kNext for but_nextf, kPrev for
//                                             but_prevf, kDeselect otherwise)
//   Button6Click:       r = DeleteFlowSource(sources, c)
//   rb_cylflowClick:    r = SetFlowSourceKind(sources, c)
//   then: if r.show.apply, write r.show.controls into the controls and show the
//   "Rotational"/"Tangential" rows as r.show.line_controls_visible, all while
//   holding a TFlowControlsBusy; then the notifications of r.finish.
//   Mouse press in the view and the start of every redraw: StoreFlowControls.
//   "X"/"Y"/"Z" (Button3/2/4Click): AlignDirectionsWithAxis(mesh, 0/1/2), then
//   scene_dirty := true; "Align neighbor" (Button1Click): AlignNeighbours(mesh,
//   cb_sortmaxabs), then scene_dirty := true; "Max val" (Button9Click):
//   ResetCurvatureDirections(mesh, cb_sortmaxabs), then RequestRedraw.
//   The advection step while scene_dirty: SynthesizeVelocity(mesh, sources, params).
#include <cstdint>
#include <string>

#include "flow/flow_controls.h"
#include "flow/flow_source.h"
#include "mesh/mesh_model.h"
#include "view_record.h"

// The notifications the window sends after a command, in this order.
enum class TFlowFinish {
  kNothing,            // nothing to redraw
  kRedraw,             // RequestRedraw
  kRefreshRedraw,      // RefreshRenderState(false), RequestRedraw
  kFinishWithRefresh,  // RequestRedraw, RefreshRenderState(true), RequestRedraw
};

struct TFlowEditResult {
  // Written into the controls first when show.apply (holding TFlowControlsBusy),
  // including the visibility of the "Rotational" and "Tangential" rows.
  TShowFlowSource show;
  TFlowFinish finish = TFlowFinish::kNothing;
  // Not empty: the command was refused and changed nothing; the window shows
  // this text in a message box.
  std::string message;
};

// Text shown when "Add flow" or "Add paint" finds the table full.
extern const char* const kFlowSourceTableFullMessage;

// Where the view is looked at from, for placing a copied source.
struct TFlowViewInfo {
  TStoredMatrices matrices;                   // of the last frame
  int32_t panel_width = 0, panel_height = 0;  // view panel size, pixels
};

// "Add flow" (paint false) and "Add paint" (paint true). Appends a source and
// selects it. With a source selected, the new one is a copy of it moved by
// 0.05 * box_size across its segment, along the one of the two other
// coordinate axes that points least into the screen (the direction of the eye
// ray through the centre pixel); a copy made by the other button turns into a
// paint source with zero strengths ("Add paint") or a flow source that is not
// painted, with strength 10 if all strengths were 0 ("Add flow"). Without a
// selection a default source is made where it can be seen and grabbed: point
// or line as controls.is_line, a segment upright on the screen (p0 below p1)
// centred on the eye ray through the view's centre pixel, 0.1 box_size in
// front of the first face of the mesh that ray meets (at the ray's point
// nearest box_center when it meets none), 0.25 box_size long or 0.8 of the
// view's smaller side when that is shorter; only when the view cannot be
// unprojected, from (mid-x, min-y, min-z) to (mid-x, max-y, min-z) of the
// bounding box. Strength 10 (0 and painted for "Add paint"), paint_on 1,
// paint_off 0, red.
// With 100 sources in use it refuses and changes nothing (message set).
// Finish: kFinishWithRefresh; the controls show the new source.
TFlowEditResult AddFlowSource(TFlowSourceTable& table, const TFlowSourceControls& controls, const TMesh& mesh,
                              bool paint, const TFlowViewInfo& view);

// "Next", "Prev", "Deselect". Next after the last (or from no selection) gives
// source 1, Prev before source 1 gives the last one; Prev from no selection
// gives -1, which means no selection too. Finish: kRedraw.
enum class TSelectionStep { kNext, kPrev, kDeselect };
TFlowEditResult StepFlowSelection(TFlowSourceTable& table, const TFlowSourceControls& controls, TSelectionStep step);

// "Delete": removes the selected source, closing the gap in table order; the
// selection stays at the same index (the source that followed) or moves to the
// new last source (0 when the table is empty). With no selection it does
// nothing else (kNothing, no redraw). Finish: kFinishWithRefresh.
TFlowEditResult DeleteFlowSource(TFlowSourceTable& table, const TFlowSourceControls& controls);

// The "Point source"/"Line source" radio buttons: the selected source takes the
// kind in controls.is_line (its rotational and tangential strengths are kept),
// and the rows of those two controls are shown for a line source only.
// Finish: kRefreshRedraw.
TFlowEditResult SetFlowSourceKind(TFlowSourceTable& table, const TFlowSourceControls& controls);
