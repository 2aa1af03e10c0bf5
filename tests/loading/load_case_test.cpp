// The fuzz target's checked load case on its seed corpus and on every input
// that ever failed it (tests/fuzz/regressions): each must pass the check, and
// each valid seed must load.
#include "support/load_case.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/fp_traps.h"

namespace {

std::string Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs every input of a corpus folder; returns how many there were.
int CheckFolder(const char* folder) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(FLOWSKIN_FUZZ_DIR) / folder)) {
    if (entry.path().filename().string()[0] == '.') continue;
    const std::string input = Bytes(entry.path());
    // Arbitrary geometry is degenerate on purpose: the passes meet divisions
    // by zero and overflows there and must turn them into zero or finite
    // fields, which the check's validator asserts.
    FpTrapsOff traps_off;
    EXPECT_EQ(CheckLoadCase(input), "") << entry.path();
    ++count;
  }
  return count;
}

}  // namespace

TEST(LoadCase, SeedsLoadOrFailAsNamedAndPassTheCheck) {
  EXPECT_GE(CheckFolder("seeds"), 10);
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(FLOWSKIN_FUZZ_DIR) / "seeds")) {
    const std::string input = Bytes(entry.path());
    const TLoadCase c = DecodeLoadCase(input);
    TMesh mesh;
    std::string error;
    const bool bad = entry.path().filename().string().rfind("bad_", 0) == 0;
    EXPECT_EQ(LoadMeshFromText(c.file, c.options, mesh, error), !bad) << entry.path() << ": " << error;
  }
}

TEST(LoadCase, EveryInputThatEverFailedNowPasses) { CheckFolder("regressions"); }

namespace {

// Runs every import case of a corpus folder; returns how many there were.
int CheckImportFolder(const char* folder, int& refused) {
  int count = 0;
  refused = 0;
  TImportLimits limits;
  limits.seconds = 10;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(FLOWSKIN_FUZZ_DIR) / folder)) {
    if (entry.path().filename().string()[0] == '.') continue;
    FpTrapsOff traps_off;
    std::string error;
    EXPECT_EQ(CheckImportCase(Bytes(entry.path()), limits, &error), "") << entry.path();
    refused += !error.empty();
    ++count;
  }
  return count;
}

}  // namespace

TEST(ImportCase, SeedsOfEveryImportedFormatLoad) {
  int refused = 0;
  EXPECT_GE(CheckImportFolder("import_seeds", refused), 6);
  EXPECT_EQ(refused, 0);
}

// Inputs that ever made the library crash, loop, leak or read a format they
// do not claim: all refused, none harming the program.
TEST(ImportCase, EveryInputThatEverFailedIsRefusedAndPassesTheCheck) {
  int refused = 0;
  const int count = CheckImportFolder("import_regressions", refused);
  EXPECT_GE(count, 4);
  EXPECT_EQ(refused, count);
}
