#include "support/mesh_validator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>
#include <vector>

namespace {

class Report {
 public:
  template <typename... Args>
  void Fault(const Args&... args) {
    if (++count_ > 20) return;
    ((out_ << args), ...);
    out_ << '\n';
  }
  std::string Text() const { return out_.str(); }

 private:
  std::ostringstream out_;
  int count_ = 0;
};

bool FaceUses(const TFace& f, int32_t v) { return f.v[0] == v || f.v[1] == v || f.v[2] == v; }

void CheckIndices(const TMesh& m, Report& r) {
  if (m.vertex_count < 0 || static_cast<size_t>(m.vertex_count) > m.vertices.size())
    r.Fault("vertex_count ", m.vertex_count, " exceeds the vertex array (", m.vertices.size(), ")");
  if (m.face_count < 0 || static_cast<size_t>(m.face_count) != m.faces.size())
    r.Fault("face_count ", m.face_count, " differs from the face array (", m.faces.size(), ")");
  const int32_t nf = std::min<int32_t>(m.face_count, static_cast<int32_t>(m.faces.size()));
  for (int32_t f = 0; f < nf; ++f)
    for (int k = 0; k < 3; ++k)
      if (m.faces[f].v[k] < 0 || m.faces[f].v[k] >= m.vertex_count)
        r.Fault("face ", f, " corner ", k, " index ", m.faces[f].v[k], " out of range");
}

bool Lists(const TVertex& v, int32_t b) { return std::find(v.nb, v.nb + v.nb_count, b) != v.nb + v.nb_count; }

void CheckVertexLists(const TMesh& m, int32_t i, Report& r) {
  const TVertex& v = m.vertices[i];
  if (v.nb_count < 0 || v.nb_count > kMaxAdjacent || v.vface_count < 0 || v.vface_count > kMaxAdjacent) {
    r.Fault("vertex ", i, " list counts ", v.nb_count, "/", v.vface_count, " outside 0..15");
    return;
  }
  for (int s = 0; s < v.vface_count; ++s) {
    const int32_t f = v.vface[s];
    if (f < 0 || f >= m.face_count || !FaceUses(m.faces[f], i)) r.Fault("vertex ", i, " lists face ", f, " wrongly");
    // A face that repeats the vertex is listed once per corner.
    if (f >= 0 && f < m.face_count &&
        std::count(v.vface, v.vface + v.vface_count, f) > std::count(m.faces[f].v, m.faces[f].v + 3, i))
      r.Fault("vertex ", i, " lists face ", f, " twice");
  }
  for (int s = 0; s < v.nb_count; ++s) {
    const int32_t b = v.nb[s];
    if (b < 0 || b >= m.vertex_count) {
      r.Fault("vertex ", i, " neighbour ", b, " out of range");
      continue;
    }
    if (std::count(v.nb, v.nb + v.nb_count, b) > 1) r.Fault("vertex ", i, " lists neighbour ", b, " twice");
    const TVertex& w = m.vertices[b];
    if (!Lists(w, i) && w.nb_count < kMaxAdjacent && v.nb_count < kMaxAdjacent)
      r.Fault("adjacency not symmetric: ", i, " lists ", b, " but not the reverse");
  }
}

// Every face's edges must appear in the neighbour lists of their endpoints
// unless a list is full.
void CheckEdgesListed(const TMesh& m, Report& r) {
  for (int32_t f = 0; f < m.face_count; ++f)
    for (int k = 0; k < 3; ++k) {
      const int32_t a = m.faces[f].v[k], b = m.faces[f].v[(k + 1) % 3];
      const TVertex& va = m.vertices[a];
      if (a != b && !Lists(va, b) && va.nb_count < kMaxAdjacent)
        r.Fault("edge ", a, "-", b, " of face ", f, " not listed");
      if (va.vface_count < kMaxAdjacent &&
          std::find(va.vface, va.vface + va.vface_count, f) == va.vface + va.vface_count)
        r.Fault("vertex ", a, " does not list its face ", f);
    }
}

void CheckUnit(const TVec3& v, const char* what, int32_t i, Report& r) {
  const double len = vec_length(v);
  if (len != 0 && !(std::fabs(len - 1) <= 1e-5)) r.Fault(what, " ", i, " has length ", len);  // NaN fails too
}

bool Finite(const TVec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void CheckFinite(const TMesh& m, Report& r) {
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    const TVertex& v = m.vertices[i];
    if (!Finite(v.pos) || !Finite(v.normal) || !Finite(v.dir_max) || !Finite(v.dir_min) || !std::isfinite(v.tex0[0]) ||
        !std::isfinite(v.tex0[1]) || !std::isfinite(v.kmax) || !std::isfinite(v.kmin))
      r.Fault("vertex ", i, " has a field that is not finite");
  }
  for (int k = 0; k < 3; ++k)
    if (!std::isfinite(m.box_min[k]) || !std::isfinite(m.box_max[k]) || !std::isfinite(m.box_size))
      r.Fault("the bounding box is not finite");
}

// Each face as a key: its smallest rotation when the winding counts, its
// sorted corners when it does not.
std::array<int32_t, 3> FaceKey(int32_t a, int32_t b, int32_t c, bool winding) {
  std::array<int32_t, 3> t{a, b, c};
  if (!winding) {
    std::sort(t.begin(), t.end());
    return t;
  }
  const std::array<int32_t, 3> r1{b, c, a}, r2{c, a, b};
  return std::min({t, r1, r2});
}

void CheckStrips(const TMesh& m, bool winding, Report& r) {
  std::map<std::array<int32_t, 3>, int> want;
  auto canon = [winding](int32_t a, int32_t b, int32_t c) { return FaceKey(a, b, c, winding); };
  for (const TFace& f : m.faces) ++want[canon(f.v[0], f.v[1], f.v[2])];
  int32_t i = 0;
  while (i < m.strip_len && m.strips[i] != 2147483646) {
    int32_t j = i;
    while (j < m.strip_len && m.strips[j] < 2147483646) ++j;
    for (int32_t k = i; k + 2 < j; ++k) {
      const int32_t a = m.strips[k], b = m.strips[k + 1], c = m.strips[k + 2];
      const auto t = (k - i) % 2 == 0 ? canon(a, b, c) : canon(b, a, c);
      if (--want[t] < 0) r.Fault("strip triangle ", a, " ", b, " ", c, " is not a face or repeats one");
    }
    i = j + 1;
  }
  if (i >= m.strip_len || m.strips[i] != 2147483646 || i + 1 != m.strip_len)
    r.Fault("strip stream lacks its end marker");
  for (const auto& [t, n] : want)
    if (n > 0) r.Fault("face ", t[0], " ", t[1], " ", t[2], " is in no strip");
}

}  // namespace

