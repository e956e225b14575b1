#include "store/Settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "store/OldSettings.h"
#include "store/TextFile.h"

namespace store {

const char kSettingsFileName[] = "Inf.ini";
const char kIgnoredFoldersNotReadNotice[] = "無視するフォルダを読み込めませんでした";

namespace {

constexpr char kSettingsVersion[] = "1.30";
constexpr char kMissingFolder[] = "<>";
constexpr int kDefaultInterval = 10;
constexpr int kDefaultLogRows = 100;
// Profile texts are read up to this many bytes, the terminating zero included.
constexpr DWORD kTextBufferBytes = 2048;
// How many "<>" rows a ListCout may ask for beyond the highest PathN key present.
// A file the program wrote has no missing keys at all, and a hand-edited one is
// read exactly as long as it stays within this; an absurd count (2147483647)
// would otherwise mean billions of rows and reads at start-up.
constexpr int64_t kMaxRowsPastLastKey = 1000;

std::string ReadText(const std::string& path, const char* section, const std::string& key,
                     const char* fallback) {
  char buffer[kTextBufferBytes] = {};
  DWORD n = ::GetPrivateProfileStringA(section, key.c_str(), fallback, buffer, kTextBufferBytes,
                                       path.c_str());
  return std::string(buffer, std::min<DWORD>(n, kTextBufferBytes - 1));
}

int ReadInteger(const std::string& path, const char* section, const char* key, int fallback) {
  int value = 0;
  return ParseProfileInteger(ReadText(path, section, key, ""), &value) ? value : fallback;
}

bool ReadBool(const std::string& path, const char* section, const char* key) {
  return ReadInteger(path, section, key, 0) != 0;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The n of a key named "Path" + n as the profile functions would find it when
// asked for "Path" + n: letter case not mattering, n in decimal without leading
// zeros. -1 for any other key.
int64_t PathKeyNumber(std::string key) {
  const char* blanks = " \t";
  size_t first = key.find_first_not_of(blanks);
  if (first == std::string::npos) return -1;
  key = key.substr(first, key.find_last_not_of(blanks) - first + 1);
  static const char kPrefix[] = "path";
  if (key.size() < 5 || key.size() > 4 + 10) return -1;
  for (size_t i = 0; i < 4; ++i)
    if (AsciiLower(key[i]) != kPrefix[i]) return -1;
  if (key[4] == '0' && key.size() > 5) return -1;
  int64_t n = 0;
  for (size_t i = 4; i < key.size(); ++i) {
    if (key[i] < '0' || key[i] > '9') return -1;
    n = n * 10 + (key[i] - '0');
  }
  return n;
}

// The highest n of the "Path" + n keys present in [Ignore], or -1 for none: one
// pass over the section instead of one lookup for every number up to ListCout.
int64_t HighestPathKey(const std::string& path, size_t fileBytes) {
  // The section's text is no longer than the file.
  std::vector<char> buffer(std::max<size_t>(fileBytes + 2, 4096));
  DWORD n = 0;
  for (;;) {
    n = ::GetPrivateProfileSectionA("Ignore", buffer.data(), static_cast<DWORD>(buffer.size()),
                                    path.c_str());
    if (n + 2 < buffer.size()) break;
    buffer.resize(buffer.size() * 2);  // did not fit after all
  }
  int64_t highest = -1;
  for (size_t at = 0; at < n;) {
    std::string entry(buffer.data() + at);
    at += entry.size() + 1;
    size_t equals = entry.find('=');
    if (equals != std::string::npos)
      highest = std::max(highest, PathKeyNumber(entry.substr(0, equals)));
  }
  return highest;
}

void ReadIgnoredFolders(const std::string& path, int listCount, size_t fileBytes,
                        toolkit::TListView& ListView4) {
  if (listCount <= 0) return;
  const int64_t rows =
      std::min<int64_t>(listCount, HighestPathKey(path, fileBytes) + 1 + kMaxRowsPastLastKey);
  toolkit::TListUpdate update(ListView4);
  for (int64_t n = 0; n < rows; ++n)
    ListView4.Add(ReadText(path, "Ignore", "Path" + std::to_string(n), kMissingFolder));
}

void ReadCurrentForm(const std::string& path, size_t fileBytes, const TSettingsControls& c,
                     const TNotice& notice) {
  // A flag that is off in the file leaves its box alone: switching a box runs its
  // click handler, and the registration must not run for a setting that is off.
  if (ReadBool(path, "Start", "TaskTorrey")) c.CheckBox3.SetChecked(true);
  if (ReadBool(path, "Start", "StartUp")) c.CheckBox4.SetChecked(true);
  if (ReadBool(path, "Compare", "DeleteCheck")) c.CheckBox5.SetChecked(true);
  if (ReadBool(path, "Compare", "Notice")) c.CheckBox1.SetChecked(true);
  c.SpinEdit1.SetValue(ReadInteger(path, "Integer", "Interval", kDefaultInterval));
  c.SpinEdit2.SetValue(ReadInteger(path, "Integer", "Log", kDefaultLogRows));
  const int listCount = ReadInteger(path, "Ignore", "ListCout", 0);

  c.ListView4.Clear();
  try {
    ReadIgnoredFolders(path, listCount, fileBytes, c.ListView4);
  } catch (const std::exception&) {
    // A list half read is worse than none: the user sees it empty and adds again.
    c.ListView4.Clear();
    if (notice) notice(kIgnoredFoldersNotReadNotice);
  }
}

int RequireNumber(const TNumberLine& line) {
  if (!line.Valid) throw std::runtime_error(NotValidIntegerMessage(line.Text));
  return line.Value;
}

void ApplyOldForm(const TOldSettings& settings, const TSettingsControls& c) {
  // In every older form the flag lines come before the number lines, so a broken
  // number leaves the flags read and the settings after it at their defaults.
  if (settings.StartInTray) c.CheckBox3.SetChecked(true);
  if (settings.StartUp) c.CheckBox4.SetChecked(true);
  if (settings.DeleteCheck) c.CheckBox5.SetChecked(true);
  c.SpinEdit1.SetValue(RequireNumber(settings.Interval));
  c.SpinEdit2.SetValue(RequireNumber(settings.Log));
}

const char* FlagText(const toolkit::TCheckBox& box) { return box.Checked() ? "1" : "0"; }

}  // namespace

std::string SettingsPath(const std::string& folder) {
  return folder + "\\" + kSettingsFileName;
}

std::string CannotWriteMessage(const std::string& path) { return path + " に書き込めません"; }

bool WriteProfileKey(const char* section, const char* key, const char* value,
                     const char* iniPath) {
  return ::WritePrivateProfileStringA(section, key, value, iniPath) != FALSE;
}

void ReadSettings(const std::string& iniPath, TLineBuffer& Memo2, const TSettingsControls& controls,
                  const TNotice& notice, TSettingsFileState& state) {
  state.Loaded = false;
  if (!IsExistingFile(iniPath)) {
    state.Loaded = true;  // nothing there that the write could destroy
    return;
  }
  Memo2.Clear();
  const std::string bytes = ReadWholeFile(iniPath);
  Memo2.SetText(bytes);
  const TSettingsForm form = SettingsFormOf(Memo2);
  switch (form) {
    case TSettingsForm::Unknown:
      // Not ours to read; kept aside when replaced, unless there is nothing in it.
      state.Loaded = bytes.empty();
      return;
    case TSettingsForm::Current:
      ReadCurrentForm(iniPath, bytes.size(), controls, notice);
      break;
    default:
      ApplyOldForm(ReadOldSettings(form, Memo2), controls);
      break;
  }
  state.Loaded = true;
}

void WriteSettings(const std::string& iniPath, TLineBuffer& Memo2,
                   const TSettingsControls& controls, TSettingsFileState& state,
                   TProfileWriter writeKey) {
  // The keys go into an emptied file, so the sections come out in the order
  // written and the first line is "[Information]", which is how the reader knows
  // the form.
  Memo2.Clear();
  // A settings file the user made read-only stays as it is. Windows refuses to
  // replace one anyway; Wine's rename does not, so ask before replacing.
  const DWORD attributes = ::GetFileAttributesA(iniPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    throw std::runtime_error(CannotCreateMessage(iniPath));
  ReplaceWholeFile(iniPath, Memo2.Text(), !state.Loaded);
  state.Loaded = true;

  auto put = [&](const char* section, const char* key, const std::string& value) {
    if (!writeKey(section, key, value.c_str(), iniPath.c_str()))
      throw std::runtime_error(CannotWriteMessage(iniPath));
  };
  put("Information", "Version", kSettingsVersion);
  put("Start", "TaskTorrey", FlagText(controls.CheckBox3));
  put("Start", "StartUp", FlagText(controls.CheckBox4));
  put("Compare", "DeleteCheck", FlagText(controls.CheckBox5));
  put("Compare", "Notice", FlagText(controls.CheckBox1));
  put("Integer", "Interval", std::to_string(controls.SpinEdit1.Value()));
  put("Integer", "Log", std::to_string(controls.SpinEdit2.Value()));
  const toolkit::TListView& folders = controls.ListView4;
  put("Ignore", "ListCout", std::to_string(folders.Count()));
  for (int n = 0; n < folders.Count(); ++n)
    put("Ignore", ("Path" + std::to_string(n)).c_str(), folders[n].Caption);
}

}  // namespace store
