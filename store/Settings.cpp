#include "store/Settings.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

#include "store/OldSettings.h"
#include "store/SettingsForm.h"
#include "store/TextFile.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Cp932.h"
#include "toolkit/Paths.h"

namespace store {

const char kSettingsFileName[] = "Inf.ini";
const char kIgnoredFoldersNotReadNotice[] = "無視するフォルダを読み込めませんでした";

namespace {

constexpr char kSettingsVersion[] = "1.30";

// The profile functions on the file itself.
class TFileProfile : public TProfileSource {
public:
  TFileProfile(const std::string& path, size_t fileBytes)
      : path_(toolkit::FileSystemPath(path)), fileBytes_(fileBytes) {}

  std::string ReadText(const char* section, const std::string& key,
                       const char* fallback) const override {
    wchar_t buffer[kProfileTextBytes + 1] = {};
    const DWORD n = ::GetPrivateProfileStringW(
        toolkit::Widen(section).c_str(), toolkit::Widen(key).c_str(),
        toolkit::Widen(fallback).c_str(), buffer, kProfileTextBytes + 1, path_.c_str());
    // No longer than the ANSI call gave it, and never cut inside a character.
    std::string text = toolkit::Narrow(std::wstring(buffer, n));
    text.resize(toolkit::cp932::CutAtCharBoundary(text, kProfileTextBytes));
    return text;
  }

