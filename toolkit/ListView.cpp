#include "toolkit/ListView.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "toolkit/Cp932.h"
#include "toolkit/Window.h"

namespace toolkit {

namespace {
const std::string kEmpty;
}

const std::string& TListItem::Cell(int column) const {
  if (column == 0) return Caption;
  size_t i = static_cast<size_t>(column - 1);
  return i < SubItems.size() ? SubItems[i] : kEmpty;
}

void TListItem::SetCell(int column, std::string text) {
  if (column == 0) {
    Caption = std::move(text);
    return;
  }
  size_t i = static_cast<size_t>(column - 1);
  if (SubItems.size() <= i) SubItems.resize(i + 1);
  SubItems[i] = std::move(text);
}

TListItem TListItem::WithCells(std::initializer_list<std::pair<int, std::string>> cells) {
  TListItem row;
  for (const auto& cell : cells) row.SetCell(cell.first, cell.second);
  return row;
}

void TListView::BeginUpdate() {
  if (updateLock_++ == 0) NotePlace();
}

void TListView::EndUpdate() {
  if (updateLock_ > 0 && --updateLock_ == 0) SyncWindow();
}

template <class F>
void TListView::FollowRows(F newRow) {
  const int selected = marks_.selected;
  const int focused = marks_.focused;
  for (int* row : {&marks_.selected, &marks_.focused, &marks_.top, &marks_.anchor})
    if (*row >= 0) *row = newRow(*row);
  if (marks_.selected != selected || marks_.focused != focused) selectionShown_ = false;
}

int TListView::Insert(int row, TListItem item) {
  if (row < 0 || row > Count()) throw std::out_of_range("TListView::Insert");
  TListUpdate change(*this);
  ++generation_;
  item.stamp_ = ++lastStamp_;
  if (Filtered()) {
    passes_.insert(passes_.begin() + row, Passes(item));
    PassesChanged();
  }
  items_.insert(items_.begin() + row, std::move(item));
  FollowRows([row](int r) { return r >= row ? r + 1 : r; });
  return row;
}

void TListView::Delete(int row) {
  if (row < 0 || row >= Count()) throw std::out_of_range("TListView::Delete");
  TListUpdate change(*this);
  ++generation_;
  if (Filtered()) {
    passes_.erase(passes_.begin() + row);
    PassesChanged();
  }
  items_.erase(items_.begin() + row);
  FollowRows([row](int r) { return r == row ? -1 : (r > row ? r - 1 : r); });
}

void TListView::Clear() {
  TListUpdate change(*this);
  ++generation_;
  NoteLostMarks();
  // The memory goes back too: a list that could not be loaded whole must not
  // keep what it took.
  std::vector<TListItem>().swap(items_);
  passes_.clear();
  PassesChanged();
  FollowRows([](int) { return -1; });
}

void TListView::Assign(std::vector<TListItem>& rows) {
  TListUpdate change(*this);
  ++generation_;
  NoteLostMarks();
  items_.swap(rows);
  for (TListItem& item : items_) item.stamp_ = ++lastStamp_;
  if (Filtered()) {
    passes_.resize(items_.size());
    for (size_t row = 0; row < items_.size(); ++row) passes_[row] = Passes(items_[row]);
    PassesChanged();
  }
  FollowRows([](int) { return -1; });
}

void TListView::NoteLostMarks() {
  if (RowIdentity && (marks_.selected >= 0 || marks_.focused >= 0)) {
    // A second Clear of the same rebuild finds nothing marked and keeps these.
    lost_ = {};
    lost_.pending = true;
    lost_.hadSelected = marks_.selected >= 0;
    lost_.hadFocused = marks_.focused >= 0;
    if (lost_.hadSelected) lost_.selected = RowIdentity(marks_.selected);
    if (lost_.hadFocused) lost_.focused = RowIdentity(marks_.focused);
    lost_.anchorSelected = marks_.anchor >= 0 && marks_.anchor == marks_.selected;
    lost_.anchorFocused = marks_.anchor >= 0 && !lost_.anchorSelected &&
                          marks_.anchor == marks_.focused;
  }
}

void TListView::SetCell(int row, int column, std::string text) {
  TListItem& item = items_.at(static_cast<size_t>(row));
  item.SetCell(column, std::move(text));
  item.stamp_ = ++lastStamp_;
  ++generation_;
  if (Filtered()) {
    const char passes = Passes(item);
    if (passes != passes_[static_cast<size_t>(row)]) {
      TListUpdate change(*this);  // the row comes or goes: the rows below it move
      passes_[static_cast<size_t>(row)] = passes;
      PassesChanged();
      return;
    }
  }
  int index = IndexOf(row);
  if (WindowInStep() && index >= 0) ListView_RedrawItems(hwnd_, index, index);
}

void TListView::SetImageIndex(int row, int image) {
  items_.at(static_cast<size_t>(row)).ImageIndex = image;
  int index = IndexOf(row);
  if (WindowInStep() && index >= 0) ListView_RedrawItems(hwnd_, index, index);
}

int TListView::FindStamp(uint64_t stamp) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].stamp_ == stamp) return static_cast<int>(i);
  return -1;
}

