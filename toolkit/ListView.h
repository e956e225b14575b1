// A report-mode list view whose rows are plain data. The program's tables are its
// list views, and the logic that fills, merges and sorts them must run (and be
// tested) without any window. So the rows live here; a bound SysListView32 in
// owner-data mode only asks for the text of the rows it paints, which keeps a
// table of 100,000 rows as cheap to show as one of ten.
//
// The view is the one truth for its rows and for its selection. Rows change only
// through its calls, so it always knows what it shows and can count its changes
// for whoever keeps an index of them. The selection is data as well: the bound
// control mirrors it, and the control's own changes (the user's clicks and keys)
// come back through its notifications, so the same calls give the same selection
// with a window and without one.
//
// The control addresses rows by their index in items_. Where a view of the rows
// in another order or a subset of them is wanted (a filter, a selection that
// follows its row through a sort), a map between the two goes in the few places
// where the window's index meets the rows: the display-info answer, the state
// notifications and ShowSelection.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Controls.h"

namespace toolkit {

// A row: the caption is column 0, SubItems[c - 1] is column c. Built by the caller
// and handed to the view, which from then on gives it out read-only.
struct TListItem {
  std::string Caption;
  std::vector<std::string> SubItems;
  int ImageIndex = 0;

  TListItem() = default;
  TListItem(std::string caption, std::vector<std::string> subItems = {}, int image = 0)
      : Caption(std::move(caption)), SubItems(std::move(subItems)), ImageIndex(image) {}
  TListItem(const char* caption) : Caption(caption) {}
  // A row of the named cells, {column, text}; the cells not named are empty.
  static TListItem WithCells(std::initializer_list<std::pair<int, std::string>> cells);

  // A cell past the last one reads as empty text; setting one grows the row.
  const std::string& Cell(int column) const;
  void SetCell(int column, std::string text);
};

struct TListColumn {
  std::string Caption;
  int Width = 50;
  bool Fill = false;  // takes the width the other columns leave
};

class TListView {
public:
  std::vector<TListColumn> Columns;
  std::function<void(int column)> OnColumnClick;
  std::function<void(int x, int y)> OnContextMenu;  // screen coordinates

  // --- Rows ---
  int Count() const { return static_cast<int>(items_.size()); }
  const TListItem& operator[](int row) const { return items_.at(static_cast<size_t>(row)); }
  const std::vector<TListItem>& Items() const { return items_; }
  const std::string& Cell(int row, int column) const { return (*this)[row].Cell(column); }

  // Appends a row; returns its index.
  int Add(TListItem item) { return Insert(Count(), std::move(item)); }
  // Puts a row at `row` (0 to Count()); the rows from there on move down by one.
  int Insert(int row, TListItem item);
  void Delete(int row);
  void Clear();
  void SetCell(int row, int column, std::string text);
  void SetImageIndex(int row, int image);

  // Sorts the rows with a three-way comparison; rows that compare equal keep
  // their order.
  void Sort(const std::function<int(const TListItem&, const TListItem&)>& compare);
  // Puts the rows in a new order: new row i is the old row order[i].
  void Reorder(const std::vector<int>& order);

  // Batches the repaints of many changes into one.
  void BeginUpdate() { ++updateLock_; }
  void EndUpdate();

  // Counts the changes made to the rows' cells and order (every call above but
  // SetImageIndex), so that whoever keeps an index of the rows can tell that it
  // went stale.
  unsigned Generation() const { return generation_; }

  // --- Selection ---
  // The selected row or -1; at most one. A row inserted or deleted above it moves
  // it with its item; deleting its row clears it. A sort or a reorder leaves it at
  // its index.
  int Selected() const { return selected_; }
  void SetSelected(int row);

  // Scrolls the bound control so that the row is visible (a partly visible row counts).
  void MakeVisible(int index);
  // The index of the row that a MakeVisible last asked for, or -1: lets tests see
  // a scroll without a window.
  int LastMadeVisible() const { return lastMadeVisible_; }

  // Window side. Creates an owner-data report view. In a window of the program's
  // own, its notifications reach HandleNotify and LayoutColumns follows every
  // change of the window's size (see TWindow); another parent passes them on itself.
  HWND Create(HWND parent, const TControlArgs& args, bool gridLines);
  HWND Handle() const { return hwnd_; }
  void SetImageList(HIMAGELIST images);
  void LayoutColumns();
  bool HandleNotify(const NMHDR* header, LRESULT* result);

private:
  bool WindowInStep() const { return hwnd_ && updateLock_ == 0; }
  void Reordered();
  void SyncCount();
  void ShowSelection();
  void SelectionChangedInWindow(int row, UINT oldState, UINT newState);

  std::vector<TListItem> items_;
  HWND hwnd_ = nullptr;
  int updateLock_ = 0;
  int selected_ = -1;
  bool selectionShown_ = true;  // the control shows selected_
  bool showing_ = false;        // the control's notifications are our own doing
  int lastMadeVisible_ = -1;
  unsigned generation_ = 0;
};

// Holds a list view's repaints for the life of a scope, also when an exception passes.
class TListUpdate {
public:
  explicit TListUpdate(TListView& view) : view_(view) { view_.BeginUpdate(); }
  ~TListUpdate() { view_.EndUpdate(); }
  TListUpdate(const TListUpdate&) = delete;
  TListUpdate& operator=(const TListUpdate&) = delete;

private:
  TListView& view_;
};

}  // namespace toolkit
