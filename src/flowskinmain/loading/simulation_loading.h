#pragma once
// The load of simulation files (legacy and XML VTK surfaces and grids): read
// into a cell surface, built into a raw mesh (see BuildCellSurfaceMesh), the
// flow array chosen, prepared like every load, then the file velocities
// written from the flow array with the options a file of this kind starts
// with ("Tangential only" and "Normalise" on, "Reverse" off).
#include <string>
#include <string_view>

#include "formats/cell_surface.h"
#include "formats/mesh_format.h"
#include "loading/mesh_loading.h"

// Reads the file `path` (whose contents are `bytes`, its format `format`,
// one of IsSimulationFormat; or a folder of numbered files name_0001.vtp,
// name_0002.vtp, ..., whose numbers become the times) into `fresh` and
// prepares it, with `previous` (the mesh the load will replace, only read) for
// the values carried over; report->notes says what was changed at load
// ("faces turned outward"). On failure `reason` says why in words ("the file
// ends inside a data block"); the caller names the file (LoadFailureText).
bool LoadSimulationBeside(const std::string& path, std::string_view bytes, TMeshFormat format, const TLoadOptions& opt,
                          const TMesh& previous, TMesh& fresh, std::string& reason, TLoadReport* report);

// The cell surface of one file (legacy or XML surface or grid), for readers
// of collections as well.
bool ReadSimulationSurface(std::string_view bytes, TMeshFormat format, TCellSurface& s, std::string& reason);
