// A popup menu: a list of captions with a handler each, shown at a screen
// point. The menu is built when it pops up and tracked with the application
// window as its owner; the chosen item's handler runs after the menu has closed,
// so a handler may close windows or show dialogs freely.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Component.h"

namespace toolkit {

struct TMenuItem {
  std::string Caption;  // "-" is a separator line
  TNotifyEvent OnClick;
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

  // Shows the menu at (x, y) and waits until it is closed; runs the chosen
  // item's handler with this menu as Sender. Returns the chosen index, or -1.
  int Popup(int x, int y);
};

}  // namespace toolkit
