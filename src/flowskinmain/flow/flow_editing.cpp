#include "flow/flow_editing.h"

#include <algorithm>
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

// Ray parameter of the nearest face of the mesh hit by the ray (either side
// of a face counts), or a negative value when no face is hit in front of the
// origin. Positions are the vertices' base positions.
double NearestSurfaceHit(const TMesh& mesh, const TVec3& origin, const TVec3& dir) {
  double best = -1;
  const double d[3] = {dir.x, dir.y, dir.z};
  auto sub = [](const TVec3& a, const TVec3& b, double out[3]) {
    out[0] = double(a.x) - b.x, out[1] = double(a.y) - b.y, out[2] = double(a.z) - b.z;
  };
  auto cross = [](const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1], out[1] = a[2] * b[0] - a[0] * b[2], out[2] = a[0] * b[1] - a[1] * b[0];
  };
  auto dot = [](const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
  for (int32_t f = 0; f < mesh.face_count && f < static_cast<int32_t>(mesh.faces.size()); ++f) {
    const int32_t* v = mesh.faces[f].v;
    if (v[0] < 0 || v[1] < 0 || v[2] < 0 || v[0] >= mesh.vertex_count || v[1] >= mesh.vertex_count ||
        v[2] >= mesh.vertex_count)
      continue;
    const TVec3 &a = mesh.vertices[v[0]].pos, &b = mesh.vertices[v[1]].pos, &c = mesh.vertices[v[2]].pos;
    double e1[3], e2[3], w[3], p[3], q[3];
    sub(b, a, e1);
    sub(c, a, e2);
    cross(d, e2, p);
    const double det = dot(e1, p);
    if (det == 0) continue;
    sub(origin, a, w);
    const double u = dot(w, p) / det;
    if (u < 0 || u > 1) continue;
    cross(w, e1, q);
    const double vv = dot(d, q) / det;
    if (vv < 0 || u + vv > 1) continue;
    const double t = dot(e2, q) / det;
    if (t > 0 && (best < 0 || t < best)) best = t;
  }
  return best;
}

// Where a new source goes so that it can be seen and grabbed: a segment
// upright on the screen, centred on the eye ray through the view's centre
// pixel, 0.1 box_size in front of the first surface that ray meets (or, when
// it meets none, at the ray's point nearest the box centre); 0.25 box_size
// long, or 0.8 of the view's smaller side if that is shorter. False when the
// view cannot be unprojected (no frame drawn yet).
bool PlaceInView(const TMesh& mesh, const TFlowViewInfo& view, TVec3& p0, TVec3& p1) {
  TVec3 origin, ray;
  if (!UnprojectViewRay(view.matrices, view.panel_height, view.panel_width / 2, view.panel_height / 2, origin, ray))
    return false;
  TVec3 dir = ray;
  vec_normalize(dir);
  if (vec_length(dir) == 0) return false;
  const double hit = NearestSurfaceHit(mesh, origin, ray);
  double along = 0;  // distance from the origin along dir
  if (hit > 0) {
    along = hit * vec_length(ray) - 0.1 * mesh.box_size;
  } else {
    const TVec3 to_centre{mesh.box_center.x - origin.x, mesh.box_center.y - origin.y, mesh.box_center.z - origin.z};
    along = vec_dot(to_centre, dir);
  }
  if (along < 0) along = 0;
  const TVec3 mid{static_cast<float>(origin.x + dir.x * along), static_cast<float>(origin.y + dir.y * along),
                  static_cast<float>(origin.z + dir.z * along)};
  // The screen's upward direction in object space: the second row of the model-view turn.
  const double* mv = view.matrices.modelview_matrix;
  TVec3 up{static_cast<float>(mv[1]), static_cast<float>(mv[5]), static_cast<float>(mv[9])};
  vec_normalize(up);
  if (vec_length(up) == 0) return false;
  const int32_t* vp = view.matrices.viewport_rect;
  const double side = std::min(vp[2], vp[3]);
  double half = 0.125 * mesh.box_size;
  const double fit = 0.4 * PixelSpanAt(view.matrices, mid, side);
  if (fit > 0 && fit < half) half = fit;
  p0 = {static_cast<float>(mid.x - up.x * half), static_cast<float>(mid.y - up.y * half),
        static_cast<float>(mid.z - up.z * half)};
  p1 = {static_cast<float>(mid.x + up.x * half), static_cast<float>(mid.y + up.y * half),
        static_cast<float>(mid.z + up.z * half)};
  return true;
}

// Entry `dest` becomes the default source, placed in view (PlaceInView); when
// the view cannot tell, on the low-z face of the bounding box, halfway along
// x, from the low-y to the high-y edge.
void MakeDefaultSource(TFlowSourceTable& table, int32_t dest, const TMesh& mesh, bool paint, bool is_line,
                       const TFlowViewInfo& view) {
  TFlowSource s;
  s.is_line = is_line;
  if (!PlaceInView(mesh, view, s.p0, s.p1)) {
    s.p0 = {static_cast<float>((mesh.box_min[0] + mesh.box_max[0]) / 2), static_cast<float>(mesh.box_min[1]),
            static_cast<float>(mesh.box_min[2])};
    s.p1 = {s.p0.x, static_cast<float>(mesh.box_max[1]), s.p0.z};
  }
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
    MakeDefaultSource(table, table.source_count, mesh, paint, controls.is_line, view);
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
