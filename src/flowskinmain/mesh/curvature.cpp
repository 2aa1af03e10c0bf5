#include "mesh/curvature.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "mesh/double_lanes.h"
#include "mesh/parallel_array.h"
#include "mesh/parallel_for.h"
#include "mesh/record_prefetch.h"

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
// slot order, at most 150 (the centre vertex passes the test once). Stores
// them in fit.ring and returns their number.
int CollectSecondRing(TFit& fit, const TMesh& mesh, const TVertex& c) {
  int count = 0;
  for (int32_t s = 0; s < c.nb_count; ++s) {
    const TVertex& n = mesh.vertices[c.nb[s]];
    for (int32_t t = 0; t < n.nb_count && count < kRows; ++t) {
      const int32_t e = n.nb[t];
      if (!InList(c.nb, c.nb_count, e) && !InList(fit.ring, count, e)) fit.ring[count++] = e;
    }
  }
  return count;
}

// Normal equations of one vertex (upper and lower triangle filled).
struct TSystem {
  double m[kCoef][kCoef];
  double r[kCoef];
  int32_t vertex;
};

// Sets lane n of v to f(n) for every lane.
template <class V, class F>
[[gnu::always_inline]] inline void Gather(V& v, F f) {
  for (int n = 0; n < kLaneCount<V>; ++n) v[n] = f(n);
}

// Solves M x = r of W systems (W lanes of V) by Cholesky decomposition, one
// per lane; a non-positive pivot is taken as 1. A pivot that is positive only
// by rounding (at most 1e-12 of its diagonal entry: the column depends on the
// previous ones) counts as non-positive too; dividing by its root would blow
// the coefficients up. The G W solves run side by side (G groups of W lanes)
// so that the long chains of dependent operations of each overlap with the
// others'; each lane computes exactly what a single solve does.
template <class V, int G>
[[gnu::always_inline]] inline void SolveCholesky(const TSystem* sys, double (*x)[kCoef]) {
  constexpr int W = kLaneCount<V>;
  const V one = V{} + 1;
  V l[kCoef][kCoef][G], inv[kCoef][G];  // inv = 1 / l[i][i]
  for (int i = 0; i < kCoef; ++i) {
    for (int g = 0; g < G; ++g) {
      const TSystem* sg = sys + W * g;
      V s{};
      Gather(s, [&](int n) { return sg[n].m[i][i]; });
      for (int k = 0; k < i; ++k) s -= l[i][k][g] * l[i][k][g];
      Gather(l[i][i][g], [&](int n) { return s[n] > 1e-12 * sg[n].m[i][i] ? std::sqrt(s[n]) : 1.0; });
      inv[i][g] = one / l[i][i][g];
    }
    for (int j = i + 1; j < kCoef; ++j)
      for (int g = 0; g < G; ++g) {
        V t{};
        Gather(t, [&](int n) { return sys[W * g + n].m[i][j]; });
        for (int k = 0; k < i; ++k) t -= l[i][k][g] * l[j][k][g];
        l[j][i][g] = t * inv[i][g];
      }
  }
  V y[kCoef][G];
  for (int i = 0; i < kCoef; ++i)
    for (int g = 0; g < G; ++g) {
      V t{};
      Gather(t, [&](int n) { return sys[W * g + n].r[i]; });
      for (int k = 0; k < i; ++k) t -= l[i][k][g] * y[k][g];
      y[i][g] = t * inv[i][g];
    }
  V sol[kCoef][G];
  for (int i = kCoef - 1; i >= 0; --i)
    for (int g = 0; g < G; ++g) {
      V t = y[i][g];
      for (int k = i + 1; k < kCoef; ++k) t -= l[k][i][g] * sol[k][g];
      sol[i][g] = t * inv[i][g];
    }
  for (int g = 0; g < G; ++g)
    for (int n = 0; n < W; ++n)
      for (int i = 0; i < kCoef; ++i) x[W * g + n][i] = sol[i][g][n];
}

