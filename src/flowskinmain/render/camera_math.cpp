#include "render/camera_math.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <numbers>

TViewportRect MarginViewport(int32_t panel_w, int32_t panel_h, int32_t margin) {
  TViewportRect r;
  r.x = margin;
  r.y = margin;
  // A typed margin can be any 32-bit integer: the sizes are computed in 64 bits,
  // and a size that does not fit a viewport counts as none.
  const int64_t w = int64_t{panel_w} - 2 * int64_t{margin};
  const int64_t h = int64_t{panel_h} - 2 * int64_t{margin};
  const bool fits = w <= INT32_MAX && h <= INT32_MAX;
  r.width = fits && w > 0 ? static_cast<int32_t>(w) : 0;
  r.height = fits && h > 0 ? static_cast<int32_t>(h) : 0;
  return r;
}

int32_t WindowExtentFor(int32_t area, int32_t window, int32_t panel) {
  constexpr int64_t kMaxExtent = 16777215;
  const int64_t e = int64_t{area} + window - panel;
  return static_cast<int32_t>(e < 0 ? 0 : e > kMaxExtent ? kMaxExtent : e);
}

void ComputeProjection(TView& view, const TCameraControls& c, int32_t vp_w, int32_t vp_h) {
  view.isometric = c.iso;
  view.distance = view.size * c.foc_length / 35.0;
  const double k = view.isometric ? 1.0 : 0.05;
  const double aspect = static_cast<double>(vp_w) / vp_h;
  if (aspect > 1) {
    // Wider than tall: `size` fits the height, the width shows more.
    view.frustum_left = -k * view.size * aspect / 2;
    view.frustum_right = k * view.size * aspect / 2;
    view.frustum_bottom = -k * view.size / 2;
    view.frustum_top = k * view.size / 2;
  } else {
    // Square or taller than wide: `size` fits the width.
    view.frustum_left = -k * view.size / 2;
    view.frustum_right = k * view.size / 2;
    view.frustum_bottom = -k * view.size / (2 * aspect);
    view.frustum_top = k * view.size / (2 * aspect);
  }
  view.frustum_near = view.isometric ? 0.01 * view.distance : k * view.distance;
  view.frustum_far = 5 * view.distance;
}

void ResetView(const TMesh& mesh, TView& view) {
  view.center[0] = mesh.box_center.x;
  view.center[1] = mesh.box_center.y;
  view.center[2] = mesh.box_center.z;
  view.size = mesh.box_size;
  view.rot_y = 0;
  view.rot_x = 0;
  view.time = (mesh.time_count > 0 && !mesh.time_values.empty()) ? mesh.time_values[0] : 0;
}

const TAxisView* AxisViewNamed(const char* name) {
  for (const TAxisView& v : kAxisViews) {
    const char *a = v.name, *b = name;
    while (*a && *b && std::tolower(static_cast<unsigned char>(*a)) == std::tolower(static_cast<unsigned char>(*b))) {
      ++a;
      ++b;
    }
    if (*a == 0 && *b == 0) return &v;
  }
  return nullptr;
}

void LookAlong(const TMesh& mesh, TView& view, UpAxis up, const TAxisView& along) {
  view.center[0] = mesh.box_center.x;
  view.center[1] = mesh.box_center.y;
  view.center[2] = mesh.box_center.z;
  view.size = mesh.box_size;
  const double n = std::sqrt(along.dx * along.dx + along.dy * along.dy + along.dz * along.dz);
  if (n == 0) return;
  double x = along.dx / n, y = along.dy / n, z = along.dz / n;
  // Into the turntable's frame: the up-axis turn of the model-view matrix.
  if (up == UpAxis::X) {
    const double t = x;
    x = y;
    y = -t;
  } else if (up == UpAxis::Z) {
    const double t = y;
    y = z;
    z = -t;
  }
  // The turntable looks along (-cos(tilt) sin(turn), sin(tilt), -cos(tilt) cos(turn)).
  const double tilt = std::asin(std::clamp(y, -1.0, 1.0)) * 180 / std::numbers::pi;
  view.rot_x = std::clamp(tilt, -89.99, 89.99);
  view.rot_y = (std::abs(y) > 1 - 1e-12) ? 0 : std::atan2(-x, -z) * 180 / std::numbers::pi;
  if (view.rot_y == 0) view.rot_y = 0;  // no -0 in the remembered angles
}

