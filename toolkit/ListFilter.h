// A filter box over list views. What the user types in the box filters every
// list given to it (TListView::SetFilter, each in its own columns), as the user
// types; a label beside the box counts the rows of the list in sight that pass
// it, "12 / 3,456", and is empty while no filter holds rows back. One text for
// every list: the box stands above them all, so what it holds is what each list
// shows, and no list hides rows behind a text the user cannot see.
//
// A list is given a filter with one call, Attach, and the count then follows
// its rows and its filter by itself (the list's OnChanged is the filter's from
// then on). Which list is in sight is read from the windows: the attached list
// whose window and containers up to the box's window are visible, so a list on
// another page of a tab control counts when that page is shown; the owner calls
// ShowCount after it shows another page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/ListView.h"

namespace toolkit {

class TWindow;

class TListFilter {
public:
  // Makes the box, emptied by Esc, and the count label at their places in
  // `parent`, a window of `window`, whose guard the box's changes run under.
  void Create(TWindow& window, HWND parent, const TControlArgs& box, const TControlArgs& count);
  // Gives the list a filter by the box, looking in the columns.
  void Attach(TListView& view, std::vector<int> columns);

  const std::string& Text() const { return box_.Text(); }
  // As if typed: every attached list follows.
  void SetText(std::string text) { box_.SetText(std::move(text)); }
  // Counts the rows of the list in sight again.
  void ShowCount();

  TEdit& Box() { return box_; }
  const TLabel& Count() const { return count_; }

  // "12 / 3,456" for a list with a filter, "" for one without.
  static std::string CountText(const TListView& view);

private:
  void Changed();
  const TListView* InSight() const;

  TEdit box_;
  TLabel count_;
  std::vector<TListView*> views_;
};

}  // namespace toolkit
