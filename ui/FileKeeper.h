// The three files kept in step with the tables while the program runs. The
// main window holds one for the whole run: the start-up reading leaves its
// findings here, a timer asks every few seconds whether a write is due (see
// store/SaveSchedule.h for when), a suspend of the machine writes at once, and
// the orderly end writes everything once more.
//
// What the files lack is told by the list views' change counts, remembered at
// each write: the process list's count also moves when a cycle stamps a
// program's last-run time, and the tables count those stamps apart
// (TTables::LastRunStamps), so a list whose count moved by exactly its stamps
// has nothing new but times. The settings are compared as the text they would
// be written as.
//
// A periodic write is composed here, on the user-interface thread (the tables
// are only ever touched there), and written by a worker (store/FileWriter.h),
// so a long list costs the window and the cycle only the composing. The saves
// at suspend and at the end wait for a write in progress, then write the latest
// state themselves; every write goes through the same temporary file, flush and
// rename, and a periodic one reads back exactly as one at the end.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "monitor/Tables.h"
#include "store/DataFiles.h"
#include "store/FileWriter.h"
#include "store/SaveSchedule.h"
#include "store/Settings.h"

namespace ui {

class TFileKeeper {
public:
  TFileKeeper(std::string folder, monitor::TTables& tables,
              const store::TSettingsControls& settings);

  // What the start-up reading made of the files; the reading fills these in.
  store::DataFilesState DataFiles;
  store::TSettingsFileState SettingsFile;

  // After the start-up reading: the files hold what the tables hold now, except
  // what the reading itself left unsaved (a first run's list, a merged pending
  // file, a file moved aside).
  void Loaded(uint64_t nowMs);

  // What the tables and settings hold that the files lack.
  store::TUnsaved Unsaved() const;

  // The periodic check: takes back a write the worker has finished, and when a
  // write is due composes every file that differs and hands them to the worker.
  // A write that fails is told through `report`, once, until one succeeds again.
  void Check(uint64_t nowMs, const std::function<void(const std::string&)>& report);
  // Whether the worker holds a write (until a check or a save takes it back).
  bool Writing() const { return writer_.Busy(); }
  // Waits for a write in progress and takes it back. Its error is not told: the
  // saves that wait for it write everything again.
  void Finish();

  // Every file that differs, written now on this thread (the machine suspends).
  // Throws the message of the first file that cannot be written.
  void SaveChanged();
  // The two data files, and then the settings, written now whatever changed
  // (the orderly end), each after a write in progress. Throw as SaveChanged.
  void SaveDataFiles();
  void SaveSettings();

private:
  enum class TFile { ProcessList, Log, Settings };
  // What the files held at the last write (or the reading), to tell what changed.
  struct TListMark {
    bool Valid = false;
    unsigned Generation = 0;
    unsigned Stamps = 0;
  };
  // A file of the write in progress, and what it holds once written.
  struct TPlanned {
    TFile File;
    TListMark Mark;
    std::string SettingsText;
  };

  store::TUnsaved UnsavedOf(TFile file) const;
  TListMark MarkNow(TFile file) const;
  // Adds the file to the batch; `planned_` gets what it will hold.
  void Plan(TFile file, std::vector<store::TFileWrite>& batch);
  // The files of `files` that differ, or all of them with `all`. A file that
  // cannot be composed (a settings file made read-only, a text for which the
  // memory runs out) leaves its message in `composeError`; the others go.
  std::vector<store::TFileWrite> Compose(std::initializer_list<TFile> files, bool all,
                                         std::string& composeError);
  // What the files of `planned_` hold now that `outcome` says they were written.
  void Commit(const store::TWriteOutcome& outcome);
  // Composes and writes on this thread; throws the first error.
  void WriteNow(std::initializer_list<TFile> files, bool all);

  std::string folder_;
  monitor::TTables& tables_;
  store::TSettingsControls settings_;
  store::TFileWriter writer_;
  store::TSaveSchedule schedule_{0};
  TListMark list_, log_;
  bool settingsValid_ = false;
  std::string settingsText_;
  std::vector<TPlanned> planned_;
  bool writeToldFailing_ = false;     // a failed periodic write was told
  bool composeToldFailing_ = false;   // a file that could not be composed was told
};

}  // namespace ui
