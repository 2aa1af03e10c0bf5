#pragma once
// Reader of legacy simulation files (".vtk"): the "# vtk DataFile Version"
// line, a title line, "ASCII" or "BINARY" (numbers big-endian, each block
// right after the line that announces it), then "DATASET POLYDATA" or
// "DATASET UNSTRUCTURED_GRID".
//   POLYDATA: POINTS, POLYGONS and TRIANGLE_STRIPS (VERTICES and LINES are
//     read and left out);
//   UNSTRUCTURED_GRID: POINTS, CELLS and CELL_TYPES; surface cells (triangle,
//     quad, polygon, strip, pixel, quadratic triangle and quad by their
//     corners) and the boundary faces of volume cells, polyhedra included
//     (their cell lists hold their face streams; see TVtkCellGather).
// Cell lists in either layout: a count before each cell's corners, or the
// OFFSETS / CONNECTIVITY pair of newer files. POINT_DATA and CELL_DATA with
// SCALARS (with or without LOOKUP_TABLE), VECTORS, NORMALS, TENSORS,
// TEXTURE_COORDINATES, COLOR_SCALARS and FIELD arrays of any numeric type
// (string arrays of ASCII files are skipped); the METADATA blocks that
// writers put after arrays (information keys, component names, up to a blank
// line) are skipped wherever they stand.
#include <string>
#include <string_view>

#include "formats/cell_surface.h"

class TVtkBudget;

// True when the bytes start like a legacy file.
bool LooksLikeLegacyVtk(std::string_view bytes);

// Reads `bytes` into `s`, taking what it allocates from `budget` (a budget
// of its own when null). Fails, with the reason in words for the user
// (lower case, e.g. "the file ends inside the POINTS block"), on a truncated
// file, a count larger than the file can hold (checked before anything is
// allocated from it), a malformed number, an unknown keyword or type, an
// unsupported dataset type, or an array whose length does not match its
// points or cells, or counts beyond the budget. The surface itself is checked
// by CheckCellSurface.
bool ReadLegacyVtk(std::string_view bytes, TCellSurface& s, std::string& reason, TVtkBudget* budget = nullptr);
