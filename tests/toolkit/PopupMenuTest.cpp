#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Application.h"
#include "toolkit/Handle.h"
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

// A context menu belongs to the window it was opened in: that window stays in
// front and its control keeps the keyboard, and the chosen item still runs only
// once Popup has returned.
TEST(PopupMenu, AMenuOfAWindowLeavesTheKeyboardInItsControl) {
  toolkit::WindowHandle window(::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                                 50, 50, 300, 200, nullptr, nullptr, nullptr,
                                                 nullptr));
  HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20,
                                window.get(), nullptr, nullptr, nullptr);
  ::SetForegroundWindow(window.get());
  ::SetFocus(edit);
  TComponent form;
  TPopupMenu menu(&form);
  int chosen = 0;
  menu.Items.push_back({"開く", [&](TComponent*) { ++chosen; }});
  menu.OnPopup = [&](TComponent*) {
    ::PostMessageA(window.get(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(window.get(), WM_KEYDOWN, VK_RETURN, 0);
  };
  menu.Popup(100, 100, window.get());
  EXPECT_EQ(0, chosen);
  EXPECT_EQ(edit, ::GetFocus());
  EXPECT_EQ(window.get(), ::GetForegroundWindow());
  toolkit::Application().ProcessMessages();
  EXPECT_EQ(1, chosen);
  EXPECT_EQ(edit, ::GetFocus());
}
