#include "loading/simulation_loading.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <utility>

#include "data/data_channels.h"
#include "data/file_arrays.h"
#include "formats/cell_surface.h"
#include "formats/ply_reader.h"
#include "formats/vtk_collection.h"
#include "formats/vtk_legacy.h"
#include "formats/vtk_xml.h"

bool ReadSimulationSurface(std::string_view bytes, TMeshFormat format, TCellSurface& s, std::string& reason) {
  if (bytes.empty()) return (reason = "the file is empty", false);
  if (format == TMeshFormat::kVtkLegacy) return ReadLegacyVtk(bytes, s, reason);
  if (format == TMeshFormat::kVtkXml) return ReadVtkXml(bytes, s, reason);
  reason = std::string("a ") + MeshFormatName(format) + " file is no VTK surface or grid";
  return false;
}

namespace {

std::string NameOf(const std::string& path) {
  const std::filesystem::path p(path);
  return p.has_filename() ? p.filename().string() : p.parent_path().filename().string();  // a folder named with a slash
}

// The union of the surfaces of `files` (a multiblock file among them adds its
// pieces); a failing piece is named in the reason.
bool ReadFiles(const std::vector<std::string>& files, TCellSurface& s, std::string& reason, int depth = 0) {
  for (const std::string& file : files) {
    std::string bytes, why;
    TCellSurface part;
    bool ok = ReadFileText(file, bytes, why);
    const TMeshFormat format = ok ? DetectMeshFormat(file, bytes) : TMeshFormat::kUnknown;
    if (ok && format == TMeshFormat::kVtkMultiBlock) {
      std::vector<std::string> pieces;
      ok = depth < 4 ? ListMultiBlockFiles(bytes, std::filesystem::path(file).parent_path().string(), pieces, why) &&
                           ReadFiles(pieces, part, why, depth + 1)
                     : (why = "multiblock files nest too deeply", false);
    } else if (ok) {
      ok = ReadSimulationSurface(bytes, format, part, why);
    }
    if (!ok) return (reason = "\"" + NameOf(file) + "\": " + why, false);
    AppendCellSurface(s, std::move(part));
  }
  return true;
}

// The surface of the file itself: one surface, or the pieces of a multiblock file.
bool ReadSurface(const std::string& path, std::string_view bytes, TMeshFormat format, TCellSurface& s,
                 std::string& reason) {
  if (format != TMeshFormat::kVtkMultiBlock) return ReadSimulationSurface(bytes, format, s, reason);
  std::vector<std::string> pieces;
  return ListMultiBlockFiles(bytes, std::filesystem::path(path).parent_path().string(), pieces, reason) &&
         ReadFiles(pieces, s, reason);
}

// Adds the arrays of the later steps to `mesh` (built from the first step):
// each step must give the same points and faces; arrays missing from a step
// are left out. Sets time_count, time_values and zero time_velo rows.
bool AddTimeSteps(const std::vector<TTimeStepFiles>& steps, bool swap, TMesh& mesh, std::string& reason) {
  for (size_t t = 1; t < steps.size(); ++t) {
    TCellSurface s;
    TMesh step;
    TSurfaceNotes notes;
    if (!ReadFiles(steps[t].files, s, reason) || !BuildCellSurfaceMesh(s, swap, nullptr, step, notes, reason))
      return false;
    bool same = step.vertex_count == mesh.vertex_count && step.face_count == mesh.face_count;
    for (int32_t i = 0; same && i < mesh.vertex_count; ++i)
      same = std::memcmp(&step.vertices[i].pos, &mesh.vertices[i].pos, sizeof(TVec3)) == 0;
    for (int32_t f = 0; same && f < mesh.face_count; ++f)
      same = std::memcmp(step.faces[f].v, mesh.faces[f].v, sizeof mesh.faces[f].v) == 0;
    if (!same)
      return (reason = "the step at time " + std::to_string(steps[t].time) +
                       " does not have the surface of the first step (its points or cells differ)",
              false);
    std::vector<TFileArray> kept;
    for (TFileArray& a : mesh.file_arrays)
      for (TFileArray& b : step.file_arrays)
        if (a.name == b.name && a.components == b.components) {
          a.steps.push_back(std::move(b.steps[0]));
          kept.push_back(std::move(a));
          break;
        }
    mesh.file_arrays = std::move(kept);
  }
  mesh.time_count = static_cast<int32_t>(steps.size());
  mesh.time_values.clear();
  for (const TTimeStepFiles& st : steps) mesh.time_values.push_back(st.time);
  mesh.time_velo.assign(steps.size(), std::vector<TVec3>(static_cast<size_t>(mesh.vertex_count)));
  return true;
}

// The numbered files of a folder as time steps: names PREFIX DIGITS .EXT
// (EXT one of vtk vtp vtu vtm), the prefix with the most files, each step's
// time its number.
bool ListNumberedSteps(const std::string& folder, std::vector<TTimeStepFiles>& steps, std::string& reason) {
  std::map<std::string, std::vector<std::pair<double, std::string>>> groups;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string(), ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".vtk" && ext != ".vtp" && ext != ".vtu" && ext != ".vtm")) continue;
    const std::string stem = entry.path().stem().string();
    size_t d = stem.size();
    while (d > 0 && std::isdigit(static_cast<unsigned char>(stem[d - 1]))) --d;
    if (d == stem.size() || stem.size() - d > 15) continue;
    groups[stem.substr(0, d) + "*" + ext].emplace_back(std::stod(stem.substr(d)), entry.path().string());
  }
  const auto best = std::max_element(groups.begin(), groups.end(),
                                     [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); });
  if (best == groups.end()) return (reason = "the folder holds no numbered VTK files (name_0001.vtp, ...)", false);
  std::sort(best->second.begin(), best->second.end());
  steps.clear();
  for (auto& [t, f] : best->second) steps.push_back(TTimeStepFiles{t, {std::move(f)}});
  return true;
}

