#include <gtest/gtest.h>

#include "TestSupport.h"
#include "toolkit/Timer.h"

using testsupport::PumpFor;

TEST(Timer, FiresOnlyWhileEnabled) {
  toolkit::TTimer timer(20);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  PumpFor(100);
  EXPECT_EQ(0, ticks);
  timer.SetEnabled(true);
  PumpFor(300);
  EXPECT_GT(ticks, 0);
  timer.SetEnabled(false);
  int stopped = ticks;
  PumpFor(100);
  EXPECT_EQ(stopped, ticks);
}

TEST(Timer, AHandlerMayStopItsOwnTimer) {
  toolkit::TTimer timer(10, true);
  int ticks = 0;
  timer.OnTimer = [&] {
    ++ticks;
    timer.SetEnabled(false);
  };
  PumpFor(200);
  EXPECT_EQ(1, ticks);
}
