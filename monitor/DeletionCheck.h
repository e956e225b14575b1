// The deletion check: programs of the process list whose executable is gone are
// logged as deleted and dropped from the list.
#pragma once

#include "monitor/Tables.h"

namespace monitor {

// Walks the process list from its last row up, so that a removal never shifts a
// row still to be visited; each row whose file ListedFileState finds gone is
// logged as "削除" and removed (a row that cannot be tested stays). The log is
// not trimmed here. Adds the number removed to Counts.Deleted.
void CheckDeletedPrograms(TTables& tables);

}  // namespace monitor
