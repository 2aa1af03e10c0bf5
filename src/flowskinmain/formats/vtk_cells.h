#pragma once
// The cells of simulation files by their type numbers, gathered into a
// TCellSurface: surface cells as polygons, triangle strips as their
// triangles, volume cells by their boundary faces. Points, lines and cell
// types without a surface are left out; the file's cell data follows each
// polygon back to the cell it came from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/cell_surface.h"

namespace vtkcell {
constexpr int kVertex = 1, kPolyVertex = 2, kLine = 3, kPolyLine = 4, kTriangle = 5, kTriangleStrip = 6, kPolygon = 7,
              kPixel = 8, kQuad = 9, kTetra = 10, kVoxel = 11, kHexahedron = 12, kWedge = 13, kPyramid = 14,
              kQuadraticTriangle = 22, kQuadraticQuad = 23, kPolyhedron = 42;
}  // namespace vtkcell

class TVtkCellGather {
 public:
  // Adds the file's cell number `file_cell` of type `type` with `n` corners.
  // Returns an empty string, or the reason when the corner count does not fit
  // the type (a triangle of 4 corners, a strip of 2).
  std::string Add(int type, const int64_t* corners, size_t n, int64_t file_cell);
  // Adds a polyhedron, the file's cell `file_cell`, from its face stream:
  // the face count, then each face's corner count and corners (point
  // numbers, shifted by `base`). Returns the reason when the stream does not
  // hold what it declares.
  std::string AddPolyhedron(const int64_t* stream, size_t n, int64_t base, int64_t file_cell);
  // Adds `n` polygons at once, the file's cells first_file_cell, ...: cell c
  // has the corners conn[ends[c - 1] .. ends[c]) (from 0 for the first),
  // each shifted by `base`; the ends come as read (doubles). Returns the
  // reason when an end is no index or the ends do not rise within
  // `conn_size`, or a polygon has fewer than 3 corners.
  std::string AddPolygons(const int64_t* conn, size_t conn_size, const double* ends, size_t n, int64_t base,
                          int64_t first_file_cell);
  // Moves the gathered cells into `s` (replacing its cells): first the
  // surface cells in file order, then the faces of volume cells that no other
  // volume cell shares. A surface cell with the corners of such a boundary
  // face is that face: it is kept once, in its place, wound as the volume
  // cell's face (out of the volume). `file_cell_data` (one tuple per file cell) becomes
  // s.cell_data, one tuple per polygon.
  void Finish(std::vector<TDataArray> file_cell_data, TCellSurface& s);
  size_t PolygonCount() const { return source_.size(); }
  bool HasVolumeCells() const { return !vface_source_.empty(); }

 private:
  void AddPolygon(const int64_t* corners, size_t n, int64_t file_cell);
  void AddVolumeFace(const int64_t* cell, const int* face, size_t n, int64_t file_cell);
  std::vector<int64_t> connectivity_;
  std::vector<int64_t> offsets_{0};
  std::vector<int64_t> source_;  // file cell of each polygon
  // Faces of volume cells: corners, and the file cell of each.
  std::vector<int64_t> vface_corners_;
  std::vector<size_t> vface_offsets_{0};
  std::vector<int64_t> vface_source_;
};
