#pragma once
// A surface as simulation files give it: points, polygonal cells, and named
// arrays on the points or on the cells. The readers of those files fill it;
// BuildCellSurfaceMesh turns it into the raw mesh of a load.
#include <cstdint>
#include <string>
#include <vector>

#include "mesh/mesh_model.h"

struct TDataArray {
  std::string name;
  int32_t components = 1;
  std::vector<double> values;  // tuple after tuple: count x components
  size_t TupleCount() const { return components > 0 ? values.size() / static_cast<size_t>(components) : 0; }
};

struct TCellSurface {
  std::vector<double> points;          // x y z of each point
  std::vector<int64_t> offsets{0};     // cell c: connectivity[offsets[c] .. offsets[c + 1])
  std::vector<int64_t> connectivity;   // point indices
  std::vector<TDataArray> point_data;  // one tuple per point
  std::vector<TDataArray> cell_data;   // one tuple per cell
  bool volume_boundary = false;        // made from volume cells: their boundary (and surface cells on it)
  size_t PointCount() const { return points.size() / 3; }
  size_t CellCount() const { return offsets.size() - 1; }
  // Appends a cell of the given point indices.
  void AddCell(const int64_t* corners, size_t n) {
    connectivity.insert(connectivity.end(), corners, corners + n);
    offsets.push_back(static_cast<int64_t>(connectivity.size()));
  }
};

// What a build did that the user is told of.
struct TSurfaceNotes {
  bool turned_outward = false;  // the faces pointed inwards and were turned over
  size_t joined_points = 0;     // repeated points joined into others
};

// Checks the surface: finite coordinates, indices inside the points, offsets
// rising within the connectivity, each array as long as its points or cells
// (components 1..9). Empty when all holds, otherwise the reason in words for
// the user, starting in lower case.
std::string CheckCellSurface(const TCellSurface& s);

// Builds the raw mesh of a load (vertex_count, face_count, vertices[].pos,
// faces[].v, file_arrays; has_user_velo and has_tex0 false, time_count 0)
// from a checked surface:
//   - points whose coordinates are exactly equal (as single precision) become
//     one vertex, their point data averaged; points used by no cell are left
//     out; vertices keep the order of their points' first appearance;
//   - each cell of three or more distinct corners is split by SplitPolygon,
//     triangles repeating a vertex dropped;
//   - cell data becomes point data: each vertex takes the average of its
//     cells' values weighted by the cells' areas (the plain average where
//     every cell of the vertex has zero area); a cell array named like a
//     point array is kept as "NAME (cell)";
//   - arrays of 1 and 3 components are kept (others left out), one step each;
//   - when the faces enclose a negative signed volume they are turned over
//     (notes.turned_outward); then `swap` exchanges v[0] and v[1] of every face.
// Vertex slots that `previous` has carry aux, aux_base, align_mark and
// user_velo as in BuildMeshFromSoup. Fails when no face is left or the counts
// exceed the int32 indices.
bool BuildCellSurfaceMesh(const TCellSurface& s, bool swap, const TMesh* previous, TMesh& mesh, TSurfaceNotes& notes,
                          std::string& reason);
