// The start-up loading of the data files into the main window's tables. Without
// ProcessList.dat (the first run) the process list starts as the programs running
// at that moment: a snapshot with its file facts, merged by the comparison, so
// each is added and logged as "追加". The loading comes before the settings are
// read, so the seeding sees no ignored folders and the default maximum of log
// rows. It takes the snapshot, the file facts and the comparison together, which
// is why it lives here and not with the files in store/.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/Tables.h"
#include "store/DataFiles.h"
#include "store/LineBuffer.h"

namespace ui {

// Loads ProcessList.dat and Log.dat into the tables' process list and log, seeding
// the process list on a first run; returns what the user must be told, as
// store::LoadDataFiles does.
std::string LoadTables(const std::string& folder, store::TLineBuffer& Memo2,
                       monitor::TTables& tables, HICON fallbackIcon, int maxLogRows,
                       store::DataFilesState& state);

}  // namespace ui
