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

}  // namespace toolkit
