#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/Handle.h"
#include "toolkit/ListView.h"

using toolkit::TListItem;
using toolkit::TListUpdate;
using toolkit::TListView;

TEST(ListViewRows, CellsPastTheLastReadEmptyAndSettingOneGrowsTheRow) {
  TListView view;
  int row = view.Add("name.exe");
  EXPECT_EQ("name.exe", view.Cell(row, 0));
  EXPECT_EQ("", view.Cell(row, 4));
  view.SetCell(row, 3, "third");
  EXPECT_EQ(3u, view[0].SubItems.size());
  EXPECT_EQ("", view[0].Cell(1));
  EXPECT_EQ("third", view[0].Cell(3));
}

TEST(ListViewRows, EveryChangeOfCellsOrOrderIsCounted) {
  TListView view;
  unsigned seen = view.Generation();
  auto changed = [&] {
    bool moved = view.Generation() != seen;
    seen = view.Generation();
    return moved;
  };
  view.Add("a");
  EXPECT_TRUE(changed());
  view.Insert(0, "b");
  EXPECT_TRUE(changed());
  view.SetCell(1, 2, "x");
  EXPECT_TRUE(changed());
  view.Reorder({1, 0});
  EXPECT_TRUE(changed());
  view.Sort([](const TListItem& x, const TListItem& y) { return x.Caption.compare(y.Caption); });
  EXPECT_TRUE(changed());
  view.Delete(0);
  EXPECT_TRUE(changed());
  view.SetImageIndex(0, 3);  // no cell: an index of the texts stays valid
  EXPECT_FALSE(changed());
  view.Clear();
  EXPECT_TRUE(changed());
}

TEST(ListViewRows, AStampNamesOneRowInOneStateWhereverTheRowMoves) {
  TListView view;
  view.Add("a");
  view.Add("b");
  view.Add("c");
  const uint64_t a = view[0].Stamp(), b = view[1].Stamp(), c = view[2].Stamp();
  EXPECT_NE(0u, a);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  view.Sort([](const TListItem& x, const TListItem& y) { return y.Caption.compare(x.Caption); });
  view.Insert(0, "d");
  EXPECT_EQ(1, view.FindStamp(c));
  EXPECT_EQ(3, view.FindStamp(a));
  view.SetImageIndex(3, 2);  // the picture is no part of what a row says
  EXPECT_EQ(3, view.FindStamp(a));
  view.SetCell(2, 1, "edited");  // b: a new state, a new stamp
  EXPECT_EQ(-1, view.FindStamp(b));
  EXPECT_NE(b, view[2].Stamp());
  view.Delete(1);
  EXPECT_EQ(-1, view.FindStamp(c));
  // A row handed over again is a new row, whatever stamp its copy carried.
  TListItem copy = view[0];
  view.Add(copy);
  EXPECT_NE(view[0].Stamp(), view[view.Count() - 1].Stamp());
  EXPECT_EQ(0, view.FindStamp(view[0].Stamp()));
}

TEST(ListViewRows, RowsOutsideTheListAreRefused) {
  TListView view;
  view.Add("a");
  EXPECT_THROW(view.Insert(2, "b"), std::out_of_range);
  EXPECT_THROW(view.Delete(1), std::out_of_range);
  EXPECT_THROW(view.SetCell(-1, 0, "c"), std::out_of_range);
  EXPECT_EQ(1, view.Count());
}

