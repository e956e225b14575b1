#include "ui/RunHistory.h"

#include <algorithm>
#include <cstdlib>

#include "store/RunJournal.h"
#include "toolkit/AnsiText.h"
#include "ui/Sorting.h"

namespace ui {

namespace {

std::string Shown(const std::string& utf8) {
  return utf8.empty() ? std::string() : toolkit::Narrow(toolkit::WidenUtf8(utf8).c_str());
}

// "2026-12-08T16:15:27.979+09:00" as "2026/12/08 16:15:27": the local time of
// the file, to the second, in the order of the other lists' dates.
std::string ShownTime(const std::string& iso) {
  if (iso.size() < 19) return iso;
  std::string text = iso.substr(0, 19);
  std::replace(text.begin(), text.begin() + 10, '-', '/');
  text[10] = ' ';
  return text;
}

}  // namespace

std::vector<toolkit::TListColumn> RunHistoryColumns() {
  return {{"開始時刻", 125}, {"終了時刻", 125}, {"実行秒数", 60},  {"ファイル名", 100},
          {"フルパス", 0, true}, {"親のパス", 120}, {"ユーザー", 80}};
}

std::vector<std::string> RunHistoryCaptions() {
  std::vector<std::string> captions;
  for (const toolkit::TListColumn& column : RunHistoryColumns()) captions.push_back(column.Caption);
  return captions;
}

toolkit::TListItem RunHistoryRow(const store::TJournalRun& run) {
  const store::TJournalLine& line = run.Line;
  toolkit::TListItem row(ShownTime(line.Started));
  row.SubItems = {run.Ended ? ShownTime(line.Ended) : std::string(),
                  run.Ended ? line.Seconds : std::string(),
                  Shown(line.Name),
                  Shown(line.Path),
                  Shown(line.ParentPath),
                  Shown(line.User)};
  return row;
}

std::vector<toolkit::TListItem> ReadRunHistory(const std::wstring& journalPath, size_t maxRuns) {
  const std::vector<store::TJournalRun> runs =
      store::JournalRuns(store::ReadRecentJournal(journalPath, maxRuns), maxRuns);
  std::vector<toolkit::TListItem> rows;
  rows.reserve(runs.size());
  for (const store::TJournalRun& run : runs) rows.push_back(RunHistoryRow(run));
  return rows;
}

void SortRunHistory(toolkit::TListView& view, TRunHistorySort& sort, int column) {
  sort.Descending = column == sort.Column ? !sort.Descending : false;
  sort.Column = column;
  std::vector<int> order;
  if (column == kRunSeconds) {
    // A run without an end has no length: after every one that has.
    std::vector<double> keys;
    keys.reserve(static_cast<size_t>(view.Count()));
    for (const toolkit::TListItem& row : view.Items()) {
      const std::string& text = row.Cell(column);
      keys.push_back(text.empty() ? -1 : std::strtod(text.c_str(), nullptr));
    }
    order.resize(keys.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
      const double a = keys[static_cast<size_t>(x)], b = keys[static_cast<size_t>(y)];
      return sort.Descending ? a > b : a >= 0 && (b < 0 || a < b);
    });
  } else {
    order = OrderByColumn(view, column, sort.Descending);
  }
  view.Reorder(order);
}

TRunHistoryLoader::TRunHistoryLoader(TShow show, size_t maxRuns)
    : show_(std::move(show)), maxRuns_(maxRuns) {}

TRunHistoryLoader::~TRunHistoryLoader() {
  Terminate();
  WaitFor();
}

void TRunHistoryLoader::Load(std::wstring journalPath) {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    asked_ = std::move(journalPath);
  }
  Resume();
}

void TRunHistoryLoader::Execute() {
  for (;;) {
    std::wstring path;
    {
      const std::lock_guard<std::mutex> hold(lock_);
      path.swap(asked_);
    }
    if (!path.empty()) {
      std::vector<toolkit::TListItem> rows = ReadRunHistory(path, maxRuns_);
      if (!Synchronize([&] { show_(rows); })) break;
    }
    if (!PauseWhen([this] {
          const std::lock_guard<std::mutex> hold(lock_);
          return asked_.empty();
        }))
      break;
  }
}

}  // namespace ui
