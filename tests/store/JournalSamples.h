// Journal lines for the tests of the run journal's lines and file.
#pragma once

#include <string>

#include "store/JournalLine.h"

namespace testsupport {

// A start line; lines of identifiers with the same number of digits have the
// same length.
inline store::TJournalLine StartLine(int pid, const std::string& user = "") {
  store::TJournalLine line;
  line.Event = store::kJournalStart;
  line.Started = "2026-12-08T16:15:27.979+09:00";
  line.StartedSource = store::kTimeFromSystem;
  line.Pid = std::to_string(pid);
  line.ParentPid = "0";
  line.Name = "a.exe";
  line.Path = "C:\\a.exe";
  line.User = user;
  return line;
}

}  // namespace testsupport
