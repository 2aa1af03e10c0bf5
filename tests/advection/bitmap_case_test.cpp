// The picture check of "Load image..." on the picture fuzz target's seeds and
// on every input that ever failed it (tests/fuzz/bitmap_regressions): each
// must pass the check, and the good 24-bit seeds must be accepted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "advection/image_map.h"
#include "support/bitmap_case.h"

TEST(BitmapCase, SeedsAndEveryInputThatEverFailedPassTheCheck) {
  int accepted = 0;
  for (const char* folder : {"bitmap_seeds", "bitmap_regressions"})
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(FLOWSKIN_FUZZ_DIR) / folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_EQ(CheckBitmapCase(bytes), "") << entry.path();
      const bool good = entry.path().filename().string().starts_with("bgr24_") &&
                        entry.path().filename().string().find("truncated") == std::string::npos;
      EXPECT_EQ(IsBitmap24(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), good) << entry.path();
      accepted += good;
    }
  EXPECT_EQ(accepted, 3);
}