std::string ValidateMesh(const TMesh& mesh, unsigned checks) {
  Report r;
  CheckIndices(mesh, r);
  if (!r.Text().empty()) return r.Text();
  if (checks & kCheckAdjacency) {
    for (int32_t i = 0; i < mesh.vertex_count; ++i) CheckVertexLists(mesh, i, r);
    CheckEdgesListed(mesh, r);
  }
  if (checks & kCheckNormals) {
    for (int32_t i = 0; i < mesh.vertex_count; ++i) CheckUnit(mesh.vertices[i].normal, "normal of vertex", i, r);
    for (int32_t f = 0; f < mesh.face_count; ++f) CheckUnit(mesh.faces[f].fnormal, "fnormal of face", f, r);
  }
  if (checks & kCheckFinite) CheckFinite(mesh, r);
  if (checks & kCheckCurvature)
    for (int32_t i = 0; i < mesh.vertex_count; ++i) {
      const TVertex& v = mesh.vertices[i];
      for (const TVec3* d : {&v.e1, &v.e2, &v.dir_max, &v.dir_min, &v.dir_max0, &v.dir_min0})
        CheckUnit(*d, "frame or curvature direction of vertex", i, r);
      if (!(v.kmax >= v.kmin)) r.Fault("vertex ", i, " has kmax ", v.kmax, " below kmin ", v.kmin);
    }
  if (checks & kCheckStrips) {
    CheckStrips(mesh, true, r);
  } else if (checks & kCheckStripCover) {
    CheckStrips(mesh, false, r);
  }
  return r.Text();
}

namespace {

template <typename T, typename A>
bool SameBytes(const std::vector<T, A>& a, const std::vector<T, A>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

}  // namespace

std::string MeshDifference(const TMesh& a, const TMesh& b) {
  if (a.vertex_count != b.vertex_count || a.face_count != b.face_count) return "counts";
  if (a.has_user_velo != b.has_user_velo || a.has_tex0 != b.has_tex0) return "file flags";
  if (!SameBytes(a.box_min, b.box_min) || !SameBytes(a.box_max, b.box_max) || !SameBytes(a.box_center, b.box_center) ||
      !SameBytes(a.box_size, b.box_size))
    return "bounding box";
  if (!SameBytes(a.faces, b.faces)) return "faces";
  if (!SameBytes(a.vertices, b.vertices)) return "vertices";
  if (a.time_count != b.time_count || !SameBytes(a.time_values, b.time_values) ||
      a.time_velo.size() != b.time_velo.size())
    return "time steps";
  for (size_t t = 0; t < a.time_velo.size(); ++t)
    if (!SameBytes(a.time_velo[t], b.time_velo[t])) return "time step vectors";
  if (a.strip_len != b.strip_len || !SameBytes(a.strips, b.strips)) return "strips";
  if (!SameBytes(a.auto_range, b.auto_range) || !SameBytes(a.data_range, b.data_range)) return "data ranges";
  return "";
}
