// The process list and the event log survive a restart in ProcessList.dat and
// Log.dat beside the executable: CP932 text, one field per line, headed by the
// version line "Ver1.00"; six lines per program, four per log entry. Both are read
// once at start; while the program runs they are written whole, again and again
// (see ui/FileKeeper.h for when), and once more at the orderly end.
//
// The lines of a record are the cells of a row in column order. The number of
// lines is the files' own and fixed (kProgramFields, kLogFields), since other
// versions read them; a row's cells past it are not written.
//
// A file that is there but cannot be read (another program holds it past the
// patience of the read, a folder of that name, a disk error) is never replaced:
// the session's list is written to a pending file beside it instead
// (ProcessList.dat.pending), and a later start that can read the file merges the
// pending file into it, then removes the pending file once the file holds both.
// A start that still cannot read the file goes on from the pending file. A file
// too large for the memory is renamed to a free .bak name and the list begins
// empty. Either way the start reports it once, in the text LoadDataFiles returns.
//
// When ProcessList.dat is missing (the first run), the caller seeds the process
// list; this part knows only when.
#pragma once

#include <functional>
#include <string>

#include "store/LineBuffer.h"
#include "store/Records.h"
#include "store/TextFile.h"
#include "toolkit/ListView.h"

namespace store {

extern const char kProcessListFileName[];  // "ProcessList.dat"
extern const char kLogFileName[];          // "Log.dat"
extern const char kPendingSuffix[];        // ".pending"

std::string ProcessListPath(const std::string& folder);
std::string LogPath(const std::string& folder);
// The pending file beside a data file.
std::string PendingPath(const std::string& path);

// What the loading made of one data file, for its saves.
struct TDataFileState {
  // The file is there but could not be read: saves go to its pending file.
  bool ToPending = false;
  // The file the saves replace holds nothing that the list lacks: it was loaded,
  // or there was none. Otherwise a save copies it aside before replacing it.
  bool Loaded = false;
  // The list is exactly what that file holds: nothing to save yet.
  bool InStep = false;
  // The pending file was merged into the list; it goes once the file holds it.
  bool PendingMerged = false;
};

struct DataFilesState {
  TDataFileState ProcessList;
  TDataFileState Log;
};

enum class LoadResult { Missing, Loaded, Unrecognised };

// Reads ProcessList.dat into ListView2 (replacing its rows) through the line buffer.
// Missing: the list is left alone. Unrecognised version line: the list is empty.
// Throws "ファイル %s は開けません" for a file that is there but cannot be read,
// TFileTooLarge (the list then empty, its memory given back) for one too large.
LoadResult LoadProcessList(const std::string& folder, TLineBuffer& Memo2,
                           toolkit::TListView& ListView2, DataFilesState& state,
                           unsigned long patienceMs = kLockedFilePatienceMs);

// Reads Log.dat into ListView3 in the same way.
LoadResult LoadLog(const std::string& folder, TLineBuffer& Memo2, toolkit::TListView& ListView3,
                   DataFilesState& state, unsigned long patienceMs = kLockedFilePatienceMs);

// The two lists the data files hold, named so that they cannot change places.
struct TDataLists {
  toolkit::TListView& ProcessList;  // ProcessList.dat
  toolkit::TListView& Log;          // Log.dat
};

// The start-up loading: the process list and its pending file, or without either
// `seedFirstRun`, then the log and its pending file (a log file replaces what the
// seeding logged). Every step runs whatever an earlier one met. Returns what the
// user must be told (files that could not be read or were too large, and what
// became of them), one paragraph each, or "" when all went well.
std::string LoadDataFiles(const std::string& folder, TLineBuffer& Memo2, const TDataLists& lists,
                          DataFilesState& state, const std::function<void()>& seedFirstRun,
                          unsigned long patienceMs = kLockedFilePatienceMs);

// The whole text of a data file for a list: the version line, then `fields`
// lines for each row, each ended by CR LF.
std::string RecordsText(const toolkit::TListView& list, int fields);

enum class TDataFile { ProcessList, Log };

// What a save of the data file writes for its list as it stands: the file or
// its pending file, the text, and whether the old one is copied aside first.
TFileWrite DataFileWrite(const std::string& folder, TDataFile file,
                         const toolkit::TListView& list, const DataFilesState& state);
// After that write succeeded: the file holds the list now, and a pending file
// merged into it is removed.
void DataFileWritten(const std::string& folder, TDataFile file, DataFilesState& state);

// Writes ProcessList.dat, or Log.dat, from its list (or its pending file, see
// above). Throws "ファイル %s を作成できません" when the file cannot be written;
// the previous file is then left as it was.
void SaveProcessList(const std::string& folder, const toolkit::TListView& ListView2,
                     DataFilesState& state);
void SaveLog(const std::string& folder, const toolkit::TListView& ListView3,
             DataFilesState& state);

// The shutdown saving: the process list, then the log. A failure stops it there.
void SaveDataFiles(const std::string& folder, const TDataLists& lists, DataFilesState& state);

}  // namespace store
