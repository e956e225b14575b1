// The current form of Inf.ini over arbitrary bytes, through the reader's profile
// seam and the small INI source: every value follows the integer and flag rules
// with its fallback; the ignored folders are as many rows as ListCout asks for,
// never more than 1,000 past the highest "Path" + n key present (so never more
// than the input can justify plus 1,000); each row is its key's text or "<>"; and
// the settings as the program writes them back read back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "IniSource.h"
#include "store/SettingsForm.h"

namespace {

int Expected(const fuzzini::IniSource& ini, const char* section, const char* key, int fallback) {
  int value = 0;
  return fuzzref::ProfileInteger(ini.ReadText(section, key, ""), &value) ? value : fallback;
}

// The n of a key that asking for "Path" + n finds, by the INI source's own rule
// for names; -1 when no such n exists.
int64_t ReferencePathNumber(const std::string& name) {
  const std::string key = fuzzini::Trimmed(name);
  if (key.size() < 5 || !fuzzini::SameName(key.substr(0, 4), "Path")) return -1;
  const std::string digits = key.substr(4);
  for (char c : digits)
    if (!fuzzref::IsDigit(c)) return -1;
  if (digits.size() > 10 || (digits.size() > 1 && digits[0] == '0')) return -1;
  const int64_t n = std::stoll(digits);
  return fuzzini::SameName(key, "Path" + std::to_string(n)) ? n : -1;
}

// Whether asking for the key finds it: a key's text can be any fallback, but not two.
bool Found(const fuzzini::IniSource& ini, const std::string& key) {
  return ini.ReadText("Ignore", key, "\x01") != "\x01" || ini.ReadText("Ignore", key, "\x02") != "\x02";
}

std::string Written(const store::TCurrentSettings& s, const std::vector<std::string>& folders) {
  std::string text = "[Information]\r\nVersion=1.30\r\n[Start]\r\n";
  text += std::string("TaskTorrey=") + (s.StartInTray ? "1" : "0") + "\r\n";
  text += std::string("StartUp=") + (s.StartUp ? "1" : "0") + "\r\n[Compare]\r\n";
  text += std::string("DeleteCheck=") + (s.DeleteCheck ? "1" : "0") + "\r\n";
  text += std::string("Notice=") + (s.Notice ? "1" : "0") + "\r\n[Integer]\r\n";
  text += "Interval=" + std::to_string(s.Interval) + "\r\n";
  text += "Log=" + std::to_string(s.Log) + "\r\n[Ignore]\r\n";
  text += "ListCout=" + std::to_string(folders.size()) + "\r\n";
  for (size_t n = 0; n < folders.size(); ++n)
    text += "Path" + std::to_string(n) + "=" + folders[n] + "\r\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const fuzzini::IniSource ini(text);

  const store::TCurrentSettings s = store::ReadCurrentSettings(ini);
  FUZZ_CHECK(s.StartInTray == (Expected(ini, "Start", "TaskTorrey", 0) != 0));
  FUZZ_CHECK(s.StartUp == (Expected(ini, "Start", "StartUp", 0) != 0));
  FUZZ_CHECK(s.DeleteCheck == (Expected(ini, "Compare", "DeleteCheck", 0) != 0));
  FUZZ_CHECK(s.Notice == (Expected(ini, "Compare", "Notice", 0) != 0));
  FUZZ_CHECK(s.Interval == Expected(ini, "Integer", "Interval", 10));
  FUZZ_CHECK(s.Log == Expected(ini, "Integer", "Log", 100));
  FUZZ_CHECK(s.ListCount == Expected(ini, "Ignore", "ListCout", 0));

  // The keys by the reference: the highest, and the distinct numbers below
  // ListCout; every key it counts can be found by its canonical name.
  int64_t highest = -1;
  std::set<int64_t> present;
  if (const fuzzini::Section* ignore = ini.Find("Ignore")) {
    for (const fuzzini::Key& key : ignore->Keys) {
      const int64_t n = ReferencePathNumber(key.Name);
      highest = std::max(highest, n);
      if (n >= 0) FUZZ_CHECK(Found(ini, "Path" + std::to_string(n)));
      if (n >= 0 && n < s.ListCount) present.insert(n);
    }
  }
  FUZZ_CHECK(store::PathKeysBelow(ini.ReadSection("Ignore"), s.ListCount) ==
             std::vector<int64_t>(present.begin(), present.end()));

  const std::vector<std::string> folders = store::ReadIgnoredFolders(ini, s.ListCount);
  // Bounded by the count, and by the keys present plus 1,000 rows "<>" between
  // them and 1,000 after the last.
  FUZZ_CHECK(folders.size() <= static_cast<size_t>(std::max(s.ListCount, 0)));
  FUZZ_CHECK(folders.size() <= present.size() + 2000);
  for (const std::string& folder : folders) FUZZ_CHECK(folder.size() <= store::kProfileTextBytes);
  // Every key present below the count is read, in order; every other row is "<>".
  size_t row = 0;
  for (int64_t n : present) {
    const std::string value = ini.ReadText("Ignore", "Path" + std::to_string(n), "<>");
    while (row < folders.size() && folders[row] != value) {
      FUZZ_CHECK(folders[row] == "<>");
      ++row;
    }
    FUZZ_CHECK(row < folders.size());
    ++row;
  }
  for (; row < folders.size(); ++row) FUZZ_CHECK(folders[row] == "<>");
  // With no more than 1,000 keys missing below the highest, row n is key n,
  // up to 1,000 rows past it.
  if (s.ListCount > 0 && highest + 1 - static_cast<int64_t>(present.size()) <= 1000 &&
      highest < s.ListCount) {
    FUZZ_CHECK(static_cast<int64_t>(folders.size()) ==
               std::min<int64_t>(s.ListCount, highest + 1 + 1000));
    for (size_t n = 0; n < folders.size(); ++n)
      FUZZ_CHECK(folders[n] == ini.ReadText("Ignore", "Path" + std::to_string(n), "<>"));
  }

  // What the end of the run would write reads back as the same settings; the
  // count that comes back is the rows read, so an absurd one does not return.
  const fuzzini::IniSource back(Written(s, folders));
  const store::TCurrentSettings t = store::ReadCurrentSettings(back);
  FUZZ_CHECK(t.StartInTray == s.StartInTray && t.StartUp == s.StartUp &&
             t.DeleteCheck == s.DeleteCheck && t.Notice == s.Notice);
  FUZZ_CHECK(t.Interval == s.Interval && t.Log == s.Log);
  FUZZ_CHECK(t.ListCount == static_cast<int>(folders.size()));
  // Blanks at the end of a text cut at 2,047 bytes are dropped as the key is read.
  std::vector<std::string> trimmed;
  for (const std::string& folder : folders) trimmed.push_back(fuzzini::Trimmed(folder));
  FUZZ_CHECK(store::ReadIgnoredFolders(back, t.ListCount) == trimmed);
  return 0;
}
