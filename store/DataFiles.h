// The process list and the event log survive a restart in ProcessList.dat and
// Log.dat beside the executable: CP932 text, one field per line, headed by the
// version line "Ver1.00"; six lines per program, four per log entry. Both are read
// once at start and written once, whole, at the orderly end.
//
// The lines of a record are the cells of a row in column order. The number of
// lines is the files' own and fixed (kProgramFields, kLogFields), since other
// versions read them; a row's cells past it are not written.
//
// When ProcessList.dat is missing (the first run), the caller seeds the process
// list; this part knows only when.
#pragma once

#include <functional>
#include <string>

#include "store/LineBuffer.h"
#include "store/Records.h"
#include "toolkit/ListView.h"

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

// The two lists the data files hold, named so that they cannot change places.
struct TDataLists {
  toolkit::TListView& ProcessList;  // ProcessList.dat
  toolkit::TListView& Log;          // Log.dat
};

// The start-up loading: the process list, or without its file `seedFirstRun`, then
// the log, which replaces what the seeding logged. A process list that cannot be
// read is left empty and its error thrown only after the log has been loaded.
void LoadDataFiles(const std::string& folder, TLineBuffer& Memo2, const TDataLists& lists,
                   DataFilesState& state, const std::function<void()>& seedFirstRun);

// Writes ProcessList.dat, or Log.dat, from its list. Throws
// "ファイル %s を作成できません" when the file cannot be written; the previous
// file is then left as it was.
void SaveProcessList(const std::string& folder, TLineBuffer& Memo2,
                     const toolkit::TListView& ListView2, DataFilesState& state);
void SaveLog(const std::string& folder, TLineBuffer& Memo2, const toolkit::TListView& ListView3,
             DataFilesState& state);

// The shutdown saving: the process list, then the log. A failure stops it there.
void SaveDataFiles(const std::string& folder, TLineBuffer& Memo2, const TDataLists& lists,
                   DataFilesState& state);

}  // namespace store
