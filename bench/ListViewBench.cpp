// Times what a user does with a large process list: show 100,000 rows in a real
// list view window, scroll through it, sort it by a column, and type a filter a
// key at a time, so that a change that makes any of these grow with the table
// shows up as a number. Every key of the filter must be done within 100 ms; its
// baseline is the plain way of the same work, each cell lowered by
// CharLowerBuffA at every key, timed side by side. Then the run
// history tab with as many runs in the journal: read by its worker while the
// window goes on answering, against the same read done in the window's thread,
// and the longest the window did not answer in each case.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Timing.h"

#include "store/JournalLine.h"
#include "store/RunJournal.h"
#include "toolkit/AnsiText.h"
#include "toolkit/ListView.h"
#include "ui/RunHistory.h"
#include "ui/Sorting.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

toolkit::TListView* g_view = nullptr;

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  LRESULT result = 0;
  if (m == WM_NOTIFY && g_view && g_view->HandleNotify(reinterpret_cast<NMHDR*>(l), &result))
    return result;
  return ::DefWindowProcA(h, m, w, l);
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

// A journal of `runs` ended runs, as long as the program writes them, in one file
// (the reader reads the rotated files the same way).
std::wstring WriteJournal(int runs) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::wstring folder =
      toolkit::Widen(temp) + L"HistoryBench" + std::to_wstring(::GetCurrentProcessId());
  ::CreateDirectoryW(folder.c_str(), nullptr);
  std::string bytes = store::JournalHeader();
  for (int i = 0; i < runs; ++i) {
    store::TJournalLine line;
    line.Event = store::kJournalStart;
    char started[40];
    std::snprintf(started, sizeof started, "2026-12-%02dT%02d:%02d:%02d.%03d+09:00", 1 + i / 86400 % 28,
                  i / 3600 % 24, i / 60 % 60, i % 60, i % 1000);
    line.Started = started;
    line.StartedSource = store::kTimeFromSystem;
    line.Pid = std::to_string(1000 + i * 4 % 60000);
    line.ParentPid = "612";
    line.ParentPath = "C:\\Windows\\explorer.exe";
    line.Name = "prog" + std::to_string(i % 977) + ".exe";
    line.Path = "C:\\Program Files\\Vendor" + std::to_string(i % 313) + "\\" + line.Name;
    line.User = "DESKTOP-1\\user";
    bytes += store::FormatJournalLine(line);
    line.Event = store::kJournalEnd;
    line.Ended = line.Started;
    line.EndedSource = store::kTimeFromSystem;
    line.Seconds = std::to_string(i % 5000) + ".250";
    bytes += store::FormatJournalLine(line);
  }
  const std::wstring journal = store::RunJournalPath(folder);
  toolkit::FileHandle file(
      ::CreateFileW(journal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  return journal;
}

// Runs until `done`, answering the window's messages, and gives the longest time
// between two looks at the message queue: how long the window stood still.
template <typename Done>
double LongestStill(Done done) {
  double longest = 0;
  auto last = Clock::now();
  for (;;) {
    const bool finished = done();
    Pump();
    const auto now = Clock::now();
    longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
    if (finished) return longest;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// The plain way: every cell of the filter's columns lowered by the system at every
// key, then searched. The rows that pass, counted.
int PlainFilter(const toolkit::TListView& view, const std::vector<int>& columns,
                const std::string& text) {
  std::string needle = text;
  ::CharLowerBuffA(&needle[0], static_cast<DWORD>(needle.size()));
  int passed = 0;
  std::string cell;
  for (const toolkit::TListItem& row : view.Items()) {
    for (int column : columns) {
      cell = row.Cell(column);
      if (!cell.empty()) ::CharLowerBuffA(&cell[0], static_cast<DWORD>(cell.size()));
      if (cell.find(needle) != std::string::npos) {
        ++passed;
        break;
      }
    }
  }
  return passed;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &Proc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "ListViewBench";
  ::RegisterClassA(&wc);
  HWND parent = ::CreateWindowA("ListViewBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                800, 500, nullptr, nullptr, wc.hInstance, nullptr);

  toolkit::TListView view;
  g_view = &view;
  view.Columns = {{"ファイル名", 130}, {"フルパス", 300}, {"更新日時", 120},
                  {"追加日時", 120},   {"最終実行日時", 120}, {"コメント", 100}};
  view.Create(parent, {0, 0, 780, 460}, true);

  auto start = Clock::now();
  view.BeginUpdate();
  for (int i = 0; i < rows; ++i) {
    // Keys in a scrambled order, so the sort has work to do.
    unsigned k = static_cast<unsigned>(i) * 2654435761u;
    std::string name = "prog" + std::to_string(k % 1000003) + ".exe";
    // Half of the programs under a Japanese user's folder, a quarter with a
    // Japanese comment: two-byte text costs the filter most.
    std::string path = (i % 2 ? "C:\\Program Files\\Vendor" : "C:\\Users\\山田\\AppData\\Vendor") +
                       std::to_string(k % 977) + "\\" + name;
    view.Add({std::move(name),
              {std::move(path), "2026/12/8 0:59:45", "2026/12/1 10:00:00", "2026/12/8 0:59:45",
               i % 4 == 0 ? "社内ツール（経理用）" : ""}});
  }
  view.EndUpdate();
  ::UpdateWindow(view.Handle());
  Pump();
  double fill = Since(start);

  start = Clock::now();
  for (int i = 0; i < 200; ++i) {
    ::SendMessageA(view.Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    ::UpdateWindow(view.Handle());
  }
  ::SendMessageA(view.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  ::UpdateWindow(view.Handle());
  Pump();
  double scroll = Since(start);

  start = Clock::now();
  ui::SortProcessList(view, 1);
  ::UpdateWindow(view.Handle());
  Pump();
  double sort = Since(start);

  // A filter typed a key at a time, the keys taken back one by one, and emptied,
  // each key with the window shown again: in the names, paths and comments.
  view.FilterColumns = {0, 1, 5};
  const std::string word = "VENDOR12\\PROG";
  std::vector<std::string> keys;
  for (size_t n = 1; n <= word.size(); ++n) keys.push_back(word.substr(0, n));
  for (size_t n = word.size() - 1; n >= 1; --n) keys.push_back(word.substr(0, n));
  keys.push_back("");
  std::vector<double> perKey;
  int shownAtWord = 0;
  for (const std::string& key : keys) {
    perKey.push_back(bench::Milliseconds([&] {
      view.SetFilter(key);
      ::UpdateWindow(view.Handle());
      Pump();
    }));
    if (key == word) shownAtWord = view.ShownCount();
  }
  std::vector<double> plainPerKey;
  int plainAtWord = 0;
  for (const std::string& key : keys) {
    int passed = 0;
    plainPerKey.push_back(bench::Milliseconds([&] { passed = PlainFilter(view, {0, 1, 5}, key); }));
    if (key == word) plainAtWord = passed;
  }
  const double keyMedian = bench::Median(perKey);
  const double keyMost = *std::max_element(perKey.begin(), perKey.end());
  const double plainMedian = bench::Median(plainPerKey);

  std::printf("rows: %d\n", view.Count());
  std::printf("fill and show:            %9.1f ms\n", fill);
  std::printf("scroll 200 pages and end: %9.1f ms\n", scroll);
  std::printf("sort by full path:        %9.1f ms\n", sort);
  std::printf("RESULT|listview.%d.fill|%.3f|ms\nRESULT|listview.%d.scroll200|%.3f|ms\n", rows, fill,
              rows, scroll);
  std::printf("RESULT|listview.%d.sort|%.3f|ms\n", rows, sort);
  std::printf("filter, %zu keys (\"%s\" typed, taken back, emptied): median %.1f ms, most %.1f ms;"
              " %d rows pass the word (plain way: %d)\n",
              keys.size(), word.c_str(), keyMedian, keyMost, shownAtWord, plainAtWord);
  std::printf("the plain way, each cell lowered by CharLowerBuffA at every key: median %.1f ms\n",
              plainMedian);
  bench::Result("listview." + std::to_string(rows) + ".filter.key_median", keyMedian, "ms");
  bench::Result("listview." + std::to_string(rows) + ".filter.key_most", keyMost, "ms");
  bench::Result("listview." + std::to_string(rows) + ".filter.plain_key_median", plainMedian, "ms");
  bench::Result("listview." + std::to_string(rows) + ".filter.ratio_to_plain",
                keyMedian / plainMedian, "x");
  if (shownAtWord != plainAtWord) std::printf("!! the filter and the plain way disagree\n");

  // The run history of as many runs. A run of the window's thread between two
  // looks at its queue is a freeze the user sees: with the worker, only the
  // taking over of the finished rows; before, the whole read.
  const std::wstring journal = WriteJournal(rows);
  toolkit::TListView history;
  g_view = &history;
  ::ShowWindow(view.Handle(), SW_HIDE);
  history.Columns = ui::RunHistoryColumns();
  history.Create(parent, {0, 0, 780, 460}, true);
  auto take = [&history](std::vector<toolkit::TListItem>& rows) { history.Assign(rows); };
  start = Clock::now();
  const double before = LongestStill([&, read = false]() mutable {
    if (read) return true;
    std::vector<toolkit::TListItem> found = ui::ReadRunHistory(journal);
    take(found);
    ::UpdateWindow(history.Handle());
    return read = true;
  });
  const double beforeShown = Since(start);
  Pump();
  double shown = 0;
  double still = 0;
  double taken = 0;  // the window's own part: taking the rows over and painting them
  {
    ui::TRunHistoryLoader loader([&](std::vector<toolkit::TListItem>& found) {
      const auto taking = Clock::now();
      take(found);
      ::UpdateWindow(history.Handle());
      taken = Since(taking);
      shown = Since(start);
    });
    start = Clock::now();
    loader.Load(journal);
    still = LongestStill([&] { return shown > 0; });
  }
  std::printf("run history of %d runs (%d shown): in the window's thread %.1f ms, the window "
              "still for %.1f ms; on its worker shown after %.1f ms, the window still for at most %.1f ms "
              "(%.3f of the old way)\n",
              rows, history.Count(), beforeShown, before, shown, still, still / before);
  std::printf("the window's own part of it: %.1f ms\n", taken);
  std::printf("RESULT|history.%d.shown|%.3f|ms\nRESULT|history.%d.still|%.3f|ms\n", rows, shown,
              rows, still);
  std::printf("RESULT|history.%d.taken|%.3f|ms\n", rows, taken);
  std::printf("RESULT|history.%d.inthread.still|%.3f|ms\nRESULT|history.%d.still.x_inthread|%.3f|x\n",
              rows, before, rows, still / before);
  ::DeleteFileW(journal.c_str());
  ::RemoveDirectoryW(journal.substr(0, journal.find_last_of(L'\\')).c_str());
  ::DestroyWindow(parent);
  return 0;
}
