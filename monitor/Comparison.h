// The comparison merges the current-process table into the process list: a program
// seen for the first time is added, one whose executable changed is updated, every
// one seen gets its last-run time, and each addition and update goes into the log.
// A program is found in the list through the tables' TProgramIndex, so a cycle
// costs the same whatever the length of the list.
#pragma once

#include <string>

#include "monitor/Tables.h"
#include "toolkit/ListView.h"

namespace monitor {

// Whether an ignored-folder text occurs in a path: case-sensitive, anywhere in the
// path, but only where it starts and ends on a character boundary of the CP932
// text, so a trail byte of a double-byte character is never taken as the start of
// a match. An empty text matches nothing.
bool ContainsAtCharBoundary(const std::string& path, const std::string& entry);

// Whether any row of the ignored folders occurs in the path.
bool IsIgnoredPath(const std::string& path, const toolkit::TListView& ignoredFolders);

// Merges the current processes into the process list and the log; rows whose
// path lies in an ignored folder are passed over. `maxLogRows` is the maximum
// number of log rows (SpinEdit2). Sets Counts.Added and Counts.Updated to the
// numbers of this run.
void ListFileCompares(TTables& tables, int maxLogRows);

}  // namespace monitor