void TListView::Sort(const std::function<int(const TListItem&, const TListItem&)>& compare) {
  std::vector<int> order(items_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return compare(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]) < 0;
  });
  Reorder(order);
}

void TListView::Reorder(const std::vector<int>& order) {
  // Checked whole before anything moves: a row named twice would leave another
  // row moved out and lost.
  if (order.size() != items_.size()) throw std::invalid_argument("TListView::Reorder");
  std::vector<int> newRow(items_.size(), -1);
  for (size_t i = 0; i < order.size(); ++i) {
    int from = order[i];
    if (from < 0 || from >= Count() || newRow[static_cast<size_t>(from)] >= 0)
      throw std::invalid_argument("TListView::Reorder");
    newRow[static_cast<size_t>(from)] = static_cast<int>(i);
  }
  TListUpdate change(*this);
  ++generation_;
  std::vector<TListItem> reordered;
  reordered.reserve(items_.size());
  for (int i : order) reordered.push_back(std::move(items_[static_cast<size_t>(i)]));
  items_ = std::move(reordered);
  if (Filtered()) {
    std::vector<char> passes;
    passes.reserve(passes_.size());
    for (int i : order) passes.push_back(passes_[static_cast<size_t>(i)]);
    passes_ = std::move(passes);
    PassesChanged();
  }
  FollowRows([&newRow](int r) { return newRow[static_cast<size_t>(r)]; });
  place_.reordered = true;
}

void TListView::SetFilter(const std::string& text) {
  TCp932Finder finder(text, &WindowsCp932LowerPair);
  filterText_ = text;
  if (finder.Needle() == finder_.Needle()) return;  // another case of the same text
  TListUpdate change(*this);
  // A text that holds the last one (a key typed at its end) passes only rows
  // that the last one passed: only those are looked at again.
  const bool narrowing = Filtered() && finder_.FoundIn(finder.Needle());
  finder_ = std::move(finder);
  if (!Filtered()) {
    std::vector<char>().swap(passes_);
    std::vector<int>().swap(shown_);
    std::vector<int>().swap(indexOf_);
  } else {
    passes_.resize(items_.size(), 1);
    for (size_t row = 0; row < items_.size(); ++row)
      if (passes_[row] || !narrowing) passes_[row] = Passes(items_[row]);
  }
  PassesChanged();
  place_.refiltered = true;
}

bool TListView::Passes(const TListItem& item) const {
  if (FilterColumns.empty()) {
    if (finder_.FoundIn(item.Caption)) return true;
    for (const std::string& cell : item.SubItems)
      if (finder_.FoundIn(cell)) return true;
    return false;
  }
  for (int column : FilterColumns)
    if (finder_.FoundIn(item.Cell(column))) return true;
  return false;
}

void TListView::PassesChanged() {
  mapStale_ = true;
  selectionShown_ = false;  // the marked rows may stand at other places now
}

void TListView::MakeMap() const {
  if (!mapStale_) return;
  mapStale_ = false;
  shown_.clear();
  indexOf_.assign(passes_.size(), -1);
  for (size_t row = 0; row < passes_.size(); ++row) {
    if (!passes_[row]) continue;
    indexOf_[row] = static_cast<int>(shown_.size());
    shown_.push_back(static_cast<int>(row));
  }
}

int TListView::RowAt(int index) const {
  if (!Filtered()) return index >= 0 && index < Count() ? index : -1;
  MakeMap();
  return index >= 0 && static_cast<size_t>(index) < shown_.size()
             ? shown_[static_cast<size_t>(index)]
             : -1;
}

