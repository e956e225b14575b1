#include "toolkit/ListView.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "toolkit/Cp932.h"

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

int TListView::Insert(int row, TListItem item) {
  if (row < 0 || row > Count()) throw std::out_of_range("TListView::Insert");
  ++generation_;
  items_.insert(items_.begin() + row, std::move(item));
  if (selected_ >= row) {
    ++selected_;
    selectionShown_ = false;
  }
  SyncCount();
  return row;
}

void TListView::Delete(int row) {
  if (row < 0 || row >= Count()) throw std::out_of_range("TListView::Delete");
  ++generation_;
  items_.erase(items_.begin() + row);
  if (selected_ >= row) {
    selected_ = selected_ == row ? -1 : selected_ - 1;
    selectionShown_ = false;
  }
  SyncCount();
}

void TListView::Clear() {
  ++generation_;
  items_.clear();
  if (selected_ >= 0) {
    selected_ = -1;
    selectionShown_ = false;
  }
  SyncCount();
}

void TListView::SetCell(int row, int column, std::string text) {
  items_.at(static_cast<size_t>(row)).SetCell(column, std::move(text));
  ++generation_;
  if (WindowInStep()) ListView_RedrawItems(hwnd_, row, row);
}

void TListView::SetImageIndex(int row, int image) {
  items_.at(static_cast<size_t>(row)).ImageIndex = image;
  if (WindowInStep()) ListView_RedrawItems(hwnd_, row, row);
}

void TListView::Sort(const std::function<int(const TListItem&, const TListItem&)>& compare) {
  std::stable_sort(items_.begin(), items_.end(),
                   [&](const TListItem& a, const TListItem& b) { return compare(a, b) < 0; });
  Reordered();
}

void TListView::Reorder(const std::vector<int>& order) {
  std::vector<TListItem> reordered;
  reordered.reserve(items_.size());
  for (int i : order) reordered.push_back(std::move(items_.at(static_cast<size_t>(i))));
  items_ = std::move(reordered);
  Reordered();
}

void TListView::EndUpdate() {
  if (updateLock_ > 0 && --updateLock_ == 0) SyncCount();
}

void TListView::Reordered() {
  ++generation_;
  if (WindowInStep()) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void TListView::SetSelected(int row) {
  selected_ = (row >= 0 && row < Count()) ? row : -1;
  selectionShown_ = false;
  ShowSelection();
}

void TListView::ShowSelection() {
  if (!WindowInStep()) return;  // the end of the batch shows it
  // The control tells its parent of every state it is given; those changes are
  // this view's own and must not come back into it.
  showing_ = true;
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (selected_ >= 0)
    ListView_SetItemState(hwnd_, selected_, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
  showing_ = false;
  selectionShown_ = true;
}

void TListView::SelectionChangedInWindow(int row, UINT oldState, UINT newState) {
  if (showing_ || !selectionShown_) return;
  if (row < 0 || row >= Count()) {
    // A change of every row at once (-1): the control alone knows what is left.
    int now = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
    selected_ = now < Count() ? now : -1;
    return;
  }
  if (!((oldState ^ newState) & LVIS_SELECTED)) return;
  if (newState & LVIS_SELECTED) selected_ = row;
  else if (selected_ == row) selected_ = -1;
}

void TListView::MakeVisible(int index) {
  lastMadeVisible_ = index;
  if (hwnd_) ListView_EnsureVisible(hwnd_, index, TRUE);
}

void TListView::SyncCount() {
  if (!WindowInStep()) return;
  // An owner-data view keeps no rows of its own, only their states by index:
  // telling it the count, repainting and moving the selection to where its row
  // went is all a change needs.
  showing_ = true;
  ListView_SetItemCountEx(hwnd_, Count(), LVSICF_NOSCROLL);
  showing_ = false;
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  if (!selectionShown_) ShowSelection();
}

HWND TListView::Create(HWND parent, const TControlArgs& args, bool gridLines) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                LVS_SINGLESEL | LVS_SHOWSELALWAYS | args.Style;
  // Not made through CreateChild, which would give it the window's font: the view
  // keeps the font the control picks itself.
  hwnd_ = ::CreateWindowExA(WS_EX_CLIENTEDGE | args.ExStyle, WC_LISTVIEWA, "", style, args.Left,
                            args.Top, args.Width, args.Height, parent,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(args.Id)),
                            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                            nullptr);
  if (!hwnd_) return nullptr;
  TChildEvents events;
  events.Notify = [this](const NMHDR* header, LRESULT* result) {
    return HandleNotify(header, result);
  };
  events.Resized = [this] { LayoutColumns(); };
  AttachChild(hwnd_, args, std::move(events));
  DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  if (gridLines) ex |= LVS_EX_GRIDLINES;
  ListView_SetExtendedListViewStyle(hwnd_, ex);
  for (size_t i = 0; i < Columns.size(); ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(Columns[i].Caption.c_str());
    col.cx = Columns[i].Width;
    col.iSubItem = static_cast<int>(i);
    ::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  LayoutColumns();
  SyncCount();
  return hwnd_;
}

void TListView::SetImageList(HIMAGELIST images) {
  if (hwnd_) ListView_SetImageList(hwnd_, images, LVSIL_SMALL);
}

void TListView::LayoutColumns() {
  if (!hwnd_) return;
  RECT rc;
  ::GetClientRect(hwnd_, &rc);
  int fixed = 0;
  int fill = -1;
  for (size_t i = 0; i < Columns.size(); ++i) {
    if (Columns[i].Fill) fill = static_cast<int>(i);
    else fixed += Columns[i].Width;
  }
  if (fill < 0) return;
  int width = std::max(0, static_cast<int>(rc.right - rc.left) - fixed);
  ListView_SetColumnWidth(hwnd_, fill, width);
}

bool TListView::HandleNotify(const NMHDR* header, LRESULT* result) {
  if (!hwnd_ || header->hwndFrom != hwnd_) return false;
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header));
      LVITEMA& item = info->item;
      if (item.iItem < 0 || item.iItem >= Count()) return true;
      const TListItem& row = items_[static_cast<size_t>(item.iItem)];
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
    case NM_RCLICK: {
      if (OnContextMenu) {
        POINT pt;
        ::GetCursorPos(&pt);
        OnContextMenu(pt.x, pt.y);
      }
      *result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace toolkit
