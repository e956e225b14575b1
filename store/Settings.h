// The settings file Inf.ini beside the executable. While the program runs, the
// settings live only in the controls of the settings tab; this file is read into
// them once at start and written from them whenever they changed (see
// ui/FileKeeper.h) and at the orderly end.
//
// The current form is an INI file, read through the profile functions:
//
//   [Information] Version=1.30
//   [Start]       TaskTorrey (start in tray), StartUp (register at start-up)
//   [Compare]     DeleteCheck, Notice
//   [Integer]     Interval, Log
//   [Ignore]      ListCout (sic: other versions read this very name), Path0, Path1, ...
//   [RunJournal]  Enabled, MaxKB (the run journal; older versions pass it over)
//
// Earlier versions wrote it key by key with the profile function into an emptied
// file, each call rewriting the whole file: quadratic in the ignored folders, and
// a file left empty or cut by an end during it. The whole text is now composed in
// memory, byte for byte what those calls wrote into an empty file (sections in
// the order written, each key on a line of its own, CR LF), and written like the
// data files: temporary file, flush, rename. A file it wrote begins with the line
// "[Information]", and that first line alone tells the reader the form. The older
// line forms are read by OldSettings and replaced at the end of that run.
#pragma once

#include <functional>
#include <string>

#include "store/LineBuffer.h"
#include "store/SettingsForm.h"
#include "store/TextFile.h"
#include "toolkit/Controls.h"
#include "toolkit/ListView.h"

namespace store {

extern const char kSettingsFileName[];  // "Inf.ini"

std::string SettingsPath(const std::string& folder);

// The controls that hold the settings.
struct TSettingsControls {
  toolkit::TCheckBox& CheckBox3;  // start in tray
  toolkit::TCheckBox& CheckBox4;  // register at start-up; its OnClick registers
  toolkit::TCheckBox& CheckBox5;  // check deletions
  toolkit::TCheckBox& CheckBox1;  // notify changes
  toolkit::TSpinEdit& SpinEdit1;  // interval in seconds, 1 to 60
  toolkit::TSpinEdit& SpinEdit2;  // maximum log entries, 10 to 200
  toolkit::TListView& ListView4;  // ignored folders, one row per folder
};

// What reading made of the file. One that was there but was not read (an
// unrecognised first line, an older form with a broken number, or never reached)
// is copied aside to Inf.ini.bak before the write replaces it.
struct TSettingsFileState {
  bool Loaded = false;
  // The file was there but could not be read: the settings are the defaults, and
  // the file is never replaced in this run.
  bool Unreadable = false;
  // The settings that no control shows live here from the read to the write:
  // as the file had them, or the defaults when it had none (the write always
  // writes them).
  TJournalSettings Journal;
};

// Shows a plain notice (a message box with OK only) and returns when it is closed.
using TNotice = std::function<void(const std::string& text)>;

// "無視するフォルダを読み込めませんでした".
extern const char kIgnoredFoldersNotReadNotice[];

// Reads the file into the controls. A missing file or an unrecognised first line
// leaves every control as it is (the defaults). Flags that are on switch their
// box on, which runs its OnClick (CheckBox4's registers at start-up); flags that
// are off touch nothing. When the ignored folders cannot be read, `notice` shows
// "無視するフォルダを読み込めませんでした", the list is left empty and reading
// goes on. A file too large for the memory counts as one of another form. Throws
// "ファイル %s は開けません" for a file that cannot be read (another program
// holding it is waited for, up to `patienceMs`), with a second line saying that
// it will not be replaced, and "'%s' is not a valid integer value" for a broken
// number line of an older form (the settings after it keep their values).
void ReadSettings(const std::string& iniPath, TLineBuffer& Memo2, const TSettingsControls& controls,
                  const TNotice& notice, TSettingsFileState& state,
                  unsigned long patienceMs = kLockedFilePatienceMs);

// The whole text of the file for the settings as the controls hold them.
std::string SettingsText(const TSettingsControls& controls, const TSettingsFileState& state);

// What a write of the settings writes: the file, the text, and whether the old
// file is copied aside first. Nothing (an empty path) for a file that could not
// be read at start. Throws "ファイル %s を作成できません" for a file the user made
// read-only.
TFileWrite SettingsWrite(const std::string& iniPath, const TSettingsControls& controls,
                         const TSettingsFileState& state);

// Writes the file whole (nothing for a file that could not be read at start).
// Throws "ファイル %s を作成できません" when it cannot be written; the previous
// file is then left as it was.
void WriteSettings(const std::string& iniPath, const TSettingsControls& controls,
                   TSettingsFileState& state);

}  // namespace store
