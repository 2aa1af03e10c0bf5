#include "mesh/triangle_strips.h"

#include <cstdio>
#include <vector>

int32_t FindFaceAcross(const TMesh& mesh, int32_t f, int32_t a, int32_t b, int32_t& x) {
  const TVertex& vb = mesh.vertices[b];
  for (int32_t s = 0; s < vb.vface_count; ++s) {
    const int32_t g = vb.vface[s];
    if (g == f) continue;
    const int32_t* v = mesh.faces[g].v;
    for (int j = 0; j < 3; ++j) {
      if (v[j] != a) continue;
      x = v[(j + 1) % 3];
      if (x == b) x = v[(j + 2) % 3];
      return g;
    }
  }
  return -1;
}

namespace {

// Number of faces a strip started at f across its edge (a, b) would take,
// counting only free faces. Faces are marked 1 during the walk so that a walk
// around a closed ring stops at its start; the marks are cleared afterwards.
int32_t TrialWalk(TMesh& mesh, int32_t f, int32_t a, int32_t b, std::vector<int32_t>& visited) {
  visited.clear();
  int32_t length = 1, cur = f;
  while (true) {
    mesh.faces[cur].fmark = 1;
    visited.push_back(cur);
    int32_t x = -1;
    const int32_t g = FindFaceAcross(mesh, cur, a, b, x);
    if (g < 0 || mesh.faces[g].fmark != 0) break;
    ++length;
    cur = g;
    a = b;
    b = x;
  }
  for (int32_t v : visited) mesh.faces[v].fmark = 0;
  return length;
}

// Appends the strip started at face f with its corners in the rotation (p, q, r).
void BuildStrip(TMesh& mesh, int32_t f, int32_t p, int32_t q, int32_t r) {
  std::vector<int32_t>& s = mesh.strips;
  mesh.faces[f].fmark = 1;
  s[mesh.strip_len++] = p;
  s[mesh.strip_len++] = q;
  int32_t a = q, b = r, cur = f;
  while (true) {
    mesh.faces[cur].fmark = 2;
    s[mesh.strip_len++] = b;
    int32_t x = -1;
    const int32_t g = FindFaceAcross(mesh, cur, a, b, x);
    if (g < 0 || mesh.faces[g].fmark != 0) break;
    cur = g;
    a = b;
    b = x;
  }
  s[mesh.strip_len++] = kStripEnd;
}

}  // namespace

TStripStats BuildStrips(TMesh& mesh) {
  TStripStats stats;
  const size_t need = 4 * static_cast<size_t>(mesh.face_count) + 1;
  if (mesh.strips.size() < need) mesh.strips.resize(need);
  for (TFace& face : mesh.faces) face.fmark = 0;
  mesh.strip_len = 0;
  std::vector<int32_t> visited;
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    if (mesh.faces[f].fmark != 0) continue;
    const int32_t v0 = mesh.faces[f].v[0], v1 = mesh.faces[f].v[1], v2 = mesh.faces[f].v[2];
    const int32_t l1 = TrialWalk(mesh, f, v1, v2, visited);
    const int32_t l2 = TrialWalk(mesh, f, v2, v0, visited);
    const int32_t l3 = TrialWalk(mesh, f, v0, v1, visited);
    ++stats.strips;
    if (l1 > l2 && l1 > l3) {
      BuildStrip(mesh, f, v0, v1, v2);
      stats.faces += l1;
    } else if (l2 > l3) {
      BuildStrip(mesh, f, v1, v2, v0);
      stats.faces += l2;
    } else {
      BuildStrip(mesh, f, v2, v0, v1);
      stats.faces += l3;
    }
  }
  mesh.strips[mesh.strip_len++] = kStreamEnd;
  return stats;
}

std::string StripStatisticsText(const TStripStats& stats) {
  char avg[32] = "-";
  if (stats.strips > 0) std::snprintf(avg, sizeof avg, "%.4g", static_cast<double>(stats.faces) / stats.strips);
  return std::to_string(stats.strips) + " strips; length avg: " + avg + " vtx send " + std::to_string(stats.faces);
}
