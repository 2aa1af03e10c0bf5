#include "mesh/loop_subdivision.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <vector>

#include "mesh/page_memory.h"
#include "mesh/parallel_for.h"
#include "mesh/triangle_strips.h"

double LoopAlpha(int n) {
  if (n < 1 || n > 100) return 0;
  const double c = 3 + 2 * std::cos(2 * std::numbers::pi / n);
  const double b = 5.0 / 8 - c * c / 64;
  return n * (1 - b) / b;
}

namespace {

// One edge of the old mesh: endpoints a, b; off-edge vertices d (in the face
// that found the edge) and x (across, -1 on a boundary).
struct TEdge {
  int32_t a, b, d, x;
};

// Smallest share of edges, vertices or faces a thread takes.
constexpr size_t kBlock = 4096;

// Edge table: each edge filed under its smaller endpoint, keyed by the larger.
// Slots per vertex are counted in advance from the faces (at most one per face
// corner), so the table is two flat arrays.
class TEdgeTable {
 public:
  explicit TEdgeTable(const TMesh& mesh) : start_(mesh.vertex_count + 1, 0), used_(mesh.vertex_count, 0) {
    for (const TFace& f : mesh.faces)
      for (int k = 0; k < 3; ++k) ++start_[std::min(f.v[k], f.v[(k + 1) % 3]) + 1];
    for (size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
    entries_.resize(start_.back());
  }
  // Index of the edge (a, b), or -1.
  int32_t Find(int32_t a, int32_t b) const {
    const int32_t lo = std::min(a, b), hi = std::max(a, b);
    const Entry* e = &entries_[start_[lo]];
    for (int32_t k = 0; k < used_[lo]; ++k)
      if (e[k].key == hi) return e[k].index;
    return -1;
  }
  void Add(int32_t a, int32_t b, int32_t index) {
    const int32_t lo = std::min(a, b);
    entries_[start_[lo] + used_[lo]++] = Entry{std::max(a, b), index};
  }

 private:
  struct Entry {
    int32_t key, index;
  };
  std::vector<int64_t> start_;
  std::vector<int32_t> used_;
  std::vector<Entry> entries_;
};

// Collects the edges in the order they are first met and the edge index of
// every face corner (corner k: edge from v[k] to v[k+1]). The walk is
// sequential (the order of first meeting numbers the edges); the faces across
// are looked up afterwards on all threads, each edge on its own.
void CollectEdges(const TMesh& mesh, std::vector<TEdge>& edges, std::vector<int32_t>& corner_edge) {
  TEdgeTable table(mesh);
  corner_edge.resize(3 * static_cast<size_t>(mesh.face_count));
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    const int32_t* v = mesh.faces[f].v;
    for (int k = 0; k < 3; ++k) {
      const int32_t a = v[k], b = v[(k + 1) % 3], d = v[(k + 2) % 3];
      int32_t e = table.Find(a, b);
      if (e < 0) {
        e = static_cast<int32_t>(edges.size());
        edges.push_back(TEdge{a, b, d, f});  // x holds the finding face until the lookup below
        table.Add(a, b, e);
      }
      corner_edge[3 * static_cast<size_t>(f) + k] = e;
    }
  }
  ParallelFor(edges.size(), kBlock, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      TEdge& e = edges[i];
      int32_t x = -1;
      if (FindFaceAcross(mesh, e.x, e.a, e.b, x) < 0) x = -1;
      e.x = x;
    }
  });
}

// Weighted sum of up to four vectors (weights for the missing ones are 0).
TVec3 Blend(const TVec3* q[4], const double w[4]) {
  double s[3] = {0, 0, 0};
  for (int k = 0; k < 4; ++k) {
    if (w[k] == 0) continue;
    s[0] += w[k] * q[k]->x;
    s[1] += w[k] * q[k]->y;
    s[2] += w[k] * q[k]->z;
  }
  return TVec3{static_cast<float>(s[0]), static_cast<float>(s[1]), static_cast<float>(s[2])};
}

}  // namespace

namespace {

// Mixes one quantity (a vector field given by `get`) at an edge vertex.
template <typename Get>
TVec3 EdgeMix(const TEdge& e, Get get) {
  const TVec3* q[4] = {&get(e.a), &get(e.b), &get(e.d), &get(e.x < 0 ? e.d : e.x)};
  const double interior[4] = {3.0 / 8, 3.0 / 8, 1.0 / 8, 1.0 / 8}, boundary[4] = {0.5, 0.5, 0, 0};
  return Blend(q, e.x < 0 ? boundary : interior);
}

// Mixes one quantity at old vertex i: (alpha Q_i + sum of neighbours) / (n + alpha).
template <typename Get>
TVec3 VertexMix(const TVertex& v, int32_t i, Get get) {
  const TVec3& qi = get(i);
  if (v.nb_count == 0) return qi;
  const double alpha = LoopAlpha(v.nb_count);
  double s[3] = {alpha * qi.x, alpha * qi.y, alpha * qi.z};
  for (int32_t k = 0; k < v.nb_count; ++k) {
    const TVec3& q = get(v.nb[k]);
    s[0] += q.x;
    s[1] += q.y;
    s[2] += q.z;
  }
  const double w = 1 / (v.nb_count + alpha);
  return TVec3{static_cast<float>(s[0] * w), static_cast<float>(s[1] * w), static_cast<float>(s[2] * w)};
}

// tex0 as a vector (u, v, 0) for mixing.
TVec3 TexOf(const TVertex& v) { return TVec3{v.tex0[0], v.tex0[1], 0}; }

void SetTex(TVertex& v, const TVec3& t) {
  v.tex0[0] = t.x;
  v.tex0[1] = t.y;
}

// Every new record is written by one thread from the old records alone, so
// the results have the same bits on any number of threads.
void RefineVertices(const TMesh& old, const std::vector<TEdge>& edges, VertexArray& out) {
  const VertexArray& vs = old.vertices;
  const size_t nv = static_cast<size_t>(old.vertex_count);
  std::vector<TVec3> tex(nv);
  ParallelFor(nv, kBlock, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) tex[i] = TexOf(vs[i]);
  });
  auto pos = [&](int32_t i) -> const TVec3& { return vs[i].pos; };
  auto velo = [&](int32_t i) -> const TVec3& { return vs[i].user_velo; };
  auto tx = [&](int32_t i) -> const TVec3& { return tex[i]; };
  ParallelFor(edges.size(), kBlock, [&](size_t begin, size_t end) {
    for (size_t e = begin; e < end; ++e) {
      TVertex& v = out[nv + e];
      v.pos = EdgeMix(edges[e], pos);
      SetTex(v, EdgeMix(edges[e], tx));
      if (old.has_user_velo) v.user_velo = EdgeMix(edges[e], velo);
    }
  });
  ParallelFor(nv, kBlock, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      TVertex& v = out[i];
      const int32_t k = static_cast<int32_t>(i);
      v.pos = VertexMix(vs[i], k, pos);
      SetTex(v, VertexMix(vs[i], k, tx));
      if (old.has_user_velo) v.user_velo = VertexMix(vs[i], k, velo);
    }
  });
}

