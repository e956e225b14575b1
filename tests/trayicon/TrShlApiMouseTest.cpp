// Mouse tracking and click discrimination, driven through the icon's real hidden
// window with the shell's callback messages; the cursor and the click timer are
// the fake shell's, and a timer expiry is the WM_TIMER the timer would bring.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "FakeShell.h"
#include "TestSupport.h"
#include "trayicon/TrShlApi.h"

using namespace trayicon;
using testsupport::PumpMessages;
using testsupport::PumpUntil;
using traytest::FakeShell;

namespace {

constexpr DWORD kGuardMs = 20000;  // a hang, not slowness, if ever reached

bool RECTEquals(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

class MouseTest : public ::testing::Test {
protected:
  FakeShell shell;
  TShellSeamScope scope{shell};
  std::unique_ptr<TTaskTrayIcon> icon = std::make_unique<TTaskTrayIcon>();
  // What the owner saw: (LParam, WParam) of every WM_TRAYICON, in order.
  std::vector<std::pair<LPARAM, WPARAM>> seen;

  void SetUp() override {
    icon->GetHandle();
    icon->OnMessage = [this](TMessage& m) {
      if (m.Msg == WM_TRAYICON) seen.push_back({m.LParam, m.WParam});
    };
  }

  // A callback of the shell: WParam is the icon's id.
  void Callback(LPARAM what, WPARAM wParam = 1) {
    ::SendMessageA(icon->Handle(), WM_TRAYICON, wParam, what);
  }
  void MoveTo(LONG x, LONG y) {
    shell.cursor = {x, y};
    Callback(WM_MOUSEMOVE);
  }
  void TimerExpires() { ::SendMessageA(icon->Handle(), WM_TIMER, ClickTimerId, 0); }
  TCustomToolTipStyle& Style() { return *icon->ToolTipStyle(); }

  int Count(LPARAM what) const {
    int n = 0;
    for (const auto& s : seen) n += s.first == what;
    return n;
  }
  std::vector<WPARAM> Clicks() const {
    std::vector<WPARAM> buttons;
    for (const auto& s : seen)
      if (s.first == TRAYN_CLICK) buttons.push_back(s.second);
    return buttons;
  }
};

}  // namespace

// --- The mouse rectangle ----------------------------------------------------

TEST(MouseRect, GrowsWithEachPointAndStartsEmpty) {
  RECT r = {};
  ExtendMouseRect(r, {100, 100});
  EXPECT_TRUE(RECTEquals(r, 100, 100, 100, 100));
  ExtendMouseRect(r, {90, 120});
  EXPECT_TRUE(RECTEquals(r, 90, 100, 100, 120));
  ExtendMouseRect(r, {95, 110});
  EXPECT_TRUE(RECTEquals(r, 90, 100, 100, 120));
}

TEST(MouseRect, EdgesCountAsInside) {
  RECT r = {90, 100, 100, 120};
  EXPECT_TRUE(InMouseRect(r, {90, 100}));
  EXPECT_TRUE(InMouseRect(r, {100, 120}));
  EXPECT_FALSE(InMouseRect(r, {101, 110}));
  EXPECT_FALSE(InMouseRect(r, {95, 99}));
}

TEST_F(MouseTest, RectangleRestartsWhenItWouldGrowBeyond32Pixels) {
  MoveTo(100, 100);
  EXPECT_TRUE(RECTEquals(Style().MouseRect(), 100, 100, 100, 100));
  MoveTo(90, 120);
  EXPECT_TRUE(RECTEquals(Style().MouseRect(), 90, 100, 100, 120));
  MoveTo(140, 120);  // width 50
  EXPECT_TRUE(RECTEquals(Style().MouseRect(), 140, 120, 140, 120));
}

TEST_F(MouseTest, AddOfTheIconRestartsTheRectangle) {
  MoveTo(100, 100);
  icon->SetIconHandle(::LoadIconA(nullptr, IDI_APPLICATION));
  ASSERT_TRUE(icon->Show());
  EXPECT_TRUE(RECTEquals(Style().MouseRect(), 0, 0, 0, 0));
}

// --- Entry and exit ---------------------------------------------------------

TEST_F(MouseTest, EntryIsReportedOncePerStayBeforeTheOwnerSeesTheMovement) {
  MoveTo(100, 100);
  MoveTo(101, 101);
  MoveTo(102, 100);
  EXPECT_EQ(Count(TRAYN_MOUSEENTER), 1);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, TRAYN_MOUSEENTER);
  EXPECT_EQ(seen[1].first, static_cast<LPARAM>(WM_MOUSEMOVE));
  EXPECT_TRUE(Style().Inside());
}

