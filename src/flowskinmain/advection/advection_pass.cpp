#include "advection/advection_pass.h"

#include <algorithm>
#include <cmath>

#include "mesh/parallel_for.h"
#include "mesh/record_prefetch.h"

namespace {

// Vertices of the per-vertex passes below which a second thread does not pay.
constexpr size_t kVertexBlock = 8192;

// Vertices the array really holds among the first vertex_count.
size_t VerticesInUse(const TMesh& mesh) {
  return static_cast<size_t>(std::clamp<int64_t>(mesh.vertex_count, 0, static_cast<int64_t>(mesh.vertices.size())));
}

// The rows of the clip matrix that give window x, y and the clip w, with the
// viewport transformation folded into scale and offset.
struct TWindowProjector {
  double rx[4], ry[4], rw[4];  // rows 0, 1 and 3 of the clip matrix
  double x0, y0, half_w, half_h;

  explicit TWindowProjector(const TStoredMatrices& m) {
    double c[16];
    ComputeClipMatrix(m, c);
    for (int col = 0; col < 4; ++col) {
      rx[col] = c[4 * col + 0];
      ry[col] = c[4 * col + 1];
      rw[col] = c[4 * col + 3];
    }
    x0 = m.viewport_rect[0];
    y0 = m.viewport_rect[1];
    half_w = m.viewport_rect[2] / 2.0;
    half_h = m.viewport_rect[3] / 2.0;
  }

  // Window pixel position of object point p.
  void Project(const TVec3& p, double& x, double& y) const {
    const double px = p.x, py = p.y, pz = p.z;
    double w = rw[0] * px + rw[1] * py + rw[2] * pz + rw[3];
    if (w == 0) w = 1;
    const double inv_w = 1.0 / w;
    x = x0 + ((rx[0] * px + rx[1] * py + rx[2] * pz + rx[3]) * inv_w + 1) * half_w;
    y = y0 + ((ry[0] * px + ry[1] * py + ry[2] * pz + ry[3]) * inv_w + 1) * half_h;
  }
};

// The constants of one ComputeTexCoords call.
struct TTexSetup {
  double d, d2;   // displacement limit and its square, pixels
  double us, ut;  // 1 / texture size
  double ds, dt;  // drag offsets, texture units
  bool scale_up;
};

// Factor that rescales a projected displacement of squared length d2 to length d.
inline double LimitFactor(double d, double d2) { return d2 <= 0.0001 ? 0.0001 : d / std::sqrt(d2); }

// Where the texture holds vertex vx: its window position in the frame the
// texture was captured in (`seen`), or in this frame when that is the same
// camera, rounded to float as the stored coordinates are.
inline void SeenAt(const TVertex& vx, const TWindowProjector* seen, double px, double py, double& s, double& t) {
  if (seen) seen->Project(vx.pos, px, py);
  s = static_cast<float>(px);
  t = static_cast<float>(py);
}

// Texture-warp mode: geometry undisplaced, texture sampled upstream.
void WarpTexture(TVertex* v, size_t n, const TWindowProjector& proj, const TWindowProjector* seen, const TTexSetup& k) {
  for (size_t i = 0; i < n; ++i) {
    if (i + kPrefetchAhead < n) PrefetchWrite(&v[i + kPrefetchAhead].pos);  // the line of every field used
    TVertex& vx = v[i];
    double px, py, s1, t1;
    proj.Project(vx.pos, px, py);
    proj.Project(vx.adv_pos, s1, t1);
    const double s0 = static_cast<float>(px), t0 = static_cast<float>(py);
    const double d2 = (s1 - s0) * (s1 - s0) + (t1 - t0) * (t1 - t0);
    double s, t;
    SeenAt(vx, seen, px, py, s, t);
    vx.adv_pos = vx.pos;
    if (d2 > k.d2 || k.scale_up) {
      const double f = LimitFactor(k.d, d2);
      s += (s0 - s1) * f;
      t += (t0 - t1) * f;
    } else {
      s += s0 - s1;
      t += t0 - t1;
    }
    vx.tex[0] = static_cast<float>(s * k.us + k.ds);
    vx.tex[1] = static_cast<float>(t * k.ut + k.dt);
  }
}

// Geometry-warp mode: the object-space displacement is limited, the texture
// coordinate stays at the projection of pos.
void WarpGeometry(TVertex* v, size_t n, const TWindowProjector& proj, const TWindowProjector* seen,
                  const TTexSetup& k) {
  for (size_t i = 0; i < n; ++i) {
    if (i + kPrefetchAhead < n) PrefetchWrite(&v[i + kPrefetchAhead].pos);  // the line of every field used
    TVertex& vx = v[i];
    double px, py, s1, t1;
    proj.Project(vx.pos, px, py);
    proj.Project(vx.adv_pos, s1, t1);
    const double s0 = static_cast<float>(px), t0 = static_cast<float>(py);
    const double d2 = (s1 - s0) * (s1 - s0) + (t1 - t0) * (t1 - t0);
    if (d2 > k.d2 || k.scale_up) {
      const double f = LimitFactor(k.d, d2);
      vx.adv_pos.x = static_cast<float>(vx.pos.x + (static_cast<double>(vx.adv_pos.x) - vx.pos.x) * f);
      vx.adv_pos.y = static_cast<float>(vx.pos.y + (static_cast<double>(vx.adv_pos.y) - vx.pos.y) * f);
      vx.adv_pos.z = static_cast<float>(vx.pos.z + (static_cast<double>(vx.adv_pos.z) - vx.pos.z) * f);
    }
    double s, t;
    SeenAt(vx, seen, px, py, s, t);
    vx.tex[0] = static_cast<float>(s * k.us + k.ds);
    vx.tex[1] = static_cast<float>(t * k.ut + k.dt);
  }
}

bool SameCamera(const TStoredMatrices& a, const TStoredMatrices& b) {
  return std::equal(a.modelview_matrix, a.modelview_matrix + 16, b.modelview_matrix) &&
         std::equal(a.projection_matrix, a.projection_matrix + 16, b.projection_matrix) &&
         std::equal(a.viewport_rect, a.viewport_rect + 4, b.viewport_rect);
}

}  // namespace

