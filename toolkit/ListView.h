// A report-mode list view whose rows are plain data. The program's tables are its
// list views, and the logic that fills, merges and sorts them must run (and be
// tested) without any window. So the rows live here; a bound SysListView32 in
// owner-data mode only asks for the text of the rows it paints, which keeps a
// table of 100,000 rows as cheap to show as one of ten.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Controls.h"

namespace toolkit {

struct TListItem {
  std::string Caption;
  std::vector<std::string> SubItems;
  int ImageIndex = 0;

  // Column 0 is the caption, column c >= 1 is SubItems[c - 1]. A cell past the
  // last one reads as empty text.
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

  int Count() const { return static_cast<int>(items_.size()); }
  TListItem& operator[](int i) { return items_.at(static_cast<size_t>(i)); }
  const TListItem& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
  const std::vector<TListItem>& Items() const { return items_; }

  TListItem& Add(std::string caption = {});
  void Delete(int index);
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
  // Repaints after rows were edited through operator[].
  void Changed();

  // Counts the changes made to the rows (Add, Delete, Clear, SetCell, Sort, Changed),
  // so that whoever keeps an index of the rows can tell that it went stale.
  unsigned Generation() const { return generation_; }

  // The selected row or -1. Only one row can be selected.
  int Selected() const;
  void SetSelected(int index);

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
  void SyncCount();

  std::vector<TListItem> items_;
  HWND hwnd_ = nullptr;
  int updateLock_ = 0;
  int selected_ = -1;
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
