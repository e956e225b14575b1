// The run journal read back as runs, for the history the window shows: a start
// line and, once the process has ended, the end line that repeats its identifier
// and start time make one run. The lines come from several files (the journal
// and the files rotation made of it), oldest first; a run whose start line lies
// in a file no longer read, or was cut by a crash, is known from its end line
// alone, which holds everything its start line did. A start line with no end is
// a run still going, or one whose end was never seen (the program was not
// running when it ended).
//
// No Win32 call here; it is tested natively with the reader.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "store/JournalLine.h"
#include "toolkit/IsoTime.h"

namespace store {

struct TJournalRun {
  TJournalLine Line;  // the end line when there is one, else the start line
  bool Ended = false;
  toolkit::TUtcMilliseconds StartedMs = 0;  // 0 when the start time does not parse
};

// The runs of the lines, newest start first; runs that started at the same
// instant keep the order of their first lines. At most `maxRuns`, the newest.
std::vector<TJournalRun> JournalRuns(const std::vector<TJournalLine>& lines,
                                     size_t maxRuns = static_cast<size_t>(-1));

}  // namespace store
