#include "monitor/DeletionCheck.h"

#include "monitor/Comparison.h"
#include "monitor/FileFacts.h"
#include "toolkit/DateTimeText.h"

namespace monitor {

void CheckDeletedPrograms(toolkit::TListView& ListView2, toolkit::TListView& ListView3,
                          int& DeletedCount) {
  toolkit::TListUpdate listUpdate(ListView2);
  toolkit::TListUpdate logUpdate(ListView3);
  for (int i = ListView2.Count() - 1; i >= 0; --i) {
    const std::string path = ListView2[i].Cell(kProgramPath);
    // Network and kernel-form paths may be merely unreachable: never call them gone.
    if (!path.empty() && path[0] == '\\') continue;
    if (FileExists(path)) continue;
    toolkit::TListItem& entry = ListView3.Add(toolkit::NowText());
    entry.SubItems = {ListView2[i].Cell(kProgramName), "削除", path + "の削除を確認"};
    ++DeletedCount;
    ListView2.Delete(i);
  }
}

}  // namespace monitor
