// A report-mode list view whose rows are plain data. The program's tables are its
// list views, and the logic that fills, merges and sorts them must run (and be
// tested) without any window. So the rows live here; a bound SysListView32 in
// owner-data mode only asks for the text of the rows it paints, which keeps a
// table of 100,000 rows as cheap to show as one of ten.
//
// The view is the one truth for its rows and for what the user marked in them:
// the selected row, the focused row (where the keyboard acts, which a user may
// leave unselected) and the place the window is scrolled to. Rows change only
// through its calls, so it always knows what it shows and can count its changes
// for whoever keeps an index of them. The marks are data as well and stay on
// their rows: a row inserted or deleted above moves them, a sort carries them, a
// rebuild finds them again by the rows' identity, and a removed row takes its
// marks with it rather than hand them to the row that took its place. The bound
// control mirrors them, and the control's own changes (the user's clicks and
// keys) come back through its notifications, so the same calls give the same
// selection with a window and without one.
//
// Every change of the rows is a batch (a caller's TListUpdate, or one of its
// own): its start notes where the window stands, and its end tells the control
// the count, puts the marks where their rows went and scrolls so that the
// selected row keeps its place on the screen.
//
// The control addresses rows by their index in the window. The few places
// where that index meets the rows go through RowAt and IndexOf, the one map
// between the two. Without a filter the window shows every row in order; with
// one it shows the rows that pass, in order. The filter is a view and nothing
// more: the rows, their order and every call on them stay the whole table's, so
// whatever works on the table (a cycle, a save, a sort) sees all rows. What a row
// shows in the window is decided when it is added or its cells change, and the
// map is made again from those decisions only when it is next asked for.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/Cp932Case.h"
#include "toolkit/Handle.h"

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

  // Given by the view when the row is inserted and renewed at each change of its
  // cells: no two rows of a view, and no two states of one row, share a stamp, and
  // a sort or a reorder leaves it as it is. Whoever reads rows now and acts on
  // them later (a worker's findings, a dialog's answer) finds the very row, still
  // as it was read, by its stamp. 0 until the row is in a view.
  uint64_t Stamp() const { return stamp_; }

private:
  friend class TListView;
  uint64_t stamp_ = 0;
};

struct TListColumn {
  std::string Caption;
  int Width = 50;     // designed, for a 96-DPI screen
  bool Fill = false;  // takes the width the other columns leave, with or without a scroll bar
};

class TListView {
public:
  std::vector<TListColumn> Columns;
  std::function<void(int column)> OnColumnClick;
  // The context menu is asked for at a point of the screen: where the user
  // right-clicked, or under the focused row when it came from the keyboard
  // (Shift+F10 or the menu key).
  std::function<void(int x, int y)> OnContextMenu;
  // What makes a row the same row again once the rows were rebuilt (see Clear);
  // without it a rebuild loses the marks.
  std::function<std::string(int row)> RowIdentity;

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
  // Removes every row. In a batch that fills the view again (a rebuild), the
  // selected and the focused rows are looked for among the new rows by their
  // RowIdentity when the batch ends; a row not found again leaves no mark.
  void Clear();
  // A rebuild in one step: the rows become `rows`, as after Clear and an Add of
  // each, and `rows` gets the old ones, for the caller to free where it likes
  // (freeing 100,000 rows takes long enough to be seen).
  void Assign(std::vector<TListItem>& rows);
  void SetCell(int row, int column, std::string text);
  void SetImageIndex(int row, int image);

  // Sorts the rows with a three-way comparison; rows that compare equal keep
  // their order.
  void Sort(const std::function<int(const TListItem&, const TListItem&)>& compare);
  // Puts the rows in a new order: new row i is the old row order[i]. The order
  // names every row once.
  void Reorder(const std::vector<int>& order);

  // Batches the repaints of many changes into one.
  void BeginUpdate();
  void EndUpdate();

  // Counts the changes made to the rows' cells and order (every call above but
  // SetImageIndex), so that whoever keeps an index of the rows can tell that it
  // went stale.
  unsigned Generation() const { return generation_; }
  // The row that bears the stamp (TListItem::Stamp), or -1 when no row does: it
  // was deleted, or its cells changed since the stamp was read. One pass.
  int FindStamp(uint64_t stamp) const;

  // Runs at the end of every batch, when the rows, the filter or what passes it
  // may have changed (a count shown beside the list follows it from here).
  std::function<void()> OnChanged;

