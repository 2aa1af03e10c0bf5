#include "loading/mesh_loading.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <future>
#include <new>
#include <utility>

#include "data/data_channels.h"
#include "flow/direction_alignment.h"
#include "formats/mesh_import.h"
#include "formats/ply_reader.h"
#include "formats/read_failure.h"
#include "loading/simulation_loading.h"
#include "mesh/crack_insertion.h"
#include "mesh/curvature.h"
#include "mesh/loop_subdivision.h"
#include "mesh/mesh_preparation.h"
#include "mesh/parallel_for.h"
#include "mesh/releasing_allocator.h"
#include "mesh/triangle_strips.h"

namespace {

// The user's data ranges survive a load. (The vertex fields that survive are
// taken over by the reader, see ReadPlyData.)
void CarryOver(const TMesh& previous, TMesh& mesh) {
  std::copy(std::begin(previous.data_range), std::end(previous.data_range), std::begin(mesh.data_range));
}

// BuildStrips on a thread of its own where there is a core to spare, else
// on the calling thread before this returns.
std::future<TStripStats> StartStrips(TMesh& mesh) {
  const auto policy = ParallelThreads() > 1 ? std::launch::async : std::launch::deferred;
  std::future<TStripStats> strips = std::async(policy, [&mesh] { return BuildStrips(mesh); });
  if (policy == std::launch::deferred) strips.wait();
  return strips;
}

// Frees the file's bytes once read (their pages handed back on all cores).
void FreeBytes(std::string& bytes) {
  ReleasePages(bytes.data(), bytes.size());
  std::string().swap(bytes);
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
  // The faces and their incident-face lists are final now. The strips are
  // built from these alone (their walk marks are the only face field they
  // write), and no later pass reads the strips or the marks, so the strips
  // are built beside the remaining passes: one walk that cannot be split,
  // taken off the path of those that can. (Not beside the normals: the
  // working arrays of the two together would raise the load's peak memory.)
  std::future<TStripStats> strips = StartStrips(mesh);
  ComputeBoundingBox(mesh);
  GenerateTexCoords(mesh);
  ComputeCurvature(mesh, TCurvatureOptions{opt.use_neighbors});
  AlignDirectionsWithAxis(mesh, 1);
  ComputeDataRanges(mesh, previous.vertex_count == 0);
  const TStripStats stats = strips.get();
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

// PLY text read and prepared into `fresh`, with `previous` as the mesh it
// replaces. `owner`, when given, holds the text and is freed as soon as the
// reader is done with it, so the preparation's peak does not hold the file too.
bool LoadPlyBeside(std::string_view text, std::string* owner, const TLoadOptions& opt, const TMesh& previous,
                   TMesh& fresh, std::string& error, TLoadReport* report) {
  TPlyHeader header;
  if (!ReadPlyHeader(text, header, error)) return false;
  if (LoadMemoryEstimate(header) > MeshMemoryLimit()) {
    return Refuse(error, "Not enough memory for a mesh of " + std::to_string(header.vertex_count) + " vertices and " +
                             std::to_string(header.face_count) + " faces");
  }
  try {
    if (!ReadPlyData(text, header, opt.swap, fresh, error, &previous)) return false;
    if (owner) FreeBytes(*owner);
    return PrepareLoadedMesh(fresh, previous, opt, error, report);
  } catch (const std::bad_alloc&) {
    return Refuse(error, "Not enough memory to load the mesh");
  }
}

}  // namespace

bool LoadMeshFromText(std::string_view text, const TLoadOptions& opt, TMesh& mesh, std::string& error,
                      TLoadReport* report) {
  TMesh fresh;
  if (!LoadPlyBeside(text, nullptr, opt, mesh, fresh, error, report)) return false;
  mesh = std::move(fresh);
  return true;
}

namespace {

// The load of a file in one of the imported formats: ReadImportedMesh into
// `fresh`, then PrepareLoadedMesh with `previous` as the mesh it replaces.
// The file's bytes are freed once read: they are not held through the preparation.
bool ImportMeshBeside(const std::string& path, std::string& bytes, TMeshFormat format, const TLoadOptions& opt,
                      const TMesh& previous, TMesh& fresh, std::string& error, TLoadReport* report) {
  try {
    if (!ReadImportedMesh(path, bytes, format, opt.swap, opt.import_limits, &previous, fresh, error)) return false;
    FreeBytes(bytes);
    return PrepareLoadedMesh(fresh, previous, opt, error, report);
  } catch (const std::bad_alloc&) {
    return Refuse(error, "Not enough memory to load the mesh");
  }
}

// The contents `bytes` of the file `path` (format from the bytes, else from
// the name) read and prepared into `fresh`: PLY and simulation files by our
// own readers, every other format by the importer. `bytes` is freed once read.
// A choice of blocks is refused for files that have none.
bool LoadBytesBeside(const std::string& path, std::string& bytes, const TLoadOptions& opt, const TMesh& previous,
                     TMesh& fresh, std::string& reason, TLoadReport* report) {
  const TMeshFormat format = DetectMeshFormat(path, bytes);
  if (IsSimulationFormat(format))
    return LoadSimulationBeside(path, bytes, format, opt, previous, fresh, reason, report);
  std::vector<TBlockInfo> none;  // other files have no blocks to choose
  if (opt.blocks && !ChooseBlocks(none, opt.blocks, reason)) return false;
  if (format == TMeshFormat::kPly) return LoadPlyBeside(bytes, &bytes, opt, previous, fresh, reason, report);
  return ImportMeshBeside(path, bytes, format, opt, previous, fresh, reason, report);
}

}  // namespace

bool LoadMeshBeside(const std::string& path, const TLoadOptions& opt, const TMesh& previous, TMesh& loaded,
                    std::string& error, TLoadReport* report) {
  std::string text, reason;
  TMesh fresh;
  bool ok = false;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))  // a folder of numbered simulation files
    ok = LoadSimulationBeside(path, "", TMeshFormat::kVtkSeries, opt, previous, fresh, reason, report);
  else
    ok = (IsSimulationFormat(DetectMeshFormat(path, "")) ? ReadSimulationBytes(path, text, reason)
                                                         : ReadFileText(path, text, reason)) &&
         LoadBytesBeside(path, text, opt, previous, fresh, reason, report);
  if (ok) loaded = std::move(fresh);
  if (!ok) error = LoadFailureText(path, reason);
  return ok;
}

