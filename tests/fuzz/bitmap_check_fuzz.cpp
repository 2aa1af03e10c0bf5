// Fuzz target of the picture check of "Load image...": every input is a
// picture file (see support/bitmap_case.h); a failed check aborts, so
// libFuzzer keeps the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/bitmap_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = CheckBitmapCase(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "picture case failed its check: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
