#include "mesh/triangle_strips.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "mesh/record_prefetch.h"

namespace {

// What the strip walks read: per vertex its incident faces, copied into a
// 32-byte slot (count and up to 7 faces, else the index of a longer list kept
// aside), and the faces themselves with fmark as the walk mark. The walks jump
// between distant vertices; one small aligned slot per step instead of the
// full vertex record keeps them in cache. The query is the same as
// FindFaceAcross on the mesh.
class TStripGraph {
 public:
  explicit TStripGraph(TMesh& mesh) : slot_(static_cast<size_t>(mesh.vertex_count)), faces_(mesh.faces) {
    const TVertex* vs = mesh.vertices.data();
    for (int32_t i = 0; i < mesh.vertex_count; ++i) {
      if (i + kPrefetchAhead < mesh.vertex_count) {
        PrefetchRead(&vs[i + kPrefetchAhead].vface[0]);
        PrefetchRead(&vs[i + kPrefetchAhead].vface_count);
      }
      const TVertex& v = vs[i];
      TSlot& slot = slot_[i];
      slot.count = v.vface_count;
      if (v.vface_count <= kInline) {
        std::copy(v.vface, v.vface + v.vface_count, slot.face);
      } else {
        slot.face[0] = static_cast<int32_t>(aside_.size());
        aside_.emplace_back();
        std::copy(v.vface, v.vface + v.vface_count, aside_.back().face);
      }
    }
    for (TFace& face : faces_) face.fmark = 0;
  }
  int32_t Across(int32_t f, int32_t a, int32_t b, int32_t& x) const {
    const TSlot& slot = slot_[b];
    const int32_t* list = slot.count <= kInline ? slot.face : aside_[slot.face[0]].face;
    return FindFaceAcrossIn(list, slot.count, faces_.data(), f, a, b, x);
  }
  int32_t& Mark(int32_t f) { return faces_[f].fmark; }
  // Asks for the slot of vertex b, which a walk reads at its next step.
  void Prefetch(int32_t b) const { PrefetchRead(&slot_[b]); }

 private:
  static constexpr int32_t kInline = 7;
  struct alignas(32) TSlot {
    int32_t count;
    int32_t face[kInline];  // the faces, or face[0]: the index of the list in aside_
  };
  struct TAside {
    int32_t face[kMaxAdjacent];
  };
  std::vector<TSlot> slot_;
  std::vector<TAside> aside_;
  FaceArray& faces_;  // corners, and fmark: 0 free, 2 taken, 4/8/16 trial walks
};

// The three trial walks of a strip start at face f, across the edges given in
// `start`: the number of free faces a strip across each edge would take. A
// walk marks its faces so that a walk around a closed ring stops at its start;
// the marks are cleared afterwards. The walks are stepped in turn so that
// their memory accesses overlap: walk k marks with its own bit (4 << k) and
// stops at a face taken by a strip (2) or carrying its own bit, so each walk
// sees exactly what it would see walking alone.
struct TTrial {
  int32_t a, b, cur;
  bool active;
  std::vector<int32_t> visited;  // the faces of the walk in turn
  std::vector<int32_t> sent;     // per face, the vertex b of the edge (a, b) it was entered by
};

void TrialWalks(TStripGraph& graph, int32_t f, const int32_t (&start)[3][2], TTrial (&walk)[3]) {
  for (int k = 0; k < 3; ++k) {
    TTrial& w = walk[k];
    w.a = start[k][0];
    w.b = start[k][1];
    w.cur = f;
    w.active = true;
    w.visited.clear();
    w.sent.clear();
  }
  for (int active = 3; active > 0;) {
    for (int k = 0; k < 3; ++k) {
      TTrial& w = walk[k];
      if (!w.active) continue;
      const int32_t own = 4 << k;
      graph.Mark(w.cur) |= own;
      w.visited.push_back(w.cur);
      w.sent.push_back(w.b);
      int32_t x = -1;
      const int32_t g = graph.Across(w.cur, w.a, w.b, x);
      if (g < 0 || (graph.Mark(g) & (own | 3)) != 0) {
        w.active = false;
        --active;
        continue;
      }
      w.cur = g;
      w.a = w.b;
      w.b = x;
      graph.Prefetch(x);
    }
  }
  for (int k = 0; k < 3; ++k)
    for (int32_t v : walk[k].visited) graph.Mark(v) &= ~(4 << k);
}

// Appends the strip of trial walk `w`, whose first edge is (p, q): the strip
// walk from its face would stop where the trial stopped (at a face of a strip,
// or back at one of its own), so it takes the trial's faces in the trial's order.
void BuildStrip(TStripGraph& graph, TMesh& mesh, const TTrial& w, int32_t p, int32_t q) {
  std::vector<int32_t>& s = mesh.strips;
  s.push_back(p);
  s.push_back(q);
  for (size_t i = 0; i < w.visited.size(); ++i) {
    graph.Mark(w.visited[i]) = 2;
    s.push_back(w.sent[i]);
  }
  s.push_back(kStripEnd);
}

}  // namespace

TStripStats BuildStrips(TMesh& mesh) {
  TStripStats stats;
  // Room for the longest stream (every face a strip of its own); only the
  // part written takes memory.
  mesh.strips.clear();
  mesh.strips.reserve(4 * static_cast<size_t>(mesh.face_count) + 1);
  TStripGraph graph(mesh);
  TTrial walk[3];
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    if (graph.Mark(f) != 0) continue;
    const int32_t v0 = mesh.faces[f].v[0], v1 = mesh.faces[f].v[1], v2 = mesh.faces[f].v[2];
    const int32_t start[3][2] = {{v1, v2}, {v2, v0}, {v0, v1}};
    TrialWalks(graph, f, start, walk);
    const size_t l1 = walk[0].visited.size(), l2 = walk[1].visited.size(), l3 = walk[2].visited.size();
    ++stats.strips;
    const int k = l1 > l2 && l1 > l3 ? 0 : (l2 > l3 ? 1 : 2);  // the longest walk; a tie goes to the later one
    const int32_t corner[3] = {v0, v1, v2};                    // walk k's strip starts with corner k
    BuildStrip(graph, mesh, walk[k], corner[k], start[k][0]);
    stats.faces += static_cast<int64_t>(walk[k].visited.size());
  }
  mesh.strips.push_back(kStreamEnd);
  mesh.strip_len = static_cast<int32_t>(mesh.strips.size());
  return stats;
}

std::string StripStatisticsText(const TStripStats& stats) {
  char avg[32] = "-";
  if (stats.strips > 0) std::snprintf(avg, sizeof avg, "%.4g", static_cast<double>(stats.faces) / stats.strips);
  return std::to_string(stats.strips) + " strips; length avg: " + avg + " vtx send " + std::to_string(stats.faces);
}
