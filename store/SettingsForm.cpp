#include "store/SettingsForm.h"

#include <algorithm>

#include "store/OldSettings.h"

namespace store {

const char kMissingFolder[] = "<>";
const char kJournalSection[] = "RunJournal";

namespace {

constexpr int kDefaultInterval = 10;
constexpr int kDefaultLogRows = 100;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

int ReadProfileInteger(const TProfileSource& source, const char* section, const char* key,
                       int fallback) {
  int value = 0;
  return ParseProfileInteger(source.ReadText(section, key, ""), &value) ? value : fallback;
}

bool ReadProfileFlag(const TProfileSource& source, const char* section, const char* key) {
  return ReadProfileInteger(source, section, key, 0) != 0;
}

TCurrentSettings ReadCurrentSettings(const TProfileSource& source) {
  TCurrentSettings s;
  s.StartInTray = ReadProfileFlag(source, "Start", "TaskTorrey");
  s.StartUp = ReadProfileFlag(source, "Start", "StartUp");
  s.DeleteCheck = ReadProfileFlag(source, "Compare", "DeleteCheck");
  s.Notice = ReadProfileFlag(source, "Compare", "Notice");
  s.Interval = ReadProfileInteger(source, "Integer", "Interval", kDefaultInterval);
  s.Log = ReadProfileInteger(source, "Integer", "Log", kDefaultLogRows);
  s.ListCount = ReadProfileInteger(source, "Ignore", "ListCout", 0);
  return s;
}

TJournalSettings ReadJournalSettings(const TProfileSource& source) {
  TJournalSettings s;
  s.Enabled = ReadProfileInteger(source, kJournalSection, "Enabled", 1) != 0;
  s.MaxKB = std::min(std::max(ReadProfileInteger(source, kJournalSection, "MaxKB", s.MaxKB),
                              kMinJournalKB),
                     kMaxJournalKB);
  return s;
}

int64_t PathKeyNumber(const std::string& key) {
  const char* blanks = " \t";
  const size_t first = key.find_first_not_of(blanks);
  if (first == std::string::npos) return -1;
  const std::string name = key.substr(first, key.find_last_not_of(blanks) - first + 1);
  static const char kPrefix[] = "path";
  // Ten digits at most: no key above that is ever asked for.
  if (name.size() < 5 || name.size() > 4 + 10) return -1;
  for (size_t i = 0; i < 4; ++i)
    if (AsciiLower(name[i]) != kPrefix[i]) return -1;
  if (name[4] == '0' && name.size() > 5) return -1;
  int64_t n = 0;
  for (size_t i = 4; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

std::vector<int64_t> PathKeysBelow(const std::string& sectionText, int listCount) {
  std::vector<int64_t> keys;
  for (size_t at = 0; at < sectionText.size();) {
    size_t end = sectionText.find('\0', at);
    if (end == std::string::npos) end = sectionText.size();
    const size_t equals = sectionText.find('=', at);
    if (equals != std::string::npos && equals < end) {
      const int64_t n = PathKeyNumber(sectionText.substr(at, equals - at));
      if (n >= 0 && n < listCount) keys.push_back(n);
    }
    at = end + 1;
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

std::vector<std::string> ReadIgnoredFolders(const TProfileSource& source, int listCount) {
  std::vector<std::string> folders;
  if (listCount <= 0) return folders;
  const std::vector<int64_t> keys = PathKeysBelow(source.ReadSection("Ignore"), listCount);
  // Missing keys are still asked for, not assumed "<>": the profile functions
  // have the last word on which names match.
  auto read = [&](int64_t n) {
    folders.push_back(source.ReadText("Ignore", "Path" + std::to_string(n), kMissingFolder));
  };
  int64_t next = 0;
  int64_t gapRowsLeft = kMaxMissingFolderRows;
  for (const int64_t key : keys) {
    // Past 1,000 missing keys between the keys present, the gaps close up: every
    // folder the file holds is still read, renumbered from there on by the next
    // write, and a single key "Path2147483646" does not mean two billion rows.
    const int64_t missing = std::min(key - next, gapRowsLeft);
    for (int64_t n = next; n < next + missing; ++n) read(n);
    gapRowsLeft -= missing;
    read(key);
    next = key + 1;
  }
  const int64_t trailing = std::min<int64_t>(listCount - next, kMaxMissingFolderRows);
  for (int64_t n = next; n < next + trailing; ++n) read(n);
  return folders;
}

}  // namespace store