// The first step's surface and the list of steps of a time collection.
bool ReadTimeCollection(const std::string& path, std::string_view bytes, TMeshFormat format, TCellSurface& s,
                        std::vector<TTimeStepFiles>& steps, std::string& reason) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  const bool listed = std::filesystem::is_directory(path)     ? ListNumberedSteps(path, steps, reason)
                      : format == TMeshFormat::kVtkCollection ? ListCollectionSteps(bytes, folder, steps, reason)
                                                              : ListSeriesSteps(bytes, folder, steps, reason);
  return listed && ReadFiles(steps.front().files, s, reason);
}

}  // namespace

bool LoadSimulationBeside(const std::string& path, std::string_view bytes, TMeshFormat format, const TLoadOptions& opt,
                          const TMesh& previous, TMesh& fresh, std::string& reason, TLoadReport* report) {
  try {
    TCellSurface surface;
    TSurfaceNotes notes;
    std::vector<TTimeStepFiles> steps;
    const bool timed = format == TMeshFormat::kVtkCollection || format == TMeshFormat::kVtkSeries ||
                       std::filesystem::is_directory(path);
    if (!(timed ? ReadTimeCollection(path, bytes, format, surface, steps, reason)
                : ReadSurface(path, bytes, format, surface, reason)) ||
        !BuildCellSurfaceMesh(surface, opt.swap, &previous, fresh, notes, reason) ||
        (steps.size() > 1 && !AddTimeSteps(steps, opt.swap, fresh, reason)))
      return false;
    surface = TCellSurface{};  // its memory is not needed any more
    // The raw flow goes into user_velo first, so that subdivision refines it;
    // the options are applied once the normals are known.
    fresh.flow_array = TFlowArrayChoice{};
    fresh.flow_array.array = DefaultFlowArray(fresh);
    if (fresh.flow_array.array >= 0) {
      TFlowArrayChoice raw = fresh.flow_array;
      raw.tangential = raw.normalise = false;
      std::swap(raw, fresh.flow_array);
      ApplyFlowArray(fresh);
      std::swap(raw, fresh.flow_array);
    }
    const int32_t read_vertices = fresh.vertex_count;
    if (!PrepareLoadedMesh(fresh, previous, opt, reason, report)) return false;
    if (fresh.vertex_count != read_vertices) fresh.file_arrays.clear();  // subdivided or cracked
    ApplyFlowArray(fresh);
    // The File channel's range belongs to this file's arrays, not to the user's last one.
    fresh.file_scalar = 0;
    ComputeDataRanges(fresh, false);
    fresh.data_range[kChanFile] = fresh.auto_range[kChanFile];
    if (report) report->notes = notes.turned_outward ? "faces turned outward" : "";
    return true;
  } catch (const std::bad_alloc&) {
    reason = "Not enough memory to load the mesh";
    return false;
  }
}
