#include "monitor/Comparison.h"

#include "toolkit/Cp932.h"
#include "toolkit/DateTimeText.h"

namespace monitor {

namespace {

const char kAdded[] = "追加";
const char kUpdated[] = "更新";
const char kArrow[] = ")→(";

}  // namespace

bool ContainsAtCharBoundary(const std::string& path, const std::string& entry) {
  if (entry.empty() || entry.size() > path.size()) return false;
  // Walk the path a character at a time: only the start of a character may start
  // a match, and the match must not end inside a double-byte character.
  size_t i = 0;
  while (i + entry.size() <= path.size()) {
    if (path.compare(i, entry.size(), entry) == 0) {
      size_t end = i + entry.size();
      size_t j = i;
      while (j < end) j += toolkit::cp932::CharSize(path, j);
      if (j == end) return true;
    }
    i += toolkit::cp932::CharSize(path, i);
  }
  return false;
}

bool IsIgnoredPath(const std::string& path, const toolkit::TListView& ignoredFolders) {
  for (const toolkit::TListItem& folder : ignoredFolders.Items())
    if (ContainsAtCharBoundary(path, folder.Cell(kIgnoredFolder))) return true;
  return false;
}

void ListFileCompares(TTables& tables, int maxLogRows) {
  toolkit::TListView& list = tables.ProcessList;
  toolkit::TListView& log = tables.Log;
  TProgramIndex& index = tables.ProgramIndex;
  tables.Counts.Added = 0;
  tables.Counts.Updated = 0;
  {
    // Repainted once at the end; the scroll below needs the rows counted in again.
    toolkit::TListUpdate holdList(list);
    toolkit::TListUpdate holdLog(log);

    // The log is cut back to the maximum before anything is added, so entries that
    // the last deletion check or additions put over it go first.
    while (log.Count() > maxLogRows) log.Delete(0);

    for (const toolkit::TListItem& current : tables.CurrentProcesses.Items()) {
      const std::string& path = current.Cell(kCurrentPath);
      if (IsIgnoredPath(path, tables.IgnoredFolders)) continue;
      const std::string& name = current.Cell(kCurrentName);
      const std::string& time = current.Cell(kCurrentModified);

      int row = index.Find(list, name, path);
      if (row >= 0 && list.Cell(row, kProgramModified) == time) {
        list.SetCell(row, kProgramLastRun, tables.SnapshotTime);
        ++tables.LastRunStamps;
        index.TouchedOtherCells(list);
      } else if (row >= 0) {
        std::string old = list.Cell(row, kProgramModified);
        list.SetCell(row, kProgramModified, time);
        list.SetCell(row, kProgramLastRun, tables.SnapshotTime);
        index.TouchedOtherCells(list);
        // An update keeps the log at the maximum; only additions may take it over.
        if (log.Count() > 0 && log.Count() >= maxLogRows) log.Delete(0);
        AppendLogEntry(log, name, kUpdated, "(" + old + kArrow + time + ")");
        ++tables.Counts.Updated;
      } else {
        // Appended before the next process is compared, so a second process of the
        // same new program finds this row and is not added again.
        list.Add(toolkit::TListItem::WithCells({{kProgramName, name},
                                                {kProgramPath, path},
                                                {kProgramModified, time},
                                                {kProgramAdded, toolkit::NowText()},
                                                {kProgramLastRun, tables.SnapshotTime},
                                                {kProgramComment, std::string()}}));
        index.Appended(list, name, path);
        AppendLogEntry(log, name, kAdded, std::string());
        ++tables.Counts.Added;
      }
    }
  }
  if (log.Count() > 0) log.MakeVisible(log.Count() - 1);
}

}  // namespace monitor
