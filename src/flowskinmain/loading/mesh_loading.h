#pragma once
// Loading a mesh: the one operation that replaces the geometry. The file is
// read and prepared into a new mesh; only when every step succeeded does it
// replace the caller's mesh, so a failed load leaves the previous mesh exactly
// as it was.
#include <string>
#include <string_view>

#include "formats/import_worker.h"
#include "formats/read_failure.h"
#include "loading/block_choice.h"
#include "mesh/mesh_model.h"
#include "mesh/triangle_strips.h"

// Values of the loading controls, filled by the window.
struct TLoadOptions {
  bool swap = false;                // cb_swap "Swap orientation"
  bool subdivide = false;           // cb_subdiv "Subdivide when read:"
  int subdiv_steps = 1;             // ud_subdiv, 1..20
  bool crack_insert = false;        // cb_crack_insert "Insert cracks, at angle:" (hidden, off)
  double crack_angle_convex = 45;   // ud_crack_angle_convex, degrees 0..180
  double crack_angle_concave = 20;  // ud_crack_angle_concave, degrees 0..180
  bool use_neighbors = false;       // cb_use_neighbors "Use more neighbors for curvature" (hidden, off)
  TImportLimits import_limits;      // time and memory of the import worker (OBJ, STL, OFF, glTF)
  TBlockChoice blocks;  // lw_blocks "Blocks": the blocks of a multiblock file taken, by name (see ChooseBlocks)
};

// What a load reports besides the mesh: the strip statistics (shown in the
// hidden lab_strips), and the blocks of a multiblock file (shown in lw_blocks).
struct TLoadReport {
  TStripStats strip_stats;
  std::string strip_text;          // StripStatisticsText(strip_stats)
  std::string notes;               // what the load changed in the file's surface ("faces turned outward"), or ""
  std::string flow_note;           // which flow array a simulation load chose and why, where a velocity was passed over
  std::vector<TBlockInfo> blocks;  // a multiblock file's blocks (of the first time step), NamedBlocks; else empty
};

// Reads the mesh file `path` and prepares it. A PLY file (by its first line,
// or by its extension when the contents tell no format) is read by the PLY
// reader; OBJ, STL, OFF and glTF files by the importer (ImportMesh), which
// names the file in its messages; simulation files (VTK), and a folder of
// numbered ones as time steps, by LoadSimulationBeside. Preparation: adjacency, optional Loop
// subdivision (adjacency after each step), normals, optional crack insertion
// (then adjacency and normals again), bounding box, strips, generated texture
// coordinates, curvature (kmax / kmin in 1/length, not yet scaled by box_size:
// the window applies NormalizeCurvature when "Norm. K" is on), directions
// oriented towards +y, data ranges (data_range reset from auto_range only when
// `mesh` had no vertices; otherwise the previous data_range is kept).
// aux, aux_base, align_mark, and user_velo when the file has no velocities,
// keep the previous mesh's values in vertex slots that survive, zero in new
// ones. On success `mesh` is replaced and true returned; the caller sets
// scene_dirty. On failure `mesh` is untouched and `error` names the file and
// the reason (LoadFailureText: Cannot load "cube.ply": File not found).
bool LoadMesh(const std::string& path, const TLoadOptions& opt, TMesh& mesh, std::string& error,
              TLoadReport* report = nullptr);

// LoadMesh with the new mesh kept apart: `previous` (the mesh the load will
// replace) is only read, for the values carried over; on success `loaded`
// holds the new mesh. `previous` must not change while this runs, which lets
// a worker thread load while the caller keeps drawing nothing new from it.
bool LoadMeshBeside(const std::string& path, const TLoadOptions& opt, const TMesh& previous, TMesh& loaded,
                    std::string& error, TLoadReport* report = nullptr);

// LoadMesh on the bytes of the file `path` already in memory (the format from
// the bytes, else from the name).
bool LoadMeshFromBytes(const std::string& path, std::string_view bytes, const TLoadOptions& opt, TMesh& mesh,
                       std::string& error, TLoadReport* report = nullptr);

// The same on PLY text already in memory; `error` holds the reason alone.
bool LoadMeshFromText(std::string_view text, const TLoadOptions& opt, TMesh& mesh, std::string& error,
                      TLoadReport* report = nullptr);

// The preparation steps of a load on a mesh that has just been read, in their
// order (adjacency ... data ranges). `previous` (the mesh the load replaces)
// supplies the data ranges that are kept and the first-load condition; the
// carried-over vertex fields are taken by the reader (ReadPlyData with the
// previous mesh). Fails only when the subdivision would need more memory than
// the machine can give.
bool PrepareLoadedMesh(TMesh& mesh, const TMesh& previous, const TLoadOptions& opt, std::string& error,
                       TLoadReport* report = nullptr);

// The triangle count line, e.g. "1280 triangles, 642 vertices".
std::string TriangleCountText(const TMesh& mesh);

// The file, the arrays a load brought and how long it took, for the status
// line under the counts: "sphere_swirl.ply: velocities at 8 time steps;
// loaded in 0.31 s". The arrays named are the file's velocities (with their
// time steps) and texture coordinates.
std::string LoadSummaryText(const TMesh& mesh, const std::string& path, double seconds);