TEST_F(MouseTest, PollerReportsTheExitWhenTheCursorLeavesAndThenPauses) {
  MoveTo(100, 100);
  MoveTo(110, 105);
  shell.cursor = {105, 102};  // still over the icon
  PumpMessages();
  EXPECT_EQ(Count(TRAYN_MOUSEEXIT), 0);
  shell.cursor = {300, 300};
  ASSERT_TRUE(PumpUntil([&] { return Count(TRAYN_MOUSEEXIT) == 1; }));
  EXPECT_FALSE(Style().Inside());
  ASSERT_TRUE(PumpUntil([&] { return Style().MouseEventMaker()->Suspended(); }));

  // The next stay wakes it again.
  MoveTo(200, 200);
  EXPECT_EQ(Count(TRAYN_MOUSEENTER), 2);
  shell.cursor = {0, 500};
  ASSERT_TRUE(PumpUntil([&] { return Count(TRAYN_MOUSEEXIT) == 2; }));
}

TEST_F(MouseTest, CheckFindsTheCursorOnTheEdgeInside) {
  MoveTo(100, 100);
  MoveTo(110, 120);
  shell.cursor = {110, 120};
  Style().CheckMouseLeave();
  EXPECT_TRUE(Style().Inside());
  shell.cursor = {111, 120};
  Style().CheckMouseLeave();
  EXPECT_FALSE(Style().Inside());
  EXPECT_EQ(Count(TRAYN_MOUSEEXIT), 1);
}

TEST_F(MouseTest, DestroyingTheIconWhileThePollersCheckIsPendingEnds) {
  MoveTo(100, 100);
  // Wait, without serving it, until the poller has asked this thread for its
  // check; then destroy everything. The wait for the poller must not wait for
  // the check this thread will never run.
  DWORD start = ::GetTickCount();
  MSG msg;
  while (!::PeekMessageA(&msg, nullptr, WM_APP, 0xBFFF, PM_NOREMOVE)) {
    ASSERT_LT(::GetTickCount() - start, kGuardMs);
    ::Sleep(1);
  }
  icon.reset();
  PumpMessages();  // the stale request finds nobody
  SUCCEED();
}

// --- Clicks -----------------------------------------------------------------

TEST_F(MouseTest, SingleClickIsReportedWhenTheDoubleClickTimeHasPassed) {
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  EXPECT_TRUE(Clicks().empty());
  EXPECT_EQ(shell.timersSet, 1);
  EXPECT_TRUE(Style().ClickPending());
  TimerExpires();
  EXPECT_EQ(Clicks(), std::vector<WPARAM>{mbLeft});
  EXPECT_EQ(shell.timersKilled, 1);
  EXPECT_FALSE(Style().Marked(mbLeft));
  TimerExpires();
  EXPECT_EQ(Clicks().size(), 1u);
}

TEST_F(MouseTest, DoubleClickReportsNoClickAndTheOwnerSeesAButtonDownAfterIt) {
  Callback(WM_RBUTTONDOWN);
  Callback(WM_RBUTTONUP);
  Callback(WM_RBUTTONDBLCLK);
  Callback(WM_RBUTTONUP);
  PumpMessages();  // the button-down posted after the double-click
  TimerExpires();
  EXPECT_TRUE(Clicks().empty());
  ASSERT_GE(seen.size(), 5u);
  EXPECT_EQ(seen[2].first, static_cast<LPARAM>(WM_RBUTTONDBLCLK));
  EXPECT_EQ(seen[4].first, static_cast<LPARAM>(WM_RBUTTONDOWN));
  EXPECT_EQ(seen[4].second, static_cast<WPARAM>(-1));
  EXPECT_FALSE(Style().Marked(mbRight));
}

