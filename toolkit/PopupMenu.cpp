#include "toolkit/PopupMenu.h"

namespace toolkit {

namespace {

const char kClassName[] = "VantryPopupOwner";

}  // namespace

void TPopupMenu::Popup(int x, int y, HWND window) {
  if (OnPopup) OnPopup(this);
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  if (!window_) {
    WNDCLASSA wc = {};
    if (!::GetClassInfoA(instance, kClassName, &wc)) {
      wc.lpfnWndProc = WindowProc;
      wc.hInstance = instance;
      wc.lpszClassName = kClassName;
      ::RegisterClassA(&wc);
    }
    window_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, nullptr));
    if (!window_) return;
    ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  MenuHandle menu(::CreatePopupMenu());
  if (!menu) return;
  for (size_t i = 0; i < Items.size(); ++i) {
    const TMenuItem& item = Items[i];
    if (item.Caption == "-") {
      ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item.Enabled ? MF_ENABLED : MF_GRAYED);
    // Command ids start at 1: 0 would be "nothing chosen".
    ::AppendMenuA(menu.get(), flags, i + 1, item.Caption.c_str());
    if (item.Default) ::SetMenuDefaultItem(menu.get(), static_cast<UINT>(i + 1), FALSE);
  }
  if (window) {
    UINT id = static_cast<UINT>(::TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0,
        window, nullptr));
    if (id != 0) ::PostMessageA(window_.get(), WM_COMMAND, id, 0);
    return;
  }
  // A menu closes on a click elsewhere only when its owner is the foreground
  // window, and (for a menu of a notification-area icon) when the owner gets a
  // message after the tracking.
  ::SetForegroundWindow(window_.get());
  ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, window_.get(), nullptr);
  ::PostMessageA(window_.get(), WM_NULL, 0, 0);
}

LRESULT CALLBACK TPopupMenu::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TPopupMenu*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && msg == WM_COMMAND && HIWORD(wp) == 0) {
    size_t id = LOWORD(wp);
    if (id >= 1 && id <= self->Items.size()) {
      TNotifyEvent handler = self->Items[id - 1].OnClick;  // the handler may change Items
      if (handler) handler(self);
    }
    return 0;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace toolkit
