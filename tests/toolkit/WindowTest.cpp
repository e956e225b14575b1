#include <gtest/gtest.h>

#include "TestSupport.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Window.h"

using toolkit::TWindow;

namespace {

class Plain : public TWindow {
public:
  Plain() {
    CreateTopLevel("VantryTestWindow", "test", WS_OVERLAPPEDWINDOW, 0, 10, 10, 400, 300, nullptr);
  }
};

RECT ChildRect(HWND child) {
  RECT rc;
  ::GetWindowRect(child, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

}  // namespace

TEST(WindowAnchors, ControlsFollowTheEdgesTheyAreAnchoredTo) {
  Plain w;
  HWND fill = toolkit::CreateChild(w.Handle(), "STATIC", {8, 40, 300, 200}, 0);
  HWND fixed = toolkit::CreateChild(w.Handle(), "STATIC", {16, 8, 77, 25}, 0);
  RECT client;
  ::GetClientRect(w.Handle(), &client);
  int rightGap = client.right - 308, bottomGap = client.bottom - 240;
  w.Anchor(fill, toolkit::akLeft | toolkit::akTop | toolkit::akRight | toolkit::akBottom);
  w.Anchor(fixed, toolkit::akLeft | toolkit::akTop);
  ::SetWindowPos(w.Handle(), nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
  ::GetClientRect(w.Handle(), &client);
  RECT rc = ChildRect(fill);
  EXPECT_EQ(8, rc.left);
  EXPECT_EQ(40, rc.top);
  EXPECT_EQ(client.right - rightGap, rc.right);
  EXPECT_EQ(client.bottom - bottomGap, rc.bottom);
  rc = ChildRect(fixed);
  EXPECT_EQ(16, rc.left);
  EXPECT_EQ(77, rc.right - rc.left);
}

TEST(WindowSize, SmallerThanTheMinimumIsRefused) {
  Plain w;
  w.SetMinSize(580, 275);
  ::SetWindowPos(w.Handle(), nullptr, 0, 0, 700, 400, SWP_NOMOVE | SWP_NOZORDER);
  ::SetWindowPos(w.Handle(), nullptr, 0, 0, 300, 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT rc;
  ::GetWindowRect(w.Handle(), &rc);
  EXPECT_EQ(580, rc.right - rc.left);
  EXPECT_EQ(275, rc.bottom - rc.top);
}

TEST(ErrorBox, AppendsAFullStopAfterCharactersThatSortAboveIt) {
  EXPECT_EQ("abc.", toolkit::ErrorBoxText("abc"));
  EXPECT_EQ("done.", toolkit::ErrorBoxText("done."));
  EXPECT_EQ("a-", toolkit::ErrorBoxText("a-"));  // '-' sorts below '.'
  EXPECT_EQ("できません。.", toolkit::ErrorBoxText("できません。"));
  // "ソ" is 83 5C: its trailing byte is a backslash, its character still double-byte.
  EXPECT_EQ("ソ.", toolkit::ErrorBoxText("ソ"));
  EXPECT_EQ("", toolkit::ErrorBoxText(""));
}

// The input box is driven as a user would: a timer finds it while it runs modally
// and types into it.
namespace {

std::string typed;
WPARAM key = VK_RETURN;

void CALLBACK Drive(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = testsupport::FindOwnWindow("VantryInputBox");
  if (!box || !::IsWindowVisible(box)) return;
  ::KillTimer(nullptr, id);
  HWND edit = ::FindWindowExA(box, nullptr, "EDIT", nullptr);
  EXPECT_EQ(255, static_cast<int>(::SendMessageA(edit, EM_GETLIMITTEXT, 0, 0)));
  DWORD start = 1, end = 0;
  ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(0u, start);  // the old text is wholly selected
  EXPECT_EQ(static_cast<DWORD>(::GetWindowTextLengthA(edit)), end);
  ::SetWindowTextA(edit, typed.c_str());
  ::PostMessageA(edit, WM_KEYDOWN, key, 0);
}

bool RunInputBox(std::string& value, const std::string& type, WPARAM withKey) {
  typed = type;
  key = withKey;
  ::SetTimer(nullptr, 0, 50, &Drive);
  return toolkit::InputQuery(nullptr, "コメント", "コメントを入力してください", value, 255);
}

}  // namespace

TEST(InputBox, EnterTakesTheTextEvenWhenEmpty) {
  std::string value = "old comment";
  EXPECT_TRUE(RunInputBox(value, "new comment", VK_RETURN));
  EXPECT_EQ("new comment", value);
  EXPECT_TRUE(RunInputBox(value, "", VK_RETURN));
  EXPECT_EQ("", value);
}

TEST(InputBox, EscapeKeepsTheOldText) {
  std::string value = "old comment";
  EXPECT_FALSE(RunInputBox(value, "typed but cancelled", VK_ESCAPE));
  EXPECT_EQ("old comment", value);
}