TEST_F(MouseTest, RepostedButtonDownMarksNothing) {
  Callback(WM_LBUTTONDOWN, static_cast<WPARAM>(-1));
  EXPECT_FALSE(Style().Marked(mbLeft));
  Callback(WM_LBUTTONUP);
  TimerExpires();
  EXPECT_TRUE(Clicks().empty());
}

TEST_F(MouseTest, LeftClickThenRightClickWithinDoubleClickTimeReportsOnlyTheLeft) {
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  Callback(WM_RBUTTONDOWN);
  Callback(WM_RBUTTONUP);
  EXPECT_EQ(shell.timersSet, 1);
  TimerExpires();
  EXPECT_EQ(Clicks(), std::vector<WPARAM>{mbLeft});
  EXPECT_TRUE(Style().Marked(mbRight));
  // A later release starts a timer whose expiry reports the right button.
  Callback(WM_RBUTTONUP);
  TimerExpires();
  EXPECT_EQ(Clicks(), (std::vector<WPARAM>{mbLeft, mbRight}));
}

TEST_F(MouseTest, WithoutDiscriminationClickComesAtOnceBeforeTheRelease) {
  Style().SetCheckSingleDoubleClick(false);
  Callback(WM_MBUTTONDOWN);
  Callback(WM_MBUTTONUP);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1], std::make_pair(TRAYN_CLICK, static_cast<WPARAM>(mbMiddle)));
  EXPECT_EQ(seen[2].first, static_cast<LPARAM>(WM_MBUTTONUP));
  EXPECT_EQ(shell.timersSet, 0);
}

TEST_F(MouseTest, WithoutDiscriminationDoubleClickGivesOneClick) {
  Style().SetCheckSingleDoubleClick(false);
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  Callback(WM_LBUTTONDBLCLK);
  Callback(WM_LBUTTONUP);
  PumpMessages();
  Callback(WM_LBUTTONUP);
  EXPECT_EQ(Clicks(), std::vector<WPARAM>{mbLeft});
}

TEST_F(MouseTest, AnotherTimerOnTheWindowNeitherStopsNorFiresTheClick) {
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  ::SendMessageA(icon->Handle(), WM_TIMER, ClickTimerId + 1, 0);
  EXPECT_TRUE(Clicks().empty());
  EXPECT_EQ(shell.timersKilled, 0);
  EXPECT_TRUE(Style().ClickPending());
  TimerExpires();
  EXPECT_EQ(Clicks(), std::vector<WPARAM>{mbLeft});
}

TEST_F(MouseTest, FailedTimerLeavesTheButtonMarkedUntilALaterRelease) {
  shell.timerFails = true;
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  EXPECT_FALSE(Style().ClickPending());
  EXPECT_TRUE(Style().Marked(mbLeft));
  shell.timerFails = false;
  Callback(WM_LBUTTONUP);
  TimerExpires();
  EXPECT_EQ(Clicks(), std::vector<WPARAM>{mbLeft});
}

TEST_F(MouseTest, RealClickTimerExpiresThroughTheWindowProcedure) {
  // The one test with the system's timer: its expiry reaches TrayWndProc as
  // the timer procedure.
  TShellSeam real;
  TShellSeamScope realTimer(real);
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  ASSERT_TRUE(Style().ClickPending());
  ASSERT_TRUE(PumpUntil([&] { return !Clicks().empty(); }));
  EXPECT_EQ(Clicks(), std::vector<WPARAM>{mbLeft});
}

// --- Tooltip colours --------------------------------------------------------

