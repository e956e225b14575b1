#include "toolkit/PageControl.h"

#include <commctrl.h>

#include "toolkit/Handle.h"
#include "toolkit/Window.h"

namespace toolkit {

HWND TPageControl::Create(HWND parent, const TControlArgs& args,
                          const std::vector<std::string>& captions) {
  // The tab strip is a tab stop of its own, so the keyboard can reach it and switch
  // pages with the arrows; a control parent would be passed over by the dialog
  // manager, which only walks into it.
  TChildEvents events;
  events.Notify = [this](const NMHDR* header, LRESULT*) {
    if (header->code == TCN_SELCHANGE) {
      SetActivePage(ActivePage());
      if (OnChange) OnChange(ActivePage());
    }
    return true;
  };
  events.Resized = [this] { LayoutPages(); };
  // The tabs' height follows the font, and the pages follow the tabs.
  events.DpiChanged = [this](int, int) { LayoutPages(); };
  tab_ = CreateChild(parent, WC_TABCONTROLA, args, WS_TABSTOP | WS_CLIPSIBLINGS, std::move(events));
  if (!tab_) return nullptr;
  for (size_t i = 0; i < captions.size(); ++i) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(captions[i].c_str());
    ::SendMessageA(tab_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  // Each page is made where it belongs, so that its anchors hold its distances to
  // the edges as laid out.
  RECT area = DisplayArea();
  ::MapWindowPoints(tab_, parent, reinterpret_cast<POINT*>(&area), 2);
  TControlArgs page{area.left, area.top, area.right - area.left, area.bottom - area.top};
  page.Anchors = args.Anchors;
  page.InPixels = true;
  HWND previous = tab_;
  for (size_t i = 0; i < captions.size(); ++i) {
    // Pages are siblings right after the tab control in the z-order, which is the
    // keyboard order: tabbing goes from the tabs into the active page. Being below
    // the tab control, they show through the hole LayoutPages cuts into it.
    pages_.push_back(CreateContainer(parent, page));
    ::SetWindowPos(pages_.back(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = pages_.back();
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
  if (OnShown) OnShown();
}

void TPageControl::SelectNextPage(bool forward) {
  const int count = PageCount();
  const int from = ActivePage();
  if (!tab_ || count == 0 || from < 0) return;
  const int to = (from + (forward ? 1 : count - 1)) % count;
  HWND focus = ::GetFocus();
  const bool focusInPage = focus && ::IsChild(Page(from), focus);
  SetActivePage(to);
  if (OnChange) OnChange(to);
  if (!focusInPage) return;
  // A hidden control must not keep the keyboard: the first control of the new
  // page takes it, or the tabs when the page has none.
  HWND first = ::GetNextDlgTabItem(::GetAncestor(tab_, GA_ROOT), tab_, FALSE);
  ::SetFocus(first && ::IsChild(Page(to), first) ? first : tab_);
}

bool TPageControl::HandleTabKeys(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || ::GetKeyState(VK_CONTROL) >= 0)
    return false;
  SelectNextPage(::GetKeyState(VK_SHIFT) >= 0);
  return true;
}

RECT TPageControl::DisplayArea() const {
  RECT rc;
  ::GetClientRect(tab_, &rc);
  ::SendMessageA(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  return rc;
}

void TPageControl::LayoutPages() {
  if (!tab_) return;
  RECT bounds;
  ::GetClientRect(tab_, &bounds);
  RECT rc = DisplayArea();
  // The tab control keeps its tabs and its frame; the display area inside belongs
  // to the page below it, for painting and for the pointer alike.
  RegionHandle shape(::CreateRectRgn(bounds.left, bounds.top, bounds.right, bounds.bottom));
  RegionHandle hole(::CreateRectRgn(rc.left, rc.top, rc.right, rc.bottom));
  ::CombineRgn(shape.get(), shape.get(), hole.get(), RGN_DIFF);
  if (::SetWindowRgn(tab_, shape.get(), TRUE)) shape.release();  // the window owns it once set
  ::MapWindowPoints(tab_, ::GetParent(tab_), reinterpret_cast<POINT*>(&rc), 2);
  for (HWND page : pages_)
    ::SetWindowPos(page, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace toolkit
