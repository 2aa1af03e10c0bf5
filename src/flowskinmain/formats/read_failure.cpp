#include "formats/read_failure.h"

#include <filesystem>

std::string LoadFailureText(const std::string& path, std::string reason) {
  std::string voiced;
  Refuse(voiced, std::move(reason));
  return "Cannot load \"" + std::filesystem::path(path).filename().string() + "\": " + voiced;
}
