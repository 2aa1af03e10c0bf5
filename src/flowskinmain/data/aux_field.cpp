#include "data/aux_field.h"

#include <algorithm>
#include <cmath>

#include "data/data_channels.h"
#include "flow/view_unproject.h"

namespace {

int32_t VertexCount(const TMesh& mesh) {
  return std::min<int32_t>(mesh.vertex_count, static_cast<int32_t>(mesh.vertices.size()));
}

// A neighbour index that names a vertex in use.
bool ValidNeighbour(int32_t n, int32_t count) { return n >= 0 && n < count; }

double Dot(const TVec3& a, const double b[3]) { return a.x * b[0] + a.y * b[1] + a.z * b[2]; }

// The result of SilhouetteDistance where the vertex has no contour.
void NoContour(TVertex& v) {
  vec_zero(v.dir_max);
  vec_zero(v.dir_min);
  v.aux = 1000;
}

}  // namespace

void CopyChannelToAux(TMesh& mesh, int channel) {
  const int32_t n = VertexCount(mesh);
  for (int32_t i = 0; i < n; ++i) {
    TVertex& v = mesh.vertices[i];
    v.aux = v.cur_value;
    v.aux_base = v.aux;
  }
  if (channel >= 0 && channel < kDataChannelCount) mesh.data_range[kChanAux] = mesh.data_range[channel];
}

void ClearAux(TMesh& mesh) {
  const int32_t n = VertexCount(mesh);
  for (int32_t i = 0; i < n; ++i) mesh.vertices[i].aux = mesh.vertices[i].aux_base = 0;
}

void SmoothAux(TMesh& mesh, const TAuxSmoothing& s) {
  const int32_t n = VertexCount(mesh);
  const double lo = mesh.data_range[kChanAux].min, hi = mesh.data_range[kChanAux].max;
  for (int32_t pass = 0; pass < s.passes; ++pass) {
    for (int32_t i = 0; i < n; ++i) {
      TVertex& v = mesh.vertices[i];
      double sum = 0;
      int32_t count = 0;
      for (int32_t k = 0; k < v.nb_count; ++k) {
        if (!ValidNeighbour(v.nb[k], n)) continue;
        sum += std::min(std::max(mesh.vertices[v.nb[k]].aux, lo), hi);
        ++count;
      }
      v.aux_base = count == 0 ? v.aux : (1 - s.weight) * v.aux + s.weight * sum / count;
    }
    for (int32_t i = 0; i < n; ++i) mesh.vertices[i].aux = mesh.vertices[i].aux_base;
  }
}

TVec3 LightInModelSpace(const TStoredMatrices& m, bool directional) {
  double l[3];
  for (int i = 0; i < 3; ++i) {
    l[i] = 0;
    for (int j = 0; j < 4; ++j) l[i] += m.modelview_matrix[4 * i + j] * m.light_position[j];
  }
  TVec3 out{static_cast<float>(l[0]), static_cast<float>(l[1]), static_cast<float>(l[2])};
  if (directional) vec_normalize(out);
  return out;
}

void ShadeAux(TMesh& mesh, const TStoredMatrices& m, const TAuxShade& p) {
  const TVec3 l = LightInModelSpace(m, p.directional);
  const int32_t n = VertexCount(mesh);
  for (int32_t i = 0; i < n; ++i) {
    TVertex& v = mesh.vertices[i];
    double a = 0;
    if (p.directional) {
      a = vec_dot(v.normal, l);
    } else {
      TVec3 to_light{l.x - v.pos.x, l.y - v.pos.y, l.z - v.pos.z};
      vec_normalize(to_light);
      a = vec_dot(v.normal, to_light);
    }
    a = std::clamp(a, 0.0, 1.0);
    v.aux = (1 - a) * p.sh_min + v.aux_base + a * p.sh_max;
  }
}

