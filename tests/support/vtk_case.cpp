#include "support/vtk_case.h"

#include "formats/cell_surface.h"
#include "formats/vtk_legacy.h"
#include "formats/vtk_xml.h"
#include "support/mesh_validator.h"

std::string CheckVtkCase(std::string_view bytes, TVtkReader reader) {
  TCellSurface s;
  std::string reason;
  const bool read = reader == TVtkReader::kLegacy ? ReadLegacyVtk(bytes, s, reason) : ReadVtkXml(bytes, s, reason);
  if (!read) return reason.empty() ? "a failed read gave no reason\n" : "";
  TMesh mesh;
  TSurfaceNotes notes;
  if (!BuildCellSurfaceMesh(s, false, nullptr, mesh, notes, reason))
    return reason.empty() ? "a failed build gave no reason\n" : "";
  std::string fault = ValidateMesh(mesh);
  for (const TFileArray& a : mesh.file_arrays)
    if (a.steps.size() != 1 || a.steps[0].size() != static_cast<size_t>(mesh.vertex_count) * a.components)
      fault += "the array \"" + a.name + "\" does not have one tuple per vertex\n";
  return fault;
}
