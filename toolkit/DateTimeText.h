#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

// A point in time as the program shows and stores it: the user locale's short
// date, then a space and the long time unless the time is exactly 00:00:00.
// These texts are never parsed back; they are compared byte for byte.
std::string DateTimeText(const SYSTEMTIME& t);

// The current local time as DateTimeText.
std::string NowText();

// An instant (UTC) as IsoTimeText, local to the machine's time zone with the
// offset that applied at that instant: a time from last summer keeps its
// daylight-saving offset in winter. The zone's rules for the instant's year are
// used where the system keeps them per year. Milliseconds are cut, not rounded,
// as FileTimeToSystemTime cuts them.
std::string IsoLocalTime(const FILETIME& utc);
// The same in a given zone.
std::string IsoLocalTime(const FILETIME& utc, const TIME_ZONE_INFORMATION& zone);

}  // namespace toolkit
