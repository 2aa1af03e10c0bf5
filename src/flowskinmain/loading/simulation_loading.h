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
#include "formats/vtk_budget.h"
#include "formats/vtk_collection.h"
#include "loading/mesh_loading.h"

// Reads the file `path` (whose contents are `bytes`, its format `format`,
// one of IsSimulationFormat; or a folder of numbered files name_0001.vtp,
// name_0002.vtp, ..., whose numbers become the times) into `fresh` and
// prepares it, with `previous` (the mesh the load will replace, only read) for
// the values carried over, taking the blocks opt.blocks takes (every step of a
// time collection the same blocks by name); report->notes says what was
// changed at load ("faces turned outward", "1 volume block left out"),
// report->flow_note which flow array was chosen and why, report->blocks the
// blocks of the file (of its first step). On failure `reason` says why in words ("the file
// ends inside a data block"); the caller names the file (LoadFailureText).
bool LoadSimulationBeside(const std::string& path, std::string_view bytes, TMeshFormat format, const TLoadOptions& opt,
                          const TMesh& previous, TMesh& fresh, std::string& reason, TLoadReport* report);

// How much of a simulation file is looked at before it is read whole.
constexpr size_t kSimulationStart = 64 * 1024;

// Reads the simulation file `path` into `bytes`, once its start shows a
// simulation format (SimulationFormatOfStart) or begins as markup does ('<'
// or '{' after blanks): a file that does neither (zeros, binary data under a
// VTK name) is refused having read only its start. Otherwise as
// ReadFileText (regular files only).
bool ReadSimulationBytes(const std::string& path, std::string& bytes, std::string& reason);

// The cell surface of one file (legacy or XML surface or grid), for readers
// of collections as well; allocations taken from `budget` (its own when null).
bool ReadSimulationSurface(std::string_view bytes, TMeshFormat format, TCellSurface& s, std::string& reason,
                           TVtkBudget* budget = nullptr);

// The cell surface the file `path` (contents `bytes`, format `format`, or a
// folder of numbered files) describes, and for a time collection its steps
// (`s` is then the first step's). Collections: every file read once however
// often it is named, made of the blocks `choice` takes (ChooseBlocks: by
// default blocks of volume cells are left out where other blocks have surface
// cells; `notes` then says "N volume blocks left out", and "N files named
// again, read once" where names repeat), all allocations taken from `budget`;
// a failing file is named in the reason, and one that lies outside the
// folder of the file naming it has nothing of its contents quoted. `blocks`,
// when given, receives the blocks found (NamedBlocks; empty for a file of no
// blocks). A choice is refused as ChooseBlocks refuses it; a plain surface or
// grid has no blocks.
bool ReadSimulationFile(const std::string& path, std::string_view bytes, TMeshFormat format, TVtkBudget& budget,
                        TCellSurface& s, std::vector<TTimeStepFiles>& steps, std::string& notes, std::string& reason,
                        const TBlockChoice& choice = {}, std::vector<TBlockInfo>* blocks = nullptr);
