#include "mesh/crack_insertion.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "mesh/triangle_strips.h"

namespace {

// A fan walk never needs more steps than a vertex has incident-face slots;
// the bound stops walks that would circle forever on meshes that are not
// consistently oriented or not manifold.
constexpr int kMaxFanSteps = 2 * kMaxAdjacent + 2;

void Link(TVertex& v, int32_t b) {
  if (v.nb_count < kMaxAdjacent) v.nb[v.nb_count++] = b;
}

void RemoveNeighbour(TVertex& v, int32_t c) {
  int32_t n = 0;
  for (int32_t s = 0; s < v.nb_count; ++s)
    if (v.nb[s] != c) v.nb[n++] = v.nb[s];
  v.nb_count = n;
}

// The vertices following (b) and preceding (a) c in face d's cyclic order.
void Around(const TFace& d, int32_t c, int32_t& a, int32_t& b) {
  for (int k = 0; k < 3; ++k)
    if (d.v[k] == c) {
      b = d.v[(k + 1) % 3];
      a = d.v[(k + 2) % 3];
      return;
    }
}

// Forward walk from face d across edges (c, b). It runs to the boundary when the
// fan is open, so that the backward walk from there covers the whole fan; in a
// closed fan it stops at the first sharp edge, or goes all the way round when
// there is none. Returns the last face and sets a, b and the edge type.
int32_t WalkForward(const TMesh& mesh, const TCrackThresholds& th, int32_t c, int32_t d, int32_t& a, int32_t& b,
                    int32_t& type) {
  int32_t cur = d, sharp_face = -1, sharp_a = -1, sharp_b = -1;
  for (int step = 0; step < kMaxFanSteps; ++step) {
    int32_t x = -1;
    const int32_t g = FindFaceAcross(mesh, cur, c, b, x);
    if (g < 0) {
      type = kFanBoundary;
      return cur;
    }
    if (sharp_face < 0 && IsSharpEdge(mesh, th, cur, g, c, b)) {
      sharp_face = cur;
      sharp_a = a;
      sharp_b = b;
    }
    if (g == d) break;
    a = b;
    b = x;
    cur = g;
  }
  if (sharp_face < 0) {
    type = kFanSmooth;
    return cur;
  }
  type = kFanSharp;
  a = sharp_a;
  b = sharp_b;
  return sharp_face;
}

// Backward walk from the start face s across edges (c, a), appending one entry
// per face crossed into; ends at the boundary (an entry with face -1) or back at s.
void WalkBackward(TMesh& mesh, const TCrackThresholds& th, int32_t c, int32_t s, int32_t a,
                  std::vector<TFanEntry>& fan) {
  for (int step = 0; step < kMaxFanSteps; ++step) {
    const int32_t prev = fan.back().face;
    mesh.faces[prev].fmark = 1;
    int32_t x = -1;
    const int32_t g = FindFaceAcross(mesh, prev, c, a, x);
    if (g < 0) {
      fan.push_back(TFanEntry{-1, a, kFanBoundary, false});
      return;
    }
    if (g == s) return;
    // Convexity measured along the edge from a to c: the same orientation of
    // the edge relative to the two faces as in the forward walk.
    const int32_t type = IsSharpEdge(mesh, th, prev, g, a, c) ? kFanSharp : kFanSmooth;
    fan.push_back(TFanEntry{g, a, type, false});
    if (mesh.faces[g].fmark == 1) return;  // a loop not through s: the mesh is not a clean fan here
    a = x;
  }
}

}  // namespace

TCrackThresholds MakeCrackThresholds(const TCrackOptions& opt) {
  TCrackThresholds th;
  th.c_convex = std::cos(opt.convex_angle * std::numbers::pi / 180);
  th.c_concave = std::cos(opt.concave_angle * std::numbers::pi / 180);
  th.lo = std::min(th.c_convex, th.c_concave);
  th.hi = std::max(th.c_convex, th.c_concave);
  return th;
}

bool IsSharpEdge(const TMesh& mesh, const TCrackThresholds& th, int32_t f, int32_t g, int32_t p, int32_t q) {
  const TVec3& nf = mesh.faces[f].fnormal;
  const TVec3& ng = mesh.faces[g].fnormal;
  const double e = vec_dot(nf, ng);
  if (e > th.hi) return false;
  if (e < th.lo) return true;
  TVec3 axis;
  vec_cross(nf, ng, axis);
  const TVec3& pp = mesh.vertices[p].pos;
  const TVec3& pq = mesh.vertices[q].pos;
  const double s = vec_dot(axis, TVec3{pq.x - pp.x, pq.y - pp.y, pq.z - pp.z});
  return s > 0 ? e < th.c_convex : e < th.c_concave;
}

