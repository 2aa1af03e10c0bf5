// Time <-> slider position and the text of the "Time" edit.
#include "data/time_controls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TMesh WithTimes(std::vector<double> times) {
  TMesh m;
  m.time_count = static_cast<int32_t>(times.size());
  m.time_values = std::move(times);
  return m;
}

}  // namespace

TEST(TimeControls, SliderPositionIsThePercentageOfTheTimeRangeRoundedAndClamped) {
  const TMesh m = WithTimes({0, 10, 20});
  struct Case {
    double t;
    int32_t pos;
  } cases[] = {{5, 25}, {15, 75}, {20, 100}, {-3, 0}, {35, 100}, {0.125, 1}, {0.09, 0}};
  for (const Case& c : cases) EXPECT_EQ(TimeSliderPosition(m, c.t), c.pos) << c.t;
  EXPECT_EQ(TimeSliderPosition(WithTimes({0, 200}), 1), 0);  // 0.5: ties to even
  EXPECT_EQ(TimeSliderPosition(WithTimes({0, 200}), 3), 2);  // 1.5
  EXPECT_EQ(TimeSliderPosition(m, std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(TimeSliderPosition(WithTimes({4}), 4), 0);     // one step: no range
  EXPECT_EQ(TimeSliderPosition(WithTimes({4, 4}), 4), 0);  // an empty range
  EXPECT_DOUBLE_EQ(TimeAtSliderPosition(m, 25), 5);
  EXPECT_DOUBLE_EQ(TimeAtSliderPosition(WithTimes({1, 3}), 50), 2);  // two steps move too
}

TEST(TimeControls, TimeTextHasTenSignificantDigits) {
  EXPECT_EQ(FormatTimeValue(5), "5");
  EXPECT_EQ(FormatTimeValue(-3), "-3");
  EXPECT_EQ(FormatTimeValue(1.0 / 3), "0.3333333333");
  EXPECT_EQ(FormatTimeValue(123456789.25), "123456789.3");
  EXPECT_EQ(FormatTimeValue(12345678901.0), "1.23456789E010");
  EXPECT_EQ(FormatTimeValue(0.1 + 0.2), "0.3");
}
