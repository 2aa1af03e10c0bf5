#include "mesh/ray_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct TD3 {
  double x, y, z;
};
TD3 D(const TVec3& v) { return {v.x, v.y, v.z}; }
TD3 Sub(const TD3& a, const TD3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
TD3 Cross(const TD3& a, const TD3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(const TD3& a, const TD3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double At(const TD3& v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }

}  // namespace

TRayHit RayFace(const TMesh& mesh, int32_t face, const TVec3& origin, const TVec3& direction) {
  const TFace& f = mesh.faces[face];
  const TD3 p0 = D(mesh.vertices[f.v[0]].pos), e1 = Sub(D(mesh.vertices[f.v[1]].pos), p0),
            e2 = Sub(D(mesh.vertices[f.v[2]].pos), p0), d = D(direction);
  const TD3 p = Cross(d, e2);
  const double det = Dot(e1, p);
  TRayHit hit;
  if (std::fabs(det) < 1e-300) return hit;
  const TD3 s = Sub(D(origin), p0);
  const double w1 = Dot(s, p) / det;
  if (w1 < 0 || w1 > 1) return hit;
  const TD3 q = Cross(s, e1);
  const double w2 = Dot(d, q) / det;
  if (w2 < 0 || w1 + w2 > 1) return hit;
  const double t = Dot(e2, q) / det;
  if (!(t >= 0)) return hit;
  return {face, t, w1, w2};
}

void TRayGrid::Clear() {
  cell_start_.clear();
  faces_.clear();
}

void TRayGrid::Build(const TMesh& mesh) {
  Clear();
  const size_t nf = static_cast<size_t>(mesh.face_count);
  if (nf == 0) return;
  double lo[3], hi[3];
  for (int i = 0; i < 3; ++i) lo[i] = std::numeric_limits<double>::max(), hi[i] = -lo[i];
  for (int32_t v = 0; v < mesh.vertex_count; ++v) {
    const TD3 p = D(mesh.vertices[v].pos);
    for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], At(p, i)), hi[i] = std::max(hi[i], At(p, i));
  }
  // About two faces a cell, the cells as near cubes as the box allows; a flat
  // box gets one cell across its thin side.
  double extent[3], volume = 1;
  const double diagonal = std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]);
  for (int i = 0; i < 3; ++i) {
    extent[i] = std::max(hi[i] - lo[i], diagonal * 1e-3 + 1e-30);
    volume *= extent[i];
  }
  const double edge = std::cbrt(volume / (static_cast<double>(nf) / 2));
  for (int i = 0; i < 3; ++i) {
    n_[i] = static_cast<int32_t>(std::clamp(std::ceil(extent[i] / edge), 1.0, 1024.0));
    lo_[i] = lo[i] - extent[i] * 1e-6;
    size_[i] = extent[i] * (1 + 2e-6) / n_[i];
  }
  const size_t cells = static_cast<size_t>(n_[0]) * n_[1] * n_[2];
  auto range = [&](int32_t face, int32_t c0[3], int32_t c1[3]) {
    const TFace& f = mesh.faces[face];
    for (int i = 0; i < 3; ++i) {
      double a = std::numeric_limits<double>::max(), b = -a;
      for (int k = 0; k < 3; ++k) {
        const double x = At(D(mesh.vertices[f.v[k]].pos), i);
        a = std::min(a, x), b = std::max(b, x);
      }
      c0[i] = std::clamp(static_cast<int32_t>((a - lo_[i]) / size_[i]), 0, n_[i] - 1);
      c1[i] = std::clamp(static_cast<int32_t>((b - lo_[i]) / size_[i]), 0, n_[i] - 1);
    }
  };
  // Two passes: count the faces of every cell, then place them.
  cell_start_.assign(cells + 1, 0);
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<int32_t> fill;
    if (pass == 1) {
      for (size_t c = 0; c < cells; ++c) cell_start_[c + 1] += cell_start_[c];
      faces_.resize(static_cast<size_t>(cell_start_[cells]));
      fill.assign(cell_start_.begin(), cell_start_.end() - 1);
    }
    for (int32_t face = 0; face < mesh.face_count; ++face) {
      int32_t c0[3], c1[3];
      range(face, c0, c1);
      for (int32_t z = c0[2]; z <= c1[2]; ++z)
        for (int32_t y = c0[1]; y <= c1[1]; ++y)
          for (int32_t x = c0[0]; x <= c1[0]; ++x) {
            const size_t c = (static_cast<size_t>(z) * n_[1] + y) * n_[0] + x;
            if (pass == 0)
              ++cell_start_[c + 1];
            else
              faces_[static_cast<size_t>(fill[c]++)] = face;
          }
    }
  }
}

// The cells the ray passes, in order (a 3-D digital line walk); in each, the
// nearest face met inside the cell's stretch of the ray ends the walk.
TRayHit TRayGrid::FirstHit(const TMesh& mesh, const TVec3& origin, const TVec3& direction) const {
  TRayHit best;
  if (!Built()) return best;
  const TD3 o = D(origin), d = D(direction);
  // The stretch of the ray inside the grid's box.
  double t0 = 0, t1 = std::numeric_limits<double>::max();
  for (int i = 0; i < 3; ++i) {
    const double oi = At(o, i), di = At(d, i), a = lo_[i], b = lo_[i] + size_[i] * n_[i];
    if (di == 0) {
      if (oi < a || oi > b) return best;
      continue;
    }
    double ta = (a - oi) / di, tb = (b - oi) / di;
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta), t1 = std::min(t1, tb);
  }
  if (t0 > t1) return best;
  int32_t cell[3], step[3];
  double next[3], delta[3];
  for (int i = 0; i < 3; ++i) {
    const double oi = At(o, i), di = At(d, i), x = oi + di * t0;
    cell[i] = std::clamp(static_cast<int32_t>((x - lo_[i]) / size_[i]), 0, n_[i] - 1);
    step[i] = di > 0 ? 1 : di < 0 ? -1 : 0;
    const double boundary = lo_[i] + size_[i] * (cell[i] + (di > 0 ? 1 : 0));
    next[i] = di == 0 ? std::numeric_limits<double>::max() : (boundary - oi) / di;
    delta[i] = di == 0 ? std::numeric_limits<double>::max() : size_[i] / std::fabs(di);
  }
  for (;;) {
    const size_t c = (static_cast<size_t>(cell[2]) * n_[1] + cell[1]) * n_[0] + cell[0];
    const double leave = std::min({next[0], next[1], next[2]});
    for (int32_t k = cell_start_[c]; k < cell_start_[c + 1]; ++k) {
      const TRayHit h = RayFace(mesh, faces_[static_cast<size_t>(k)], origin, direction);
      if (h.face >= 0 && (best.face < 0 || h.t < best.t)) best = h;
    }
    // A face of this cell met before the ray leaves it is the first.
    if (best.face >= 0 && best.t <= leave) return best;
    const int axis = next[0] <= next[1] && next[0] <= next[2] ? 0 : next[1] <= next[2] ? 1 : 2;
    if (next[axis] > t1) return best;
    cell[axis] += step[axis];
    if (cell[axis] < 0 || cell[axis] >= n_[axis]) return best;
    next[axis] += delta[axis];
  }
}
