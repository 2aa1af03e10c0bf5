#pragma once
// The vertex records copied out into the tight arrays that the surface passes
// draw from with buffer objects, and the strip stream split into its runs.
// Every array holds one entry per vertex record, in record order; values are
// converted to float exactly as the immediate-mode calls of the same pass
// would convert them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mesh/mesh_model.h"

// Which vertex record each entry of the packed arrays holds: entry i holds
// record order[i]. Empty: every record, in record order.
using TVertexOrder = std::vector<uint32_t>;

// The arrays of one pass, packed in one sweep of the vertex records (one
// entry a vertex of `order`): every target that is set receives its array.
struct TPackTargets {
  bool use_adv = false;
  std::vector<float>* positions = nullptr;    // adv_pos (use_adv) or pos, 3 floats, object space
  std::vector<float>* normals = nullptr;      // the unit vertex normals, 3 floats
  std::vector<float>* tex = nullptr;          // tex (s, t), frame-texture units
  std::vector<float>* tex0 = nullptr;         // tex0 (u, v), the base coordinates of the mapped image
  std::vector<float>* data_coords = nullptr;  // norm_value, the 1-D colour-map coordinate
  // RGBA: rgb of `colour` with the alpha SurfaceOpacity(alpha, norm_value,
  // inverse), as "Modulate alpha for data" colours each vertex.
  std::vector<float>* colours = nullptr;
  const float* colour = nullptr;
  double alpha = 1.0;
  bool inverse = false;
};
void PackArrays(const TMesh& mesh, const TPackTargets& t, const TVertexOrder& order = {});

// The three corners of every face, in face order (GL_TRIANGLES indices).
void PackFaceIndices(const TMesh& mesh, std::vector<uint32_t>& out);

// Runs of the strip stream: each run of vertex indices between markers is one
// triangle strip starting at `first` (an index into mesh.strips) with `count`
// indices. Runs under 3 indices draw nothing and are left out; the run after
// the last marker is kept only with keep_open_tail.
struct TStripRuns {
  std::vector<int32_t> counts;
  std::vector<int64_t> firsts;
};
TStripRuns SplitStripRuns(const TMesh& mesh, bool keep_open_tail);

// The strips of `runs` as separate triangles (GL_TRIANGLES indices): triangle
// k of a strip is (k, k+1, k+2) for even k and (k+1, k, k+2) for odd k, the
// order in which a triangle strip hands them to the rasteriser.
void StripTriangles(const TMesh& mesh, const TStripRuns& runs, std::vector<uint32_t>& out);

// Numbers the vertices that `indices` use in the order of their first use:
// rewrites every index to the new number and makes order[new number] the
// vertex record. Arrays packed in that order hold the vertices that nearby
// triangles share close together, as the rasteriser's vertex processing
// needs when a mesh's rows are long (vertices unused by `indices` are left
// out).
void NumberByFirstUse(int32_t vertex_count, std::vector<uint32_t>& indices, TVertexOrder& order);
