#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/DateTimeText.h"
#include "toolkit/IsoTime.h"

using toolkit::TUtcMilliseconds;

namespace {

FILETIME FileTimeOfMs(TUtcMilliseconds ms) {
  const uint64_t ticks = static_cast<uint64_t>(ms) * 10000 + 9999;  // cut, not rounded
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

TUtcMilliseconds MsOf(int year, int month, int day, int hour, int minute, int second, int ms) {
  toolkit::TCivilTime t;
  t.Year = year;
  t.Month = month;
  t.Day = day;
  t.Hour = hour;
  t.Minute = minute;
  t.Second = second;
  t.Millisecond = ms;
  return toolkit::UtcOf(t, 0);
}

// A zone with daylight saving from the second Sunday of March to the first
// Sunday of November, five hours west of UTC in winter.
TIME_ZONE_INFORMATION EasternZone() {
  TIME_ZONE_INFORMATION zone = {};
  zone.Bias = 300;
  zone.StandardDate = SYSTEMTIME{0, 11, 0, 1, 2, 0, 0, 0};
  zone.DaylightDate = SYSTEMTIME{0, 3, 0, 2, 2, 0, 0, 0};
  zone.DaylightBias = -60;
  return zone;
}

}  // namespace

TEST(IsoTime, TextHasMillisecondsAndTheSignedOffset) {
  toolkit::TCivilTime t;
  t.Year = 2026;
  t.Month = 12;
  t.Day = 8;
  t.Hour = 16;
  t.Minute = 15;
  t.Second = 27;
  t.Millisecond = 979;
  EXPECT_EQ("2026-12-08T16:15:27.979+09:00", toolkit::IsoTimeText(t, 540));
  EXPECT_EQ("2026-12-08T16:15:27.979+00:00", toolkit::IsoTimeText(t, 0));
  EXPECT_EQ("2026-12-08T16:15:27.979-03:30", toolkit::IsoTimeText(t, -210));
  t.Millisecond = 5;
  EXPECT_EQ("2026-12-08T16:15:27.005+05:45", toolkit::IsoTimeText(t, 345));
}

TEST(IsoTime, CalendarAgreesWithTheSystemAndTextsParseBackToTheInstant) {
  // The epoch, leap days of every kind, the ends of months and years, and now.
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const TUtcMilliseconds nowMs =
      static_cast<TUtcMilliseconds>(((static_cast<uint64_t>(now.dwHighDateTime) << 32) |
                                     now.dwLowDateTime) / 10000);
  for (const TUtcMilliseconds ms :
       {TUtcMilliseconds{0}, MsOf(1900, 2, 28, 23, 59, 59, 999), MsOf(1900, 3, 1, 0, 0, 0, 0),
        MsOf(2000, 2, 29, 12, 0, 0, 1), MsOf(2024, 2, 29, 23, 59, 59, 999),
        MsOf(2026, 12, 31, 23, 59, 59, 999), MsOf(2027, 1, 1, 0, 0, 0, 0),
        MsOf(9999, 12, 30, 23, 59, 59, 999), nowMs}) {
    SCOPED_TRACE(ms);
    const FILETIME ft = FileTimeOfMs(ms);
    SYSTEMTIME st;
    ASSERT_TRUE(::FileTimeToSystemTime(&ft, &st));
    const toolkit::TCivilTime c = toolkit::CivilTimeAt(ms, 0);
    EXPECT_EQ(st.wYear, c.Year);
    EXPECT_EQ(st.wMonth, c.Month);
    EXPECT_EQ(st.wDay, c.Day);
    EXPECT_EQ(st.wHour, c.Hour);
    EXPECT_EQ(st.wMinute, c.Minute);
    EXPECT_EQ(st.wSecond, c.Second);
    EXPECT_EQ(st.wMilliseconds, c.Millisecond);
    for (const int offset : {0, 540, -300, 345, -720, 840}) {
      const std::string text = toolkit::IsoTimeText(toolkit::CivilTimeAt(ms, offset), offset);
      TUtcMilliseconds back = -1;
      ASSERT_TRUE(toolkit::ParseIsoTime(text, &back)) << text;
      EXPECT_EQ(ms, back) << text;
    }
  }
}

TEST(IsoTime, ParsesOnlyWholeValidTimes) {
  TUtcMilliseconds ms = 0;
  ASSERT_TRUE(toolkit::ParseIsoTime("2026-12-08T07:15:27Z", &ms));
  EXPECT_EQ(MsOf(2026, 12, 8, 7, 15, 27, 0), ms);
  ASSERT_TRUE(toolkit::ParseIsoTime("2026-12-08T16:15:27.979+09:00", &ms));
  EXPECT_EQ(MsOf(2026, 12, 8, 7, 15, 27, 979), ms);
  ASSERT_TRUE(toolkit::ParseIsoTime("2026-12-07T22:15:27.979-09:00", &ms));
  EXPECT_EQ(MsOf(2026, 12, 8, 7, 15, 27, 979), ms);
  for (const char* bad :
       {"", "2026-12-08", "2026-12-08T16:15:27.979", "2026-12-08 16:15:27.979+09:00",
        "2026-12-08T16:15:27.979+09:00 ", "2026-12-08T16:15:27.979+0900",
        "2026-12-08T16:15:27.97+09:00", "2026-02-29T00:00:00Z", "1900-02-29T00:00:00Z",
        "2026-13-01T00:00:00Z", "2026-12-32T00:00:00Z", "2026-12-08T24:00:00Z",
        "2026-12-08T23:60:00Z", "2026-12-08T23:59:60Z", "1601-01-01T00:00:00+00:01",
        "2026-12-08T16:15:27.979+24:00", "2026-1a-08T16:15:27Z", "2026-12-08T16:15:27.979+09:0"}) {
    EXPECT_FALSE(toolkit::ParseIsoTime(bad, &ms)) << bad;
  }
  EXPECT_TRUE(toolkit::ParseIsoTime("2024-02-29T00:00:00Z", &ms));
  EXPECT_TRUE(toolkit::ParseIsoTime("2000-02-29T00:00:00Z", &ms));
}

TEST(IsoLocalTime, TakesTheOffsetThatAppliedAtThatInstant) {
  const TIME_ZONE_INFORMATION zone = EasternZone();
  EXPECT_EQ("2026-01-15T07:00:00.123-05:00",
            toolkit::IsoLocalTime(FileTimeOfMs(MsOf(2026, 1, 15, 12, 0, 0, 123)), zone));
  EXPECT_EQ("2026-07-15T08:00:00.123-04:00",
            toolkit::IsoLocalTime(FileTimeOfMs(MsOf(2026, 7, 15, 12, 0, 0, 123)), zone));
  // The last millisecond before the clocks go forward, and the first after.
  EXPECT_EQ("2026-03-08T01:59:59.999-05:00",
            toolkit::IsoLocalTime(FileTimeOfMs(MsOf(2026, 3, 8, 6, 59, 59, 999)), zone));
  EXPECT_EQ("2026-03-08T03:00:00.000-04:00",
            toolkit::IsoLocalTime(FileTimeOfMs(MsOf(2026, 3, 8, 7, 0, 0, 0)), zone));
}

TEST(IsoLocalTime, InTheMachinesZoneNamesTheSameInstant) {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const FILETIME summer = FileTimeOfMs(MsOf(2025, 7, 1, 3, 4, 5, 678));
  for (const FILETIME& ft : {now, summer}) {
    const std::string text = toolkit::IsoLocalTime(ft);
    TUtcMilliseconds back = 0;
    ASSERT_TRUE(toolkit::ParseIsoTime(text, &back)) << text;
    const uint64_t t = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    EXPECT_EQ(static_cast<TUtcMilliseconds>(t / 10000), back) << text;
  }
}
