// A popup menu: a list of captions with a handler each, shown at a screen
// point. The menu is built when it pops up and tracked with a hidden window of
// its own as the owner. The chosen item's handler runs later, from the message
// loop, when the system's posted command reaches that window: whoever opened the
// menu (a tray icon inside its own message handling) has returned by then, so
// a handler may close the window that owns it all.
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

  // Shows the menu at (x, y) and returns when it has closed.
  void Popup(int x, int y);

  HWND Handle() const { return window_.get(); }

private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  WindowHandle window_;
};

}  // namespace toolkit
