#include <gtest/gtest.h>

#include "TestSupport.h"
#include "toolkit/DateTimeText.h"

using testsupport::LocalTime;

// The tests run with the Japanese user locale, whose short date has no leading
// zeros and whose long time has none in the hour.
TEST(DateTimeText, DateThenSpaceThenLongTime) {
  EXPECT_EQ("2026/12/8 0:59:45", toolkit::DateTimeText(LocalTime(2026, 12, 8, 0, 59, 45)));
  EXPECT_EQ("2006/7/6 13:05:09", toolkit::DateTimeText(LocalTime(2006, 7, 6, 13, 5, 9)));
}

TEST(DateTimeText, MidnightIsTheDateAlone) {
  EXPECT_EQ("2026/12/8", toolkit::DateTimeText(LocalTime(2026, 12, 8, 0, 0, 0)));
  // One second past midnight is a time again.
  EXPECT_EQ("2026/12/8 0:00:01", toolkit::DateTimeText(LocalTime(2026, 12, 8, 0, 0, 1)));
}
