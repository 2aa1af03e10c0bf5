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

// adv_pos (use_adv) or pos, 3 floats a vertex, object space.
void PackPositions(const TMesh& mesh, bool use_adv, std::vector<float>& out, const TVertexOrder& order = {});
// The unit vertex normals, 3 floats a vertex.
void PackNormals(const TMesh& mesh, std::vector<float>& out, const TVertexOrder& order = {});
// tex (s, t) of every vertex, frame-texture units.
void PackTexCoords(const TMesh& mesh, std::vector<float>& out, const TVertexOrder& order = {});
// tex0 (u, v) of every vertex, the base coordinates of the mapped image.
void PackBaseTexCoords(const TMesh& mesh, std::vector<float>& out, const TVertexOrder& order = {});
// norm_value of every vertex, the 1-D colour-map coordinate.
void PackDataCoords(const TMesh& mesh, std::vector<float>& out, const TVertexOrder& order = {});
// RGBA a vertex: rgb of `colour` with the alpha SurfaceOpacity(a, norm_value,
// inverse), as "Modulate alpha for data" colours each vertex.
void PackOpacityColours(const TMesh& mesh, const float colour[4], double a, bool inverse, std::vector<float>& out,
                        const TVertexOrder& order = {});
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