int32_t TexSizeFor(int32_t pixels) {
  int32_t s = 1;
  while (s < pixels && s < (1 << 30)) s *= 2;
  return s;
}

void LightPosition(double a, double e, double d, bool directional, float out[4]) {
  out[0] = static_cast<float>(std::sin(a) * std::cos(e) * d);
  out[1] = static_cast<float>(std::sin(e) * d);
  out[2] = static_cast<float>(std::cos(a) * std::cos(e) * d);
  out[3] = directional ? 0.0f : 1.0f;
}

double DegToRad(double degrees) { return degrees * std::numbers::pi / 180.0; }

namespace {

// a := a * b for column-major 4 x 4 matrices.
void MultiplyInto(double a[16], const double b[16]) {
  double r[16];
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[4 * k + row] * b[4 * c + k];
      r[4 * c + row] = sum;
    }
  for (int i = 0; i < 16; ++i) a[i] = r[i];
}

void Translate(double m[16], double x, double y, double z) {
  const double t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
  MultiplyInto(m, t);
}

// Rotation by `degrees` about the x (axis 0) or y (1) or z (2) axis, as glRotate.
void Rotate(double m[16], double degrees, int axis) {
  const double a = DegToRad(degrees), c = std::cos(a), s = std::sin(a);
  double r[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const int i = (axis + 1) % 3, j = (axis + 2) % 3;  // the plane turned: (y, z), (z, x) or (x, y)
  r[4 * i + i] = c;
  r[4 * i + j] = s;
  r[4 * j + i] = -s;
  r[4 * j + j] = c;
  MultiplyInto(m, r);
}

}  // namespace

void TurntableModelview(const TView& view, UpAxis up, double out[16]) {
  const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) out[i] = identity[i];
  Translate(out, 0, 0, -view.distance);
  Rotate(out, -view.rot_x, 0);
  Rotate(out, -view.rot_y, 1);
  if (up == UpAxis::X) Rotate(out, -90, 2);
  if (up == UpAxis::Z) Rotate(out, -90, 0);
  Translate(out, -view.center[0], -view.center[1], -view.center[2]);
}

void ProjectionMatrixOf(const TView& v, double out[16]) {
  const double l = v.frustum_left, r = v.frustum_right, b = v.frustum_bottom, t = v.frustum_top;
  const double n = v.frustum_near, f = v.frustum_far;
  for (int i = 0; i < 16; ++i) out[i] = 0;
  if (r == l || t == b || f == n) return;
  if (v.isometric) {
    out[0] = 2 / (r - l);
    out[5] = 2 / (t - b);
    out[10] = -2 / (f - n);
    out[12] = -(r + l) / (r - l);
    out[13] = -(t + b) / (t - b);
    out[14] = -(f + n) / (f - n);
    out[15] = 1;
  } else {
    out[0] = 2 * n / (r - l);
    out[5] = 2 * n / (t - b);
    out[8] = (r + l) / (r - l);
    out[9] = (t + b) / (t - b);
    out[10] = -(f + n) / (f - n);
    out[11] = -1;
    out[14] = -2 * f * n / (f - n);
  }
}

void CameraMatricesOf(const TView& view, const TCameraControls& c, int32_t panel_w, int32_t panel_h,
                      TStoredMatrices& m) {
  TView v = view;
  const TViewportRect vp = MarginViewport(panel_w, panel_h, v.margin);
  ComputeProjection(v, c, vp.Empty() ? 1 : vp.width, vp.Empty() ? 1 : vp.height);
  TurntableModelview(v, c.up_axis, m.modelview_matrix);
  ProjectionMatrixOf(v, m.projection_matrix);
  m.viewport_rect[0] = vp.x;
  m.viewport_rect[1] = vp.y;
  m.viewport_rect[2] = vp.width;
  m.viewport_rect[3] = vp.height;
  LightPosition(DegToRad(c.lr_light), DegToRad(c.ud_light), v.distance, c.dir_light, m.light_position);
}