  std::string ReadSection(const char* section) const override {
    // A section's text is no longer than the file.
    std::vector<wchar_t> buffer(std::max<size_t>(fileBytes_ + 2, 4096));
    DWORD n = 0;
    for (;;) {
      n = ::GetPrivateProfileSectionW(toolkit::Widen(section).c_str(), buffer.data(),
                                      static_cast<DWORD>(buffer.size()), path_.c_str());
      if (n + 2 < buffer.size()) break;
      buffer.resize(buffer.size() * 2);  // did not fit after all
    }
    return toolkit::Narrow(std::wstring(buffer.data(), n));
  }

private:
  std::wstring path_;
  size_t fileBytes_;
};

void ReadCurrentForm(const std::string& path, size_t fileBytes, const TSettingsControls& c,
                     const TNotice& notice, TSettingsFileState& state) {
  const TFileProfile profile(path, fileBytes);
  const TCurrentSettings settings = ReadCurrentSettings(profile);
  state.Journal = ReadJournalSettings(profile);
  // A flag that is off in the file leaves its box alone: switching a box runs its
  // click handler, and the registration must not run for a setting that is off.
  if (settings.StartInTray) c.CheckBox3.SetChecked(true);
  if (settings.StartUp) c.CheckBox4.SetChecked(true);
  if (settings.DeleteCheck) c.CheckBox5.SetChecked(true);
  if (settings.Notice) c.CheckBox1.SetChecked(true);
  c.SpinEdit1.SetValue(settings.Interval);
  c.SpinEdit2.SetValue(settings.Log);

  c.ListView4.Clear();
  try {
    std::vector<std::string> folders = ReadIgnoredFolders(profile, settings.ListCount);
    toolkit::TListUpdate update(c.ListView4);
    for (std::string& folder : folders) c.ListView4.Add(std::move(folder));
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

const char* FlagText(bool on) { return on ? "1" : "0"; }

// A value as the profile functions store it: without the ASCII blanks (and the
// old end-of-file mark 0x1A) around it. No CP932 trail byte is below 0x40, so
// a byte-wise cut never splits a character. U+3000, the ideographic space, is
// kept, as the profile functions keep it.
std::string TrimmedValue(const std::string& value) {
  static const char kBlanks[] = " \t\n\v\f\r\x1a";
  const size_t first = value.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  return value.substr(first, value.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

std::string SettingsPath(const std::string& folder) {
  return folder + "\\" + kSettingsFileName;
}

void ReadSettings(const std::string& iniPath, TLineBuffer& Memo2, const TSettingsControls& controls,
                  const TNotice& notice, TSettingsFileState& state, unsigned long patienceMs) {
  state.Loaded = false;
  state.Unreadable = false;
  state.Journal = TJournalSettings();
  if (!IsExistingFile(iniPath)) {
    state.Loaded = true;  // nothing there that the write could destroy
    return;
  }
  Memo2.Clear();
  std::string bytes;
  try {
    bytes = ReadWholeFile(iniPath, patienceMs);
    Memo2.SetText(bytes);
  } catch (const TFileTooLarge&) {
    return;  // like a file of another form: kept aside when replaced
  } catch (const std::bad_alloc&) {
    return;
  } catch (const std::length_error&) {
    return;
  } catch (const std::runtime_error& e) {
    // Defaults written over settings that were only held for a moment by another
    // program would lose them for good.
    state.Unreadable = true;
    throw std::runtime_error(std::string(e.what()) +
                             "\r\nこのファイルは書き換えません。設定は既定の値で動き、"
                             "今回の変更は保存されません");
  }
  const TSettingsForm form = SettingsFormOf(Memo2);
  switch (form) {
    case TSettingsForm::Unknown:
      // Not ours to read; kept aside when replaced, unless there is nothing in it.
      state.Loaded = bytes.empty();
      return;
    case TSettingsForm::Current:
      ReadCurrentForm(iniPath, bytes.size(), controls, notice, state);
      break;
    default:
      ApplyOldForm(ReadOldSettings(form, Memo2), controls);
      break;
  }
  state.Loaded = true;
}

std::string SettingsText(const TSettingsControls& controls, const TSettingsFileState& state) {
  // What WritePrivateProfileStringA makes of these keys written in this order
  // into an empty file: a section's line when its first key comes, then one line
  // per key, each ended by CR LF, the value without the blanks around it (every
  // reader of the file drops them anyway). The profile function takes a value
  // through UTF-16 and back, which gives the same bytes for every text the
  // program holds: each came through that very conversion when it was read from
  // this file, or from the folder picker in the ANSI code page.
  const toolkit::TListView& folders = controls.ListView4;
  size_t size = 256;
  for (const toolkit::TListItem& folder : folders.Items()) size += folder.Caption.size() + 20;
  std::string text;
  text.reserve(size);
  auto section = [&text](const char* name) {
    text += '[';
    text += name;
    text += "]\r\n";
  };
  auto key = [&text](const char* name, const std::string& value) {
    text += name;
    text += '=';
    text += TrimmedValue(value);
    text += "\r\n";
  };
  section("Information");
  key("Version", kSettingsVersion);
  section("Start");
  key("TaskTorrey", FlagText(controls.CheckBox3.Checked()));
  key("StartUp", FlagText(controls.CheckBox4.Checked()));
  section("Compare");
  key("DeleteCheck", FlagText(controls.CheckBox5.Checked()));
  key("Notice", FlagText(controls.CheckBox1.Checked()));
  section("Integer");
  key("Interval", std::to_string(controls.SpinEdit1.Value()));
  key("Log", std::to_string(controls.SpinEdit2.Value()));
  section("Ignore");
  key("ListCout", std::to_string(folders.Count()));
  for (int n = 0; n < folders.Count(); ++n)
    key(("Path" + std::to_string(n)).c_str(), folders[n].Caption);
  // Last, so that everything before it is byte for byte what earlier versions wrote.
  section(kJournalSection);
  key("Enabled", FlagText(state.Journal.Enabled));
  key("MaxKB", std::to_string(state.Journal.MaxKB));
  return text;
}

TFileWrite SettingsWrite(const std::string& iniPath, const TSettingsControls& controls,
                         const TSettingsFileState& state) {
  if (state.Unreadable) return {};
  // A settings file the user made read-only stays as it is. Windows refuses to
  // replace one anyway; Wine's rename does not, so ask before replacing.
  const DWORD attributes = ::GetFileAttributesW(toolkit::FileSystemPath(iniPath).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    throw std::runtime_error(CannotCreateMessage(iniPath));
  return {iniPath, SettingsText(controls, state), !state.Loaded};
}

void WriteSettings(const std::string& iniPath, const TSettingsControls& controls,
                   TSettingsFileState& state) {
  const TFileWrite write = SettingsWrite(iniPath, controls, state);
  if (write.Path.empty()) return;
  ReplaceWholeFile(write.Path, write.Bytes, write.KeepOld);
  state.Loaded = true;
}

}  // namespace store