TEST(ListViewRows, SortKeepsTheOrderOfEqualRows) {
  TListView view;
  const char* keys[] = {"b", "a", "b", "a", "c"};
  for (int i = 0; i < 5; ++i) {
    view.Add({keys[i], {std::to_string(i)}});
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
  // The row the control itself shows selected, and the one it shows focused.
  int WindowSelected() const { return ListView_GetNextItem(view.Handle(), -1, LVNI_SELECTED); }
  int WindowFocused() const { return ListView_GetNextItem(view.Handle(), -1, LVNI_FOCUSED); }
  void Key(UINT key) {
    ::SendMessageA(view.Handle(), WM_KEYDOWN, key, 0);
    ::SendMessageA(view.Handle(), WM_KEYUP, key, 0);
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
  b.view.Add({"first.exe", {"C:\\first.exe", ""}});
  b.view.Add({"second.exe", {"C:\\second.exe", ""}});
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

// Rows that need the vertical scroll bar narrow the client area; the fill column
// gives the width back, so no horizontal bar comes, and takes it again when the
// bar goes. The other columns count as wide as the user made them.
TEST(ListViewWindow, TheFillColumnFollowsTheVerticalScrollBar) {
  BoundView b;
  HWND list = b.view.Handle();
  auto expectFits = [&](bool verticalBar) {
    LONG style = ::GetWindowLongA(list, GWL_STYLE);
    EXPECT_EQ(verticalBar, (style & WS_VSCROLL) != 0);
    EXPECT_FALSE(style & WS_HSCROLL);
    RECT rc;
    ::GetClientRect(list, &rc);
    EXPECT_EQ(rc.right, ListView_GetColumnWidth(list, 0) + ListView_GetColumnWidth(list, 1) +
                            ListView_GetColumnWidth(list, 2));
  };
  for (int i = 0; i < 100; ++i) b.view.Add("row" + std::to_string(i));
  expectFits(true);
  b.view.Clear();
  expectFits(false);
  b.view.Add("one");
  ListView_SetColumnWidth(list, 0, 150);
  b.view.LayoutColumns();
  expectFits(false);
  EXPECT_EQ(150, ListView_GetColumnWidth(list, 0));
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
  b.view.Add({"a.exe", {path, ""}});
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

// The selection is the view's own: the same calls give the same selection with a
// window and without one, and the control shows it.
TEST(ListViewSelection, TheSameCallsGiveTheSameSelectionWithAndWithoutAWindow) {
  BoundView b;
  TListView alone;
  struct Step {
    const char* what;
    std::function<void(TListView&)> call;
    int selected;
    const char* caption;  // of the selected row
  };
  const std::vector<Step> steps = {
      {"select c", [](TListView& v) { for (const char* c : {"a", "b", "c", "d"}) v.Add(c);
                                       v.SetSelected(2); }, 2, "c"},
      {"delete above", [](TListView& v) { v.Delete(0); }, 1, "c"},
      {"insert above", [](TListView& v) { v.Insert(0, "x"); }, 2, "c"},
      {"insert below", [](TListView& v) { v.Insert(3, "y"); }, 2, "c"},
      {"append", [](TListView& v) { v.Add("z"); }, 2, "c"},
      {"delete below", [](TListView& v) { v.Delete(4); }, 2, "c"},
      {"batch", [](TListView& v) {
         TListUpdate hold(v);
         v.Delete(0);
         v.Insert(0, "p");
         v.Insert(0, "q");
       }, 3, "c"},
      {"select in a batch", [](TListView& v) {
         TListUpdate hold(v);
         v.Add("last");
         v.SetSelected(v.Count() - 1);
       }, 6, "last"},
      {"delete the selected", [](TListView& v) { v.Delete(6); }, -1, ""},
      {"select outside", [](TListView& v) { v.SetSelected(1); v.SetSelected(99); }, -1, ""},
      {"clear", [](TListView& v) { v.SetSelected(0); v.Clear(); }, -1, ""},
  };
  for (const Step& step : steps) {
    step.call(alone);
    step.call(b.view);
    EXPECT_EQ(step.selected, alone.Selected()) << step.what;
    EXPECT_EQ(step.selected, b.view.Selected()) << step.what;
    EXPECT_EQ(step.selected, b.WindowSelected()) << step.what;
    if (step.selected >= 0) {
      EXPECT_EQ(step.caption, alone[step.selected].Caption) << step.what;
      EXPECT_EQ(step.caption, b.view[step.selected].Caption) << step.what;
      EXPECT_EQ(step.selected, b.WindowFocused()) << step.what;
    }
  }
}

namespace {

int ByCaption(const TListItem& x, const TListItem& y) { return x.Caption.compare(y.Caption); }

std::vector<int> Reversed(int count) {
  std::vector<int> order;
  for (int i = count - 1; i >= 0; --i) order.push_back(i);
  return order;
}

}  // namespace

// A sort or a reorder carries the selected and the focused rows with their items,
// and a focus the user moved away from the selection is kept apart from it.
TEST(ListViewSelection, ASortCarriesTheSelectionAndTheFocusInBoth) {
  BoundView b;
  TListView alone;
  for (TListView* v : {&alone, &b.view}) {
    for (const char* c : {"c", "a", "b", "d"}) v->Add(c);
    v->SetSelected(0);
    v->Sort(&ByCaption);
    EXPECT_EQ(2, v->Selected());
    EXPECT_EQ(2, v->Focused());
    EXPECT_EQ("c", (*v)[2].Caption);
  }
  EXPECT_EQ(2, b.WindowSelected());
  EXPECT_EQ(2, b.WindowFocused());

  // The user moves the focus alone (as Ctrl and an arrow key do).
  ListView_SetItemState(b.view.Handle(), 0, LVIS_FOCUSED, LVIS_FOCUSED);
  EXPECT_EQ(0, b.view.Focused());
  EXPECT_EQ(2, b.view.Selected());
  b.view.Reorder(Reversed(4));
  EXPECT_EQ("c", b.view[b.view.Selected()].Caption);
  EXPECT_EQ("a", b.view[b.view.Focused()].Caption);
  EXPECT_EQ(b.view.Selected(), b.WindowSelected());
  EXPECT_EQ(b.view.Focused(), b.WindowFocused());

  // Deleting the focused row takes the focus with it and leaves the selection.
  b.view.Delete(b.view.Focused());
  EXPECT_EQ(-1, b.view.Focused());
  EXPECT_EQ(-1, b.WindowFocused());
  EXPECT_EQ("c", b.view[b.view.Selected()].Caption);
  EXPECT_EQ(b.view.Selected(), b.WindowSelected());
}

TEST(ListViewSelection, AReorderThatIsNoPermutationIsRefusedWhole) {
  TListView view;
  for (const char* c : {"a", "b", "c"}) view.Add(c);
  view.SetSelected(1);
  EXPECT_THROW(view.Reorder({0, 0, 1}), std::invalid_argument);
  EXPECT_THROW(view.Reorder({2, 1}), std::invalid_argument);
  EXPECT_THROW(view.Reorder({0, 1, 3}), std::invalid_argument);
  EXPECT_EQ("abc", view[0].Caption + view[1].Caption + view[2].Caption);
  EXPECT_EQ(1, view.Selected());
}

// Rows cleared and made again in one batch are the same rows when their identity
// is; the marks find them again wherever they now are, with a window and without.
TEST(ListViewSelection, ARebuildFindsTheMarkedRowsAgainByTheirIdentity) {
  BoundView b;
  TListView alone;
  auto rebuild = [](TListView& v, std::vector<const char*> rows, int select = -2) {
    TListUpdate hold(v);
    v.Clear();
    for (const char* c : rows) v.Add(c);
    if (select != -2) v.SetSelected(select);
  };
  for (TListView* v : {&alone, &b.view}) {
    v->RowIdentity = [v](int row) { return (*v)[row].Caption; };
    for (const char* c : {"a", "b", "c", "d"}) v->Add(c);
    v->SetSelected(2);
    rebuild(*v, {"x", "c", "a"});
    EXPECT_EQ(1, v->Selected());
    EXPECT_EQ(1, v->Focused());
    // A row chosen during the rebuild is what stays chosen.
    rebuild(*v, {"c", "a"}, 1);
    EXPECT_EQ("a", (*v)[v->Selected()].Caption);
    // The marked row is gone: no other row takes its marks.
    rebuild(*v, {"b", "c"});
    EXPECT_EQ(-1, v->Selected());
    EXPECT_EQ(-1, v->Focused());
    // A plain Clear is no rebuild, and nothing is found later.
    v->SetSelected(0);
    v->Clear();
    v->Add("a");
    EXPECT_EQ(-1, v->Selected());
  }
  EXPECT_EQ(-1, b.WindowSelected());
  b.view.SetSelected(0);
  rebuild(b.view, {"b", "a"});
  EXPECT_EQ(1, b.WindowSelected());
  EXPECT_EQ(1, b.WindowFocused());
  // Without an identity a rebuild cannot tell its rows and keeps no marks.
  alone.RowIdentity = nullptr;
  alone.SetSelected(0);
  rebuild(alone, {"a"});
  EXPECT_EQ(-1, alone.Selected());
}

TEST(ListViewSelection, AssignIsARebuildInOneStepThatHandsTheOldRowsBack) {
  BoundView b;
  b.view.RowIdentity = [&b](int row) { return b.view[row].Caption; };
  for (const char* c : {"a", "b", "c"}) b.view.Add(c);
  b.view.SetSelected(1);
  const uint64_t oldStamp = b.view[1].Stamp();
  const unsigned generation = b.view.Generation();
  std::vector<TListItem> rows = {"x", "y", "b", "z"};
  b.view.Assign(rows);
  ASSERT_EQ(4, b.view.Count());
  EXPECT_EQ(4, ListView_GetItemCount(b.view.Handle()));
  EXPECT_EQ(2, b.view.Selected());
  EXPECT_EQ(2, b.WindowSelected());
  EXPECT_NE(generation, b.view.Generation());
  EXPECT_EQ(-1, b.view.FindStamp(oldStamp));
  EXPECT_EQ(3, b.view.FindStamp(b.view[3].Stamp()));
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ("c", rows[2].Caption);
}

// The selected row stays where it was on the screen through a sort and through
// rows inserted and deleted above it; without a mark on the screen, the top row
// stays the top row. The list's window is hidden, as in the tray.
TEST(ListViewSelection, TheWindowKeepsTheSelectedRowAtItsPlaceOnTheScreen) {
  BoundView b;
  HWND list = b.view.Handle();
  {
    TListUpdate hold(b.view);
    for (int i = 0; i < 300; ++i) b.view.Add("row" + std::to_string(1000 + i));
  }
  const int rowsOnScreen = ListView_GetCountPerPage(list);
  ASSERT_GT(rowsOnScreen, 5);
  ListView_EnsureVisible(list, 299, FALSE);
  ListView_EnsureVisible(list, 100, FALSE);
  ASSERT_EQ(100, ListView_GetTopIndex(list));
  b.view.SetSelected(104);  // the fifth row on the screen
  EXPECT_EQ(100, ListView_GetTopIndex(list));

  b.view.Reorder(Reversed(300));  // now row 195
  EXPECT_EQ("row1104", b.view[195].Caption);
  EXPECT_EQ(195, b.view.Selected());
  EXPECT_EQ(191, ListView_GetTopIndex(list));
  {
    TListUpdate hold(b.view);
    for (int i = 0; i < 10; ++i) b.view.Insert(0, "new" + std::to_string(i));
    b.view.Delete(20);
  }
  EXPECT_EQ(204, b.view.Selected());
  EXPECT_EQ(200, ListView_GetTopIndex(list));
  b.view.Sort(&ByCaption);  // the new rows go first
  EXPECT_EQ("row1104", b.view[b.view.Selected()].Caption);
  EXPECT_EQ(b.view.Selected() - 4, ListView_GetTopIndex(list));

  // No mark on the screen: inserts and deletes above keep the top row.
  b.view.SetSelected(0);
  ListView_EnsureVisible(list, 299, FALSE);
  ListView_EnsureVisible(list, 150, FALSE);
  ASSERT_EQ(150, ListView_GetTopIndex(list));
  const std::string topRow = b.view[150].Caption;
  b.view.Insert(3, "above");
  b.view.Insert(3, "above");
  b.view.Delete(0);
  EXPECT_EQ(topRow, b.view[ListView_GetTopIndex(list)].Caption);
  // A sort scatters the rows: the window stays where it is.
  const int top = ListView_GetTopIndex(list);
  b.view.Reorder(Reversed(b.view.Count()));
  EXPECT_EQ(top, ListView_GetTopIndex(list));
}

// The user's keys and clicks change the control's selection; it comes back into
// the view through the control's notifications.
TEST(ListViewSelection, TheUsersKeysAndClicksComeBackIntoTheView) {
  BoundView b;
  for (int i = 0; i < 10; ++i) b.view.Add("row" + std::to_string(i));
  b.view.SetSelected(2);
  b.Key(VK_DOWN);
  EXPECT_EQ(3, b.WindowSelected());
  EXPECT_EQ(3, b.view.Selected());
  EXPECT_EQ(3, b.view.Focused());
  b.Key(VK_END);
  EXPECT_EQ(9, b.view.Selected());
  b.Key(VK_HOME);
  EXPECT_EQ(0, b.view.Selected());

  RECT item = {};
  ASSERT_TRUE(ListView_GetItemRect(b.view.Handle(), 5, &item, LVIR_LABEL));
  LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  // The control tells a click from a drag by waiting in the press for the
  // release, so the release is queued first.
  ::PostMessageA(b.view.Handle(), WM_LBUTTONUP, 0, at);
  ::SendMessageA(b.view.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_EQ(5, b.WindowSelected());
  EXPECT_EQ(5, b.view.Selected());

  // Whatever changes the control's states, the view follows, and a row removed
  // above then moves the user's selection with its item.
  ListView_SetItemState(b.view.Handle(), -1, 0, LVIS_SELECTED);
  EXPECT_EQ(-1, b.view.Selected());
  ListView_SetItemState(b.view.Handle(), 7, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(7, b.view.Selected());
  b.view.Delete(0);
  EXPECT_EQ(6, b.view.Selected());
  EXPECT_EQ("row7", b.view[6].Caption);
  EXPECT_EQ(6, b.WindowSelected());
}

namespace {

std::string Captions(const TListView& view, const std::vector<int>& rows) {
  std::string text;
  for (int row : rows) text += view[row].Caption + " ";
  return text;
}

}  // namespace

// The filter is a view over the whole table: rows added, changed, deleted and
// sorted while it holds show when they pass, and the table keeps every row.
TEST(ListViewFilter, ShowsThePassingRowsOfTheWholeTableThroughEveryChange) {
  TListView view;
  view.FilterColumns = {0, 2};  // not column 1
  view.Add({"Alpha.exe", {"match", "C:\\a"}});
  view.Add({"beta.exe", {"x", "C:\\Tools\\beta.exe"}});
  view.Add({"gamma.exe", {"x", "D:\\gamma.exe"}});
  int changes = 0;
  view.OnChanged = [&] { ++changes; };

  view.SetFilter("A.EXE");  // in a name, letter case aside
  EXPECT_TRUE(view.Filtered());
  EXPECT_EQ("Alpha.exe beta.exe gamma.exe ", Captions(view, view.ShownRows()));
  view.SetFilter("TOOLS");  // in the path
  EXPECT_EQ("beta.exe ", Captions(view, view.ShownRows()));
  view.SetFilter("match");  // column 1 is not looked in
  EXPECT_EQ(0, view.ShownCount());
  EXPECT_EQ(3, view.Count());
  EXPECT_GE(changes, 3);

  view.SetFilter("a.e");
  view.SetFilter("ha.e");  // narrows what "a.e" passed
  EXPECT_EQ("Alpha.exe ", Captions(view, view.ShownRows()));
  view.Add("aloha.exe");      // passes: shown
  view.Insert(0, "zeta.exe"); // does not: kept, not shown
  view.SetCell(2, 0, "BETHA.EXE");  // now passes
  view.SetCell(1, 0, "alpine.exe");  // no longer does
  EXPECT_EQ("BETHA.EXE aloha.exe ", Captions(view, view.ShownRows()));
  EXPECT_EQ(5, view.Count());
  EXPECT_EQ(1, view.ShownIndex(4));
  EXPECT_EQ(-1, view.ShownIndex(0));
  EXPECT_EQ(4, view.ShownRow(1));
  EXPECT_EQ(-1, view.ShownRow(2));

  view.Sort(&ByCaption);
  EXPECT_EQ("BETHA.EXE aloha.exe ", Captions(view, view.ShownRows()));
  view.Delete(view.ShownRow(0));
  EXPECT_EQ("aloha.exe ", Captions(view, view.ShownRows()));
  view.SetFilter("e");  // wider again
  EXPECT_EQ("aloha.exe alpine.exe gamma.exe zeta.exe ", Captions(view, view.ShownRows()));
  view.SetFilter("");
  EXPECT_FALSE(view.Filtered());
  EXPECT_EQ(4, view.ShownCount());
}

// A row the filter hides reads as unmarked, so no command acts on it, and is
// marked again when shown; the window shows the passing rows at their places
// and the user's click there marks the row shown, not the row of that number.
TEST(ListViewFilter, TheWindowShowsThePassingRowsAndAHiddenRowIsNotSelected) {
  BoundView b;
  {
    TListUpdate hold(b.view);
    for (int i = 0; i < 200; ++i) b.view.Add({"row" + std::to_string(1000 + i), {"", ""}});
  }
  b.view.FilterColumns = {0};
  b.view.SetSelected(150);
  b.view.SetFilter("row11");  // row1100 to row1199: rows 100 to 199
  EXPECT_EQ(100, ListView_GetItemCount(b.view.Handle()));
  EXPECT_EQ("row1100", b.Text(0, 0));
  EXPECT_EQ(150, b.view.Selected());
  EXPECT_EQ(50, b.WindowSelected());

  b.view.SetFilter("row105");  // hides the selected row
  EXPECT_EQ(-1, b.view.Selected());
  EXPECT_EQ(-1, b.view.Focused());
  EXPECT_EQ(-1, b.WindowSelected());
  EXPECT_EQ(0, ListView_GetTopIndex(b.view.Handle()));
  b.view.SetFilter("");  // shown again, selected again, and in sight
  EXPECT_EQ(150, b.view.Selected());
  EXPECT_EQ(150, b.WindowSelected());
  const int top = ListView_GetTopIndex(b.view.Handle());
  EXPECT_LE(top, 150);
  EXPECT_GT(top + ListView_GetCountPerPage(b.view.Handle()), 150);

  b.view.SetFilter("row119");
  b.Key(VK_END);  // the last row shown: row1199 is row 199
  EXPECT_EQ(199, b.view.Selected());
  b.view.Insert(0, "row1190-new");  // passes, above: the selection keeps its row
  EXPECT_EQ(200, b.view.Selected());
  EXPECT_EQ(10, b.WindowSelected());
  EXPECT_EQ("row1199", b.Text(10, 0));
}
