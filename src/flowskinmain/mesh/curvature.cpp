#include "mesh/curvature.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRows = 150;  // rows of the design table
constexpr int kCoef = 7;    // A, B, C, D, E, F, G

// Working storage of one fit, reused for every vertex.
struct TFit {
  double design[kRows][kCoef];
  double rhs[kRows];
  int next = 0;  // next row to write (0-based)
  int32_t ring[kRows];
};

struct TFrame {
  TVec3 p, n, e1, e2;
};

// Writes the three equations of vertex `vn` (position and normal) into the
// next three rows; once the table is full the last three rows are rewritten.
void AddEquations(TFit& fit, const TFrame& fr, const TVertex& vn) {
  const TVec3 d{vn.pos.x - fr.p.x, vn.pos.y - fr.p.y, vn.pos.z - fr.p.z};
  const double u = vec_dot(d, fr.e1), v = vec_dot(d, fr.e2), w = vec_dot(d, fr.n);
  const double a = vec_dot(vn.normal, fr.e1), b = vec_dot(vn.normal, fr.e2);
  double g = vec_dot(vn.normal, fr.n);
  if (a == 0 && b == 0 && g == 0) g = 1;
  double* r0 = fit.design[fit.next];
  double* r1 = fit.design[fit.next + 1];
  double* r2 = fit.design[fit.next + 2];
  const double row0[kCoef] = {u * u / 2, u * v, v * v / 2, u * u * u, u * u * v, u * v * v, v * v * v};
  const double row1[kCoef] = {u, v, 0, 3 * u * u, 2 * u * v, v * v, 0};
  const double row2[kCoef] = {0, u, v, 0, u * u, 2 * u * v, 3 * v * v};
  std::copy(row0, row0 + kCoef, r0);
  std::copy(row1, row1 + kCoef, r1);
  std::copy(row2, row2 + kCoef, r2);
  fit.rhs[fit.next] = w;
  fit.rhs[fit.next + 1] = g == 0 ? 0 : -a / g;
  fit.rhs[fit.next + 2] = g == 0 ? 0 : -b / g;
  fit.next += 3;
  if (fit.next + 3 > kRows) fit.next -= 3;
}

bool InList(const int32_t* list, int n, int32_t x) { return std::find(list, list + n, x) != list + n; }

// Second ring: neighbours of neighbours that are not neighbours themselves, in
// slot order, at most 150 (the centre vertex passes the test once). Adds their
// equations and returns their number.
int AddSecondRing(TFit& fit, const TMesh& mesh, const TFrame& fr, const TVertex& c) {
  int count = 0;
  for (int32_t s = 0; s < c.nb_count; ++s) {
    const TVertex& n = mesh.vertices[c.nb[s]];
    for (int32_t t = 0; t < n.nb_count && count < kRows; ++t) {
      const int32_t e = n.nb[t];
      if (!InList(c.nb, c.nb_count, e) && !InList(fit.ring, count, e)) fit.ring[count++] = e;
    }
  }
  for (int k = 0; k < count; ++k) AddEquations(fit, fr, mesh.vertices[fit.ring[k]]);
  return count;
}

// Solves M x = r by Cholesky decomposition; a non-positive pivot is taken as 1.
void SolveCholesky(const double m[kCoef][kCoef], const double r[kCoef], double x[kCoef]) {
  double l[kCoef][kCoef] = {};
  for (int i = 0; i < kCoef; ++i) {
    double s = m[i][i];
    for (int k = 0; k < i; ++k) s -= l[i][k] * l[i][k];
    l[i][i] = s > 0 ? std::sqrt(s) : 1;
    for (int j = i + 1; j < kCoef; ++j) {
      double t = m[i][j];
      for (int k = 0; k < i; ++k) t -= l[i][k] * l[j][k];
      l[j][i] = t / l[i][i];
    }
  }
  double y[kCoef];
  for (int i = 0; i < kCoef; ++i) {
    double t = r[i];
    for (int k = 0; k < i; ++k) t -= l[i][k] * y[k];
    y[i] = t / l[i][i];
  }
  for (int i = kCoef - 1; i >= 0; --i) {
    double t = y[i];
    for (int k = i + 1; k < kCoef; ++k) t -= l[k][i] * x[k];
    x[i] = t / l[i][i];
  }
}

// Solution of the normal equations over the first `rows` rows of the table.
void SolveFit(const TFit& fit, int rows, double coef[kCoef]) {
  double m[kCoef][kCoef] = {}, r[kCoef] = {};
  for (int row = 0; row < rows; ++row) {
    const double* d = fit.design[row];
    for (int i = 0; i < kCoef; ++i) {
      if (d[i] == 0) continue;
      for (int j = i; j < kCoef; ++j) m[i][j] += d[i] * d[j];
      r[i] += d[i] * fit.rhs[row];
    }
  }
  for (int i = 0; i < kCoef; ++i)
    for (int j = 0; j < i; ++j) m[i][j] = m[j][i];
  SolveCholesky(m, r, coef);
}

// Unit direction of the eigenvector (B, k - A), signed so that the cubic form
// along it is not negative.
TVec3 PrincipalDirection(const double c[kCoef], double k, const TFrame& fr) {
  double p = c[1], q = k - c[0];
  if (c[3] * p * p * p + c[4] * p * p * q + c[5] * p * q * q + c[6] * q * q * q < 0) {
    p = -p;
    q = -q;
  }
  TVec3 d{static_cast<float>(fr.e1.x * p + fr.e2.x * q), static_cast<float>(fr.e1.y * p + fr.e2.y * q),
          static_cast<float>(fr.e1.z * p + fr.e2.z * q)};
  vec_normalize(d);
  return d;
}

void SetFrame(TVertex& v) {
  vec_cross(v.normal, TVec3{0, 1, 0}, v.e1);
  if (vec_length(v.e1) == 0) vec_cross(v.normal, TVec3{0, 0, 1}, v.e1);
  vec_normalize(v.e1);
  vec_cross(v.normal, v.e1, v.e2);
  vec_normalize(v.e2);
}

void FitVertex(TFit& fit, TMesh& mesh, int32_t ci, bool use_neighbors) {
  TVertex& c = mesh.vertices[ci];
  const TFrame fr{c.pos, c.normal, c.e1, c.e2};
  int rows = std::min(3 * c.nb_count, kRows);
  fit.next = 0;
  for (int32_t s = 0; s < c.nb_count; ++s) AddEquations(fit, fr, mesh.vertices[c.nb[s]]);
  if (use_neighbors) rows = std::min(rows + 3 * AddSecondRing(fit, mesh, fr, c), kRows);
  double coef[kCoef];
  SolveFit(fit, rows, coef);
  const double a = coef[0], b = coef[1], cc = coef[2];
  const double h = a + cc;
  const double l = std::sqrt(std::max(0.0, h * h - 4 * (a * cc - b * b)));
  c.kmax = (h + l) / 2;
  c.kmin = (h - l) / 2;
  c.dir_max = c.dir_max0 = PrincipalDirection(coef, c.kmax, fr);
  c.dir_min = c.dir_min0 = PrincipalDirection(coef, c.kmin, fr);
}

}  // namespace

void ComputeCurvature(TMesh& mesh, const TCurvatureOptions& opt) {
  TFit fit;
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    TVertex& v = mesh.vertices[i];
    SetFrame(v);
    if (v.nb_count >= 3) FitVertex(fit, mesh, i, opt.use_neighbors);
  }
}

void NormalizeCurvature(TMesh& mesh) {
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    mesh.vertices[i].kmax *= mesh.box_size;
    mesh.vertices[i].kmin *= mesh.box_size;
  }
}
