// The ways earlier versions did what the benchmarks time, kept as they were so
// that each new way is measured beside its baseline in the same run: the file
// test by one ANSI directory search per path, the file times of the current
// processes by that search, and the deletion check that tested every listed
// program by it, on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/FileFacts.h"
#include "monitor/Tables.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Wow64.h"

namespace bench {

inline bool OldFileExists(const std::string& path, std::string* modified = nullptr) {
  WIN32_FIND_DATAA entry;
  {
    toolkit::TWow64RedirectionOff realSystem32;
    HANDLE search = ::FindFirstFileA(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
  }
  return monitor::CountsAsExistingFile(entry.dwFileAttributes, entry.ftLastWriteTime, modified);
}

// The file times as the tray's cycle read them (no icons there).
inline void OldListFileProperty(monitor::TTables& tables) {
  toolkit::TListView& rows = tables.CurrentProcesses;
  toolkit::TListUpdate update(rows);
  for (int i = 0; i < rows.Count(); ++i) {
    std::string modified;
    rows.SetImageIndex(i, 0);
    const bool exists = OldFileExists(rows.Cell(i, monitor::kCurrentPath), &modified);
    rows.SetCell(i, monitor::kCurrentModified, exists ? std::move(modified) : std::string());
  }
}

// Every row tested in turn, from the last up, on the calling thread.
inline void OldCheckDeletedPrograms(monitor::TTables& tables) {
  toolkit::TListView& list = tables.ProcessList;
  toolkit::TListUpdate listUpdate(list);
  toolkit::TListUpdate logUpdate(tables.Log);
  for (int i = list.Count() - 1; i >= 0; --i) {
    const std::string path = list.Cell(i, monitor::kProgramPath);
    if (!path.empty() && path[0] == '\\') continue;
    if (OldFileExists(path)) continue;
    monitor::AppendLogEntry(tables.Log, list.Cell(i, monitor::kProgramName), "削除",
                            path + "の削除を確認");
    ++tables.Counts.Deleted;
    list.Delete(i);
  }
}

}  // namespace bench