bool LoadMeshFromBytes(const std::string& path, std::string_view bytes, const TLoadOptions& opt, TMesh& mesh,
                       std::string& error, TLoadReport* report) {
  std::string copy(bytes), reason;
  TMesh fresh;
  if (!LoadBytesBeside(path, copy, opt, mesh, fresh, reason, report)) {
    return Refuse(error, LoadFailureText(path, reason));
  }
  mesh = std::move(fresh);
  return true;
}

bool LoadMesh(const std::string& path, const TLoadOptions& opt, TMesh& mesh, std::string& error, TLoadReport* report) {
  TMesh fresh;
  if (!LoadMeshBeside(path, opt, mesh, fresh, error, report)) return false;
  mesh = std::move(fresh);
  return true;
}

std::string TriangleCountText(const TMesh& mesh) {
  return std::to_string(mesh.face_count) + " triangles, " + std::to_string(mesh.vertex_count) + " vertices";
}

std::string LoadSummaryText(const TMesh& mesh, const std::string& path, double seconds) {
  std::string arrays;
  if (mesh.has_user_velo)
    arrays = mesh.time_count >= 2 ? "velocities at " + std::to_string(mesh.time_count) + " time steps" : "velocities";
  if (mesh.has_tex0) arrays += std::string(arrays.empty() ? "" : ", ") + "texture coordinates";
  if (arrays.empty()) arrays = "no velocities or texture coordinates";
  char time[32];
  std::snprintf(time, sizeof time, "%.2f s", seconds);
  return std::filesystem::path(path).filename().string() + ": " + arrays + "; loaded in " + time;
}
