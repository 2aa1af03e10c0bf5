#include "loading/simulation_loading.h"

#include <filesystem>
#include <new>
#include <utility>

#include "data/data_channels.h"
#include "data/file_arrays.h"
#include "formats/cell_surface.h"
#include "formats/vtk_legacy.h"
#include "formats/vtk_xml.h"

bool ReadSimulationSurface(std::string_view bytes, TMeshFormat format, TCellSurface& s, std::string& reason) {
  if (bytes.empty()) return (reason = "the file is empty", false);
  if (format == TMeshFormat::kVtkLegacy) return ReadLegacyVtk(bytes, s, reason);
  if (format == TMeshFormat::kVtkXml) return ReadVtkXml(bytes, s, reason);
  reason = std::string("a ") + MeshFormatName(format) + " file cannot stand here";
  return false;
}

namespace {

// Reads the surface of the file: one file's surface.
bool ReadSurface(const std::string& path, std::string_view bytes, TMeshFormat format, TCellSurface& s,
                 std::string& reason) {
  (void)path;
  return ReadSimulationSurface(bytes, format, s, reason);
}

}  // namespace

bool LoadSimulationFile(const std::string& path, std::string_view bytes, TMeshFormat format, const TLoadOptions& opt,
                        TMesh& mesh, std::string& error, TLoadReport* report) {
  const std::string name = std::filesystem::path(path).filename().string();
  std::string reason;
  try {
    TCellSurface surface;
    TMesh fresh;
    TSurfaceNotes notes;
    if (!ReadSurface(path, bytes, format, surface, reason) ||
        !BuildCellSurfaceMesh(surface, opt.swap, &mesh, fresh, notes, reason)) {
      error = "Cannot load \"" + name + "\": " + reason;
      return false;
    }
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
    if (!PrepareLoadedMesh(fresh, mesh, opt, error, report)) return false;
    if (fresh.vertex_count != read_vertices) fresh.file_arrays.clear();  // subdivided or cracked
    ApplyFlowArray(fresh);
    // The File channel's range belongs to this file's arrays, not to the user's last one.
    fresh.file_scalar = 0;
    ComputeDataRanges(fresh, false);
    fresh.data_range[kChanFile] = fresh.auto_range[kChanFile];
    if (report) report->notes = notes.turned_outward ? "faces turned outward" : "";
    mesh = std::move(fresh);
    return true;
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to load the mesh";
    return false;
  }
}
