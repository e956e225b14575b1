// Times what a user does with a large process list: show 100,000 rows in a real
// list view window, scroll through it, and sort it by a column, so that a change
// that makes any of these grow with the table shows up as a number.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "toolkit/ListView.h"
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
    std::string path = "C:\\Program Files\\Vendor" + std::to_string(k % 977) + "\\" + name;
    view.Add({std::move(name),
              {std::move(path), "2026/12/8 0:59:45", "2026/12/1 10:00:00", "2026/12/8 0:59:45",
               ""}});
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

  std::printf("rows: %d\n", view.Count());
  std::printf("fill and show:            %9.1f ms\n", fill);
  std::printf("scroll 200 pages and end: %9.1f ms\n", scroll);
  std::printf("sort by full path:        %9.1f ms\n", sort);
  std::printf("RESULT|listview.%d.fill|%.3f|ms\nRESULT|listview.%d.scroll200|%.3f|ms\n", rows, fill,
              rows, scroll);
  std::printf("RESULT|listview.%d.sort|%.3f|ms\n", rows, sort);
  ::DestroyWindow(parent);
  return 0;
}
