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

// adv_pos (use_adv) or pos, 3 floats a vertex, object space.
void PackPositions(const TMesh& mesh, bool use_adv, std::vector<float>& out);
// The unit vertex normals, 3 floats a vertex.
void PackNormals(const TMesh& mesh, std::vector<float>& out);
// tex (s, t) of every vertex, frame-texture units.
void PackTexCoords(const TMesh& mesh, std::vector<float>& out);
// tex0 (u, v) of every vertex, the base coordinates of the mapped image.
void PackBaseTexCoords(const TMesh& mesh, std::vector<float>& out);
// norm_value of every vertex, the 1-D colour-map coordinate.
void PackDataCoords(const TMesh& mesh, std::vector<float>& out);
// RGBA a vertex: rgb of `colour` with the alpha SurfaceOpacity(a, norm_value,
// inverse), as "Modulate alpha for data" colours each vertex.
void PackOpacityColours(const TMesh& mesh, const float colour[4], double a, bool inverse, std::vector<float>& out);
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
