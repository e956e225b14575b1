// The process list and the event log survive a restart in ProcessList.dat and
// Log.dat beside the executable: CP932 text, one field per line, headed by the
// version line "Ver1.00"; six lines per program, four per log entry. Both are read
// once at start and written once, whole, at the orderly end.
//
// When ProcessList.dat is missing (the first run), the process list is seeded from
// the processes running at that moment, through the snapshot, the file facts and
// the comparison, before the settings are read: with no ignored folders and the
// default maximum of log rows.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/Comparison.h"
#include "store/LineBuffer.h"
#include "store/Records.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListView.h"
#include "toolkit/StringList.h"

namespace store {

extern const char kProcessListFileName[];  // "ProcessList.dat"
extern const char kLogFileName[];          // "Log.dat"

std::string ProcessListPath(const std::string& folder);
std::string LogPath(const std::string& folder);

// What the loading made of the two files. A file counts as loaded when it was read
// into its list, or when there was none; one that was there but was not loaded (an
// unknown version line, unreadable, or never reached because an earlier step
// failed) is copied aside by the save before it is replaced.
struct DataFilesState {
  bool ProcessListLoaded = false;
  bool LogLoaded = false;
};

enum class LoadResult { Missing, Loaded, Unrecognised };

// Reads ProcessList.dat into ListView2 (replacing its rows) through the line buffer.
// Missing: the list is left alone. Unrecognised version line: the list is empty.
// Throws "ファイル %s は開けません" for a file that is there but cannot be read.
LoadResult LoadProcessList(const std::string& folder, TLineBuffer& Memo2,
                           toolkit::TListView& ListView2, DataFilesState& state);

// Reads Log.dat into ListView3 in the same way.
LoadResult LoadLog(const std::string& folder, TLineBuffer& Memo2, toolkit::TListView& ListView3,
                   DataFilesState& state);

// What a first run seeds the process list through: the current-process table and
// its state, and what the comparison reads besides the two lists.
struct FirstRunTables {
  toolkit::TListView& ListView1;
  toolkit::TStringList& CurrentPids;
  std::string& SnapshotTime;
  toolkit::TImageList& ImageList1;
  HICON FallbackIcon;
  const toolkit::TListView& ListView4;
  int MaxLogRows;
  int& AddedCount;
  int& UpdatedCount;
  monitor::TProgramIndex& Index;
};

// The start-up loading: the process list (or, without its file, the first-run
// seeding), then the log. A process list that cannot be read is left empty and
// its error thrown only after the log has been loaded.
void LoadDataFiles(const std::string& folder, TLineBuffer& Memo2, toolkit::TListView& ListView2,
                   toolkit::TListView& ListView3, DataFilesState& state,
                   const FirstRunTables& firstRun);

// Writes ProcessList.dat, or Log.dat, from its list. Throws
// "ファイル %s を作成できません" when the file cannot be written; the previous
// file is then left as it was.
void SaveProcessList(const std::string& folder, TLineBuffer& Memo2,
                     const toolkit::TListView& ListView2, DataFilesState& state);
void SaveLog(const std::string& folder, TLineBuffer& Memo2, const toolkit::TListView& ListView3,
             DataFilesState& state);

// The shutdown saving: the process list, then the log. A failure stops it there.
void SaveDataFiles(const std::string& folder, TLineBuffer& Memo2,
                   const toolkit::TListView& ListView2, const toolkit::TListView& ListView3,
                   DataFilesState& state);

}  // namespace store
