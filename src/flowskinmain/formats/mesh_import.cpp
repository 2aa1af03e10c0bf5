#include "formats/mesh_import.h"

#include "formats/mesh_import_checks.h"
#include "formats/import_worker.h"
#include "formats/triangle_soup.h"

namespace {

// The bytes the library is given, after the checks of the format's structure.
bool CheckStructure(std::string_view& bytes, TMeshFormat format, std::string& reason) {
  if (bytes.empty()) {
    reason = "the file is empty";
  } else if (format == TMeshFormat::kUnknown) {
    reason = "unknown format; Flowskin reads PLY, OBJ, STL, OFF, glTF and VTK files";
  } else if (format == TMeshFormat::kStlBinary) {
    size_t used = 0;
    reason = CheckBinaryStl(bytes, used);
    bytes = bytes.substr(0, used);
  } else if (format == TMeshFormat::kStlAscii) {
    reason = CheckAsciiStl(bytes);
  } else if (format == TMeshFormat::kOff) {
    reason = CheckOffText(bytes);
  }
  return reason.empty();
}

}  // namespace

bool ReadImportedMesh(const std::string& path, std::string_view bytes, TMeshFormat format, bool swap,
                      const TImportLimits& limits, const TMesh* previous, TMesh& mesh, std::string& reason) {
  reason.clear();
  TImportedSoup soup;
  return CheckStructure(bytes, format, reason) && ReadSoupInWorker(path, bytes, format, limits, soup, reason) &&
         BuildMeshFromSoup(soup.View(), swap, previous, mesh, reason);
}