// Solution of the normal equations over the first `rows` rows of the table.
void SolveFit(const TFit& fit, int rows, double (*coef)[kCoef]) {
  TSystem sys{};
  for (int row = 0; row < rows; ++row) {
    const double* d = fit.design[row];
    for (int i = 0; i < kCoef; ++i) {
      if (d[i] == 0) continue;
      for (int j = i; j < kCoef; ++j) sys.m[i][j] += d[i] * d[j];
      sys.r[i] += d[i] * fit.rhs[row];
    }
  }
  for (int i = 0; i < kCoef; ++i)
    for (int j = 0; j < i; ++j) sys.m[i][j] = sys.m[j][i];
  const TSystem both[2] = {sys, sys};  // both lanes solve the same system
  double solution[2][kCoef];
  SolveCholesky<TLanes, 1>(both, solution);
  std::copy(solution[0], solution[0] + kCoef, coef[0]);
}

// Unit directions of the eigenvectors (B, k - A) for k = kmax and k = kmin,
// each signed so that the cubic form along it is not negative; the two are
// computed in the two lanes.
void PrincipalDirections(const double c[kCoef], double kmax, double kmin, const TFrame& fr, TVec3& dir_max,
                         TVec3& dir_min) {
  const TLanes zero = {0, 0}, one = {1, 1};
  TLanes p = Lanes(c[1], c[1]), q = Lanes(kmax - c[0], kmin - c[0]);
  const auto negative = c[3] * p * p * p + c[4] * p * p * q + c[5] * p * q * q + c[6] * q * q * q < zero;
  p = negative ? -p : p;
  q = negative ? -q : q;
  const TLanes x = fr.e1.x * p + fr.e2.x * q, y = fr.e1.y * p + fr.e2.y * q, z = fr.e1.z * p + fr.e2.z * q;
  const TLanes len = LaneSqrt(x * x + y * y + z * z);
  const auto nonzero = len > zero;
  const TLanes s = nonzero ? one / (nonzero ? len : one) : zero;
  dir_max = TVec3{static_cast<float>(x[0] * s[0]), static_cast<float>(y[0] * s[0]), static_cast<float>(z[0] * s[0])};
  dir_min = TVec3{static_cast<float>(x[1] * s[1]), static_cast<float>(y[1] * s[1]), static_cast<float>(z[1] * s[1])};
}

// out := normalise(a x b), computed in double; a zero result stays zero.
inline void UnitCross(const TVec3& a, double bx, double by, double bz, TVec3& out) {
  const double x = a.y * bz - a.z * by, y = a.z * bx - a.x * bz, z = a.x * by - a.y * bx;
  const double len = std::sqrt(x * x + y * y + z * z);
  const double k = len > 0 ? 1 / len : 0;
  out = TVec3{static_cast<float>(x * k), static_cast<float>(y * k), static_cast<float>(z * k)};
}

// e1 := normal x (0,1,0), or normal x (0,0,1) when that is exactly zero, made unit;
// e2 := normal x e1, made unit.
void SetFrame(TVertex& v) {
  const TVec3& n = v.normal;
  if (n.z == 0 && n.x == 0) {
    UnitCross(n, 0, 0, 1, v.e1);
  } else {
    UnitCross(n, 0, 1, 0, v.e1);
  }
  UnitCross(n, v.e1.x, v.e1.y, v.e1.z, v.e2);
}

// Entries of the second and third equation rows that are always zero.
constexpr bool kUsed1[kCoef] = {true, true, false, true, true, true, false};
constexpr bool kUsed2[kCoef] = {false, true, true, false, true, true, true};

// Adds the three equation rows of one vertex (right-hand sides w0, w1, w2) to
// the upper triangle of the normal equations, skipping the products with the
// rows' fixed zeros.
template <typename T>
[[gnu::always_inline]] inline void Accumulate(T m[kCoef][kCoef], T r[kCoef], const T r0[kCoef], const T r1[kCoef],
                                              const T r2[kCoef], const T& w0, const T& w1, const T& w2) {
#pragma GCC unroll 8
  for (int i = 0; i < kCoef; ++i) {
#pragma GCC unroll 8
    for (int j = i; j < kCoef; ++j) {
      T t = r0[i] * r0[j];
      if (kUsed1[i] && kUsed1[j]) t += r1[i] * r1[j];
      if (kUsed2[i] && kUsed2[j]) t += r2[i] * r2[j];
      m[i][j] += t;
    }
    T t = r0[i] * w0;
    if (kUsed1[i]) t += r1[i] * w1;
    if (kUsed2[i]) t += r2[i] * w2;
    r[i] += t;
  }
}

