// A tab control with pages: each page is a container window laid over the tab
// control's display area, a sibling right after it in the keyboard order; choosing
// a tab shows its page and hides the others. The pages follow the edges the tab
// control's row names, and are laid over the display area again whenever the
// window's size or DPI changes. Ctrl+Tab and Ctrl+Shift+Tab choose the next and
// the previous page from anywhere in the window, as in every tabbed window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Controls.h"

namespace toolkit {

class TPageControl {
public:
  // After the user brought another page to the front (a click on its tab, the
  // keys), with its index.
  std::function<void(int page)> OnChange;
  // After another page was shown, by the user or the program.
  std::function<void()> OnShown;

  // Creates the tab control and one page per caption, anchored as the tab control
  // is; the first page is active.
  HWND Create(HWND parent, const TControlArgs& args, const std::vector<std::string>& captions);
  HWND Handle() const { return tab_; }
  HWND Page(int index) const { return pages_.at(static_cast<size_t>(index)); }
  int PageCount() const { return static_cast<int>(pages_.size()); }

  int ActivePage() const;
  void SetActivePage(int index);
  // The page after the active one (or before it), round the end; the keyboard
  // goes along into the new page when it was in the old one.
  void SelectNextPage(bool forward);
  // Ctrl+Tab and Ctrl+Shift+Tab, for the window's PreTranslateMessage; true when
  // the message was one of them.
  bool HandleTabKeys(const MSG& msg);
  // Lays the pages over the display area again and opens the tab control there
  // (after the tab control was resized).
  void LayoutPages();

private:
  // The display area, in the tab control's own coordinates.
  RECT DisplayArea() const;

  HWND tab_ = nullptr;
  std::vector<HWND> pages_;
};

}  // namespace toolkit
