#include "toolkit/DateTimeText.h"

namespace toolkit {

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

}  // namespace toolkit
