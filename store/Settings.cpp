#include "store/Settings.h"

#include <windows.h>

#include <algorithm>
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

const char* FlagText(const toolkit::TCheckBox& box) { return box.Checked() ? "1" : "0"; }

}  // namespace

std::string SettingsPath(const std::string& folder) {
  return folder + "\\" + kSettingsFileName;
}

std::string CannotWriteMessage(const std::string& path) { return path + " に書き込めません"; }

bool WriteProfileKey(const char* section, const char* key, const char* value,
                     const char* iniPath) {
  return ::WritePrivateProfileStringW(toolkit::Widen(section).c_str(), toolkit::Widen(key).c_str(),
                                     toolkit::Widen(value).c_str(),
                                     toolkit::FileSystemPath(iniPath).c_str()) != FALSE;
}

void ReadSettings(const std::string& iniPath, TLineBuffer& Memo2, const TSettingsControls& controls,
                  const TNotice& notice, TSettingsFileState& state) {
  state.Loaded = false;
  state.Journal = TJournalSettings();
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
      ReadCurrentForm(iniPath, bytes.size(), controls, notice, state);
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
  const DWORD attributes = ::GetFileAttributesW(toolkit::FileSystemPath(iniPath).c_str());
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
  // Last, so that everything before it is byte for byte what earlier versions wrote.
  put(kJournalSection, "Enabled", state.Journal.Enabled ? "1" : "0");
  put(kJournalSection, "MaxKB", std::to_string(state.Journal.MaxKB));
}

}  // namespace store
