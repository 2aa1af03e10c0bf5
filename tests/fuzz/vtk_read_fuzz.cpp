// Fuzz targets of the simulation-file readers: built three times, as
// vtk_legacy_fuzz, vtk_xml_fuzz (FLOWSKIN_VTK_XML set) and
// vtk_collection_fuzz (FLOWSKIN_VTK_COLLECTION set: files that name others),
// each input read and checked (support/vtk_case.h); a failed check aborts, so
// libFuzzer keeps the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/vtk_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#if defined(FLOWSKIN_VTK_COLLECTION)
  const TVtkReader reader = TVtkReader::kCollection;
#elif defined(FLOWSKIN_VTK_XML)
  const TVtkReader reader = TVtkReader::kXml;
#else
  const TVtkReader reader = TVtkReader::kLegacy;
#endif
  const std::string fault = CheckVtkCase(std::string_view(reinterpret_cast<const char*>(data), size), reader);
  if (!fault.empty()) {
    std::fprintf(stderr, "simulation-file case failed its check:\n%s", fault.c_str());
    std::abort();
  }
  return 0;
}
