#include "support/vtk_case.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "formats/cell_surface.h"
#include "formats/vtk_legacy.h"
#include "formats/vtk_xml.h"
#include "loading/mesh_loading.h"
#include "support/mesh_validator.h"

namespace {

std::string CheckArrays(const TMesh& mesh) {
  std::string fault;
  for (const TFileArray& a : mesh.file_arrays)
    for (const std::vector<float>& step : a.steps)
      if (step.size() != static_cast<size_t>(mesh.vertex_count) * a.components)
        fault += "the array \"" + a.name + "\" does not have one tuple per vertex\n";
  return fault;
}

// The folder of the pieces, made once per process (and removed at its end).
const std::filesystem::path& PieceFolder() {
  static const std::filesystem::path folder = [] {
    namespace fs = std::filesystem;
    const fs::path f = fs::temp_directory_path() / ("flowskin_collection_case_" + std::to_string(getpid()));
    fs::create_directories(f);
    const fs::path corpus = fs::path(FLOWSKIN_CORPUS_DIR) / "vtk9";
    const char* pieces[][2] = {{"sphere_pieces_0.vtp", "a.vtp"},
                               {"polyhedra_appended_zlib.vtu", "b.vtu"},
                               {"mixed_v51_binary.vtk", "c.vtk"},
                               {"hexes_pieces_0.vtu", "d.vtu"},
                               {"hexes_pieces_1.vtu", "e.vtu"}};
    for (const auto& p : pieces) fs::copy_file(corpus / p[0], f / p[1], fs::copy_options::overwrite_existing);
    static const struct TRemove {
      fs::path folder;
      ~TRemove() {
        std::error_code ec;
        fs::remove_all(folder, ec);
      }
    } remove{f};
    return f;
  }();
  return folder;
}

}  // namespace

std::string CollectionCaseExtension(std::string_view input) {
  static const char* const kExtensions[] = {".vtm", ".pvd", ".series", ".pvtp", ".vtpc"};
  return input.empty() ? ".vtm" : kExtensions[static_cast<unsigned char>(input[0]) % 5];
}

std::string CheckCollectionCase(std::string_view input, bool* loaded) {
  const std::filesystem::path main = PieceFolder() / ("main" + CollectionCaseExtension(input));
  {
    std::ofstream out(main, std::ios::binary | std::ios::trunc);
    if (!input.empty()) out.write(input.data() + 1, static_cast<std::streamsize>(input.size() - 1));
  }
  TMesh mesh;
  std::string error;
  const bool ok = LoadMesh(main.string(), TLoadOptions{}, mesh, error);
  if (loaded) *loaded = ok;
  if (!ok) return error.empty() ? "a failed load gave no reason\n" : "";
  std::string fault = ValidateMesh(mesh) + CheckArrays(mesh);
  if (mesh.time_count > 1 && mesh.time_values.size() != static_cast<size_t>(mesh.time_count))
    fault += "the times do not match the steps\n";
  return fault;
}

std::string CheckVtkCase(std::string_view bytes, TVtkReader reader) {
  if (reader == TVtkReader::kCollection) return CheckCollectionCase(bytes);
  TCellSurface s;
  std::string reason;
  const bool read = reader == TVtkReader::kLegacy ? ReadLegacyVtk(bytes, s, reason) : ReadVtkXml(bytes, s, reason);
  if (!read) return reason.empty() ? "a failed read gave no reason\n" : "";
  TMesh mesh;
  TSurfaceNotes notes;
  if (!BuildCellSurfaceMesh(s, false, nullptr, mesh, notes, reason))
    return reason.empty() ? "a failed build gave no reason\n" : "";
  std::string fault = ValidateMesh(mesh) + CheckArrays(mesh);
  for (const TFileArray& a : mesh.file_arrays)
    if (a.steps.size() != 1) fault += "the array \"" + a.name + "\" has more than one step\n";
  return fault;
}
