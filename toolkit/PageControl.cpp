#include "toolkit/PageControl.h"

#include <commctrl.h>

#include "toolkit/Window.h"

namespace toolkit {

HWND TPageControl::Create(HWND parent, const TControlArgs& args,
                          const std::vector<std::string>& captions) {
  TControlArgs tabArgs = args;
  tabArgs.ExStyle |= WS_EX_CONTROLPARENT;  // tabbing walks on into the active page
  tab_ = CreateChild(parent, WC_TABCONTROLA, tabArgs, WS_TABSTOP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  if (!tab_) return nullptr;
  for (size_t i = 0; i < captions.size(); ++i) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(captions[i].c_str());
    ::SendMessageA(tab_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    // Pages are children of the tab control: they follow it in the keyboard order
    // of the window, and their controls' messages reach the top-level window
    // through the container.
    pages_.push_back(CreateContainer(tab_, TControlArgs{}));
  }
  LayoutPages();
  SetActivePage(0);
  return tab_;
}

int TPageControl::ActivePage() const {
  return tab_ ? static_cast<int>(::SendMessageA(tab_, TCM_GETCURSEL, 0, 0)) : -1;
}

void TPageControl::SetActivePage(int index) {
  if (!tab_) return;
  ::SendMessageA(tab_, TCM_SETCURSEL, index, 0);
  for (size_t i = 0; i < pages_.size(); ++i)
    ::ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
}

void TPageControl::LayoutPages() {
  if (!tab_) return;
  RECT rc;
  ::GetClientRect(tab_, &rc);
  ::SendMessageA(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  for (HWND page : pages_)
    ::SetWindowPos(page, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TPageControl::HandleNotify(const NMHDR* header) {
  if (!tab_ || header->hwndFrom != tab_) return false;
  if (header->code == TCN_SELCHANGE) SetActivePage(ActivePage());
  return true;
}

}  // namespace toolkit
