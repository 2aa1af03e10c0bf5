#pragma once
// Greedy triangle strips over the faces, stored as one index stream for the
// textured surface pass, and the face-across-an-edge query shared with Loop
// subdivision and crack insertion.
//
// Stream format (mesh.strips, mesh.strip_len entries in use): per strip the
// first two vertex indices, then one index per face, then kStripEnd; after the
// last strip kStreamEnd. Readers treat every value >= kStreamEnd as a
// separator. The first triangle of a strip has its face's own vertex order and
// the following ones alternate as a triangle strip expects.
#include <string>

#include "mesh/mesh_model.h"

constexpr int32_t kStripEnd = 2147483647;
constexpr int32_t kStreamEnd = 2147483646;

// The face g on the other side of the edge (a, b) of face f, or -1. Scans the
// incident faces of b (vface order), skipping f; the first one that contains a
// wins. `x` receives the vertex of g that is neither a nor b (untouched when
// there is none). An edge with a == b (a face that repeats a vertex) has no
// face across: any face at b would match and the strip walks would emit
// triangles that are not faces.
// The search behind FindFaceAcross, over any list of the faces incident to b
// (the vertex record's vface, or a compact copy of it).
inline int32_t FindFaceAcrossIn(const int32_t* faces_at_b, int32_t count, const TFace* faces, int32_t f, int32_t a,
                                int32_t b, int32_t& x) {
  if (a == b) return -1;  // the collapsed edge of a face that repeats a vertex has no other side
  for (int32_t s = 0; s < count; ++s) {
    const int32_t g = faces_at_b[s];
    if (g == f) continue;
    const int32_t* v = faces[g].v;
    for (int j = 0; j < 3; ++j) {
      if (v[j] != a) continue;
      x = v[j == 2 ? 0 : j + 1];
      if (x == b) x = v[j == 0 ? 2 : j - 1];
      return g;
    }
  }
  return -1;
}

inline int32_t FindFaceAcross(const TMesh& mesh, int32_t f, int32_t a, int32_t b, int32_t& x) {
  const TVertex& vb = mesh.vertices[b];
  return FindFaceAcrossIn(vb.vface, vb.vface_count, mesh.faces.data(), f, a, b, x);
}

// Strip statistics: S strips, T faces in all strips together.
struct TStripStats {
  int32_t strips = 0;
  int64_t faces = 0;
};

// Rebuilds strips / strip_len from the faces; needs current vface lists.
// Uses fmark as scratch (0 free, trial-walk bits, 2 taken: every face ends with 2).
TStripStats BuildStrips(TMesh& mesh);

// The statistics line, e.g. "412 strips; length avg: 4.854 vtx send 2000"; with
// no strip the average reads "-".
std::string StripStatisticsText(const TStripStats& stats);
