// Points in time as files meant for other programs hold them: ISO 8601 with the
// milliseconds and the offset from UTC that applied at that moment, as in
// "2026-12-08T16:15:27.979+09:00". Unlike the locale texts of the data files,
// these are parsed back, to the millisecond, whatever the offset: a text says
// which instant it is even after the clock's zone or its daylight saving moved.
//
// Plain arithmetic on the proleptic Gregorian calendar, no Win32 call, so the
// parser can be fuzzed natively. The local time and offset of an instant come
// from the system (DateTimeText.h).
#pragma once

#include <cstdint>
#include <string>

namespace toolkit {

// A local calendar time to the millisecond.
struct TCivilTime {
  int Year = 1601;
  int Month = 1;   // 1 to 12
  int Day = 1;     // 1 to 31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

// Milliseconds since 1601-01-01T00:00:00Z, the epoch of FILETIME (its value
// divided by 10,000).
using TUtcMilliseconds = int64_t;

// "YYYY-MM-DDTHH:MM:SS.mmm+HH:MM" of a local time and its offset east of UTC in
// minutes ("+00:00" for UTC itself).
std::string IsoTimeText(const TCivilTime& local, int offsetMinutes);

// The local time of an instant at a given offset, and back.
TCivilTime CivilTimeAt(TUtcMilliseconds utc, int offsetMinutes);
TUtcMilliseconds UtcOf(const TCivilTime& local, int offsetMinutes);

// The instant an IsoTimeText names; also takes "Z" for the offset and no
// fraction of a second. False for any other text, an impossible date (February
// 30) or one before 1601.
bool ParseIsoTime(const std::string& text, TUtcMilliseconds* utc);

}  // namespace toolkit
