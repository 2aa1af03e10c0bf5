// Fuzz target of the mesh loader: every input is a load case (option bytes and
// a file, see support/load_case.h) loaded into a mesh that already holds a
// previous load and checked; a failed check aborts, so libFuzzer keeps the
// input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/load_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = CheckLoadCase(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "load case failed its check:\n%s", fault.c_str());
    std::abort();
  }
  return 0;
}