int TListView::IndexOf(int row) const {
  if (!Filtered()) return row >= 0 && row < Count() ? row : -1;
  MakeMap();
  return row >= 0 && static_cast<size_t>(row) < indexOf_.size()
             ? indexOf_[static_cast<size_t>(row)]
             : -1;
}

int TListView::IndexCount() const {
  if (!Filtered()) return Count();
  MakeMap();
  return static_cast<int>(shown_.size());
}

std::vector<int> TListView::ShownRows() const {
  std::vector<int> rows(static_cast<size_t>(IndexCount()));
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = RowAt(static_cast<int>(i));
  return rows;
}

void TListView::SetSelected(int row) {
  marks_.selected = (row >= 0 && row < Count()) ? row : -1;
  if (marks_.selected >= 0) marks_.focused = marks_.selected;
  lost_.pending = false;  // chosen now: nothing of an earlier rebuild comes back over it
  selectionShown_ = false;
  ShowSelection();
}

void TListView::NotePlace() {
  place_ = {};
  marks_.top = marks_.anchor = -1;
  if (!hwnd_) return;
  const int top = ListView_GetTopIndex(hwnd_);
  const int rowsOnScreen = ListView_GetCountPerPage(hwnd_);
  place_.noted = true;
  place_.top = top;
  marks_.top = RowAt(top);
  auto onScreen = [&](int row) {
    int index = IndexOf(row);
    return index >= top && index < top + rowsOnScreen;
  };
  // The selected row is what the user looks at; a focus the user moved away
  // from any selection stands in for it.
  if (onScreen(marks_.selected)) marks_.anchor = marks_.selected;
  else if (onScreen(marks_.focused)) marks_.anchor = marks_.focused;
  if (marks_.anchor >= 0) place_.anchorOffset = IndexOf(marks_.anchor) - top;
}

void TListView::FindLostMarks() {
  if (!lost_.pending) return;
  lost_.pending = false;
  if (!RowIdentity) return;
  int selected = -1;
  int focused = -1;
  for (int row = 0; row < Count(); ++row) {
    bool wantSelected = lost_.hadSelected && selected < 0;
    bool wantFocused = lost_.hadFocused && focused < 0;
    if (!wantSelected && !wantFocused) break;
    const std::string identity = RowIdentity(row);
    if (wantSelected && identity == lost_.selected) selected = row;
    if (wantFocused && identity == lost_.focused) focused = row;
  }
  marks_.selected = selected;
  marks_.focused = focused;
  if (lost_.anchorSelected) marks_.anchor = selected;
  else if (lost_.anchorFocused) marks_.anchor = focused;
  selectionShown_ = false;
}

void TListView::SyncWindow() {
  FindLostMarks();
  if (hwnd_) {
    // An owner-data view keeps no rows of its own, only their states by index:
    // telling it the count, putting the marks and the scroll position where
    // their rows went and repainting is all a change needs.
    showing_ = true;
    ListView_SetItemCountEx(hwnd_, IndexCount(), LVSICF_NOSCROLL);
    showing_ = false;
    // The rows may have brought the vertical scroll bar or taken it away.
    LayoutColumns();
    RestorePlace();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    if (!selectionShown_) ShowSelection();
  }
  place_ = {};
  if (OnChanged) OnChanged();
}

void TListView::RestorePlace() {
  if (!place_.noted) return;
  int target = place_.top;  // the top row is gone, or a sort scattered the rows: stay put
  int anchor = IndexOf(marks_.anchor);
  int top = IndexOf(marks_.top);
  if (anchor >= 0) {
    target = anchor - place_.anchorOffset;
  } else if (place_.refiltered) {
    // Another filter shows another list: from its start, and down to the
    // selected row when that is in it.
    ScrollToTop(0);
    const int selected = IndexOf(marks_.selected);
    if (selected >= 0) ListView_EnsureVisible(hwnd_, selected, FALSE);
    return;
  } else if (top >= 0 && !place_.reordered) {
    target = top;
  }
  ScrollToTop(std::max(0, target));
}

void TListView::ScrollToTop(int index) {
  const int top = ListView_GetTopIndex(hwnd_);
  if (index == top || IndexCount() == 0) return;
  RECT rc;
  if (!ListView_GetItemRect(hwnd_, 0, &rc, LVIR_BOUNDS) || rc.bottom <= rc.top) return;
  // A report view scrolls by whole rows; the control stops at either end itself.
  ListView_Scroll(hwnd_, 0, (index - top) * (rc.bottom - rc.top));
}

