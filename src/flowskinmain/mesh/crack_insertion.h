#pragma once
// Crack insertion: cuts the mesh open along sharp edges. A vertex on at least
// two sharp edges (or on one sharp edge and the boundary) is split into one
// copy per region between them, and each region's faces are re-pointed to
// their own copy. The caller rebuilds adjacency and normals afterwards.
#include <vector>

#include "mesh/mesh_model.h"

struct TCrackOptions {
  double convex_angle = 45;   // degrees, 0..180 ("Insert cracks, at angle:")
  double concave_angle = 20;  // degrees, 0..180
};

// Cosines of the two thresholds and their smaller (lo) and larger (hi) value.
struct TCrackThresholds {
  double c_convex, c_concave, lo, hi;
};
TCrackThresholds MakeCrackThresholds(const TCrackOptions& opt);

// True when the edge between faces f and g is sharp: the angle between their
// fnormals exceeds the threshold of the edge's kind. The edge is convex when
// (fnormal f x fnormal g) . (pos q - pos p) > 0, concave otherwise.
bool IsSharpEdge(const TMesh& mesh, const TCrackThresholds& th, int32_t f, int32_t g, int32_t p, int32_t q);

// One entry of a vertex's fan: a face around the vertex (-1 for the open end of
// a boundary fan), the other vertex of the edge between this face and the
// previous entry's face, and that edge's type. `starts_walk` marks the first
// entry of each connected group of faces around the vertex (a vertex where
// two sheets of the surface touch has several).
enum FanEdge : int32_t { kFanSmooth = 0, kFanSharp = 1, kFanBoundary = 2 };
struct TFanEntry {
  int32_t face, edge_vertex, edge_type;
  bool starts_walk;
};

// The faces around vertex c in order: each connected group starts at its
// boundary when it is open, else just after a sharp edge when it has one.
// Uses fmark of the incident faces (1 = taken).
std::vector<TFanEntry> WalkFan(TMesh& mesh, const TCrackThresholds& th, int32_t c);

// True when the fan has at least two sharp edges, or one and a boundary.
bool FanNeedsCut(const std::vector<TFanEntry>& fan);

// Appends a copy of vertex c's record at index vertex_count (doubling the
// array first when it is full), and of c's vector in every time_velo row, and
// returns the new index.
int32_t DuplicateVertex(TMesh& mesh, int32_t c);

// Cuts c along the sharp entries of its fan: the region after each sharp edge
// (but the first entry's), and each further connected group of faces, gets a
// new copy of c; faces are re-pointed and the copies' nb / vface lists hold the
// links found on the way.
void SplitVertex(TMesh& mesh, int32_t c, const std::vector<TFanEntry>& fan);

// Runs the whole step on vertices 0..vertex_count-1: walks every fan on the
// uncut mesh, then splits the vertices that need it (the copies are not
// visited). Needs current fnormal, nb and vface; the nb / vface lists are only
// partly maintained, so the caller rebuilds adjacency afterwards.
void InsertCracks(TMesh& mesh, const TCrackOptions& opt);
