#pragma once
// The split of a file's polygons into triangles, shared by every reader: a
// quad along its shorter diagonal (the other one when the shorter would leave
// a triangle outside a non-convex quad), a larger polygon by ear clipping in
// its best-fit plane, taking at each step the best-shaped ear. Triangles keep
// the polygon's winding.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "mesh/mesh_model.h"

// Appends the n - 2 triangles of the polygon whose corners, in order, are at
// `corners` (n >= 3; nothing for fewer) to `out` as triples of local corner
// numbers 0..n-1. A degenerate polygon (collinear or repeated corners) still
// gives n - 2 triangles, so no hole opens where the file had a face.
void SplitPolygon(std::span<const TVec3> corners, std::vector<std::array<int32_t, 3>>& out);

// Polygons met while reading faces, before every position is known (a binary
// PLY file may hold its faces ahead of its vertices): Add reserves the
// polygon's n - 2 faces in place, in file order, and Resolve fills them once
// the positions are there.
class TPendingPolygons {
 public:
  // Appends n - 2 faces to `faces` for the polygon of vertex indices `corners`
  // (n > 3; a triangle is written directly by the caller). With `swap` every
  // face it becomes has v[0] and v[1] exchanged.
  void Add(std::span<const int32_t> corners, bool swap, FaceArray& faces);
  // Writes the reserved faces from the split of each polygon in `vertices`.
  void Resolve(const VertexArray& vertices, FaceArray& faces) const;
  bool Empty() const { return first_face_.empty(); }

 private:
  std::vector<int32_t> corners_;    // every polygon's corners, one after another
  std::vector<size_t> offsets_{0};  // polygon p: corners_[offsets_[p] .. offsets_[p + 1])
  std::vector<size_t> first_face_;  // polygon p's first reserved face
  std::vector<bool> swap_;
};