void TListView::ShowSelection() {
  if (!WindowInStep()) return;  // the end of the batch shows it
  // The control tells its parent of every state it is given; those changes are
  // this view's own and must not come back into it.
  showing_ = true;
  // Only the rows the control shows marked are cleared: clearing every row at
  // once (-1) walks all the rows one by one under Wine, 60 ms for 100,000.
  for (const auto& [next, state] : {std::pair<UINT, UINT>{LVNI_SELECTED, LVIS_SELECTED},
                                    std::pair<UINT, UINT>{LVNI_FOCUSED, LVIS_FOCUSED}})
    for (int at = ListView_GetNextItem(hwnd_, -1, next); at >= 0;
         at = ListView_GetNextItem(hwnd_, at, next))
      ListView_SetItemState(hwnd_, at, 0, state);
  int focused = IndexOf(marks_.focused);
  int selected = IndexOf(marks_.selected);
  if (focused >= 0) ListView_SetItemState(hwnd_, focused, LVIS_FOCUSED, LVIS_FOCUSED);
  if (selected >= 0) ListView_SetItemState(hwnd_, selected, LVIS_SELECTED, LVIS_SELECTED);
  showing_ = false;
  selectionShown_ = true;
}

void TListView::SelectionChangedInWindow(int index, UINT oldState, UINT newState) {
  if (showing_ || !selectionShown_) return;
  if (index < 0) {
    // A change of every row at once (-1): the control alone knows what is left.
    marks_.selected = RowAt(ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED));
    marks_.focused = RowAt(ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED));
    return;
  }
  const int row = RowAt(index);
  if (row < 0) return;
  const UINT changed = oldState ^ newState;
  if (changed & LVIS_SELECTED) {
    if (newState & LVIS_SELECTED) marks_.selected = row;
    else if (marks_.selected == row) marks_.selected = -1;
  }
  if (changed & LVIS_FOCUSED) {
    if (newState & LVIS_FOCUSED) marks_.focused = row;
    else if (marks_.focused == row) marks_.focused = -1;
  }
}

void TListView::MakeVisible(int row) {
  lastMadeVisible_ = row;
  int index = IndexOf(row);
  if (hwnd_ && index >= 0) ListView_EnsureVisible(hwnd_, index, TRUE);
}

void TListView::HandleContextMenu(int x, int y) {
  if (!OnContextMenu || !hwnd_) return;
  POINT at = {x, y};
  if (x == -1 && y == -1) {
    at = FocusedRowPoint();
  } else {
    // The headings have no menu; their clicks come here through the list.
    RECT headings;
    HWND header = ListView_GetHeader(hwnd_);
    if (header && ::GetWindowRect(header, &headings) && ::PtInRect(&headings, at)) return;
  }
  OnContextMenu(at.x, at.y);
}

POINT TListView::FocusedRowPoint() {
  // Below the first cell of the focused row, where the keyboard is; with no
  // row focused, the top left of the rows, below the headings.
  int index = IndexOf(marks_.focused >= 0 ? marks_.focused : marks_.selected);
  POINT at = {0, 0};
  RECT rc;
  if (index >= 0) {
    ListView_EnsureVisible(hwnd_, index, FALSE);
    if (ListView_GetItemRect(hwnd_, index, &rc, LVIR_LABEL))
      at = {std::max<LONG>(0, rc.left), rc.bottom};
  } else if (HWND header = ListView_GetHeader(hwnd_); header && ::GetWindowRect(header, &rc)) {
    at.y = rc.bottom - rc.top;
  }
  ::ClientToScreen(hwnd_, &at);
  return at;
}

