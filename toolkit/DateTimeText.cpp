#include "toolkit/DateTimeText.h"

#include <cstring>
#include <map>
#include <mutex>

#include "toolkit/IsoTime.h"

namespace toolkit {

namespace {

TCivilTime CivilOf(const SYSTEMTIME& t) {
  TCivilTime c;
  c.Year = t.wYear;
  c.Month = t.wMonth;
  c.Day = t.wDay;
  c.Hour = t.wHour;
  c.Minute = t.wMinute;
  c.Second = t.wSecond;
  c.Millisecond = t.wMilliseconds;
  return c;
}

// The zone of the machine with its rules for one year (Vista and later keep
// rules per year; earlier systems have only today's). The rules come from the
// registry, which costs far more than the rest of a time's text (0.4 ms under
// Wine), so they are kept while the machine's zone stays the one they were
// read for.
bool MachineZoneFor(WORD year, TIME_ZONE_INFORMATION* zone) {
  using ForYearFn = BOOL(WINAPI*)(USHORT, PDYNAMIC_TIME_ZONE_INFORMATION, LPTIME_ZONE_INFORMATION);
  static const ForYearFn forYear = reinterpret_cast<ForYearFn>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetTimeZoneInformationForYear"));
  TIME_ZONE_INFORMATION current = {};
  if (::GetTimeZoneInformation(&current) == TIME_ZONE_ID_INVALID) return false;
  static std::mutex lock;
  static TIME_ZONE_INFORMATION readFor = {};
  static std::map<WORD, TIME_ZONE_INFORMATION> years;
  const std::lock_guard<std::mutex> hold(lock);
  if (std::memcmp(&readFor, &current, sizeof current) != 0) {
    years.clear();
    readFor = current;
  }
  auto it = years.find(year);
  if (it == years.end()) {
    TIME_ZONE_INFORMATION rules = current;
    if (forYear && !forYear(year, nullptr, &rules)) rules = current;
    it = years.emplace(year, rules).first;
  }
  *zone = it->second;
  return true;
}

std::string IsoLocalTimeIn(const FILETIME& utc, const TIME_ZONE_INFORMATION* zone) {
  SYSTEMTIME utcTime = {}, localTime = {};
  if (!::FileTimeToSystemTime(&utc, &utcTime)) return std::string();
  TIME_ZONE_INFORMATION machine = {};
  if (!zone && MachineZoneFor(utcTime.wYear, &machine)) zone = &machine;
  if (!::SystemTimeToTzSpecificLocalTime(zone, &utcTime, &localTime)) localTime = utcTime;
  const TCivilTime local = CivilOf(localTime);
  const int64_t offsetMs = UtcOf(local, 0) - UtcOf(CivilOf(utcTime), 0);
  return IsoTimeText(local, static_cast<int>(offsetMs / 60000));
}

}  // namespace

std::string DateTimeText(const SYSTEMTIME& t) {
  char date[128] = {};
  std::string text;
  if (::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date) > 0)
    text = date;
  if (t.wHour != 0 || t.wMinute != 0 || t.wSecond != 0) {
    char time[128] = {};
    if (::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, sizeof time) > 0) {
      text += ' ';
      text += time;
    }
  }
  return text;
}

std::string NowText() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return DateTimeText(now);
}

std::string IsoLocalTime(const FILETIME& utc) { return IsoLocalTimeIn(utc, nullptr); }

std::string IsoLocalTime(const FILETIME& utc, const TIME_ZONE_INFORMATION& zone) {
  return IsoLocalTimeIn(utc, &zone);
}

}  // namespace toolkit