namespace {

struct ToolTipWindow {
  toolkit::WindowHandle wnd;
  ToolTipWindow() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    wnd.reset(::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr));
  }
  COLORREF Back() const { return static_cast<COLORREF>(::SendMessageA(wnd.get(), TTM_GETTIPBKCOLOR, 0, 0)); }
  COLORREF Text() const { return static_cast<COLORREF>(::SendMessageA(wnd.get(), TTM_GETTIPTEXTCOLOR, 0, 0)); }
  void Paint(COLORREF back, COLORREF text) {
    ::SendMessageA(wnd.get(), TTM_SETTIPBKCOLOR, back, 0);
    ::SendMessageA(wnd.get(), TTM_SETTIPTEXTCOLOR, text, 0);
  }
};

}  // namespace

TEST_F(MouseTest, OwnColoursWhileInsideAndSystemColoursAfterExit) {
  ToolTipWindow tip;
  ASSERT_TRUE(tip.wnd);
  TToolTipStyle& style = *icon->ToolTipStyle();
  style.SetToolTipWnd(tip.wnd.get());
  style.SetUseDefault(false);
  style.SetBackGroundColor(RGB(1, 2, 3));
  style.SetTextColor(RGB(4, 5, 6));
  MoveTo(100, 100);
  EXPECT_EQ(tip.Back(), RGB(1, 2, 3));
  EXPECT_EQ(tip.Text(), RGB(4, 5, 6));
  shell.cursor = {500, 500};
  style.CheckMouseLeave();
  EXPECT_EQ(tip.Back(), ::GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(tip.Text(), ::GetSysColor(COLOR_INFOTEXT));
}

TEST_F(MouseTest, DefaultStyleLeavesColoursAloneButDestructionRestoresThem) {
  ToolTipWindow tip;
  ASSERT_TRUE(tip.wnd);
  icon->ToolTipStyle()->SetToolTipWnd(tip.wnd.get());
  tip.Paint(RGB(7, 8, 9), RGB(10, 11, 12));
  MoveTo(100, 100);
  shell.cursor = {500, 500};
  Style().CheckMouseLeave();
  EXPECT_EQ(tip.Back(), RGB(7, 8, 9));
  EXPECT_EQ(tip.Text(), RGB(10, 11, 12));
  icon.reset();
  EXPECT_EQ(tip.Back(), ::GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(tip.Text(), ::GetSysColor(COLOR_INFOTEXT));
}

TEST(ToolTipStyle, SystemTextColourIsResolvedBeforeItReachesTheTooltip) {
  ToolTipWindow tip;
  ASSERT_TRUE(tip.wnd);
  FakeShell shell;
  TShellSeamScope scope(shell);
  TToolTipStyle style;
  style.SetToolTipWnd(tip.wnd.get());
  style.SetUseDefault(false);
  ASSERT_EQ(style.TextColor(), clWindowText);
  TMessage move = {WM_TRAYICON, 1, WM_MOUSEMOVE, 0};
  style.TrackMessage(move);
  EXPECT_EQ(tip.Text(), ::GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(tip.Back(), RGB(0, 0, 0));
}

TEST(ToolTipStyle, AssignCopiesUseDefaultAndBackgroundButNotTextColourOrClicks) {
  TToolTipStyle source, target;
  source.SetUseDefault(false);
  source.SetBackGroundColor(RGB(1, 1, 1));
  source.SetTextColor(RGB(2, 2, 2));
  source.SetCheckSingleDoubleClick(false);
  target.Assign(source);
  EXPECT_FALSE(target.UseDefault());
  EXPECT_EQ(target.BackGroundColor(), RGB(1, 1, 1));
  EXPECT_EQ(target.TextColor(), clWindowText);
  EXPECT_TRUE(target.CheckSingleDoubleClick());
}

TEST(ToolTipStyle, ColoursByIndex) {
  TToolTipStyle style;
  style.SetColor(1, RGB(9, 9, 9));
  style.SetColor(2, RGB(8, 8, 8));
  style.SetColor(3, RGB(7, 7, 7));
  EXPECT_EQ(style.GetColor(1), RGB(9, 9, 9));
  EXPECT_EQ(style.BackGroundColor(), RGB(9, 9, 9));
  EXPECT_EQ(style.TextColor(), RGB(8, 8, 8));
  EXPECT_EQ(style.GetColor(3), 0);
}
