// The fifth tab, "実行履歴": the run journal's runs as rows, newest first, read
// back from RunJournal.csv and the files rotation made of it. The journal may hold
// hundreds of thousands of lines, and reading, pairing and converting them takes
// longer than a window may stand still; so a worker thread does all of it, and
// the user interface's thread only takes the finished rows into the list view,
// whose owner-data window asks for the text of the rows it paints and no more.
//
// The journal is UTF-8 and may hold any character; the list view shows CP932,
// like every list of the program, so a character CP932 lacks shows as "?" here
// (the file keeps it).
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "store/JournalRuns.h"
#include "toolkit/ListView.h"
#include "toolkit/Thread.h"

namespace ui {

enum RunHistoryColumn {
  kRunStarted,
  kRunEnded,
  kRunSeconds,
  kRunName,
  kRunPath,
  kRunParent,
  kRunUser,
};

// How many of the newest runs the tab shows.
constexpr size_t kRunHistoryRows = 100000;

// The tab's columns, in the order of RunHistoryColumn.
std::vector<toolkit::TListColumn> RunHistoryColumns();
// Their captions, the heading row of the tab saved as CSV.
std::vector<std::string> RunHistoryCaptions();

// A run as a row: times as "2026/12/08 16:15:27" (the local time the journal
// wrote), empty end and length for a run with no end line.
toolkit::TListItem RunHistoryRow(const store::TJournalRun& run);

// The rows of the newest runs of the journal at `journalPath`, newest first.
std::vector<toolkit::TListItem> ReadRunHistory(const std::wstring& journalPath,
                                               size_t maxRuns = kRunHistoryRows);

// A click on a column heading sorts by it, ascending; a second click on the same
// column reverses the order. Rows of equal keys keep their order. The length is
// sorted as a number, the rest by text (the times' text sorts as the times).
struct TRunHistorySort {
  int Column = kRunStarted;
  bool Descending = true;  // as read: newest first
};
void SortRunHistory(toolkit::TListView& view, TRunHistorySort& sort, int column);

// Reads the history on a worker thread and hands the rows to `show` on the
// thread that made it; what `show` leaves in them is freed on the worker. A
// load asked for while one is under way runs after it.
class TRunHistoryLoader : private toolkit::TThread {
public:
  using TShow = std::function<void(std::vector<toolkit::TListItem>& rows)>;
  explicit TRunHistoryLoader(TShow show, size_t maxRuns = kRunHistoryRows);
  ~TRunHistoryLoader() override;

  void Load(std::wstring journalPath);

private:
  void Execute() override;

  const TShow show_;
  const size_t maxRuns_;
  std::mutex lock_;
  std::wstring asked_;  // the journal of the next load; empty when none is asked
};

}  // namespace ui
