// A popup menu: a list of captions with a handler each, shown at a screen
// point. The menu is built when it pops up. The chosen item's handler runs
// later, from the message loop, when a command posted to a hidden window of the
// menu's own reaches it: whoever opened the menu (a tray icon inside its own
// message handling) has returned by then, so a handler may close the window
// that owns it all.
//
// A context menu of a window belongs to that window: it is tracked with the
// window as its owner, which stays the active window, and the control the user
// was in keeps the keyboard. A menu of a notification-area icon has no window
// of ours to belong to; it is tracked by the hidden window, which it makes the
// foreground window, or a click elsewhere would not close it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/Handle.h"

namespace toolkit {

struct TMenuItem {
  std::string Caption;  // "-" is a separator line
  TNotifyEvent OnClick;  // Sender is the menu
  bool Default = false;  // shown in bold
  bool Enabled = true;
};

class TPopupMenu : public TComponent {
public:
  using TComponent::TComponent;

  std::vector<TMenuItem> Items;
  // The component that opened the menu last (the tray icon sets itself).
  TComponent* PopupComponent = nullptr;
  // Runs just before the menu is shown.
  TNotifyEvent OnPopup;

  // Shows the menu at (x, y) and returns when it has closed; `window` is the
  // window of ours it belongs to, none for the tray icon's.
  void Popup(int x, int y, HWND window = nullptr);

  HWND Handle() const { return window_.get(); }

private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  WindowHandle window_;
};

}  // namespace toolkit
