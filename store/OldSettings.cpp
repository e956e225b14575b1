#include "store/OldSettings.h"

#include <climits>
#include <cstdint>

namespace store {

const char kCurrentSettingsFirstLine[] = "[Information]";

namespace {

// Where each value stands in each older form, lines counted from 1 with the
// version line as line 1; 0 where the form has no such line.
struct OldLayout {
  int StartInTray;
  int StartUp;
  int DeleteCheck;
  int Interval;
  int Log;
};

constexpr OldLayout kVer100 = {4, 5, 0, 6, 7};
constexpr OldLayout kVer110 = {4, 5, 6, 7, 8};
constexpr OldLayout kVer120 = {2, 3, 4, 5, 6};

bool FlagAt(const TLineBuffer& lines, int line) { return line > 0 && lines[line - 1] == "1"; }

TNumberLine NumberAt(const TLineBuffer& lines, int line) {
  TNumberLine number;
  number.Text = lines[line - 1];
  number.Valid = ParseDecimal(number.Text, &number.Value);
  return number;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TSettingsForm SettingsFormOf(const TLineBuffer& lines) {
  if (lines.Count() == 0) return TSettingsForm::Unknown;
  const std::string first = lines[0];
  if (first == kCurrentSettingsFirstLine) return TSettingsForm::Current;
  if (first == "Ver1.00") return TSettingsForm::Ver100;
  if (first == "Ver1.10") return TSettingsForm::Ver110;
  if (first == "Ver1.20") return TSettingsForm::Ver120;
  return TSettingsForm::Unknown;
}

TOldSettings ReadOldSettings(TSettingsForm form, const TLineBuffer& lines) {
  const OldLayout& layout = form == TSettingsForm::Ver100   ? kVer100
                            : form == TSettingsForm::Ver110 ? kVer110
                                                            : kVer120;
  TOldSettings settings;
  settings.StartInTray = FlagAt(lines, layout.StartInTray);
  settings.StartUp = FlagAt(lines, layout.StartUp);
  settings.DeleteCheck = FlagAt(lines, layout.DeleteCheck);
  settings.Interval = NumberAt(lines, layout.Interval);
  settings.Log = NumberAt(lines, layout.Log);
  return settings;
}

std::string NotValidIntegerMessage(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}

bool ParseDecimal(const std::string& text, int* value) {
  if (text.empty()) return false;
  const bool negative = text[0] == '-';
  size_t i = (negative || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<int64_t>(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ParseProfileInteger(const std::string& text, int* value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (text.size() > 2 + 8) return false;
    uint32_t v = 0;
    for (size_t i = 2; i < text.size(); ++i) {
      int digit = HexDigit(text[i]);
      if (digit < 0) return false;
      v = v << 4 | static_cast<uint32_t>(digit);
    }
    *value = static_cast<int>(v);
    return true;
  }
  return ParseDecimal(text, value);
}

}  // namespace store
