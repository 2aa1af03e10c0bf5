#pragma once
// Files that list other files: a multiblock file (".vtm", one piece per
// boundary patch, as solvers write them), a time collection (".pvd") and a
// file series (".series", JSON beside the outputs of a run). Paths in them are
// relative to the listing file's folder.
#include <string>
#include <string_view>
#include <vector>

#include "formats/cell_surface.h"

// One time step: its time and the files whose pieces make its surface.
struct TTimeStepFiles {
  double time = 0;
  std::vector<std::string> files;
};

// One file a multiblock file lists and the block it makes. A block is known
// by its name: the "name" attributes of the nested Block and DataSet elements
// joined by "/" ("boundary/inlet"); an element without a name by its position
// among its parent's blocks, counted from 0. The pieces of a ".pvtp" or
// ".pvtu" have no name: they belong to the block that names that file.
struct TMultiBlockFile {
  std::string block;
  std::string file;
};

// The block names `inner` takes inside the block `outer` (a multiblock file
// naming another): "outer/inner", or either alone when the other is empty.
std::string NestedBlockName(const std::string& outer, const std::string& inner);

// The files of every DataSet of a multiblock file, nested blocks included, in
// document order, each with its block. Fails on bad XML or when the file lists
// no data set.
bool ListMultiBlockFiles(std::string_view bytes, const std::string& folder, std::vector<TMultiBlockFile>& files,
                         std::string& reason);

// The steps of a ".pvd" collection: DataSet elements with "timestep" and
// "file"; data sets of one time (several parts) form one step. Steps in
// increasing time.
bool ListCollectionSteps(std::string_view bytes, const std::string& folder, std::vector<TTimeStepFiles>& steps,
                         std::string& reason);

// The steps of a ".series" file: {"file-series-version": "1.0", "files": [
// {"name": "a_0.vtp", "time": 0}, ...]}. Steps in increasing time.
bool ListSeriesSteps(std::string_view bytes, const std::string& folder, std::vector<TTimeStepFiles>& steps,
                     std::string& reason);

// Appends the surface `part` to `whole`: points, cells with their indices
// shifted; arrays joined by name and component count (an array missing from
// either is left out, so every array keeps one tuple per point or cell).
void AppendCellSurface(TCellSurface& whole, TCellSurface&& part);

// Drops every cell before `keep_from` whose corners stand where another
// cell's stand (by position, in any order): the walls between volume pieces
// merged into one surface, each piece having given its own boundary, and the
// faces of those pieces that a surface cell from `keep_from` on lies on (which
// is kept). Cell data follows.
void DropSharedFaces(TCellSurface& s, size_t keep_from);
