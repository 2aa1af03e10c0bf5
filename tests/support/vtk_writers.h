#pragma once
// A small writer of simulation files for the tests: the same points, cells
// and arrays in every layout the readers take (legacy ASCII and binary, XML
// in ascii, base64, appended raw or base64 form, zlib blocks, either header
// type and byte order), and in PLY where PLY can hold them.
#include <cstdint>
#include <string>
#include <vector>

#include "mesh/mesh_model.h"

namespace fixtures {

struct TSimArray {
  std::string name;
  int components = 1;
  std::vector<double> values;
};

// Cells in file order; a POLYDATA or PolyData file needs its polygons before
// its strips (types 5, 7, 9 before 6), as those files order their cell data.
struct TSimData {
  std::vector<double> points;  // x y z each
  std::vector<std::vector<int64_t>> cells;
  std::vector<int> types;  // cell type numbers: 5 triangle, 6 strip, 7 polygon, 9 quad, 10 tetra, ...
  std::vector<TSimArray> point_data, cell_data;
};

enum class TXmlEncoding { kAscii, kBase64, kAppendedRaw, kAppendedBase64 };

struct TXmlLayout {
  TXmlEncoding encoding = TXmlEncoding::kAscii;
  bool zlib = false;
  bool uint64_header = false;
  bool big_endian = false;
  bool float32_points = false;
  int zlib_block = 64;  // bytes per compressed block, so that arrays span several
};

// Legacy file; POLYDATA with POLYGONS and TRIANGLE_STRIPS when `polydata`,
// else UNSTRUCTURED_GRID with CELLS and CELL_TYPES.
std::string LegacyVtk(const TSimData& d, bool binary, bool polydata);
// XML file: PolyData (Polys, Strips) when `polydata`, else UnstructuredGrid.
std::string VtkXml(const TSimData& d, const TXmlLayout& layout, bool polydata);
// ASCII PLY of the points and polygon cells, with the point array named
// `velocity` (3 components) as vx vy vz when it is not empty.
std::string SimPly(const TSimData& d, const std::string& velocity = "");

// A grid of nx x ny quads in z = 0 lifted by a bump, with the point arrays
// "U" (a swirl) and "p" and the cell array "yPlus" (1 + cell number).
TSimData QuadSheet(int nx, int ny);

}  // namespace fixtures
