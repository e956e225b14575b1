// The run journal as the timed cycle keeps it: the runs the tracker finds in each
// walk, written to RunJournal.csv beside the executable as they are found. This
// is where the process side (monitor/) and the file side (store/) of the journal
// meet; neither knows the other.
//
// The cycle hands its lines to the journal's writer thread, which writes and
// flushes them while the cycle goes on (store/JournalWriter.h).
//
// A session begins by reading the end of the journal for the runs an earlier
// session wrote as started and never saw end. The processes running at the first
// cycle are all new to the tracker; those of them that the journal already holds
// (same identifier and creation time) are not written again, and their ends are
// written when they come, so a run survives a restart of this program as one
// start and one end. The others get their start with their real creation time,
// however long ago that was. Runs still open when the program ends get no end
// line, and a later session does not invent one for a run that ended meanwhile:
// its end is unknown, and the journal says so by having none.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "monitor/RunTracker.h"
#include "store/JournalWriter.h"
#include "store/RunJournal.h"
#include "store/SettingsForm.h"

namespace ui {

// How much of the journal's end a session reads for the runs left open: all of
// a file of the default size. A run whose start lies further back (a long-lived
// process and many restarts of this program, or a larger limit) gets a second
// start line with the same identifier and creation time, which names the same run.
constexpr uint64_t kOpenRunsTailBytes = 16 * 1024 * 1024;

store::TJournalLine JournalLineOf(const monitor::TRunEvent& event);

// The runs the lines leave open: a start with no end of the same identifier and
// start time after it.
std::vector<monitor::TJournalledRun> OpenRuns(const std::vector<store::TJournalLine>& lines);

class TRunJournalling {
public:
  TRunJournalling(const std::wstring& folder, const store::TJournalSettings& settings,
                  const monitor::TRunProcessApi& api = monitor::TRunProcessApi::System());

  // One cycle's walk, taken at `cycleTime` (UTC; now when not given).
  void Cycle(const std::vector<monitor::TSeenProcess>& seen);
  void Cycle(const std::vector<monitor::TSeenProcess>& seen, const FILETIME& cycleTime);

  const monitor::TRunTracker& Tracker() const { return tracker_; }
  const store::TJournalWriter& Journal() const { return journal_; }

private:
  monitor::TRunTracker tracker_;
  store::TJournalWriter journal_;
};

}  // namespace ui
