// The tables of the main window: what the program knows while it runs. Four are
// list views shown on the window's tabs; the rest is the state that goes with
// them. The window owns one TTables for the whole run (its designed names,
// ListView1 and the others, refer into it); the functions of monitor/ take the
// tables and work on the members they need, and tests build the tables in memory.
//
// Each table has an enum of its columns, used wherever a cell is read or written.
// A new column is an enumerator here, its heading at the same place in the
// window's column list (ui/Form1.cpp), and its cell where the table's rows are
// made. A record of the data files is a row's cells in column order, with a
// fixed number of fields (store/Records.h), so a new column of the process list
// or the log goes after the last field and is kept across a restart only once
// that format says so. A new table is a member here, a reference of the
// window's designed name to it (ui/Form1.h), and its columns.
#pragma once

#include <string>
#include <vector>

#include "monitor/ProgramIndex.h"
#include "monitor/RealPaths.h"
#include "monitor/SeenProcess.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListView.h"
#include "toolkit/StringList.h"

namespace monitor {

// Columns of the current processes (ListView1). The caption-less spare column
// stays empty.
enum CurrentColumn {
  kCurrentName = 0,
  kCurrentPath = 1,
  kCurrentModified = 2,
  kCurrentSpare = 3,
};

// Columns of the process list (ListView2).
enum ProgramColumn {
  kProgramName = 0,
  kProgramPath = 1,
  kProgramModified = 2,
  kProgramAdded = 3,
  kProgramLastRun = 4,
  kProgramComment = 5,
};

// Columns of the event log (ListView3). The caption-less spare column stays empty.
enum LogColumn {
  kLogTime = 0,
  kLogName = 1,
  kLogKind = 2,
  kLogDetail = 3,
  kLogSpare = 4,
};

// The one column of the ignored folders (ListView4).
enum IgnoredFolderColumn { kIgnoredFolder = 0 };

// What the last comparison and deletion check did, for the notice.
struct TCycleCounts {
  int Added = 0;
  int Updated = 0;
  int Deleted = 0;
};

struct TTables {
  // A rebuilt row of the current processes is the same process when its
  // identifier and its path both are (Windows gives the identifier of an ended
  // process to a later one, and one program runs as many processes), so a
  // refresh keeps the user's selection on it.
  TTables() {
    CurrentProcesses.RowIdentity = [this](int row) {
      std::string pid = row < CurrentPids.Count() ? CurrentPids[row] : std::string();
      return pid + '\n' + CurrentProcesses.Cell(row, kCurrentPath);
    };
  }
  TTables(const TTables&) = delete;
  TTables& operator=(const TTables&) = delete;

  toolkit::TListView CurrentProcesses;  // the programs running now, one row per process
  toolkit::TStringList CurrentPids;     // the process identifier beside each of its rows
  std::string SnapshotTime;             // when CurrentProcesses was taken
  // The icons of CurrentProcesses, image 0 the fallback. Its tag is set while the
  // window sits in the tray (TrayMonitoring), when no icons are extracted.
  toolkit::TImageList Icons;
  toolkit::TListView ProcessList;       // every program ever seen
  toolkit::TListView Log;               // what happened, oldest first
  toolkit::TListView IgnoredFolders;    // texts that keep a path out of the comparison
  TCycleCounts Counts;
  TProgramIndex ProgramIndex;           // the first ProcessList row of each program
  TRealPaths RealPaths;                 // the real paths behind stored texts that lost characters
  // Every process the last walk saw, admitted or not (empty when it failed).
  std::vector<TSeenProcess> Seen;
  // How many times the comparison has stamped a last-run time and nothing else on
  // a row of ProcessList: each is one change of its Generation, so whoever writes
  // the list can tell a list whose times alone moved on from one that changed.
  unsigned LastRunStamps = 0;
};

// Appends an entry of the given kind ("追加", "更新", "削除") to the log, stamped now.
void AppendLogEntry(toolkit::TListView& log, const std::string& name, const char* kind,
                    const std::string& detail);

}  // namespace monitor
