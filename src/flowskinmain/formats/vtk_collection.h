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

// The files of every DataSet of a multiblock file, nested blocks included, in
// document order. Fails on bad XML or when the file lists no data set.
bool ListMultiBlockFiles(std::string_view bytes, const std::string& folder, std::vector<std::string>& files,
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

// Drops every cell whose corners stand where another cell's stand (by
// position, in any order): the walls between volume pieces merged into one
// surface, each piece having given its own boundary. Cell data follows.
void DropSharedFaces(TCellSurface& s);