std::vector<TFanEntry> WalkFan(TMesh& mesh, const TCrackThresholds& th, int32_t c) {
  std::vector<TFanEntry> fan;
  const TVertex& vc = mesh.vertices[c];
  for (int32_t s = 0; s < vc.vface_count; ++s) mesh.faces[vc.vface[s]].fmark = 0;
  while (static_cast<int32_t>(fan.size()) < vc.nb_count) {
    int32_t d = -1;
    for (int32_t s = 0; s < vc.vface_count && d < 0; ++s)
      if (mesh.faces[vc.vface[s]].fmark != 1) d = vc.vface[s];
    if (d < 0) break;
    int32_t a = -1, b = -1, type = kFanSmooth;
    Around(mesh.faces[d], c, a, b);
    const int32_t start = WalkForward(mesh, th, c, d, a, b, type);
    fan.push_back(TFanEntry{start, b, type, true});
    WalkBackward(mesh, th, c, start, a, fan);
  }
  return fan;
}

bool FanNeedsCut(const std::vector<TFanEntry>& fan) {
  int sharp = 0, boundary = 0;
  for (const TFanEntry& e : fan) {
    sharp += e.edge_type == kFanSharp;
    boundary += e.edge_type == kFanBoundary;
  }
  return sharp >= 2 || (sharp == 1 && boundary > 0);
}

int32_t DuplicateVertex(TMesh& mesh, int32_t c) {
  const size_t copy = static_cast<size_t>(mesh.vertex_count);
  if (copy >= mesh.vertices.size()) mesh.vertices.resize(std::max<size_t>(1, 2 * mesh.vertices.size()));
  mesh.vertices[copy] = mesh.vertices[c];
  // The copy carries c's time-step vectors too: every time row must hold
  // vertex_count vectors, and the copy's flow over time is c's.
  for (int32_t t = 0; t < mesh.time_count && t < static_cast<int32_t>(mesh.time_velo.size()); ++t) {
    std::vector<TVec3>& row = mesh.time_velo[t];
    if (static_cast<size_t>(c) >= row.size()) continue;
    if (copy >= row.size()) row.resize(std::max(copy + 1, 2 * row.size()));
    row[copy] = row[c];
  }
  return mesh.vertex_count++;
}

void SplitVertex(TMesh& mesh, int32_t c, const std::vector<TFanEntry>& fan) {
  TVertex& vc = mesh.vertices[c];
  for (int32_t s = 0; s < vc.nb_count; ++s) RemoveNeighbour(mesh.vertices[vc.nb[s]], c);
  vc.nb_count = vc.vface_count = 0;
  int32_t copy = c;
  for (size_t k = 0; k < fan.size(); ++k) {
    const TFanEntry& e = fan[k];
    Link(mesh.vertices[copy], e.edge_vertex);
    Link(mesh.vertices[e.edge_vertex], copy);
    if (k > 0 && (e.edge_type == kFanSharp || e.starts_walk)) {
      copy = DuplicateVertex(mesh, c);
      mesh.vertices[copy].nb_count = mesh.vertices[copy].vface_count = 0;
      Link(mesh.vertices[copy], e.edge_vertex);
      Link(mesh.vertices[e.edge_vertex], copy);
    }
    if (e.face < 0) continue;
    for (int32_t& v : mesh.faces[e.face].v)
      if (v == c) v = copy;
    TVertex& vcopy = mesh.vertices[copy];
    if (vcopy.vface_count < kMaxAdjacent) vcopy.vface[vcopy.vface_count++] = e.face;
  }
}

void InsertCracks(TMesh& mesh, const TCrackOptions& opt) {
  const TCrackThresholds th = MakeCrackThresholds(opt);
  // All fans are walked on the uncut mesh first: a cut turns the sharp edges at
  // the cut vertex into boundaries, and walking later fans across them would
  // make the result depend on the vertex order.
  std::vector<std::pair<int32_t, std::vector<TFanEntry>>> cuts;
  for (int32_t c = 0; c < mesh.vertex_count; ++c) {
    if (mesh.vertices[c].vface_count <= 1) continue;
    std::vector<TFanEntry> fan = WalkFan(mesh, th, c);
    if (FanNeedsCut(fan)) cuts.emplace_back(c, std::move(fan));
  }
  for (const auto& [c, fan] : cuts) SplitVertex(mesh, c, fan);
}
