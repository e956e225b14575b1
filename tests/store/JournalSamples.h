// Journal lines for the tests of the run journal's lines and file.
#pragma once

#include <string>
#include <vector>

#include "TestSupport.h"
#include "store/RunJournal.h"

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

// A line of a run of 2026-12-08 at the given times ("10:00:00"); an end line
// when `ended` is given.
inline store::TJournalLine RunLine(int pid, const std::string& started,
                                   const std::string& ended = "", const std::string& seconds = "") {
  store::TJournalLine line = StartLine(pid);
  line.Started = "2026-12-08T" + started + ".000+09:00";
  line.Name = "run" + std::to_string(pid) + ".exe";
  line.Path = "C:\\Tools\\" + line.Name;
  if (!ended.empty()) {
    line.Event = store::kJournalEnd;
    line.Ended = "2026-12-08T" + ended + ".000+09:00";
    line.EndedSource = store::kTimeFromSystem;
    line.Seconds = seconds;
  }
  return line;
}

// A journal file of the lines, as the writer makes it.
inline std::string JournalFileOf(const std::vector<store::TJournalLine>& lines) {
  std::string bytes = store::JournalHeader();
  for (const store::TJournalLine& line : lines) bytes += store::FormatJournalLine(line);
  return bytes;
}

// Three runs over three files: run 7 of 10:00 began in RunJournal.1.csv and ended
// in RunJournal.csv; 7 again (a reused identifier) at 11:00, still running; run 9
// of 10:30 began in RunJournal.2.csv and ended in RunJournal.csv.
inline void WriteThreeRuns(const std::wstring& journal) {
  WriteFileBytes(store::RotatedJournalPath(journal, 2), JournalFileOf({RunLine(9, "10:30:00")}));
  WriteFileBytes(store::RotatedJournalPath(journal, 1), JournalFileOf({RunLine(7, "10:00:00")}));
  WriteFileBytes(journal, JournalFileOf({RunLine(7, "10:00:00", "10:00:05", "5.000"),
                                         RunLine(7, "11:00:00"),
                                         RunLine(9, "10:30:00", "10:31:00", "60.000")}));
}

}  // namespace testsupport
