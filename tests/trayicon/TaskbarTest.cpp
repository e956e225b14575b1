#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "TaskbarTestSupport.h"
#include "TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Handle.h"
#include "toolkit/Icon.h"
#include "toolkit/PopupMenu.h"
#include "trayicon/Taskbar.h"

using taskbartest::AcceptingShell;
using testsupport::PumpUntil;
using taskbartest::WindowForm;
using toolkit::Application;
using toolkit::TComponent;
using trayicon::TTrayIcon;

namespace {

struct TrayTest : ::testing::Test {
  AcceptingShell shell;
  trayicon::TShellSeamScope scope{shell};
  TComponent form;

  static void Picture(toolkit::TIcon& icon) {
    icon.SetHandle(::CopyIcon(::LoadIconA(nullptr, IDI_APPLICATION)));
  }
  static toolkit::TStringList Names(std::vector<std::string> names) {
    toolkit::TStringList list;
    for (auto& n : names) list.Add(n);
    return list;
  }
};

// Writes down what the owner of the component sees.
struct EventLog {
  std::vector<std::string> seen;
  void Attach(TTrayIcon& tray) {
    auto button = [](trayicon::TMouseButton b) {
      return b == trayicon::mbLeft ? "L" : b == trayicon::mbRight ? "R" : "M";
    };
    tray.OnMouseDown = [this, button](TComponent*, trayicon::TMouseButton b,
                                      trayicon::TShiftState s, int x, int y) {
      seen.push_back(std::string("down ") + button(b) + " " + std::to_string(s) + " " +
                     std::to_string(x) + "," + std::to_string(y));
    };
    tray.OnMouseUp = [this, button](TComponent*, trayicon::TMouseButton b, trayicon::TShiftState,
                                    int, int) { seen.push_back(std::string("up ") + button(b)); };
    tray.OnMouseClick = [this, button](TComponent*, trayicon::TMouseButton b,
                                       trayicon::TShiftState s, int, int) {
      seen.push_back(std::string("click ") + button(b) + (s ? " shifted" : ""));
    };
    tray.OnDblClick = [this](TComponent*) { seen.push_back("dblclick"); };
    tray.OnRDblClick = [this](TComponent*) { seen.push_back("rdblclick"); };
  }
};

void Send(TTrayIcon& tray, LPARAM what) {
  ::SendMessageA(tray.TaskTrayIcon().GetHandle(), trayicon::WM_TRAYICON, 0, what);
}

}  // namespace

TEST_F(TrayTest, StoredInvisibleGetsNoIconAtLoadButShowIconAddsIt) {
  TTrayIcon tray(&form);
  toolkit::TIcon picture;
  Picture(picture);
  form.BeginLoading();
  tray.SetIcon(&picture);
  tray.SetTipHelp("VTY");
  tray.SetVisible(false);
  form.FinishLoading();
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_FALSE(tray.Visible());

  tray.ShowIcon();
  EXPECT_EQ(std::vector<DWORD>{NIM_ADD}, shell.calls);
  EXPECT_TRUE(tray.Visible());
  EXPECT_EQ(tray.Icon().Handle(), shell.lastIcon);
}

TEST_F(TrayTest, WantedIconIsAddedOnceWhenLoadingEnds) {
  TTrayIcon tray(&form);
  form.BeginLoading();
  tray.SetTipHelp("VTY");
  tray.SetResourceIconID(-1);
  tray.SetMinimized(false);
  EXPECT_TRUE(shell.calls.empty());  // setters only store while loading
  form.FinishLoading();
  EXPECT_EQ(std::vector<DWORD>{NIM_ADD}, shell.calls);
  EXPECT_EQ("VTY", tray.TaskTrayIcon().Tip());
  EXPECT_EQ(Application().Icon(), shell.lastIcon);  // no picture of its own
}

