#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/Handle.h"
#include "toolkit/ListView.h"

using toolkit::TListItem;
using toolkit::TListView;

TEST(ListViewRows, CellsPastTheLastReadEmptyAndSettingOneGrowsTheRow) {
  TListView view;
  TListItem& row = view.Add("name.exe");
  EXPECT_EQ("name.exe", row.Cell(0));
  EXPECT_EQ("", row.Cell(4));
  view.SetCell(0, 3, "third");
  EXPECT_EQ(3u, view[0].SubItems.size());
  EXPECT_EQ("", view[0].Cell(1));
  EXPECT_EQ("third", view[0].Cell(3));
}

TEST(ListViewRows, DeletingKeepsTheSelectionOnItsRow) {
  TListView view;
  for (const char* c : {"a", "b", "c", "d"}) view.Add(c);
  view.SetSelected(2);
  view.Delete(0);
  EXPECT_EQ(1, view.Selected());
  EXPECT_EQ("c", view[view.Selected()].Caption);
  view.Delete(1);
  EXPECT_EQ(-1, view.Selected());
}

TEST(ListViewRows, SortKeepsTheOrderOfEqualRows) {
  TListView view;
  const char* keys[] = {"b", "a", "b", "a", "c"};
  for (int i = 0; i < 5; ++i) {
    view.Add(keys[i]).SubItems.push_back(std::to_string(i));
  }
  view.Sort([](const TListItem& x, const TListItem& y) { return x.Caption.compare(y.Caption); });
  std::string order;
  for (int i = 0; i < view.Count(); ++i) order += view[i].Caption + view[i].Cell(1) + " ";
  EXPECT_EQ("a1 a3 b0 b2 c4 ", order);
}

namespace {

struct BoundView {
  toolkit::WindowHandle parent;
  TListView view;
  BoundView() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    parent.reset(::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 400, 300, nullptr,
                                   nullptr, nullptr, nullptr));
    // The owner-data view asks its parent for the texts; answer for the test.
    ::SetWindowLongPtrA(parent.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(parent.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    view.Columns = {{"ファイル名", 100}, {"フルパス", 0, true}, {"", 16}};
    view.Create(parent.get(), {0, 0, 400, 300}, true);
  }
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<BoundView*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
    LRESULT result = 0;
    if (m == WM_NOTIFY && self->view.HandleNotify(reinterpret_cast<NMHDR*>(l), &result))
      return result;
    return ::CallWindowProcA(self->old, h, m, w, l);
  }
  std::string Text(int row, int column) {
    char buffer[256] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    ::SendMessageA(view.Handle(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
  }
  WNDPROC old = nullptr;
};

}  // namespace

TEST(ListViewWindow, ShowsTheRowsItHolds) {
  BoundView b;
  ASSERT_NE(nullptr, b.view.Handle());
  b.view.Add("first.exe").SubItems = {"C:\\first.exe", ""};
  b.view.Add("second.exe").SubItems = {"C:\\second.exe", ""};
  EXPECT_EQ(2, ListView_GetItemCount(b.view.Handle()));
  EXPECT_EQ("second.exe", b.Text(1, 0));
  EXPECT_EQ("C:\\second.exe", b.Text(1, 1));
  b.view.Delete(0);
  EXPECT_EQ(1, ListView_GetItemCount(b.view.Handle()));
  EXPECT_EQ("second.exe", b.Text(0, 0));
}

TEST(ListViewWindow, ABatchShowsItsRowsWhenItEnds) {
  BoundView b;
  b.view.BeginUpdate();
  for (int i = 0; i < 1000; ++i) b.view.Add("row" + std::to_string(i));
  EXPECT_EQ(0, ListView_GetItemCount(b.view.Handle()));
  b.view.EndUpdate();
  EXPECT_EQ(1000, ListView_GetItemCount(b.view.Handle()));
  EXPECT_EQ("row999", b.Text(999, 0));
}

TEST(ListViewWindow, TheFillColumnTakesTheRestOfTheWidth) {
  BoundView b;
  RECT rc;
  ::GetClientRect(b.view.Handle(), &rc);
  EXPECT_EQ(rc.right - 100 - 16, ListView_GetColumnWidth(b.view.Handle(), 1));
}

namespace {

// What the view last asked of its parent for the second column while painting:
// the size of its buffer and the answer.
struct PaintedAnswer {
  int bufferSize = 0;
  std::string text;
};
PaintedAnswer g_painted;
WNDPROC g_answeringProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  LRESULT result = ::CallWindowProcA(g_answeringProc, h, m, w, l);
  auto* info = reinterpret_cast<const NMLVDISPINFOA*>(l);
  if (m == WM_NOTIFY && info->hdr.code == LVN_GETDISPINFOA && info->item.iSubItem == 1 &&
      (info->item.mask & LVIF_TEXT) && info->item.pszText)
    g_painted = {info->item.cchTextMax, info->item.pszText};
  return result;
}

}  // namespace

// A path of 300 Japanese characters (each 95 5C) after six ASCII bytes: any buffer
// of an even size would end in half a character if the text were cut by bytes.
TEST(ListViewWindow, LongJapaneseTextIsCutAtACharacterBoundary) {
  BoundView b;
  const std::string head = "C:\\ab\\";
  std::string path = head;
  for (int i = 0; i < 300; ++i) path += "表";
  b.view.Add("a.exe").SubItems = {path, ""};
  auto wholeCharacters = [&](size_t room) {
    if (room <= head.size()) return path.substr(0, room);
    return path.substr(0, std::min(path.size(), head.size() + (room - head.size()) / 2 * 2));
  };

  for (int size = 1; size <= static_cast<int>(path.size()) + 2; ++size) {
    std::vector<char> buffer(static_cast<size_t>(size), '\x7F');
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = buffer.data();
    item.cchTextMax = size;
    ::SendMessageA(b.view.Handle(), LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    ASSERT_EQ(wholeCharacters(static_cast<size_t>(size - 1)), std::string(item.pszText))
        << "buffer of " << size;
  }

  // The same when the control paints the row with a buffer of its own choosing.
  g_painted = {};
  g_answeringProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(b.parent.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
  ::ShowWindow(b.parent.get(), SW_SHOWNOACTIVATE);
  ::RedrawWindow(b.view.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ::SetWindowLongPtrA(b.parent.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_answeringProc));
  ASSERT_GT(g_painted.bufferSize, 0) << "the view did not ask for the path while painting";
  EXPECT_EQ(wholeCharacters(static_cast<size_t>(g_painted.bufferSize - 1)), g_painted.text)
      << "buffer of " << g_painted.bufferSize;
}
