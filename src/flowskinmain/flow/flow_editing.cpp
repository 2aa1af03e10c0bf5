#include "flow/flow_editing.h"

#include <cmath>

#include "flow/view_unproject.h"

const char* const kFlowSourceTableFullMessage =
    "At most 100 flow sources can be placed. Delete a source before adding another.";

namespace {

double Component(const TVec3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

void AddToComponent(TVec3& v, int axis, double delta) {
  float& c = axis == 0 ? v.x : axis == 1 ? v.y : v.z;
  c = static_cast<float>(c + delta);
}

// The axis along which a copy of `s` is moved: of the two axes other than the
// one of the segment's largest extent (x first; y, then z, replace it only when
// strictly larger), the one along which the eye ray through the centre pixel
// has the smaller component (the first of the two on a tie).
int SidewaysAxis(const TFlowSource& s, const TFlowViewInfo& view) {
  const TVec3 d{s.p1.x - s.p0.x, s.p1.y - s.p0.y, s.p1.z - s.p0.z};
  int k = 0;
  if (std::fabs(d.y) > std::fabs(Component(d, k))) k = 1;
  if (std::fabs(d.z) > std::fabs(Component(d, k))) k = 2;
  const int first = k == 0 ? 1 : 0;
  const int second = k == 2 ? 1 : 2;
  TVec3 origin, ray;
  UnprojectViewRay(view.matrices, view.panel_height, view.panel_width / 2, view.panel_height / 2, origin, ray);
  return std::fabs(Component(ray, second)) < std::fabs(Component(ray, first)) ? second : first;
}

// Entry `dest` becomes a copy of `src`, moved sideways by 0.05 box_size and
// turned into a paint or a flow source as the pressed button asks.
void MakeMovedCopy(TFlowSourceTable& table, int32_t src, int32_t dest, const TMesh& mesh, bool paint,
                   const TFlowViewInfo& view) {
  TFlowSource& s = table.flow_sources[dest];
  s = table.flow_sources[src];
  const int axis = SidewaysAxis(s, view);
  AddToComponent(s.p0, axis, 0.05 * mesh.box_size);
  AddToComponent(s.p1, axis, 0.05 * mesh.box_size);
  if (paint == s.paint) return;
  s.paint = paint;
  if (paint) {
    s.strength = s.axis_strength = s.rot_strength = 0;
  } else if (s.strength == 0 && s.axis_strength == 0 && s.rot_strength == 0) {
    s.strength = 10;
  }
}

// Entry `dest` becomes the default source on the low-z face of the bounding box.
void MakeDefaultSource(TFlowSourceTable& table, int32_t dest, const TMesh& mesh, bool paint, bool is_line) {
  TFlowSource s;
  s.is_line = is_line;
  s.p0 = {static_cast<float>((mesh.box_min[0] + mesh.box_max[0]) / 2), static_cast<float>(mesh.box_min[1]),
          static_cast<float>(mesh.box_min[2])};
  s.p1 = {s.p0.x, static_cast<float>(mesh.box_max[1]), s.p0.z};
  s.strength = paint ? 0 : 10;
  s.paint = paint;
  s.axis_strength = s.rot_strength = 0;
  s.paint_on = 1;
  s.paint_off = 0;
  s.paint_colour = 255;
  table.flow_sources[dest] = s;
}

TFlowEditResult Finish(const TFlowSourceTable& table, TFlowFinish finish) {
  TFlowEditResult r;
  r.show = ShowFlowSource(table);
  r.finish = finish;
  return r;
}

}  // namespace

TFlowEditResult AddFlowSource(TFlowSourceTable& table, const TFlowSourceControls& controls, const TMesh& mesh,
                              bool paint, const TFlowViewInfo& view) {
  if (table.source_count >= kMaxFlowSources) {
    TFlowEditResult refused;
    refused.message = kFlowSourceTableFullMessage;
    return refused;
  }
  StoreFlowControls(table, controls);
  const int32_t prev = table.selected_source;
  const bool copy = table.HasSelection();
  table.source_count += 1;
  table.selected_source = table.source_count;
  if (copy) {
    MakeMovedCopy(table, prev, table.source_count, mesh, paint, view);
  } else {
    MakeDefaultSource(table, table.source_count, mesh, paint, controls.is_line);
  }
  return Finish(table, TFlowFinish::kFinishWithRefresh);
}

TFlowEditResult StepFlowSelection(TFlowSourceTable& table, const TFlowSourceControls& controls, TSelectionStep step) {
  StoreFlowControls(table, controls);
  int32_t& sel = table.selected_source;
  switch (step) {
    case TSelectionStep::kPrev:
      sel = sel == 1 ? table.source_count : sel - 1;
      break;
    case TSelectionStep::kNext:
      sel = sel == table.source_count ? 1 : sel + 1;
      break;
    case TSelectionStep::kDeselect:
      sel = 0;
      break;
  }
  return Finish(table, TFlowFinish::kRedraw);
}

TFlowEditResult DeleteFlowSource(TFlowSourceTable& table, const TFlowSourceControls& controls) {
  StoreFlowControls(table, controls);
  if (table.source_count <= 0 || table.source_count > kMaxFlowSources || !table.HasSelection()) return {};
  for (int32_t i = table.selected_source; i < table.source_count; ++i) {
    table.flow_sources[i] = table.flow_sources[i + 1];
  }
  table.flow_sources[table.source_count] = TFlowSource{};
  table.source_count -= 1;
  if (table.selected_source > table.source_count) table.selected_source = table.source_count;
  return Finish(table, TFlowFinish::kFinishWithRefresh);
}

TFlowEditResult SetFlowSourceKind(TFlowSourceTable& table, const TFlowSourceControls& controls) {
  StoreFlowControls(table, controls);
  return Finish(table, TFlowFinish::kRefreshRedraw);
}