// Position and normal of a vertex, copied into a compact array for the fit:
// neighbours lie far apart in the vertex array, and their small copies stay in
// cache while the fit sweeps over the vertices.
struct TPointNormal {
  TVec3 pos, normal;
};

// A fit waiting for its solve: `list` holds the vertices whose equations
// enter it (neighbours, then the second ring), `frame` the local frame of the
// vertex.
struct TPendingFit {
  TFrame frame;
  int32_t vertex;
  int count;
  int32_t list[kRows / 3];
};

// Normal equations of W fits set up together (W lanes of V), one per lane,
// into sys[0 .. W-1]. Shorter lists are padded with their centre vertex,
// whose rows are all zero (d = 0) and leave the sums unchanged.
template <class V>
[[gnu::always_inline]] inline void AddNormalEquations(const TParallelArray<TPointNormal>& pn, const TPendingFit* fit,
                                                      TSystem* sys) {
  constexpr int W = kLaneCount<V>;
  V px{}, py{}, pz{}, e1x{}, e1y{}, e1z{}, e2x{}, e2y{}, e2z{}, nx0{}, ny0{}, nz0{};
  for (int n = 0; n < W; ++n) {
    const TFrame& f = fit[n].frame;
    px[n] = f.p.x, py[n] = f.p.y, pz[n] = f.p.z;
    e1x[n] = f.e1.x, e1y[n] = f.e1.y, e1z[n] = f.e1.z;
    e2x[n] = f.e2.x, e2y[n] = f.e2.y, e2z[n] = f.e2.z;
    nx0[n] = f.n.x, ny0[n] = f.n.y, nz0[n] = f.n.z;
  }
  const V zero = V{}, one = zero + 1;
  V m[kCoef][kCoef], r[kCoef];
  for (int i = 0; i < kCoef; ++i) {
    r[i] = zero;
    for (int j = i; j < kCoef; ++j) m[i][j] = zero;
  }
  int count = 0;
  for (int n = 0; n < W; ++n) count = std::max(count, fit[n].count);
  for (int k = 0; k < count; ++k) {
    const TPointNormal* q[W];
    for (int n = 0; n < W; ++n) q[n] = &pn[k < fit[n].count ? fit[n].list[k] : fit[n].vertex];
    V qx{}, qy{}, qz{}, nx{}, ny{}, nz{};
    for (int n = 0; n < W; ++n) {
      qx[n] = q[n]->pos.x, qy[n] = q[n]->pos.y, qz[n] = q[n]->pos.z;
      nx[n] = q[n]->normal.x, ny[n] = q[n]->normal.y, nz[n] = q[n]->normal.z;
    }
    const V dx = qx - px, dy = qy - py, dz = qz - pz;
    const V u = dx * e1x + dy * e1y + dz * e1z;
    const V v = dx * e2x + dy * e2y + dz * e2z;
    const V w = dx * nx0 + dy * ny0 + dz * nz0;
    const V a = nx * e1x + ny * e1y + nz * e1z;
    const V b = nx * e2x + ny * e2y + nz * e2z;
    V g = nx * nx0 + ny * ny0 + nz * nz0;
    g = ((a == zero) & (b == zero) & (g == zero)) ? one : g;
    // -1 / g, or 0 where g is exactly 0 (no division by zero in any lane)
    const V minus_inv_g = g == zero ? zero : -one / (g == zero ? one : g);
    const V row0[kCoef] = {u * u / 2, u * v, v * v / 2, u * u * u, u * u * v, u * v * v, v * v * v};
    const V row1[kCoef] = {u, v, zero, 3 * u * u, 2 * u * v, v * v, zero};
    const V row2[kCoef] = {zero, u, v, zero, u * u, 2 * u * v, 3 * v * v};
    Accumulate(m, r, row0, row1, row2, w, a * minus_inv_g, b * minus_inv_g);
  }
  for (int n = 0; n < W; ++n) {
    TSystem& s = sys[n];
    s.vertex = fit[n].vertex;
    for (int i = 0; i < kCoef; ++i) {
      s.r[i] = r[i][n];
      for (int j = i; j < kCoef; ++j) s.m[i][j] = s.m[j][i] = m[i][j][n];
    }
  }
}

