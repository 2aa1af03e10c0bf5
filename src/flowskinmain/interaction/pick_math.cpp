#include "interaction/pick_math.h"

#include <cmath>
#include <limits>

#include "flow/view_unproject.h"

namespace {

struct TDVec {
  double x = 0, y = 0, z = 0;
};

TDVec D(const TVec3& v) { return {v.x, v.y, v.z}; }
TDVec Sub(const TDVec& a, const TDVec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
TDVec Add(const TDVec& a, const TDVec& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
TDVec Scale(const TDVec& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(const TDVec& a, const TDVec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Smaller root of a t^2 + b t + c = 0 when the discriminant is > 0, else kNoHit.
double NearRoot(double a, double b, double c) {
  const double disc = b * b - 4 * a * c;
  if (!(disc > 0) || a == 0) return kNoHit;
  return (-b - std::sqrt(disc)) / (2 * a);
}

// Whether every component fits a float.
bool FitsFloat(const TDVec& v) {
  const double m = std::numeric_limits<float>::max();
  return std::fabs(v.x) <= m && std::fabs(v.y) <= m && std::fabs(v.z) <= m;
}

TVec3 F(const TDVec& v) { return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)}; }

void Move(TVec3& p, const TDVec& delta) { p = F(Add(D(p), delta)); }

// Component k (0, 1, 2) of v.
float Component(const TVec3& v, int k) { return k == 0 ? v.x : k == 1 ? v.y : v.z; }

}  // namespace

bool UnprojectRay(const TStoredMatrices& m, int32_t panel_height, int32_t x, int32_t y, TRay& ray) {
  return UnprojectViewRay(m, panel_height, x, y, ray.origin, ray.direction);
}

double RaySphere(const TVec3& centre, double radius, const TRay& ray) {
  const TDVec d = D(ray.direction);
  const TDVec w = Sub(D(ray.origin), D(centre));
  return NearRoot(Dot(d, d), 2 * Dot(w, d), Dot(w, w) - radius * radius);
}

double RayCylinder(const TVec3& p0, const TVec3& p1, double radius, const TRay& ray) {
  const TDVec r = Sub(D(p1), D(p0));
  const double len = std::sqrt(Dot(r, r));
  if (len == 0) return kNoHit;
  const TDVec axis = Scale(r, 1 / len);
  const TDVec d = D(ray.direction);
  const TDVec w = Sub(D(ray.origin), D(p0));
  const TDVec dp = Sub(d, Scale(axis, Dot(d, axis)));
  const TDVec wp = Sub(w, Scale(axis, Dot(w, axis)));
  const double t = NearRoot(Dot(dp, dp), 2 * Dot(dp, wp), Dot(wp, wp) - radius * radius);
  if (t == kNoHit) return kNoHit;
  const double s = Dot(Add(w, Scale(d, t)), axis);
  return s >= 0 && s <= len ? t : kNoHit;
}

TPick PickSource(const TFlowSourceTable& table, const TRay& ray, const TPickSlack& slack) {
  TPick best;
  const double far = 1e10;
  best.t = far;
  auto consider = [&](int32_t source, int32_t handle, double t) {
    if (t < best.t && t > 0) best = {source, handle, t};
  };
  // Object length of the slack at point p; glyphs not yet drawn (radius 0) get none.
  auto widen = [&](double radius, const TVec3& p) {
    if (!slack.matrices || slack.pixels <= 0 || radius <= 0) return radius;
    return radius + PixelSpanAt(*slack.matrices, p, slack.pixels);
  };
  for (int32_t i = 1; i <= table.source_count && i <= kMaxFlowSources; ++i) {
    const TFlowSource& s = table.flow_sources[i];
    consider(i, 1, RaySphere(s.p0, widen(s.radius, s.p0), ray));
    if (!s.is_line) continue;
    consider(i, 2, RaySphere(s.p1, widen(s.radius, s.p1), ray));
    const TVec3 mid{(s.p0.x + s.p1.x) / 2, (s.p0.y + s.p1.y) / 2, (s.p0.z + s.p1.z) / 2};
    consider(i, 3, RayCylinder(s.p0, s.p1, widen(s.cyl_radius, mid), ray));
  }
  if (best.source == 0) best.t = kNoHit;
  return best;
}

void StartSourceDrag(TMouseState& mouse, const TRay& ray, double t) {
  mouse.drag_point = F(Add(D(ray.origin), Scale(D(ray.direction), t)));
  mouse.drag_ray = ray.direction;
}

TVec3 DragPlaneNormal(const TVec3& drag_ray, bool shift, int32_t& axis) {
  int k = 0;
  for (int j = 1; j < 3; ++j) {
    const double a = std::fabs(Component(drag_ray, j)), b = std::fabs(Component(drag_ray, k));
    if (shift ? a < b : a > b) k = j;
  }
  axis = k + 1;
  const float nk = Component(drag_ray, k);
  if (shift && std::fabs(nk) <= 0.0001) return drag_ray;
  TVec3 n;
  (k == 0 ? n.x : k == 1 ? n.y : n.z) = nk;
  return n;
}

void DragSource(TFlowSourceTable& table, TMouseState& mouse, const TRay& ray, bool shift) {
  if (!table.HasSelection()) return;
  const TDVec n = D(DragPlaneNormal(mouse.drag_ray, shift, mouse.drag_axis));
  const TDVec o = D(ray.origin), d = D(ray.direction), p = D(mouse.drag_point);
  const double denom = Dot(d, n);
  if (denom == 0) return;
  const TDVec q = Add(o, Scale(d, (Dot(p, n) - Dot(o, n)) / denom));
  if (!FitsFloat(q)) return;
  const TDVec delta = Sub(q, p);
  TFlowSource& s = table.flow_sources[table.selected_source];
  if (table.selected_handle == 1 || table.selected_handle == 3) Move(s.p0, delta);
  if (table.selected_handle == 2 || table.selected_handle == 3) Move(s.p1, delta);
  mouse.drag_point = F(q);
}

void DragSourceInDepth(TFlowSourceTable& table, TMouseState& mouse, const TStoredMatrices& matrices, int32_t dy) {
  int k = 0;
  for (int j = 1; j < 3; ++j)
    if (std::fabs(Component(mouse.drag_ray, j)) > std::fabs(Component(mouse.drag_ray, k))) k = j;
  mouse.drag_axis = k + 1;
  if (!table.HasSelection() || dy == 0) return;
  const double span = PixelSpanAt(matrices, mouse.drag_point, 1);
  const float nk = Component(mouse.drag_ray, k);
  if (!(span > 0) || nk == 0) return;
  // The grab ray points away from the viewer: along its sign is into the screen.
  const double step = -dy * span * (nk > 0 ? 1 : -1);
  TDVec delta;
  (k == 0 ? delta.x : k == 1 ? delta.y : delta.z) = step;
  const TDVec q = Add(D(mouse.drag_point), delta);
  if (!FitsFloat(q)) return;
  TFlowSource& s = table.flow_sources[table.selected_source];
  if (table.selected_handle == 1 || table.selected_handle == 3) Move(s.p0, delta);
  if (table.selected_handle == 2 || table.selected_handle == 3) Move(s.p1, delta);
  mouse.drag_point = F(q);
}
