// Typed ranges and range buttons on the selected channel.
#include <gtest/gtest.h>

#include "data/data_channels.h"
#include "data/render_state.h"

namespace {

TMesh MeshWithYRange(double lo, double hi) {
  TMesh m;
  m.data_range[kChanY] = {lo, hi};
  return m;
}

}  // namespace

TEST(TypedRange, IncreasingPairIsStoredAndTheEditsShowIt) {
  TMesh m = MeshWithYRange(0, 10);
  EXPECT_EQ(ApplyTypedRange(m, kChanY, " -2.5 ", "1.5E-006"), "");
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].min, -2.5);
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].max, 1.5e-6);
  EXPECT_EQ(RangeTexts(m, kChanY).min, "-2.5");
  EXPECT_EQ(RangeTexts(m, kChanY).max, "1.5E-006");
}

TEST(TypedRange, FiveThenThreeIsRejectedAndTheStoredRangeRestoresTheEdits) {
  TMesh m = MeshWithYRange(0, 10);
  EXPECT_EQ(ApplyTypedRange(m, kChanY, "5", "3"), "");
  EXPECT_EQ(ApplyTypedRange(m, kChanY, "4", "4"), "");
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].min, 0);
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].max, 10);
  EXPECT_EQ(RangeTexts(m, kChanY).min, "0");
  EXPECT_EQ(RangeTexts(m, kChanY).max, "10");
}

TEST(TypedRange, TextThatIsNotANumberReportsTheConversionAndChangesNothing) {
  TMesh m = MeshWithYRange(0, 10);
  EXPECT_EQ(ApplyTypedRange(m, kChanY, "abc", "3"), "'abc' is not a valid floating point value");
  EXPECT_EQ(ApplyTypedRange(m, kChanY, "1", "2x"), "'2x' is not a valid floating point value");
  for (const char* bad : {"", " ", "inf", "nan", "0x10", "1e", ".", "-", "1.2.3", "1e400"}) {
    double v = 0;
    std::string error;
    EXPECT_FALSE(ParseTypedNumber(bad, v, error)) << bad;
    EXPECT_EQ(error, std::string("'") + bad + "' is not a valid floating point value");
  }
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].max, 10);
  double v = 0;
  std::string error;
  EXPECT_TRUE(ParseTypedNumber("+.5e+2", v, error));
  EXPECT_DOUBLE_EQ(v, 50);
}

TEST(RangeButtons, ActOnTheSelectedChannelOnly) {
  TMesh m = MeshWithYRange(0, 10);
  m.data_range[kChanX] = {0, 8};
  ApplyRangeButton(m, kChanY, RangeCommand::Widen);
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].min, -5);
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].max, 15);
  ApplyRangeButton(m, kChanY, RangeCommand::Narrow);
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].min, 0);
  EXPECT_DOUBLE_EQ(m.data_range[kChanY].max, 10);
  ApplyRangeButton(m, kChanX, RangeCommand::ShiftUp);
  EXPECT_DOUBLE_EQ(m.data_range[kChanX].min, 1);
  EXPECT_DOUBLE_EQ(m.data_range[kChanX].max, 9);
}
