#include "monitor/DeletionCheck.h"

#include "monitor/FileFacts.h"

namespace monitor {

void CheckDeletedPrograms(TTables& tables) {
  toolkit::TListView& list = tables.ProcessList;
  toolkit::TListUpdate listUpdate(list);
  toolkit::TListUpdate logUpdate(tables.Log);
  for (int i = list.Count() - 1; i >= 0; --i) {
    const std::string path = list.Cell(i, kProgramPath);
    if (ListedFileState(path, tables.RealPaths) != TListedFile::Gone) continue;
    AppendLogEntry(tables.Log, list.Cell(i, kProgramName), "削除", path + "の削除を確認");
    ++tables.Counts.Deleted;
    list.Delete(i);
  }
}

}  // namespace monitor
