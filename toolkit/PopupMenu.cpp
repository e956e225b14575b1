#include "toolkit/PopupMenu.h"

#include <memory>
#include <type_traits>

#include "toolkit/Application.h"

namespace toolkit {

namespace {
struct MenuDeleter {
  void operator()(HMENU m) const { ::DestroyMenu(m); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;
}  // namespace

int TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  MenuHandle menu(::CreatePopupMenu());
  if (!menu) return -1;
  for (size_t i = 0; i < Items.size(); ++i) {
    const TMenuItem& item = Items[i];
    if (item.Caption == "-") {
      ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item.Enabled ? MF_ENABLED : MF_GRAYED);
    // Command ids start at 1: TrackPopupMenu reports 0 for "nothing chosen".
    ::AppendMenuA(menu.get(), flags, i + 1, item.Caption.c_str());
    if (item.Default) ::SetMenuDefaultItem(menu.get(), static_cast<UINT>(i + 1), FALSE);
  }
  HWND owner = Application().Handle();
  UINT chosen = static_cast<UINT>(::TrackPopupMenu(
      menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner,
      nullptr));
  // A menu opened from a notification-area icon does not close on a click
  // elsewhere unless its owner gets a message after it has been tracked.
  ::PostMessageA(owner, WM_NULL, 0, 0);
  if (chosen == 0 || chosen > Items.size()) return -1;
  int index = static_cast<int>(chosen - 1);
  TNotifyEvent handler = Items[index].OnClick;  // the handler may change Items
  if (handler) handler(this);
  return index;
}

}  // namespace toolkit
