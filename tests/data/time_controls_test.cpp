// Time <-> slider position and the text of the "Time" edit.
#include "data/time_controls.h"

#include <gtest/gtest.h>

#include <limits>

TEST(TimeControls, SliderPositionIsRoundedToEvenAndClampedAndTheTextHasTenDigits) {
  TMesh m;
  m.time_count = 2;
  m.time_values = {0, 200};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, int32_t> cases[] = {{1, 0}, {3, 2}, {-7, 0}, {300, 100}, {nan, 0}};  // 0.5, 1.5: to even
  for (const auto& [t, pos] : cases) EXPECT_EQ(TimeSliderPosition(m, t), pos) << t;
  m.time_values = {4, 4};  // an empty range
  EXPECT_EQ(TimeSliderPosition(m, 4), 0);
  EXPECT_EQ(FormatTimeValue(1.0 / 3), "0.3333333333");
  EXPECT_EQ(FormatTimeValue(123456789.25), "123456789.3");
  EXPECT_EQ(FormatTimeValue(12345678901.0), "1.23456789E010");
}