TEST_F(TrayTest, MinimizedIconFollowsTheApplicationAndRestoreRaisesTheOwner) {
  WindowForm owner;
  TTrayIcon tray(&owner);
  tray.SetMinimized(true);
  tray.SetVisible(false);
  tray.SetVisible(true);  // not minimised: hidden, not shown
  EXPECT_FALSE(tray.TaskTrayIcon().Shown());
  EXPECT_TRUE(shell.calls.empty());

  Application().Minimize();
  EXPECT_TRUE(tray.TaskTrayIcon().Shown());

  toolkit::WindowHandle other(::CreateWindowExA(0, "STATIC", "other",
                                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 100, 100,
                                                nullptr, nullptr, nullptr, nullptr));
  ::SetForegroundWindow(other.get());
  ASSERT_EQ(other.get(), ::GetForegroundWindow());
  Application().Restore();
  EXPECT_FALSE(tray.TaskTrayIcon().Shown());
  EXPECT_EQ(owner.WindowHandle(), ::GetForegroundWindow());
  other.reset();
  // Leave no window of ours shown or active for the end of the program.
  ::ShowWindow(Application().Handle(), SW_HIDE);
}

TEST_F(TrayTest, HideOnTaskBarTakesTheApplicationButtonAway) {
  TTrayIcon tray(&form);
  Application().Minimize();
  EXPECT_TRUE(::IsWindowVisible(Application().Handle()));  // the button is there
  Application().Restore();

  tray.SetHideOnTaskBar(true);
  Application().Minimize();
  EXPECT_FALSE(::IsWindowVisible(Application().Handle()));
  Application().Restore();
  EXPECT_TRUE(::IsWindowVisible(Application().Handle()));
}

TEST_F(TrayTest, ApplicationHandlersRunFirstAndComeBackAfterwards) {
  std::vector<std::string> seen;
  Application().OnMinimize = [&](TComponent*) { seen.push_back("own minimise"); };
  {
    TTrayIcon tray(&form);
    tray.SetMinimized(true);
    Application().Minimize();
    EXPECT_EQ(std::vector<std::string>{"own minimise"}, seen);
    EXPECT_TRUE(tray.TaskTrayIcon().Shown());  // and then the component's own work
    Application().Restore();
  }
  Application().Minimize();
  EXPECT_EQ(2u, seen.size());
  Application().Restore();
  EXPECT_FALSE(static_cast<bool>(Application().OnRestore));  // there was none before the component
}

namespace {
// The menu's own loop runs the timers of the thread; this one ends the menu.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::EndMenu();
}
}  // namespace

TEST_F(TrayTest, RightButtonDownOpensTheMenuUnlessAutoPopupIsOff) {
  toolkit::TPopupMenu menu(&form);
  menu.Items.push_back({"開く", nullptr});
  int popped = 0;
  menu.OnPopup = [&](TComponent*) {
    ++popped;
    ::SetTimer(nullptr, 0, 10, CloseMenu);
  };
  TTrayIcon tray(&form);
  tray.SetRButtonPopupMenu(&menu);
  EventLog log;
  log.Attach(tray);

  Send(tray, WM_RBUTTONDOWN);
  EXPECT_EQ(1, popped);
  EXPECT_EQ(&tray, menu.PopupComponent);
  EXPECT_TRUE(log.seen.empty());

  tray.SetAutoPopup(false);
  Send(tray, WM_RBUTTONDOWN);
  EXPECT_EQ(1, popped);
  EXPECT_EQ(std::vector<std::string>{"down R 16 700,500"}, log.seen);  // ssRight = 16
}

TEST_F(TrayTest, LeftMenuOpensOnlyForTheLeftButton) {
  toolkit::TPopupMenu menu(&form);
  int popped = 0;
  menu.OnPopup = [&](TComponent*) {
    ++popped;
    ::SetTimer(nullptr, 0, 10, CloseMenu);
  };
  TTrayIcon tray(&form);
  tray.SetLButtonPopupMenu(&menu);
  EventLog log;
  log.Attach(tray);
  Send(tray, WM_RBUTTONDOWN);
  Send(tray, WM_MBUTTONDOWN);
  EXPECT_EQ(0, popped);
  Send(tray, WM_LBUTTONDOWN);
  EXPECT_EQ(1, popped);
  EXPECT_EQ((std::vector<std::string>{"down R 16 700,500", "down M 32 700,500"}), log.seen);
}

