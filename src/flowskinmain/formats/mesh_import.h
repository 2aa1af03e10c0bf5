#pragma once
// Loading of the mesh formats other than PLY (OBJ, STL, OFF, glTF) through the
// mesh-import library. The file becomes the same raw mesh a PLY load reads
// (positions, triangles, texture coordinates when the file has them, no
// velocities) and goes through the same preparation (see ImportMesh in the loading room).
#include <string>
#include <string_view>

#include "formats/import_worker.h"
#include "formats/mesh_format.h"
#include "mesh/mesh_model.h"

// Reads the file `path`, whose whole contents are `bytes` and whose format
// (not kPly) is `format` (see DetectMeshFormat), into the raw mesh `mesh`:
// every triangle of every mesh of the file, placed by the transforms of the
// nodes that use it, merged into one surface (see BuildMeshFromSoup for the
// joining of corners by position and the dropping of degenerate triangles;
// polygons are split into triangles, points and lines are left out).
// Texture coordinates (the first set) are taken when every mesh has them.
// The checks of the format's structure run here; the library reads the file
// in the import worker under `limits` (see ReadSoupInWorker), so a file that
// crashes it, loops it or exhausts its memory is refused with a reason.
// `previous` supplies the carried vertex fields as in ReadPlyData. On failure
// `reason` says why in words for the user ("the file is empty", "the binary
// STL file is truncated: ...") and `mesh` may be partly written.
bool ReadImportedMesh(const std::string& path, std::string_view bytes, TMeshFormat format, bool swap,
                      const TImportLimits& limits, const TMesh* previous, TMesh& mesh, std::string& reason);
