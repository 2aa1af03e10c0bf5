#include "flow/view_unproject.h"

#include <cmath>
#include <utility>

namespace {

// out := a * b for column-major 4x4 matrices.
void MultiplyMatrices(const double a[16], const double b[16], double out[16]) {
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
      out[col * 4 + row] = sum;
    }
  }
}

// Inverse of a 4x4 matrix by Gauss-Jordan elimination with partial pivoting.
// Returns false when a pivot is zero (the matrix is singular).
bool InvertMatrix(const double in[16], double out[16]) {
  double a[4][8];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      a[r][c] = in[c * 4 + r];
      a[r][c + 4] = r == c ? 1 : 0;
    }
  }
  for (int c = 0; c < 4; ++c) {
    int pivot = c;
    for (int r = c + 1; r < 4; ++r) {
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    }
    if (a[pivot][c] == 0) return false;
    if (pivot != c) {
      for (int k = 0; k < 8; ++k) std::swap(a[c][k], a[pivot][k]);
    }
    const double inv = 1.0 / a[c][c];
    for (int k = 0; k < 8; ++k) a[c][k] *= inv;
    for (int r = 0; r < 4; ++r) {
      if (r == c || a[r][c] == 0) continue;
      const double f = a[r][c];
      for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
    }
  }
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) out[c * 4 + r] = a[r][c + 4];
  }
  return true;
}

}  // namespace

bool UnprojectWindowPoint(double win_x, double win_y, double win_z, const TStoredMatrices& m, double out[3]) {
  const int32_t* vp = m.viewport_rect;
  if (vp[2] == 0 || vp[3] == 0) return false;
  double pm[16], inv[16];
  MultiplyMatrices(m.projection_matrix, m.modelview_matrix, pm);
  if (!InvertMatrix(pm, inv)) return false;
  const double ndc[4] = {2 * (win_x - vp[0]) / vp[2] - 1, 2 * (win_y - vp[1]) / vp[3] - 1, 2 * win_z - 1, 1};
  double obj[4];
  for (int row = 0; row < 4; ++row) {
    obj[row] = 0;
    for (int k = 0; k < 4; ++k) obj[row] += inv[k * 4 + row] * ndc[k];
  }
  if (obj[3] == 0) return false;
  for (int i = 0; i < 3; ++i) out[i] = obj[i] / obj[3];
  return true;
}

bool ProjectObjectPoint(const double obj[3], const TStoredMatrices& m, double win[3]) {
  double pm[16];
  MultiplyMatrices(m.projection_matrix, m.modelview_matrix, pm);
  double clip[4];
  for (int row = 0; row < 4; ++row) {
    clip[row] = pm[12 + row];
    for (int k = 0; k < 3; ++k) clip[row] += pm[k * 4 + row] * obj[k];
  }
  if (clip[3] == 0) return false;
  const int32_t* vp = m.viewport_rect;
  win[0] = vp[0] + vp[2] * (clip[0] / clip[3] + 1) / 2;
  win[1] = vp[1] + vp[3] * (clip[1] / clip[3] + 1) / 2;
  win[2] = (clip[2] / clip[3] + 1) / 2;
  return true;
}

bool UnprojectViewRay(const TStoredMatrices& m, int32_t panel_height, int32_t x, int32_t y, TVec3& origin,
                      TVec3& direction) {
  vec_zero(origin);
  vec_zero(direction);
  const double wy = static_cast<double>(panel_height) - y;
  double a[3], b[3];
  if (!UnprojectWindowPoint(x, wy, 0.1, m, a) || !UnprojectWindowPoint(x, wy, 0.2, m, b)) return false;
  origin = {static_cast<float>(a[0]), static_cast<float>(a[1]), static_cast<float>(a[2])};
  direction = {static_cast<float>(b[0] - a[0]), static_cast<float>(b[1] - a[1]), static_cast<float>(b[2] - a[2])};
  return true;
}

double PixelSpanAt(const TStoredMatrices& m, const TVec3& p, double pixels) {
  const double obj[3] = {p.x, p.y, p.z};
  double win[3], a[3], b[3];
  if (!ProjectObjectPoint(obj, m, win)) return 0;
  if (!UnprojectWindowPoint(win[0], win[1], win[2], m, a)) return 0;
  if (!UnprojectWindowPoint(win[0] + pixels, win[1], win[2], m, b)) return 0;
  const double dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}
