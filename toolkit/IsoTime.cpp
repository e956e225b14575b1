#include "toolkit/IsoTime.h"

#include <cstdio>

namespace toolkit {

namespace {

constexpr int64_t kMsPerMinute = 60 * 1000;
constexpr int64_t kMsPerDay = 24 * 60 * kMsPerMinute;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a Gregorian date, and the date of such a day
// (H. Hinnant's algorithms, exact for every year of the proleptic calendar).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yoe + era * 400 + (*month <= 2));
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads exactly `count` decimal digits at `at`.
bool Digits(const std::string& text, size_t& at, size_t count, int* value) {
  if (at + count > text.size()) return false;
  int n = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = text[at + i];
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  at += count;
  *value = n;
  return true;
}

bool Literal(const std::string& text, size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

}  // namespace

std::string IsoTimeText(const TCivilTime& t, int offsetMinutes) {
  const char sign = offsetMinutes < 0 ? '-' : '+';
  const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", t.Year, t.Month,
                t.Day, t.Hour, t.Minute, t.Second, t.Millisecond, sign, offset / 60, offset % 60);
  return text;
}

TCivilTime CivilTimeAt(TUtcMilliseconds utc, int offsetMinutes) {
  const int64_t local = utc + offsetMinutes * kMsPerMinute;
  int64_t days = local / kMsPerDay;
  int64_t ms = local % kMsPerDay;
  if (ms < 0) {
    ms += kMsPerDay;
    --days;
  }
  TCivilTime t;
  CivilFromDays(days - kDaysFrom1601To1970, &t.Year, &t.Month, &t.Day);
  t.Hour = static_cast<int>(ms / 3600000);
  t.Minute = static_cast<int>(ms / 60000 % 60);
  t.Second = static_cast<int>(ms / 1000 % 60);
  t.Millisecond = static_cast<int>(ms % 1000);
  return t;
}

TUtcMilliseconds UtcOf(const TCivilTime& t, int offsetMinutes) {
  const int64_t days = DaysFromCivil(t.Year, t.Month, t.Day) + kDaysFrom1601To1970;
  return days * kMsPerDay + t.Hour * 3600000LL + t.Minute * 60000LL + t.Second * 1000LL +
         t.Millisecond - offsetMinutes * kMsPerMinute;
}

bool ParseIsoTime(const std::string& text, TUtcMilliseconds* utc) {
  TCivilTime t;
  size_t at = 0;
  if (!Digits(text, at, 4, &t.Year) || !Literal(text, at, '-') || !Digits(text, at, 2, &t.Month) ||
      !Literal(text, at, '-') || !Digits(text, at, 2, &t.Day) || !Literal(text, at, 'T') ||
      !Digits(text, at, 2, &t.Hour) || !Literal(text, at, ':') || !Digits(text, at, 2, &t.Minute) ||
      !Literal(text, at, ':') || !Digits(text, at, 2, &t.Second))
    return false;
  if (at < text.size() && text[at] == '.' && (++at, !Digits(text, at, 3, &t.Millisecond)))
    return false;
  if (t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > DaysInMonth(t.Year, t.Month) ||
      t.Hour > 23 || t.Minute > 59 || t.Second > 59)
    return false;
  int offset = 0;
  if (at < text.size() && text[at] == 'Z') {
    ++at;
  } else {
    if (at >= text.size() || (text[at] != '+' && text[at] != '-')) return false;
    const bool west = text[at++] == '-';
    int hours = 0, minutes = 0;
    if (!Digits(text, at, 2, &hours) || !Literal(text, at, ':') || !Digits(text, at, 2, &minutes) ||
        hours > 23 || minutes > 59)
      return false;
    offset = (west ? -1 : 1) * (hours * 60 + minutes);
  }
  if (at != text.size()) return false;
  const TUtcMilliseconds value = UtcOf(t, offset);
  if (value < 0) return false;
  *utc = value;
  return true;
}

}  // namespace toolkit
