// The main window's tables built in memory, for the tests of what works on them:
// the snapshot, the file facts, the comparison, the deletion check, sorting and
// the data files. The rows are made as the program makes them; the functions
// take any monitor::TTables, so they serve the window's own tables as well.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/Comparison.h"
#include "monitor/Tables.h"
#include "store/DataFiles.h"
#include "store/LineBuffer.h"
#include "toolkit/Handle.h"

namespace testsupport {

// A current-process row as the snapshot and the file facts leave it, and its
// identifier beside it.
inline void AddProcess(monitor::TTables& t, const std::string& name, const std::string& path,
                       const std::string& modified = "", const std::string& pid = "") {
  t.CurrentProcesses.Add(toolkit::TListItem::WithCells({{monitor::kCurrentName, name},
                                                        {monitor::kCurrentPath, path},
                                                        {monitor::kCurrentModified, modified},
                                                        {monitor::kCurrentSpare, ""}}));
  t.CurrentPids.Add(pid);
}

// The added and last-run times of every program AddProgram lists.
constexpr char kProgramAdded[] = "2020/01/01 1:00:00";
constexpr char kProgramLastRun[] = "2020/01/02 2:00:00";

// A program of the process list, listed at kProgramAdded and last run at kProgramLastRun.
inline void AddProgram(monitor::TTables& t, const std::string& name, const std::string& path,
                       const std::string& modified = "", const std::string& comment = "") {
  t.ProcessList.Add(toolkit::TListItem::WithCells({{monitor::kProgramName, name},
                                                   {monitor::kProgramPath, path},
                                                   {monitor::kProgramModified, modified},
                                                   {monitor::kProgramAdded, kProgramAdded},
                                                   {monitor::kProgramLastRun, kProgramLastRun},
                                                   {monitor::kProgramComment, comment}}));
}

inline void AddLogEntry(monitor::TTables& t, const std::string& time, const std::string& name,
                        const std::string& kind, const std::string& detail = "") {
  t.Log.Add(toolkit::TListItem::WithCells({{monitor::kLogTime, time},
                                          {monitor::kLogName, name},
                                          {monitor::kLogKind, kind},
                                          {monitor::kLogDetail, detail}}));
}

// Tables of their own, with the fallback icon as image 0 of the icons and the
// state the data files keep beside the tables.
struct Tables : monitor::TTables {
  toolkit::IconHandle FallbackIcon{::CopyIcon(::LoadIconA(nullptr, IDI_APPLICATION))};
  int MaxLogRows = 100;
  store::TLineBuffer Memo2;
  store::DataFilesState FileState;
  bool SeedingAskedFor = false;  // a Load found no process list

  Tables() { Icons.AddIcon(FallbackIcon.get()); }

  void Compare() { monitor::ListFileCompares(*this, MaxLogRows); }
  // The start-up loading, with a first-run seeding that only notes it was asked
  // for; what the user would be told. A file another program holds is waited for
  // `patienceMs`.
  std::string Load(const std::string& folder, unsigned long patienceMs = 300) {
    return store::LoadDataFiles(folder, Memo2, {ProcessList, Log}, FileState,
                                [this] { SeedingAskedFor = true; }, patienceMs);
  }
  void Save(const std::string& folder) { store::SaveDataFiles(folder, {ProcessList, Log}, FileState); }
};

}  // namespace testsupport
