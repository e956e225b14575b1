// The line forms of the settings file that earlier versions wrote, "Ver1.00",
// "Ver1.10" and "Ver1.20": one value per line after the version line, a flag on
// when its line is exactly "1", a number as a decimal integer. They are read once
// and replaced by the current form at the end of that run. Also the integer rule
// of the current form, which needs no profile function to decide.
//
// Plain text work: no window, no Win32 call.
#pragma once

#include <string>

#include "store/LineBuffer.h"

namespace store {

// The forms a settings file comes in, told apart by its first line alone,
// compared byte for byte.
enum class TSettingsForm { Unknown, Ver100, Ver110, Ver120, Current };

extern const char kCurrentSettingsFirstLine[];  // "[Information]"

TSettingsForm SettingsFormOf(const TLineBuffer& lines);

// A number line as it stands: its value, or the text that is no integer.
struct TNumberLine {
  bool Valid = false;
  int Value = 0;
  std::string Text;
};

// What an older form holds. The flags that are off (or absent from the form) stay
// off; the older forms know neither the notice setting nor ignored folders.
struct TOldSettings {
  bool StartInTray = false;
  bool StartUp = false;
  bool DeleteCheck = false;
  TNumberLine Interval;
  TNumberLine Log;
};

// Takes the lines of an older form (`form` is Ver100, Ver110 or Ver120). A missing
// line reads as empty text.
TOldSettings ReadOldSettings(TSettingsForm form, const TLineBuffer& lines);

// "'%s' is not a valid integer value" for a number line that is none.
std::string NotValidIntegerMessage(const std::string& text);

// A whole decimal number, optionally signed, that fills the whole text.
bool ParseDecimal(const std::string& text, int* value);

// An integer of the current form: decimal, or hexadecimal when the text is longer
// than two characters and begins with "0x" or "0X" (up to eight digits, taken as
// the 32 bits of the value).
bool ParseProfileInteger(const std::string& text, int* value);

}  // namespace store