TEST_F(TrayTest, RemovingTheMenusClearsTheReferences) {
  auto left = std::make_unique<toolkit::TPopupMenu>(&form);
  auto right = std::make_unique<toolkit::TPopupMenu>(&form);
  TTrayIcon tray(&form);
  tray.SetLButtonPopupMenu(left.get());
  tray.SetRButtonPopupMenu(right.get());
  right.reset();
  EXPECT_EQ(nullptr, tray.RButtonPopupMenu());
  EXPECT_EQ(left.get(), tray.LButtonPopupMenu());
  left.reset();
  EXPECT_EQ(nullptr, tray.LButtonPopupMenu());
}

TEST_F(TrayTest, QueryEndSessionIsAgreedToAndOtherMessagesGiveZero) {
  TTrayIcon tray(&form);
  HWND hidden = tray.TaskTrayIcon().GetHandle();
  EXPECT_EQ(1, ::SendMessageA(hidden, WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ(0, ::SendMessageA(hidden, WM_USER + 77, 1, 2));
  EXPECT_EQ(0, ::SendMessageA(hidden, trayicon::WM_TRAYICON, 0, 4321));
}

TEST_F(TrayTest, SingleClickReachesTheOwnerInOrder) {
  TTrayIcon tray(&form);
  EventLog log;
  log.Attach(tray);
  Send(tray, WM_LBUTTONDOWN);
  Send(tray, WM_LBUTTONUP);
  EXPECT_EQ((std::vector<std::string>{"down L 8 700,500", "up L"}), log.seen);
  // The click itself waits for the double-click time on the real timer.
  ASSERT_TRUE(PumpUntil([&] { return log.seen.size() == 3; }));
  EXPECT_EQ("click L", log.seen[2]);
}

TEST_F(TrayTest, DoubleClickReachesTheOwnerInOrderWithoutAClick) {
  TTrayIcon tray(&form);
  EventLog log;
  log.Attach(tray);
  Send(tray, WM_LBUTTONDOWN);
  Send(tray, WM_LBUTTONUP);
  Send(tray, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(PumpUntil([&] { return log.seen.size() == 4; }));  // the re-posted down
  Send(tray, WM_LBUTTONUP);
  // Once the click timer has run out, nothing more may come.
  ASSERT_TRUE(PumpUntil([&] { return shell.timersKilled > 0; }));
  EXPECT_EQ((std::vector<std::string>{"down L 8 700,500", "up L", "dblclick", "down L 8 700,500",
                                      "up L"}),
            log.seen);
}

TEST_F(TrayTest, ClickIsReportedAtOnceWithoutDiscrimination) {
  TTrayIcon tray(&form);
  tray.SetCheckSingleDoubleClick(false);
  EventLog log;
  log.Attach(tray);
  Send(tray, WM_RBUTTONDOWN);
  Send(tray, WM_RBUTTONUP);
  Send(tray, WM_RBUTTONDBLCLK);
  EXPECT_EQ((std::vector<std::string>{"down R 16 700,500", "click R", "up R", "rdblclick"}),
            log.seen);
}

TEST_F(TrayTest, ResourceIconIdIsClampedToTheList) {
  TTrayIcon tray(&form);
  tray.SetResourceIconID(5);
  EXPECT_EQ(-1, tray.ResourceIconID());  // empty list
  tray.SetResourceIconList(Names({"A", "B", "C"}));
  tray.SetResourceIconID(5);
  EXPECT_EQ(2, tray.ResourceIconID());
  tray.SetResourceIconID(-7);
  EXPECT_EQ(-1, tray.ResourceIconID());
}

TEST_F(TrayTest, IndexBeyondTheListReadsAsTheFirst) {
  TTrayIcon tray(&form);
  form.BeginLoading();
  tray.SetResourceIconList(Names({"A", "B", "C"}));
  tray.SetResourceIconID(3);  // stored as it stands while loading
  EXPECT_EQ(0, tray.ResourceIconID());
  form.FinishLoading();
}

namespace {

// The helper program carries the program's icons as resources #1 and #2; the
// component loads its frames from it for the length of a test.
struct FramesModule {
  toolkit::ModuleHandle module{::LoadLibraryExA(
      (testsupport::TestBinDir() + "\\Sleeper.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)};
  FramesModule() { Application().SetInstance(module.get()); }
  ~FramesModule() { Application().SetInstance(::GetModuleHandleA(nullptr)); }
};

// The colour pixels of an icon, to tell two pictures apart by what they show.
std::string IconPixels(HICON icon) {
  ICONINFO info = {};
  if (!::GetIconInfo(icon, &info)) return "";
  toolkit::BitmapHandle color(info.hbmColor), mask(info.hbmMask);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = 16;
  bi.bmiHeader.biHeight = 16;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  std::string bits(16 * 16 * 4, '\0');
  ::GetDIBits(toolkit::WindowDC(nullptr).get(), color.get(), 0, 16, &bits[0], &bi, DIB_RGB_COLORS);
  return bits;
}

}  // namespace

TEST_F(TrayTest, ResourceIconIdReplacesAnExplicitIcon) {
  FramesModule frames;
  ASSERT_TRUE(frames.module);
  toolkit::IconHandle first(static_cast<HICON>(
      ::LoadImageA(frames.module.get(), "#1", IMAGE_ICON, 16, 16, 0)));
  toolkit::IconHandle second(static_cast<HICON>(
      ::LoadImageA(frames.module.get(), "#2", IMAGE_ICON, 16, 16, 0)));
  ASSERT_TRUE(second);
  ASSERT_NE(IconPixels(first.get()), IconPixels(second.get()));

  TTrayIcon tray(&form);
  toolkit::TIcon picture;
  Picture(picture);
  tray.SetIcon(&picture);
  tray.SetResourceIconList(Names({"#1", "#2"}));
  tray.ShowIcon();
  EXPECT_EQ(tray.Icon().Handle(), shell.lastIcon);

  tray.SetResourceIconID(1);
  EXPECT_TRUE(tray.Icon().Empty());
  ASSERT_NE(nullptr, shell.lastIcon);
  EXPECT_EQ(IconPixels(second.get()), IconPixels(shell.lastIcon));
  tray.SetResourceIconID(0);
  EXPECT_EQ(IconPixels(first.get()), IconPixels(shell.lastIcon));
}

TEST_F(TrayTest, ChangingTheListUpdatesOnlyWhenTheFrameNameChanges) {
  FramesModule frames;
  TTrayIcon tray(&form);
  tray.SetResourceIconList(Names({"#1", "#2", "#1"}));
  tray.SetResourceIconID(2);
  tray.ShowIcon();
  size_t before = shell.calls.size();
  ASSERT_LT(0u, before);
  tray.SetResourceIconList(Names({"#2", "#2", "#1"}));  // frame 2 is still "#1"
  EXPECT_EQ(before, shell.calls.size());
  EXPECT_EQ(2, tray.ResourceIconID());
  tray.SetResourceIconList(Names({"#2"}));  // frame 2 is gone: back to the first
  EXPECT_EQ(0, tray.ResourceIconID());
  EXPECT_LT(before, shell.calls.size());
}

TEST_F(TrayTest, BalloonNeedsAShownIconAndAddResetsItsIcon) {
  TTrayIcon tray(&form);
  tray.SetBalloonHelpIcon(trayicon::bitInfo);
  EXPECT_FALSE(tray.ShowBalloon("通知", "追加 1 件", 1, tray.BalloonHelpIcon()));
  tray.ShowIcon();
  EXPECT_EQ(trayicon::bitNone, tray.BalloonHelpIcon());
  EXPECT_TRUE(tray.ShowBalloon("通知", "追加 1 件", 1, tray.BalloonHelpIcon()));
  EXPECT_EQ("通知", tray.BalloonHelpTitle());
}

TEST_F(TrayTest, RestartedTaskbarIsReportedOnce) {
  TTrayIcon tray(&form);
  int restarts = 0;
  tray.OnRestartTaskbar = [&](TComponent* sender) {
    EXPECT_EQ(&tray, sender);
    ++restarts;
  };
  tray.ShowIcon();
  ::SendMessageA(tray.TaskTrayIcon().GetHandle(), ::RegisterWindowMessageA("TaskbarCreated"), 0,
                 0);
  EXPECT_EQ(1, restarts);
  EXPECT_EQ((std::vector<DWORD>{NIM_ADD, NIM_ADD}), shell.calls);
}

TEST_F(TrayTest, FrameThatDoesNotLoadAddsNoIcon) {
  FramesModule frames;
  TTrayIcon tray(&form);
  form.BeginLoading();
  tray.SetResourceIconList(Names({"NOSUCHICON"}));
  tray.SetResourceIconID(0);
  form.FinishLoading();
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_FALSE(tray.TaskTrayIcon().Shown());
}

TEST_F(TrayTest, StartsWithTheDesignedValues) {
  TTrayIcon tray(&form);
  EXPECT_TRUE(tray.AutoPopup());
  EXPECT_TRUE(tray.Icon().Empty());
  EXPECT_EQ("TipHelp", tray.TipHelp());
  EXPECT_FALSE(tray.Minimized());
  EXPECT_TRUE(tray.Visible());
  EXPECT_FALSE(tray.HideOnTaskBar());
  EXPECT_EQ(-1, tray.ResourceIconID());
  EXPECT_EQ(0, tray.ResourceIconList().Count());
  EXPECT_EQ(0u, tray.Interval());
  EXPECT_FALSE(tray.DoForegroundWindow());
  EXPECT_TRUE(tray.CheckSingleDoubleClick());
  EXPECT_EQ("", tray.BalloonHelpTitle());
  EXPECT_EQ("", tray.BalloonHelpText());
  EXPECT_EQ(0, tray.BalloonHelpTimeOut());
  EXPECT_EQ(trayicon::bitNone, tray.BalloonHelpIcon());
  EXPECT_EQ(nullptr, tray.LButtonPopupMenu());
  EXPECT_EQ(nullptr, tray.RButtonPopupMenu());
  EXPECT_EQ(nullptr, tray.AnimationThread());
  EXPECT_TRUE(shell.calls.empty());  // creating it asks nothing of the shell
}

TEST_F(TrayTest, NewPictureAndTipReachTheShownIcon) {
  TTrayIcon tray(&form);
  tray.ShowIcon();
  toolkit::TIcon picture;
  Picture(picture);
  tray.SetIcon(&picture);
  EXPECT_EQ((std::vector<DWORD>{NIM_ADD, NIM_MODIFY}), shell.calls);
  EXPECT_EQ(tray.Icon().Handle(), shell.lastIcon);
  tray.SetTipHelp("VTY");
  EXPECT_EQ("VTY", shell.lastTip);
  tray.SetIcon(nullptr);  // back to the application's icon
  EXPECT_EQ(Application().Icon(), shell.lastIcon);
}

TEST_F(TrayTest, RefusedAddIsNoErrorAndTheIconIsWantedUntilTheShellTakesIt) {
  TTrayIcon tray(&form);
  tray.SetVisible(false);
  shell.refuse = true;
  tray.ShowIcon();
  EXPECT_TRUE(tray.Visible());
  EXPECT_TRUE(tray.TaskTrayIcon().AddPending());
  shell.refuse = false;
  ::SendMessageA(tray.TaskTrayIcon().GetHandle(), ::RegisterWindowMessageA("TaskbarCreated"), 0,
                 0);
  EXPECT_TRUE(tray.TaskTrayIcon().Shown());
  tray.SetVisible(false);
  EXPECT_FALSE(tray.TaskTrayIcon().Shown());
}

TEST_F(TrayTest, MouseEntersMovesAndLeaves) {
  TTrayIcon tray(&form);
  std::vector<std::string> seen;
  tray.OnMouseEnter = [&](TComponent*) { seen.push_back("enter"); };
  tray.OnMouseExit = [&](TComponent*) { seen.push_back("exit"); };
  tray.OnMouseMove = [&](TComponent*, trayicon::TShiftState shift, int x, int y) {
    seen.push_back("move " + std::to_string(shift) + " " + std::to_string(x) + "," +
                   std::to_string(y));
  };
  Send(tray, WM_MOUSEMOVE);
  Send(tray, WM_MOUSEMOVE);
  EXPECT_EQ((std::vector<std::string>{"enter", "move 0 700,500", "move 0 700,500"}), seen);
  shell.cursorX = 900;  // far outside the icon
  ASSERT_TRUE(PumpUntil([&] { return seen.size() == 4; }));
  EXPECT_EQ("exit", seen.back());
}