void DisplaceVertices(TMesh& mesh, double h) {
  TVertex* v = mesh.vertices.data();
  ParallelForChunks(VerticesInUse(mesh), kVertexBlock, [v, h](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      if (i + kPrefetchAhead < end) PrefetchWrite(&v[i + kPrefetchAhead].pos);  // pos, adv_pos and velo
      v[i].adv_pos.x = static_cast<float>(v[i].pos.x + static_cast<double>(v[i].velo.x) * h);
      v[i].adv_pos.y = static_cast<float>(v[i].pos.y + static_cast<double>(v[i].velo.y) * h);
      v[i].adv_pos.z = static_cast<float>(v[i].pos.z + static_cast<double>(v[i].velo.z) * h);
    }
  });
}

void ComputeClipMatrix(const TStoredMatrices& m, double c[16]) {
  const double* p = m.projection_matrix;
  const double* mv = m.modelview_matrix;
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += p[4 * k + row] * mv[4 * col + k];
      c[4 * col + row] = sum;
    }
  }
}

bool ComputeTexCoords(TMesh& mesh, const TStoredMatrices& m, TView& view, bool& texture_dragged,
                      const TTexCoordParams& p, const TStoredMatrices* seen_by) {
  TTexSetup k;
  k.d = p.disp_max / 10.0;
  k.d2 = k.d * k.d;
  k.us = 1.0 / std::max(view.tex_width, 1);
  k.ut = 1.0 / std::max(view.tex_height, 1);
  k.ds = k.dt = 0;
  if (p.drag_texture) {
    k.ds = view.drag_offset_s;
    k.dt = view.drag_offset_t;
    view.drag_offset_s = view.drag_offset_t = 0;
    texture_dragged = k.ds != 0 || k.dt != 0;
  }
  k.scale_up = p.scale_up;
  const TWindowProjector proj(m);
  const bool reproject = seen_by && !SameCamera(*seen_by, m);
  if (reproject) {  // the texture follows the surface itself: no offset on top
    k.ds = k.dt = 0;
    texture_dragged = false;
  }
  const TWindowProjector seen_proj(reproject ? *seen_by : m);
  const TWindowProjector* seen = reproject ? &seen_proj : nullptr;
  TVertex* v = mesh.vertices.data();
  const bool warp_texture = p.warp_texture;
  ParallelForChunks(VerticesInUse(mesh), kVertexBlock, [&](size_t begin, size_t end) {
    if (warp_texture) {
      WarpTexture(v + begin, end - begin, proj, seen, k);
    } else {
      WarpGeometry(v + begin, end - begin, proj, seen, k);
    }
  });
  return reproject;
}
