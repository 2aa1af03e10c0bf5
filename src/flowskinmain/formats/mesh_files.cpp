#include "formats/mesh_files.h"

#include "formats/mesh_format.h"

bool IsMeshFileName(const std::string& path) {
  // With no contents to look at, the format detection goes by the extension.
  return DetectMeshFormat(path, std::string_view()) != TMeshFormat::kUnknown;
}
