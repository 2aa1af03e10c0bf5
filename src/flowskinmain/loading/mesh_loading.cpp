#include "loading/mesh_loading.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <utility>

#include "data/data_channels.h"
#include "flow/direction_alignment.h"
#include "formats/mesh_import.h"
#include "formats/ply_reader.h"
#include "mesh/crack_insertion.h"
#include "mesh/curvature.h"
#include "mesh/loop_subdivision.h"
#include "mesh/mesh_preparation.h"

namespace {

// The user's data ranges survive a load. (The vertex fields that survive are
// taken over by the reader, see ReadPlyData.)
void CarryOver(const TMesh& previous, TMesh& mesh) {
  std::copy(std::begin(previous.data_range), std::end(previous.data_range), std::begin(mesh.data_range));
}

}  // namespace

bool PrepareLoadedMesh(TMesh& mesh, const TMesh& previous, const TLoadOptions& opt, std::string& error,
                       TLoadReport* report) {
  CarryOver(previous, mesh);
  if (opt.subdivide && opt.subdiv_steps > 0 && !CheckSubdivisionBudget(mesh, opt.subdiv_steps, error)) return false;
  BuildAdjacency(mesh);
  if (opt.subdivide)
    for (int s = 0; s < opt.subdiv_steps; ++s) {
      LoopSubdivide(mesh);
      BuildAdjacency(mesh);
    }
  ComputeNormals(mesh);
  if (opt.crack_insert) {
    InsertCracks(mesh, TCrackOptions{opt.crack_angle_convex, opt.crack_angle_concave});
    BuildAdjacency(mesh);
    ComputeNormals(mesh);
  }
  ComputeBoundingBox(mesh);
  const TStripStats stats = BuildStrips(mesh);
  GenerateTexCoords(mesh);
  ComputeCurvature(mesh, TCurvatureOptions{opt.use_neighbors});
  AlignDirectionsWithAxis(mesh, 1);
  ComputeDataRanges(mesh, previous.vertex_count == 0);
  if (report) {
    report->strip_stats = stats;
    report->strip_text = StripStatisticsText(stats);
  }
  return true;
}

namespace {

// Bytes a loaded mesh of the header's size takes before any subdivision: the
// vertex records, faces, strips, time vectors and the passes' working copies.
double LoadMemoryEstimate(const TPlyHeader& h) {
  const double v = static_cast<double>(h.vertex_count), f = static_cast<double>(h.face_count);
  return v * (sizeof(TVertex) + 64 + 12.0 * static_cast<double>(h.time_count)) + f * (sizeof(TFace) + 32);
}

}  // namespace

bool LoadMeshFromText(std::string_view text, const TLoadOptions& opt, TMesh& mesh, std::string& error,
                      TLoadReport* report) {
  TPlyHeader header;
  if (!ReadPlyHeader(text, header, error)) return false;
  if (LoadMemoryEstimate(header) > MeshMemoryLimit()) {
    error = "Not enough memory for a mesh of " + std::to_string(header.vertex_count) + " vertices and " +
            std::to_string(header.face_count) + " faces";
    return false;
  }
  try {
    TMesh fresh;
    if (!ReadPlyData(text, header, opt.swap, fresh, error, &mesh)) return false;
    if (!PrepareLoadedMesh(fresh, mesh, opt, error, report)) return false;
    mesh = std::move(fresh);
    return true;
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to load the mesh";
    return false;
  }
}

namespace {

// The load of a file in one of the imported formats: ReadImportedMesh into a
// new mesh, PrepareLoadedMesh with `mesh` as the previous mesh, then `mesh`
// replaced. On failure `mesh` is untouched and `error` names the file and the
// reason: Cannot load "cube.stl": the binary STL file is truncated: ...
bool ImportMesh(const std::string& path, std::string_view bytes, TMeshFormat format, const TLoadOptions& opt,
                TMesh& mesh, std::string& error, TLoadReport* report) {
  std::string reason;
  try {
    TMesh fresh;
    if (!ReadImportedMesh(path, bytes, format, opt.swap, opt.import_limits, &mesh, fresh, reason)) {
      error = "Cannot load \"" + std::filesystem::path(path).filename().string() + "\": " + reason;
      return false;
    }
    if (!PrepareLoadedMesh(fresh, mesh, opt, error, report)) return false;
    mesh = std::move(fresh);
    return true;
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to load the mesh";
    return false;
  }
}

}  // namespace

bool LoadMesh(const std::string& path, const TLoadOptions& opt, TMesh& mesh, std::string& error, TLoadReport* report) {
  std::string text;
  if (!ReadFileText(path, text, error)) return false;
  return LoadMeshFromBytes(path, text, opt, mesh, error, report);
}

bool LoadMeshFromBytes(const std::string& path, std::string_view bytes, const TLoadOptions& opt, TMesh& mesh,
                       std::string& error, TLoadReport* report) {
  // The file's format: PLY is read here, every other format by the importer.
  const TMeshFormat format = DetectMeshFormat(path, bytes);
  if (format != TMeshFormat::kPly) return ImportMesh(path, bytes, format, opt, mesh, error, report);
  return LoadMeshFromText(bytes, opt, mesh, error, report);
}

std::string TriangleCountText(const TMesh& mesh) {
  return std::to_string(mesh.face_count) + " triangles, " + std::to_string(mesh.vertex_count) + " vertices";
}