  // --- Filter ---
  // The columns the filter looks in.
  std::vector<int> FilterColumns;
  // Shows only the rows that hold the text in one of the FilterColumns, letter
  // case aside (Cp932Case.h); the empty text shows every row. A row added or
  // changed later shows when it passes. A row the filter hides keeps its marks
  // but reads as unmarked (Selected and Focused give -1), so that no command acts
  // on a row the user cannot see; shown again, it is marked again.
  void SetFilter(const std::string& text);
  const std::string& Filter() const { return filterText_; }
  bool Filtered() const { return !finder_.Empty(); }
  // The rows shown: all of them without a filter.
  int ShownCount() const { return IndexCount(); }
  // The row shown at a place of the window (0 to ShownCount() - 1), or -1.
  int ShownRow(int index) const { return RowAt(index); }
  // Where the row is shown in the window, or -1 when the filter hides it.
  int ShownIndex(int row) const { return IndexOf(row); }
  // The rows shown, in the order shown.
  std::vector<int> ShownRows() const;

  // --- Selection and focus ---
  // The selected row or -1; at most one.
  int Selected() const { return IndexOf(marks_.selected) >= 0 ? marks_.selected : -1; }
  // Selects the row and gives it the focus; -1 (or a row outside the list)
  // clears the selection and leaves the focus where it is.
  void SetSelected(int row);
  // The focused row or -1.
  int Focused() const { return IndexOf(marks_.focused) >= 0 ? marks_.focused : -1; }

  // Scrolls the bound control so that the row is visible (a partly visible row counts).
  void MakeVisible(int row);
  // The row that a MakeVisible last asked for, or -1: lets tests see a scroll
  // without a window.
  int LastMadeVisible() const { return lastMadeVisible_; }

  // Window side. Creates an owner-data report view, its columns scaled to the
  // window's DPI. In a window of the program's own, its notifications and
  // context-menu requests reach it, and LayoutColumns follows every change of
  // the window's size and DPI (see TWindow); another parent passes the
  // notifications on itself. LayoutColumns also follows every change of the
  // number of rows, which may bring the vertical scroll bar or take it away.
  HWND Create(HWND parent, const TControlArgs& args, bool gridLines);
  HWND Handle() const { return hwnd_; }
  void SetImageList(HIMAGELIST images);
  void LayoutColumns();
  bool HandleNotify(const NMHDR* header, LRESULT* result);
  // WM_CONTEXTMENU of the control, at a screen point or (-1, -1) from the keyboard.
  void HandleContextMenu(int x, int y);

private:
  // Rows tracked through a change by their index in items_: the marks, and the
  // rows that fix the window's scroll position.
  struct TMarks {
    int selected = -1;
    int focused = -1;
    int top = -1;     // the row at the top of the window
    int anchor = -1;  // the marked row that was on the screen, which stays at its place
  };
  // Where the window stood when the batch began, in window indexes.
  struct TPlace {
    bool noted = false;
    int top = 0;
    int anchorOffset = 0;  // the anchor's distance from the top row
    bool reordered = false;
    bool refiltered = false;
  };
  // The marks of a cleared view, to be found again among the new rows.
  struct TLostMarks {
    bool pending = false;
    std::string selected, focused;
    bool hadSelected = false, hadFocused = false;
    bool anchorSelected = false, anchorFocused = false;
  };

  // The one map between the window's indexes and the rows: -1 for none.
  int RowAt(int index) const;
  int IndexOf(int row) const;
  int IndexCount() const;
  // Makes the map again from passes_ when a change left it stale.
  void MakeMap() const;
  bool Passes(const TListItem& item) const;
  // What passes the filter changed: the map, and the marks' places in the window.
  void PassesChanged();

  bool WindowInStep() const { return hwnd_ && updateLock_ == 0; }
  // Moves every tracked row to where newRow sends it (-1: gone).
  template <class F>
  void FollowRows(F newRow);
  void NotePlace();
  void NoteLostMarks();
  void FindLostMarks();
  void SyncWindow();
  void RestorePlace();
  void ScrollToTop(int index);
  void UseListFont(int dpi);
  void DpiChanged(int oldDpi, int newDpi);
  void ShowSelection();
  void SelectionChangedInWindow(int index, UINT oldState, UINT newState);
  POINT FocusedRowPoint();

  std::vector<TListItem> items_;
  HWND hwnd_ = nullptr;
  FontHandle font_;  // the list's font at the window's DPI, where not the control's own
  int updateLock_ = 0;
  TMarks marks_;
  TPlace place_;
  TLostMarks lost_;
  bool selectionShown_ = true;  // the control shows the marks where their rows are
  bool showing_ = false;        // the control's notifications are our own doing
  int lastMadeVisible_ = -1;
  unsigned generation_ = 0;
  uint64_t lastStamp_ = 0;
  // The filter: its text as given and lowered, whether each row passes it (only
  // while filtered), and the map made from that, the rows shown and each row's
  // place among them.
  std::string filterText_;
  TCp932Finder finder_;
  std::vector<char> passes_;
  mutable std::vector<int> shown_;
  mutable std::vector<int> indexOf_;
  mutable bool mapStale_ = false;
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
