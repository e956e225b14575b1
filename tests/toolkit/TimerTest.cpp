#include <gtest/gtest.h>

#include "toolkit/Timer.h"

namespace {
void Pump(DWORD ms) {
  DWORD until = ::GetTickCount() + ms;
  MSG msg;
  while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::Sleep(5);
  }
}
}  // namespace

TEST(Timer, FiresOnlyWhileEnabled) {
  toolkit::TTimer timer(20);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  Pump(100);
  EXPECT_EQ(0, ticks);
  timer.SetEnabled(true);
  Pump(300);
  EXPECT_GT(ticks, 0);
  timer.SetEnabled(false);
  int stopped = ticks;
  Pump(100);
  EXPECT_EQ(stopped, ticks);
}

TEST(Timer, AHandlerMayStopItsOwnTimer) {
  toolkit::TTimer timer(10, true);
  int ticks = 0;
  timer.OnTimer = [&] {
    ++ticks;
    timer.SetEnabled(false);
  };
  Pump(200);
  EXPECT_EQ(1, ticks);
}