void RefineTimeSteps(TMesh& mesh, const std::vector<TEdge>& edges) {
  const size_t old_count = static_cast<size_t>(mesh.vertex_count), nv = old_count + edges.size();
  for (int32_t t = 0; t < mesh.time_count; ++t) {
    const std::vector<TVec3>& row = mesh.time_velo[t];
    auto get = [&](int32_t i) -> const TVec3& { return row[i]; };
    std::vector<TVec3> next(nv);
    ParallelFor(edges.size(), kBlock, [&](size_t begin, size_t end) {
      for (size_t e = begin; e < end; ++e) next[old_count + e] = EdgeMix(edges[e], get);
    });
    ParallelFor(old_count, kBlock, [&](size_t begin, size_t end) {
      for (size_t i = begin; i < end; ++i) next[i] = VertexMix(mesh.vertices[i], static_cast<int32_t>(i), get);
    });
    mesh.time_velo[t].swap(next);
  }
}

}  // namespace

void LoopSubdivide(TMesh& mesh) {
  std::vector<TEdge> edges;
  std::vector<int32_t> corner_edge;
  CollectEdges(mesh, edges, corner_edge);
  const int32_t nv = mesh.vertex_count;
  VertexArray out;
  ReservePrefaulted(out, nv + edges.size());
  out.resize(nv + edges.size());
  RefineVertices(mesh, edges, out);
  if (mesh.time_count > 0) RefineTimeSteps(mesh, edges);
  FaceArray faces;
  ReservePrefaulted(faces, 4 * static_cast<size_t>(mesh.face_count));
  faces.resize(4 * static_cast<size_t>(mesh.face_count));
  ParallelFor(static_cast<size_t>(mesh.face_count), kBlock, [&](size_t begin, size_t end) {
    for (size_t f = begin; f < end; ++f) {
      const int32_t* p = mesh.faces[f].v;
      const int32_t m01 = nv + corner_edge[3 * f], m12 = nv + corner_edge[3 * f + 1], m20 = nv + corner_edge[3 * f + 2];
      const int32_t quad[4][3] = {{p[0], m01, m20}, {m01, p[1], m12}, {p[2], m20, m12}, {m01, m12, m20}};
      for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 3; ++j) faces[4 * f + k].v[j] = quad[k][j];
    }
  });
  mesh.vertices.swap(out);
  mesh.vertex_count = nv + static_cast<int32_t>(edges.size());
  mesh.faces.swap(faces);
  mesh.face_count *= 4;
}

double SubdivisionMemoryEstimate(const TMesh& mesh, int steps) {
  double v = mesh.vertex_count, f = mesh.face_count, peak = 0;
  const double per_vertex = sizeof(TVertex) + 12.0 * mesh.time_count;
  for (int s = 0; s < steps; ++s) {
    const double nv = v + 3 * f, nf = 4 * f;
    // old and new arrays side by side, the edge table and the corner edge indices
    const double step = (v + nv) * per_vertex + (f + nf) * sizeof(TFace) + f * (3 * 8 + 3 * 4 + 3 * 16.0);
    peak = std::max(peak, step);
    v = nv;
    f = nf;
  }
  // the prepared result also holds its strips (16 bytes per face)
  return std::max(peak, v * per_vertex + f * (sizeof(TFace) + 16.0));
}

double MeshMemoryLimit() {
  double limit = 8.0 * 1024 * 1024 * 1024;
  const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
  if (pages > 0 && page > 0) limit = std::min(limit, 0.75 * static_cast<double>(pages) * page);
  return limit;
}

bool CheckSubdivisionBudget(const TMesh& mesh, int steps, std::string& error) {
  const double bytes = SubdivisionMemoryEstimate(mesh, steps);
  const double faces = mesh.face_count * std::pow(4.0, steps);
  const double verts = mesh.vertex_count + faces;  // generous: V + E stays below V + F_final
  const double int_max = std::numeric_limits<int32_t>::max();
  if (bytes <= MeshMemoryLimit() && faces <= int_max && verts <= int_max) return true;
  char text[200];
  std::snprintf(text, sizeof text,
                "Subdividing %d times would make %.4g triangles and need about %.0f MB of memory; "
                "choose fewer steps",
                steps, faces, bytes / (1024 * 1024));
  error = text;
  return false;
}