// The fit is usable when every coefficient is finite and below 1e100 (a
// curvature of 1e100 is far below the resolution of single-precision
// positions); this bound also keeps the products below from overflowing.
bool PlausibleFit(const double coef[kCoef]) {
  for (int i = 0; i < kCoef; ++i)
    if (!(std::fabs(coef[i]) <= 1e100)) return false;
  return true;
}

// Curvatures and directions of vertex c from the fitted coefficients.
void FinishVertex(TVertex& c, const double coef[kCoef]) {
  if (!PlausibleFit(coef)) {
    // A degenerate neighbourhood (points orders of magnitude apart, normals
    // nearly in the tangent plane) can give coefficients that mean nothing
    // and would turn into infinities below: no curvature at this vertex.
    c.kmax = c.kmin = 0;
    c.dir_max = c.dir_max0 = c.dir_min = c.dir_min0 = TVec3{};
    return;
  }
  const TFrame fr{c.pos, c.normal, c.e1, c.e2};
  const double a = coef[0], b = coef[1], cc = coef[2];
  const double h = a + cc;
  const double l = std::sqrt(std::max(0.0, h * h - 4 * (a * cc - b * b)));
  c.kmax = (h + l) / 2;
  c.kmin = (h - l) / 2;
  PrincipalDirections(coef, c.kmax, c.kmin, fr, c.dir_max, c.dir_min);
  c.dir_max0 = c.dir_max;
  c.dir_min0 = c.dir_min;
}

// Sets up the fit of vertex ci. Usually the frame and the list of vertices
// whose equations enter the fit go into `pending` for a later solve and the
// result is true; when the second ring overflows the row table the fit is
// solved and finished here and the result is false.
bool SetUpFit(TFit& fit, TMesh& mesh, int32_t ci, bool use_neighbors, TPendingFit& pending) {
  TVertex& c = mesh.vertices[ci];
  const TFrame fr{c.pos, c.normal, c.e1, c.e2};
  const int ring = use_neighbors ? CollectSecondRing(fit, mesh, c) : 0;
  if (3 * (c.nb_count + ring) > kRows) {
    // The table overflows: its last three rows are overwritten in turn, so the
    // rows are written out as they are kept.
    fit.next = 0;
    for (int32_t s = 0; s < c.nb_count; ++s) AddEquations(fit, fr, mesh.vertices[c.nb[s]]);
    for (int k = 0; k < ring; ++k) AddEquations(fit, fr, mesh.vertices[fit.ring[k]]);
    double coef[1][kCoef];
    SolveFit(fit, std::min(std::min(3 * c.nb_count, kRows) + 3 * ring, kRows), coef);
    FinishVertex(c, coef[0]);
    return false;
  }
  pending.frame = fr;
  pending.vertex = ci;
  pending.count = c.nb_count + ring;
  for (int32_t s = 0; s < c.nb_count; ++s) pending.list[s] = c.nb[s];
  for (int k = 0; k < ring; ++k) pending.list[c.nb_count + k] = fit.ring[k];
  return true;
}

// The fits of a batch: 2 W of them, set up W at a time (W lanes of V) and
// solved side by side.
template <class V>
constexpr int kBatch = 2 * kLaneCount<V>;

