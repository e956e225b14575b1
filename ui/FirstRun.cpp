#include "ui/FirstRun.h"

#include "monitor/Comparison.h"
#include "monitor/Snapshot.h"

namespace ui {

// A record of the data files is a row of its table, field by field in column
// order; a column put before the last field would give the files' lines another
// meaning.
static_assert(store::kProgramFields == monitor::kProgramComment + 1, "ProcessList.dat record");
static_assert(store::kLogFields == monitor::kLogDetail + 1, "Log.dat record");

std::string LoadTables(const std::string& folder, store::TLineBuffer& Memo2,
                       monitor::TTables& tables, HICON fallbackIcon, int maxLogRows,
                       store::DataFilesState& state) {
  return store::LoadDataFiles(folder, Memo2, {tables.ProcessList, tables.Log}, state, [&] {
    monitor::RefreshCurrentProcesses(tables, fallbackIcon);
    monitor::ListFileCompares(tables, maxLogRows);
  });
}

}  // namespace ui
