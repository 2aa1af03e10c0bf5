// Fuzz target of the import path: every input is an import case (a byte that
// picks the file name's extension, then a load case, see
// support/load_case.h), loaded as a file of that name is loaded, the import
// library reading it in the import worker. A failed check aborts, so
// libFuzzer keeps the input. Faults inside the library must end in the
// worker: such inputs pass the check, and the first few are copied into
// $FLOWSKIN_IMPORT_FINDINGS (a folder) to be kept as regressions.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

#include "formats/import_worker.h"
#include "support/load_case.h"

namespace {

void KeepFinding(std::string_view input, const std::string& error) {
  static int kept = 0;
  const char* folder = std::getenv("FLOWSKIN_IMPORT_FINDINGS");
  if (!folder || kept >= 50) return;
  ++kept;
  const std::string name = "finding-" + std::to_string(std::hash<std::string_view>{}(input));
  std::ofstream(std::filesystem::path(folder) / name, std::ios::binary).write(input.data(), input.size());
  std::fprintf(stderr, "kept %s: %s\n", name.c_str(), error.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetImportWorkerPath(FLOWSKIN_IMPORT_WORKER);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  TImportLimits limits;
  limits.seconds = 5;
  limits.memory_mb = 1024;
  std::string error;
  const std::string fault = CheckImportCase(input, limits, &error);
  if (!fault.empty()) {
    std::fprintf(stderr, "import case failed its check:\n%s", fault.c_str());
    std::abort();
  }
  if (error.find("The import library failed") != std::string::npos) KeepFinding(input, error);
  return 0;
}