HWND TListView::Create(HWND parent, const TControlArgs& args, bool gridLines) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                LVS_SINGLESEL | LVS_SHOWSELALWAYS | args.Style;
  const int dpi = DpiOf(parent);
  const RECT rc = PixelRect(args, dpi);
  // Not made through CreateChild, which would give it the window's font: the view
  // keeps the font the control picks itself, the system's font for lists.
  hwnd_ = ::CreateWindowExA(WS_EX_CLIENTEDGE | args.ExStyle, WC_LISTVIEWA, "", style, rc.left,
                            rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(args.Id)),
                            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                            nullptr);
  if (!hwnd_) return nullptr;
  TChildEvents events;
  events.Notify = [this](const NMHDR* header, LRESULT* result) {
    return HandleNotify(header, result);
  };
  events.Resized = [this] { LayoutColumns(); };
  events.DpiChanged = [this](int oldDpi, int newDpi) { DpiChanged(oldDpi, newDpi); };
  events.ContextMenu = [this](int x, int y) { HandleContextMenu(x, y); };
  AttachChild(hwnd_, args, std::move(events));
  DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  if (gridLines) ex |= LVS_EX_GRIDLINES;
  ListView_SetExtendedListViewStyle(hwnd_, ex);
  UseListFont(dpi);
  for (size_t i = 0; i < Columns.size(); ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(Columns[i].Caption.c_str());
    col.cx = ScaleToDpi(Columns[i].Width, dpi);
    col.iSubItem = static_cast<int>(i);
    ::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  LayoutColumns();
  SyncWindow();
  return hwnd_;
}

void TListView::UseListFont(int dpi) {
  // The control's own font is the system's for its DPI; a window at another DPI
  // needs that font at its own.
  if (dpi == SystemDpi() && !font_) return;
  LOGFONTA look = IconTitleFontForDpi(dpi);
  FontHandle font(::CreateFontIndirectA(&look));
  if (!font) return;
  ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  font_ = std::move(font);
}

void TListView::DpiChanged(int oldDpi, int newDpi) {
  UseListFont(newDpi);
  // The widths as they are now, the user's own included, at the new scale.
  for (size_t i = 0; i < Columns.size(); ++i) {
    if (Columns[i].Fill) continue;
    const int width = ListView_GetColumnWidth(hwnd_, static_cast<int>(i));
    ListView_SetColumnWidth(hwnd_, static_cast<int>(i), ::MulDiv(width, newDpi, oldDpi));
  }
  LayoutColumns();
}

void TListView::SetImageList(HIMAGELIST images) {
  if (hwnd_) ListView_SetImageList(hwnd_, images, LVSIL_SMALL);
}

void TListView::LayoutColumns() {
  if (!hwnd_) return;
  int fill = -1;
  for (size_t i = 0; i < Columns.size(); ++i)
    if (Columns[i].Fill) fill = static_cast<int>(i);
  if (fill < 0) return;
  // The client area is narrower by the vertical scroll bar while the rows need
  // one, and a column that took the width without it would push the last
  // columns out under a horizontal bar. A new width can itself bring a bar or
  // take one away, so it is set again until the client area stays as it is.
  for (int pass = 0; pass < 3; ++pass) {
    RECT rc;
    ::GetClientRect(hwnd_, &rc);
    int others = 0;
    for (size_t i = 0; i < Columns.size(); ++i)
      if (static_cast<int>(i) != fill) others += ListView_GetColumnWidth(hwnd_, static_cast<int>(i));
    const int width = std::max(0, static_cast<int>(rc.right - rc.left) - others);
    if (ListView_GetColumnWidth(hwnd_, fill) == width) return;
    ListView_SetColumnWidth(hwnd_, fill, width);
  }
}

bool TListView::HandleNotify(const NMHDR* header, LRESULT* result) {
  if (!hwnd_ || header->hwndFrom != hwnd_) return false;
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header));
      LVITEMA& item = info->item;
      const int at = RowAt(item.iItem);
      if (at < 0) return true;
      const TListItem& row = items_[static_cast<size_t>(at)];
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        // A long cell is cut where a character ends, never after half of one,
        // which the control would show as a broken character.
        const std::string& text = row.Cell(item.iSubItem);
        size_t n = cp932::CutAtCharBoundary(text, static_cast<size_t>(item.cchTextMax - 1));
        text.copy(item.pszText, n);
        item.pszText[n] = '\0';
      }
      if (item.mask & LVIF_IMAGE) item.iImage = row.ImageIndex;
      *result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
      if (nm->uChanged & LVIF_STATE)
        SelectionChangedInWindow(nm->iItem, nm->uOldState, nm->uNewState);
      *result = 0;
      return true;
    }
    case LVN_ODSTATECHANGED: {
      // A range of rows at once; with one row selectable at most, asking the
      // control is the plain way.
      SelectionChangedInWindow(-1, 0, 0);
      *result = 0;
      return true;
    }
    case LVN_COLUMNCLICK: {
      auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
      if (OnColumnClick) OnColumnClick(nm->iSubItem);
      *result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace toolkit
