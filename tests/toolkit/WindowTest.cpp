#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "toolkit/Component.h"
#include "toolkit/Dialogs.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"
#include "toolkit/Timer.h"
#include "toolkit/Window.h"

using toolkit::TWindow;

namespace {

// A window with no message handling of its own: whatever reaches a control's
// handler went through the window's map. Its error report is kept for the test.
class Plain : public TWindow {
public:
  Plain() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    CreateTopLevel("VantryTestWindow", "test", WS_OVERLAPPEDWINDOW, 0, 10, 10, 400, 300, nullptr);
  }
  void ReportError(const std::string& message) override { reports.push_back(message); }
  void Fail() { throw std::runtime_error("method"); }

  std::vector<std::string> reports;
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

// --- Controls that dispatch themselves ---

namespace {

constexpr unsigned kAllSides =
    toolkit::akLeft | toolkit::akTop | toolkit::akRight | toolkit::akBottom;

void Click(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }

bool Shown(HWND page) { return (::GetWindowLongA(page, GWL_STYLE) & WS_VISIBLE) != 0; }

std::string ItemText(HWND view, int row, int column) {
  char buffer[64] = {};
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = sizeof buffer;
  ::SendMessageA(view, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return buffer;
}

void SendColumnClick(HWND window, HWND view, int column) {
  NMLISTVIEW nm = {};
  nm.hdr.hwndFrom = view;
  nm.hdr.code = LVN_COLUMNCLICK;
  nm.iSubItem = column;
  ::SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
}

}  // namespace

TEST(WindowDispatch, EachControlGetsItsOwnCommandsAndNotificationsByItsHandleAlone) {
  Plain w;
  // Both buttons carry the identifier 0: nothing tells them apart but the handle.
  std::vector<std::string> clicks;
  toolkit::TButton first, second;
  first.Create(w.Handle(), {8, 8, 75, 25, "1"}, w.Handler([&] { clicks.push_back("first"); }));
  second.Create(w.Handle(), {88, 8, 75, 25, "2"}, w.Handler([&] { clicks.push_back("second"); }));
  toolkit::TCheckBox box;
  box.Create(w.Handle(), {8, 40, 75, 17, "box"}, w.Handler([&] { clicks.push_back("box"); }));
  Click(second.Handle());
  Click(first.Handle());
  Click(box.Handle());
  EXPECT_EQ((std::vector<std::string>{"second", "first", "box"}), clicks);
  EXPECT_TRUE(box.Checked());

  // The owner-data view asks for its texts with a notification; the row's text
  // comes back only if the notification reached the view.
  toolkit::TListView view;
  view.Columns = {{"name", 100}, {"path", 0, true}};
  view.Create(w.Handle(), {8, 64, 300, 150}, true);
  view.Add({"a.exe", {"C:\\a.exe"}});
  EXPECT_EQ("C:\\a.exe", ItemText(view.Handle(), 0, 1));
  int column = -1;
  view.OnColumnClick = w.Handler([&](int c) { column = c; });
  SendColumnClick(w.Handle(), view.Handle(), 1);
  EXPECT_EQ(1, column);
  EXPECT_TRUE(w.reports.empty());
}

TEST(WindowDispatch, AnErrorInAnyBoundHandlerReachesTheWindowsReport) {
  Plain w;
  toolkit::TButton button;
  button.Create(w.Handle(), {8, 8, 75, 25, "b"},
                w.Handler([]() -> void { throw std::runtime_error("button"); }));
  Click(button.Handle());

  toolkit::TListView view;
  view.Columns = {{"name", 100}};
  view.Create(w.Handle(), {8, 40, 300, 150}, true);
  view.OnColumnClick =
      w.Handler([](int c) { throw std::runtime_error("column " + std::to_string(c)); });
  SendColumnClick(w.Handle(), view.Handle(), 0);

  // A method of the window, bound to an event that runs from the message loop.
  toolkit::TTimer timer(10);
  timer.OnTimer = w.Handler(&Plain::Fail);
  timer.SetEnabled(true);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return w.reports.size() == 3; }));
  timer.SetEnabled(false);
  EXPECT_EQ((std::vector<std::string>{"button", "column 0", "method"}), w.reports);
}

TEST(WindowDispatch, AHandlerTakesTheArgumentsItWantsAndAFailureGivesAnEmptyResult) {
  Plain w;
  // A menu item's event passes its sender; a handler that takes none still binds.
  toolkit::TNotifyEvent onMenu = w.Handler(&Plain::Fail);
  onMenu(nullptr);
  std::function<bool(int)> allow = w.Handler([](int n) {
    if (n < 0) throw std::runtime_error("negative");
    return true;
  });
  EXPECT_TRUE(allow(1));
  EXPECT_FALSE(allow(-1));
  EXPECT_EQ((std::vector<std::string>{"method", "negative"}), w.reports);
}

TEST(WindowDispatch, AControlOnAPageRoutesAndFollowsItsAnchorsAsOneOnTheWindow) {
  Plain w;
  toolkit::TPageControl pages;
  pages.Create(w.Handle(), {8, 8, 370, 240, "", 0, 0, 0, kAllSides}, {"one", "two"});
  int clicks = 0;
  toolkit::TButton button;
  button.Create(pages.Page(1), {8, 8, 75, 25, "b"}, w.Handler([&] { ++clicks; }));
  toolkit::TListView view;
  view.Columns = {{"name", 100}, {"path", 0, true}};
  RECT page;
  ::GetClientRect(pages.Page(0), &page);
  view.Create(pages.Page(0), {0, 0, page.right, page.bottom, "", 0, 0, 0, kAllSides}, true);
  view.Add({"a.exe", {"C:\\a.exe"}});

  // The user's choice of a tab comes as a notification of the tab control.
  ::SendMessageA(pages.Handle(), TCM_SETCURFOCUS, 1, 0);
  EXPECT_EQ(1, pages.ActivePage());
  EXPECT_TRUE(Shown(pages.Page(1)));
  EXPECT_FALSE(Shown(pages.Page(0)));
  Click(button.Handle());
  EXPECT_EQ(1, clicks);
  EXPECT_EQ("C:\\a.exe", ItemText(view.Handle(), 0, 1));

  // The window grows: the page and the view on it grow with it, and the view's
  // fill column takes the new width.
  RECT before, after;
  ::GetWindowRect(view.Handle(), &before);
  ::SetWindowPos(w.Handle(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  ::GetWindowRect(view.Handle(), &after);
  EXPECT_EQ(100, (after.right - after.left) - (before.right - before.left));
  EXPECT_EQ(100, (after.bottom - after.top) - (before.bottom - before.top));
  RECT client;
  ::GetClientRect(view.Handle(), &client);
  EXPECT_EQ(client.right - 100, ListView_GetColumnWidth(view.Handle(), 1));
  EXPECT_TRUE(w.reports.empty());
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
