// The processes the snapshot's walk sees, as the timed cycle hands them to the
// run journal.
#pragma once

#include <windows.h>

#include <vector>

#include "monitor/Snapshot.h"

namespace testsupport {

inline std::vector<monitor::TSeenProcess> SeenProcesses() {
  monitor::TTables tables;
  monitor::GetProcessesList(tables);
  return tables.Seen;
}

inline FILETIME Now() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return now;
}

}  // namespace testsupport