// Normal equations, solution and results of a batch of pending fits, of which
// the first `used` are stored.
template <class V>
[[gnu::always_inline]] inline void SolveBatch(TMesh& mesh, const TParallelArray<TPointNormal>& pn,
                                              const TPendingFit* pending, int used) {
  constexpr int W = kLaneCount<V>;
  TSystem sys[2 * W];
  double coef[2 * W][kCoef];
  AddNormalEquations<V>(pn, pending, sys);
  AddNormalEquations<V>(pn, pending + W, sys + W);
  SolveCholesky<V, 2>(sys, coef);
  for (int k = 0; k < used; ++k) FinishVertex(mesh.vertices[sys[k].vertex], coef[k]);
}

// Vertices [begin, end) of ComputeCurvature with their own fit table, the
// fits solved in batches on lanes of V.
template <class V>
[[gnu::always_inline]] inline void CurvatureRange(TMesh& mesh, const TParallelArray<TPointNormal>& pn,
                                                  bool use_neighbors, int32_t begin, int32_t end) {
  constexpr int kFits = kBatch<V>;
  TFit fit;
  TVertex* vs = mesh.vertices.data();
  TPendingFit pending[kFits];
  int count = 0;
  for (int32_t i = begin; i < end; ++i) {
    if (i + kPrefetchAhead < end) {
      // the fields read and written below: pos .. e2, nb, kmax .. dir_min0
      TVertex& ahead = vs[i + kPrefetchAhead];
      PrefetchWrite(&ahead.pos);
      PrefetchWrite(&ahead.e2);
      PrefetchRead(&ahead.nb[kMaxAdjacent - 1]);
      PrefetchWrite(&ahead.kmax);
      PrefetchWrite(&ahead.dir_min0);
    }
    TVertex& v = vs[i];
    SetFrame(v);
    if (v.nb_count < 3 || !SetUpFit(fit, mesh, i, use_neighbors, pending[count])) continue;
    if (++count < kFits) continue;
    SolveBatch<V>(mesh, pn, pending, kFits);
    count = 0;
  }
  if (count > 0) {
    for (int k = count; k < kFits; ++k) pending[k] = pending[0];  // repeats; only the first `count` are stored
    SolveBatch<V>(mesh, pn, pending, count);
  }
}

void CurvatureRange2(TMesh& mesh, const TParallelArray<TPointNormal>& pn, bool use_neighbors, int32_t begin,
                     int32_t end) {
  CurvatureRange<TLanes>(mesh, pn, use_neighbors, begin, end);
}

// The same on four lanes, compiled for 256-bit registers; called only where
// WideLanes() says the machine has them.
[[gnu::target("avx2")]] void CurvatureRange4(TMesh& mesh, const TParallelArray<TPointNormal>& pn, bool use_neighbors,
                                             int32_t begin, int32_t end) {
  CurvatureRange<TLanes4>(mesh, pn, use_neighbors, begin, end);
}

}  // namespace

// A vertex's fit reads only the positions and normals of its neighbours and
// writes only its own record, and the lanes of a solve do not mix, so the
// vertices are split over the threads with the same results.
void ComputeCurvature(TMesh& mesh, const TCurvatureOptions& opt) {
  const int32_t n = mesh.vertex_count;
  TVertex* vs = mesh.vertices.data();
  auto pn = TParallelArray<TPointNormal>::ForOverwrite(static_cast<size_t>(std::max(n, 0)));  // all copied below
  ParallelFor(static_cast<size_t>(std::max(n, 0)), 8192, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      if (i + kPrefetchAhead < end) PrefetchRead(&vs[i + kPrefetchAhead].pos);  // with normal
      pn[i] = TPointNormal{vs[i].pos, vs[i].normal};
    }
  });
  // Chunks taken in turn: a load builds its strips on a core of their own
  // meanwhile, and the other threads make up for the one that shares it.
  const auto range = WideLanes() ? CurvatureRange4 : CurvatureRange2;
  ParallelForChunks(static_cast<size_t>(std::max(n, 0)), 16384, [&](size_t begin, size_t end) {
    range(mesh, pn, opt.use_neighbors, static_cast<int32_t>(begin), static_cast<int32_t>(end));
  });
}

void NormalizeCurvature(TMesh& mesh) {
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    mesh.vertices[i].kmax *= mesh.box_size;
    mesh.vertices[i].kmin *= mesh.box_size;
  }
}