void ReplaceDirectionsWithAuxGradient(TMesh& mesh) {
  const int32_t n = VertexCount(mesh);
  for (int32_t i = 0; i < n; ++i) {
    TVertex& v = mesh.vertices[i];
    double g1 = 0, w1 = 0, g2 = 0, w2 = 0;
    for (int32_t k = 0; k < v.nb_count; ++k) {
      if (!ValidNeighbour(v.nb[k], n)) continue;
      const TVertex& o = mesh.vertices[v.nb[k]];
      const double d[3] = {double(o.pos.x) - v.pos.x, double(o.pos.y) - v.pos.y, double(o.pos.z) - v.pos.z};
      const double c1 = Dot(v.e1, d), c2 = Dot(v.e2, d);
      const double diff = o.aux - v.aux;
      g1 += c1 > 0 ? diff : -diff;
      w1 += std::fabs(c1);
      g2 += c2 > 0 ? diff : -diff;
      w2 += std::fabs(c2);
    }
    const double a1 = w1 != 0 ? g1 / w1 : 0;
    const double a2 = w2 != 0 ? g2 / w2 : 0;
    v.dir_max = {static_cast<float>(a1 * v.e1.x + a2 * v.e2.x), static_cast<float>(a1 * v.e1.y + a2 * v.e2.y),
                 static_cast<float>(a1 * v.e1.z + a2 * v.e2.z)};
    v.dir_min = v.dir_max;
  }
}

void SilhouetteDistance(TVertex& v, const double eye[3], const TStoredMatrices& m) {
  if (v.kmin >= 0) return NoContour(v);
  const double r = -1 / v.kmin;
  const TVec3 &nrm = v.normal, &d0 = v.dir_max0, &d1 = v.dir_min0;
  const double c[3] = {v.pos.x - r * nrm.x, v.pos.y - r * nrm.y, v.pos.z - r * nrm.z};
  const double w[3] = {eye[0] - c[0], eye[1] - c[1], eye[2] - c[2]};
  const double b = Dot(d0, w), cn = Dot(nrm, w);
  const double len_ec = std::sqrt(b * b + cn * cn);
  // The eye on the cylinder axis (len_ec 0) lies inside the circle like any
  // eye closer to C than R: no contour line.
  if (!(len_ec > 0)) return NoContour(v);
  const double u = r * r / len_ec;
  const double h2 = r * r - u * u;
  if (h2 <= 0) return NoContour(v);
  const double h = b < 0 ? -std::sqrt(h2) : std::sqrt(h2);
  const double x = (b * u - cn * h) / len_ec, y = (cn * u + b * h) / len_ec;
  double t[3], t2[3];
  const float TVec3::*axes[3] = {&TVec3::x, &TVec3::y, &TVec3::z};
  for (int i = 0; i < 3; ++i) {
    t[i] = c[i] + x * (d0.*axes[i]) + y * (nrm.*axes[i]);
    t2[i] = t[i] + 0.01 * (d1.*axes[i]);
  }
  const double pos[3] = {v.pos.x, v.pos.y, v.pos.z};
  double p[3], q[3], q2[3];
  if (!ProjectObjectPoint(pos, m, p) || !ProjectObjectPoint(t, m, q) || !ProjectObjectPoint(t2, m, q2))
    return NoContour(v);
  double dq[3] = {q2[0] - q[0], q2[1] - q[1], q2[2] - q[2]};
  double len = std::sqrt(dq[0] * dq[0] + dq[1] * dq[1]);
  if (!(len > 0)) len = 0.001;
  for (double& e : dq) e /= len;
  const double s = (p[0] - q[0]) * dq[0] + (p[1] - q[1]) * dq[1];
  const double f[3] = {q[0] + s * dq[0], q[1] + s * dq[1], q[2] + s * dq[2]};
  v.aux = std::sqrt((f[0] - p[0]) * (f[0] - p[0]) + (f[1] - p[1]) * (f[1] - p[1]));
  double fo[3];
  if (UnprojectWindowPoint(f[0], f[1], f[2], m, fo)) {
    v.dir_max = {static_cast<float>(fo[0] - pos[0]), static_cast<float>(fo[1] - pos[1]),
                 static_cast<float>(fo[2] - pos[2])};
  } else {
    vec_zero(v.dir_max);
  }
  v.dir_min = v.dir_max;
}

bool FeatureLineDistances(TMesh& mesh, const TStoredMatrices& m) {
  const int32_t* vp = m.viewport_rect;
  double eye[3];
  if (!UnprojectWindowPoint(vp[0] + vp[2] / 2.0, vp[1] + vp[3] / 2.0, 0, m, eye)) return false;
  const int32_t n = VertexCount(mesh);
  for (int32_t i = 0; i < n; ++i) SilhouetteDistance(mesh.vertices[i], eye, m);
  return true;
}
