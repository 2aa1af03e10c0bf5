#include "support/vtk_case.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/cell_surface.h"
#include "formats/vtk_legacy.h"
#include "formats/vtk_xml.h"

// The fuzz seeds read as surfaces and pass the check; every input that ever
// failed (the regression folders) passes it now.
TEST(VtkCase, SeedsReadAndEveryInputThatEverFailedPassesTheCheck) {
  const struct {
    const char* folder;
    TVtkReader reader;
    bool must_read;
  } folders[] = {{"vtk_seeds/legacy", TVtkReader::kLegacy, true},
                 {"vtk_seeds/xml", TVtkReader::kXml, true},
                 {"vtk_seeds/collection", TVtkReader::kCollection, false},
                 {"vtk_regressions", TVtkReader::kLegacy, false},
                 {"vtk_regressions", TVtkReader::kXml, false},
                 {"vtk_collection_regressions", TVtkReader::kCollection, false}};
  int seeds = 0;
  for (const auto& f : folders) {
    const std::filesystem::path dir = std::filesystem::path(FLOWSKIN_FUZZ_DIR) / f.folder;
    if (!std::filesystem::exists(dir)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (!entry.is_regular_file() || entry.path().filename() == ".keep") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      SCOPED_TRACE(entry.path().string());
      EXPECT_EQ(CheckVtkCase(bytes.str(), f.reader), "");
      if (f.reader == TVtkReader::kCollection && std::string(f.folder).starts_with("vtk_seeds")) {
        bool loaded = false;
        EXPECT_EQ(CheckCollectionCase(bytes.str(), &loaded), "");
        EXPECT_TRUE(loaded);
        ++seeds;
      }
      if (!f.must_read) continue;
      ++seeds;
      TCellSurface s;
      std::string reason;
      const bool read =
          f.reader == TVtkReader::kLegacy ? ReadLegacyVtk(bytes.str(), s, reason) : ReadVtkXml(bytes.str(), s, reason);
      EXPECT_TRUE(read) << reason;
      EXPECT_GT(s.CellCount(), 0u);
    }
  }
  EXPECT_GE(seeds, 22);
}
