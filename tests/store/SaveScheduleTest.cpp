#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "store/SaveSchedule.h"

using store::TSaveSchedule;
using store::TUnsaved;

namespace {

constexpr uint64_t kStart = 1000000;
constexpr uint64_t kSecond = 1000;
constexpr uint64_t kMinute = 60 * kSecond;

}  // namespace

// Checked every few seconds as the window's timer does, with changes coming at
// awkward moments and writes that take a while: none waits a minute, and the
// times alone never wait ten.
TEST(SaveSchedule, NoChangeWaitsAMinuteAndNoLastRunTimeTen) {
  TSaveSchedule schedule(kStart);
  uint64_t changedSince = 0;   // the oldest change not written, 0 for none
  uint64_t stampedSince = kStart;
  uint64_t longestChange = 0, longestStamp = 0;
  for (uint64_t now = kStart; now < kStart + 90 * kMinute; now += TSaveSchedule::kCheckMs) {
    // A change a little after every fourth check, through the first hour.
    if (now < kStart + 60 * kMinute && (now / TSaveSchedule::kCheckMs) % 4 == 1 && !changedSince)
      changedSince = now - 4 * kSecond;
    const TUnsaved unsaved = changedSince ? TUnsaved::Changes : TUnsaved::LastRunTimes;
    EXPECT_FALSE(schedule.Due(TUnsaved::Nothing, now));
    if (!schedule.Due(unsaved, now)) continue;
    schedule.Began(now);
    if (changedSince) longestChange = std::max(longestChange, now - changedSince);
    longestStamp = std::max(longestStamp, now - stampedSince);
    changedSince = 0;
    stampedSince = now;
  }
  EXPECT_GT(longestChange, 0u);
  EXPECT_LT(longestChange, kMinute - 10 * kSecond);  // room for the write itself
  EXPECT_GT(longestStamp, 8 * kMinute);
  EXPECT_LT(longestStamp, 10 * kMinute - 10 * kSecond);
}
