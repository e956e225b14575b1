#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Application.h"
#include "toolkit/PopupMenu.h"

using toolkit::TComponent;
using toolkit::TPopupMenu;

TEST(PopupMenu, ChosenItemRunsAfterTheMenuHasReturned) {
  TComponent form;
  TPopupMenu menu(&form);
  std::vector<std::string> seen;
  menu.Items.push_back({"開く", [&](TComponent*) { seen.push_back("open"); }});
  menu.Items.push_back({"-", nullptr});
  menu.Items.push_back({"閉じる", [&](TComponent* s) {
                          seen.push_back(s == &menu ? "close" : "close?");
                        }});
  menu.OnPopup = [&](TComponent*) {
    seen.push_back("popup");
    // The menu's own loop takes the keys waiting for this thread: down, down
    // (over the separator) and enter choose the last item.
    HWND any = menu.Handle() ? menu.Handle() : toolkit::Application().Handle();
    ::PostMessageA(any, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(any, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(any, WM_KEYDOWN, VK_RETURN, 0);
  };
  menu.Popup(100, 100);
  EXPECT_EQ(std::vector<std::string>{"popup"}, seen);  // nothing chosen runs inside Popup
  toolkit::Application().ProcessMessages();
  EXPECT_EQ((std::vector<std::string>{"popup", "close"}), seen);
}
