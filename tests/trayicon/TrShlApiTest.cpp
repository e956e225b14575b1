#include "trayicon/TrShlApi.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeShell.h"
#include "ShellTray.h"
#include "TestSupport.h"

using namespace trayicon;
using traytest::FakeShell;
using traytest::NotifyCall;

namespace {

constexpr DWORD kOldShell = (4u << 16) | 72;  // 4.72

HICON SomeIcon() { return ::LoadIconA(nullptr, IDI_APPLICATION); }

// Each test has its own fake shell, in force before the icon is made.
class TrayIconTest : public ::testing::Test {
protected:
  FakeShell shell;
  TShellSeamScope scope{shell};

  std::unique_ptr<TTaskTrayIcon> MakeIcon(DWORD version = 6u << 16, bool withIcon = true) {
    shell.version = version;
    auto icon = std::make_unique<TTaskTrayIcon>();
    if (withIcon) icon->SetIconHandle(SomeIcon());
    return icon;
  }
};

// Records the Msg of every message the owner sees.
struct Recorder {
  std::vector<UINT> msgs;
  std::vector<std::pair<WPARAM, LPARAM>> trayIcon;
  void Attach(TTaskTrayIcon& icon) {
    icon.OnMessage = [this](TMessage& m) {
      msgs.push_back(m.Msg);
      if (m.Msg == WM_TRAYICON) trayIcon.push_back({m.WParam, m.LParam});
    };
  }
  bool Saw(UINT msg) const {
    for (UINT m : msgs)
      if (m == msg) return true;
    return false;
  }
};

}  // namespace

// --- Adding, hiding and deleting -------------------------------------------

TEST_F(TrayIconTest, ShowWithoutIconMakesNoShellCall) {
  auto icon = MakeIcon(6u << 16, false);
  EXPECT_FALSE(icon->Show());
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_FALSE(icon->Registered());
}

TEST_F(TrayIconTest, ShowWhileShownMakesNoShellCall) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_TRUE(icon->Show());
  EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(TrayIconTest, AddCarriesTheSecondFormOfTheRecord) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  const NOTIFYICONDATAA& d = shell.calls[0].data;
  EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(d.cbSize, 488u);
  EXPECT_EQ(d.hWnd, icon->Handle());
  EXPECT_EQ(d.uID, 1u);
  EXPECT_EQ(d.uFlags, 7u);
  EXPECT_EQ(d.uCallbackMessage, 1224u);
  EXPECT_EQ(d.dwState, static_cast<DWORD>(NIS_SHAREDICON));
  EXPECT_EQ(d.dwStateMask, 0u);
}

TEST_F(TrayIconTest, HideThenShowOnShell5ChangesStateAndNeverAddsAgain) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(icon->Hide());
    EXPECT_TRUE(icon->Registered());
    EXPECT_FALSE(icon->Shown());
    const NotifyCall& hide = shell.calls.back();
    EXPECT_EQ(hide.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(hide.data.uFlags, static_cast<UINT>(NIF_STATE));
    EXPECT_EQ(hide.data.dwState, static_cast<DWORD>(NIS_HIDDEN));
    EXPECT_EQ(hide.data.dwStateMask, 3u);

    ASSERT_TRUE(icon->Show());
    const NotifyCall& show = shell.calls.back();
    EXPECT_EQ(show.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(show.data.uFlags, 7u | NIF_STATE);
    EXPECT_EQ(show.data.dwState, 0u);
    EXPECT_EQ(show.data.dwStateMask, 3u);
  }
  EXPECT_EQ(shell.Count(NIM_ADD), 1);
  EXPECT_EQ(shell.Count(NIM_DELETE), 0);
}

TEST_F(TrayIconTest, OlderShellHidesByDeletingAndShowsByAdding) {
  auto icon = MakeIcon(kOldShell);
  ASSERT_TRUE(icon->Show());
  EXPECT_EQ(shell.calls[0].data.cbSize, 88u);
  ASSERT_TRUE(icon->Hide());
  EXPECT_FALSE(icon->Registered());
  ASSERT_TRUE(icon->Show());
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(shell.calls[2].message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(TrayIconTest, HideOrDeleteOfAnIconNeverAddedAsksNothing) {
  auto icon = MakeIcon();
  EXPECT_TRUE(icon->Hide());
  EXPECT_TRUE(icon->Delete());
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, FailedDeleteStillForgetsTheIcon) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  shell.results = {ERROR_INVALID_WINDOW_HANDLE};
  EXPECT_FALSE(icon->Delete());
  EXPECT_FALSE(icon->Registered());
  EXPECT_FALSE(icon->Shown());
}

TEST_F(TrayIconTest, DestructionDeletesTheIcon) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  icon.reset();
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_DELETE));
}

// --- An add the shell does not take ----------------------------------------

TEST_F(TrayIconTest, RefusedAddAsksWhetherTheShellHasTheIconThenWaitsWithoutAWord) {
  auto icon = MakeIcon();
  std::vector<std::string> reported;
  SetTrayErrorHandler([&](const std::exception& e) { reported.push_back(e.what()); });
  shell.failAllWith = ERROR_ACCESS_DENIED;
  EXPECT_FALSE(icon->Show());
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
  const NotifyCall& found = shell.calls[1];
  EXPECT_EQ(found.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(found.data.uFlags, 7u | NIF_STATE);  // found, it is also shown
  EXPECT_EQ(found.data.dwState, 0u);
  EXPECT_EQ(found.data.dwStateMask, 3u);
  EXPECT_TRUE(icon->AddPending());
  EXPECT_FALSE(icon->Registered());
  EXPECT_EQ(shell.timersSet, 1);
  SetTrayErrorHandler(nullptr);
  EXPECT_TRUE(reported.empty());
}

TEST_F(TrayIconTest, AddThatTheShellTookAfterAllCountsAsAdded) {
  for (DWORD addError : {static_cast<DWORD>(ERROR_TIMEOUT), static_cast<DWORD>(E_FAIL)}) {
    auto icon = MakeIcon();
    shell.calls.clear();
    shell.results = {addError, 0};  // the add fails, the modify finds the icon
    EXPECT_TRUE(icon->Show());
    EXPECT_TRUE(icon->Registered());
    EXPECT_FALSE(icon->AddPending());
    EXPECT_EQ(shell.Count(NIM_ADD), 1);
    EXPECT_EQ(shell.Count(NIM_MODIFY), 1);
  }
  EXPECT_EQ(shell.timersSet, 0);
}

TEST_F(TrayIconTest, WaitingIconIsTriedOnItsTimerUntilTheShellTakesIt) {
  auto icon = MakeIcon();
  shell.failAllWith = ERROR_TIMEOUT;
  ASSERT_FALSE(icon->Show());
  ::SendMessageA(icon->Handle(), WM_TIMER, AddRetryTimerId, 0);
  ::SendMessageA(icon->Handle(), WM_TIMER, AddRetryTimerId, 0);
  EXPECT_EQ(shell.Count(NIM_ADD), 3);
  EXPECT_TRUE(icon->AddPending());
  EXPECT_EQ(shell.timersSet, 1);  // one timer for the whole wait

  shell.failAllWith = 0;
  ::SendMessageA(icon->Handle(), WM_TIMER, AddRetryTimerId, 0);
  EXPECT_TRUE(icon->Shown());
  EXPECT_FALSE(icon->AddPending());
  EXPECT_EQ(shell.timersKilled, 1);
  size_t calls = shell.calls.size();
  ::SendMessageA(icon->Handle(), WM_TIMER, AddRetryTimerId, 0);  // one already queued
  EXPECT_EQ(shell.calls.size(), calls);
}

TEST_F(TrayIconTest, IconStillMissingAfterTheGracePeriodIsReportedOnceInItsLife) {
  auto icon = MakeIcon();
  std::vector<std::string> reported;
  SetTrayErrorHandler([&](const std::exception& e) { reported.push_back(e.what()); });
  auto tick = [&] { ::SendMessageA(icon->Handle(), WM_TIMER, AddRetryTimerId, 0); };
  shell.now = 0xFFFFF000u;  // the tick count wraps during the wait
  shell.failAllWith = E_FAIL;
  ASSERT_FALSE(icon->Show());
  shell.now += AddGracePeriod - 1;
  tick();
  EXPECT_TRUE(reported.empty());
  shell.now += 1;
  tick();
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "タスクトレイにアイコンを登録できません。");
  shell.now += AddGracePeriod;
  tick();
  EXPECT_EQ(reported.size(), 1u);
  EXPECT_TRUE(icon->AddPending());  // still trying, quietly

  // Added at last, then lost for good with a new taskbar: no second box.
  shell.failAllWith = 0;
  tick();
  ASSERT_TRUE(icon->Shown());
  shell.failAllWith = E_FAIL;
  ::SendMessageA(icon->Handle(), TrayIconWinProcList->TaskbarCreatedMessage(), 0, 0);
  ASSERT_TRUE(icon->AddPending());
  shell.now += 2 * AddGracePeriod;
  tick();
  SetTrayErrorHandler(nullptr);
  EXPECT_EQ(reported.size(), 1u);
}

TEST_F(TrayIconTest, HidingOrDeletingAWaitingIconEndsTheWait) {
  for (bool hide : {true, false}) {
    auto icon = MakeIcon();
    shell.failAllWith = E_FAIL;
    shell.timersKilled = 0;
    ASSERT_FALSE(icon->Show());
    size_t calls = shell.calls.size();
    EXPECT_TRUE(hide ? icon->Hide() : icon->Delete());
    EXPECT_FALSE(icon->AddPending());
    EXPECT_EQ(shell.timersKilled, 1);
    ::SendMessageA(icon->Handle(), WM_TIMER, AddRetryTimerId, 0);
    EXPECT_EQ(shell.calls.size(), calls);  // neither hidden nor deleted: nothing to ask
  }
}

TEST_F(TrayIconTest, ModifyOfAWaitingIconLeavesTheAskingToTheTimer) {
  auto icon = MakeIcon();
  shell.failAllWith = E_FAIL;
  ASSERT_FALSE(icon->Show());
  size_t calls = shell.calls.size();
  icon->SetTip("new tip");
  EXPECT_FALSE(icon->Modify());
  EXPECT_EQ(shell.calls.size(), calls);
  shell.failAllWith = 0;
  ::SendMessageA(icon->Handle(), WM_TIMER, AddRetryTimerId, 0);
  ASSERT_TRUE(icon->Shown());
  EXPECT_STREQ(shell.calls.back().data.szTip, "new tip");
}

// --- Modify -----------------------------------------------------------------

TEST_F(TrayIconTest, ModifyOfAnIconTheShellLostAddsItAgain) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  shell.results = {ERROR_INVALID_WINDOW_HANDLE};
  EXPECT_TRUE(icon->Modify());
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.calls[2].message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(TrayIconTest, TimedOutModifyIsLeftAlone) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  shell.results = {ERROR_TIMEOUT};
  EXPECT_TRUE(icon->Modify());
  EXPECT_EQ(shell.Count(NIM_ADD), 1);
}

TEST_F(TrayIconTest, ModifyNeverRaisesWhenTheReAddFailsAndTheIconWaits) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  shell.results = {ERROR_INVALID_WINDOW_HANDLE, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED};
  EXPECT_FALSE(icon->Modify());
  EXPECT_FALSE(icon->Shown());
  EXPECT_TRUE(icon->AddPending());
}

TEST_F(TrayIconTest, ModifyOfAnIconNotShownAddsIt) {
  auto icon = MakeIcon();
  EXPECT_TRUE(icon->Modify());
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
}

// --- Tip and balloon fields -------------------------------------------------

TEST_F(TrayIconTest, LongTipIsCutTo127BytesOnShell5) {
  auto icon = MakeIcon();
  icon->SetTip(std::string(200, 'x'));
  EXPECT_EQ(icon->Tip(), std::string(127, 'x'));
}

TEST_F(TrayIconTest, LongTipIsCutTo63BytesOnOlderShell) {
  auto icon = MakeIcon(kOldShell);
  icon->SetTip(std::string(200, 'x'));
  EXPECT_EQ(icon->Tip(), std::string(63, 'x'));
}

TEST_F(TrayIconTest, LineBreakInTipBecomesSpaceOnlyOnOlderShell) {
  auto newer = MakeIcon();
  newer->SetTip("Vantry\r\nmonitor");
  EXPECT_EQ(newer->Tip(), "Vantry\r\nmonitor");
  auto older = MakeIcon(kOldShell);
  older->SetTip("Vantry\r\nmonitor");
  EXPECT_EQ(older->Tip(), "Vantry monitor");
}

TEST_F(TrayIconTest, TipEndsAtItsFirstZeroByteAndEmptyTipEmptiesTheField) {
  auto icon = MakeIcon();
  icon->SetTip(std::string("VTY\0rest", 8));
  EXPECT_EQ(icon->Tip(), "VTY");
  icon->SetTip("");
  EXPECT_EQ(icon->Tip(), "");
}

TEST_F(TrayIconTest, DoubleByteCharacterAtTheCutIsLeftOutWhole) {
  auto icon = MakeIcon();
  // 126 bytes, then a two-byte character that would end at byte 128.
  icon->SetTip(std::string(126, 'x') + "監視");
  EXPECT_EQ(icon->Tip(), std::string(126, 'x'));
  icon->SetTip(std::string(125, 'x') + "監視");
  EXPECT_EQ(icon->Tip(), std::string(125, 'x') + "監");
}

TEST_F(TrayIconTest, BalloonFieldsAreCutToTheirSizes) {
  auto icon = MakeIcon();
  icon->SetBalloonTitle(std::string(100, 't'));
  icon->SetBalloonText(std::string(300, 'b'));
  EXPECT_EQ(icon->BalloonTitle(), std::string(63, 't'));
  EXPECT_EQ(icon->BalloonText(), std::string(255, 'b'));
  icon->SetBalloonText("");
  EXPECT_EQ(icon->BalloonText(), "");
}

TEST_F(TrayIconTest, BalloonIconReadsNoneAfterTheNextAdd) {
  auto icon = MakeIcon();
  icon->SetBalloonIcon(bitWarning);
  EXPECT_EQ(icon->BalloonIcon(), bitWarning);
  EXPECT_EQ(icon->IconData().dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
  ASSERT_TRUE(icon->Show());
  EXPECT_EQ(icon->BalloonIcon(), bitNone);
}

TEST_F(TrayIconTest, ShowBalloonOnOlderShellStoresNothing) {
  auto icon = MakeIcon(kOldShell);
  ASSERT_TRUE(icon->Show());
  icon->SetBalloonTitle("old title");
  EXPECT_FALSE(icon->ShowBalloon("通知", "text", 1, bitInfo));
  EXPECT_EQ(icon->BalloonTitle(), "old title");
  EXPECT_EQ(icon->BalloonText(), "");
  EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(TrayIconTest, ShowBalloonWhileHiddenStoresAndSendsNothing) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  ASSERT_TRUE(icon->Hide());
  size_t before = shell.calls.size();
  EXPECT_FALSE(icon->ShowBalloon("通知", "追加 1", 1, bitError));
  EXPECT_EQ(shell.calls.size(), before);
  EXPECT_EQ(icon->BalloonTitle(), "通知");
  EXPECT_EQ(icon->BalloonText(), "追加 1");
  EXPECT_EQ(icon->BalloonIcon(), bitError);
}

TEST_F(TrayIconTest, ShowBalloonClearsTheOldOneThenSendsAndLaterModifiesDoNotRepeatIt) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  EXPECT_TRUE(icon->ShowBalloon("通知", "追加 2", 1, bitInfo));
  ASSERT_EQ(shell.calls.size(), 3u);
  const NOTIFYICONDATAA& clear = shell.calls[1].data;
  EXPECT_EQ(clear.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_STREQ(clear.szInfo, "");
  const NOTIFYICONDATAA& send = shell.calls[2].data;
  EXPECT_EQ(send.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_STREQ(send.szInfo, "追加 2");
  EXPECT_STREQ(send.szInfoTitle, "通知");
  EXPECT_EQ(send.uTimeout, 1u);
  EXPECT_EQ(send.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));

  EXPECT_TRUE(icon->Modify());
  EXPECT_EQ(shell.calls.back().data.uFlags, 7u);
  EXPECT_EQ(icon->BalloonText(), "追加 2");
}

// --- Taskbar re-created -----------------------------------------------------

TEST_F(TrayIconTest, RecreatedTaskbarReAddsVisibleIconAndTellsOwnerTwice) {
  auto icon = MakeIcon();
  Recorder owner;
  owner.Attach(*icon);
  ASSERT_TRUE(icon->Show());
  UINT created = TrayIconWinProcList->TaskbarCreatedMessage();
  ASSERT_NE(created, 0u);
  owner.msgs.clear();
  ::SendMessageA(icon->GetHandle(), created, 0, 0);
  EXPECT_EQ(shell.Count(NIM_ADD), 2);
  EXPECT_TRUE(icon->Shown());
  EXPECT_EQ(owner.msgs, (std::vector<UINT>{WM_TRAYRESTART, created}));
}

TEST_F(TrayIconTest, RecreatedTaskbarForgetsHiddenIconUntilNextShow) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  ASSERT_TRUE(icon->Hide());
  ::SendMessageA(icon->GetHandle(), TrayIconWinProcList->TaskbarCreatedMessage(), 0, 0);
  EXPECT_FALSE(icon->Registered());
  EXPECT_EQ(shell.Count(NIM_ADD), 1);
  ASSERT_TRUE(icon->Show());
  EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_ADD));
}

// --- Routing ----------------------------------------------------------------

TEST_F(TrayIconTest, TwoIconsHaveTheirOwnWindowsAndNeverSeeEachOthersMessages) {
  auto a = MakeIcon();
  auto b = MakeIcon();
  Recorder ra, rb;
  ra.Attach(*a);
  rb.Attach(*b);
  ASSERT_NE(a->GetHandle(), b->GetHandle());
  ::SendMessageA(a->GetHandle(), WM_USER + 5, 0, 0);
  ::SendMessageA(b->GetHandle(), WM_USER + 6, 0, 0);
  EXPECT_TRUE(ra.Saw(WM_USER + 5));
  EXPECT_FALSE(ra.Saw(WM_USER + 6));
  EXPECT_TRUE(rb.Saw(WM_USER + 6));
  EXPECT_FALSE(rb.Saw(WM_USER + 5));
}

TEST_F(TrayIconTest, OwnersResultIsWhatTheWindowReturns) {
  auto icon = MakeIcon();
  icon->OnMessage = [](TMessage& m) {
    if (m.Msg == WM_QUERYENDSESSION) m.Result = 1;
  };
  EXPECT_EQ(::SendMessageA(icon->GetHandle(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(::SendMessageA(icon->GetHandle(), WM_USER + 9, 0, 0), 0);
}

TEST_F(TrayIconTest, WithoutOwnerTheWindowGetsDefaultProcessing) {
  auto icon = MakeIcon();
  ::SetWindowTextA(icon->GetHandle(), "named");
  char text[16] = {};
  ::GetWindowTextA(icon->GetHandle(), text, sizeof text);
  EXPECT_STREQ(text, "named");
}

TEST_F(TrayIconTest, LastIconGoneUnregistersTheClassAndNextOneRegistersItAgain) {
  WNDCLASSA wc;
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  auto first = MakeIcon();
  auto second = MakeIcon();
  EXPECT_TRUE(::GetClassInfoA(instance, "TaskTrayHandle", &wc));
  first.reset();
  EXPECT_TRUE(::GetClassInfoA(instance, "TaskTrayHandle", &wc));
  ASSERT_NE(TrayIconWinProcList, nullptr);
  second.reset();
  EXPECT_EQ(TrayIconWinProcList, nullptr);
  EXPECT_FALSE(::GetClassInfoA(instance, "TaskTrayHandle", &wc));

  auto third = MakeIcon();
  EXPECT_TRUE(::GetClassInfoA(instance, "TaskTrayHandle", &wc));
  ASSERT_NE(TrayIconWinProcList, nullptr);
  EXPECT_EQ(TrayIconWinProcList->TaskbarCreatedMessage(),
            ::RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_NE(third->GetHandle(), nullptr);
}

TEST_F(TrayIconTest, ErrorInOwnersHandlerGoesToTheErrorHandlerNotThroughTheSystem) {
  auto icon = MakeIcon();
  std::string reported;
  SetTrayErrorHandler([&](const std::exception& e) { reported = e.what(); });
  icon->OnMessage = [](TMessage& m) {
    if (m.Msg == WM_USER + 7) throw std::runtime_error("handler failed");
  };
  ::SendMessageA(icon->GetHandle(), WM_USER + 7, 0, 0);
  SetTrayErrorHandler(nullptr);
  EXPECT_EQ(reported, "handler failed");
}

TEST_F(TrayIconTest, ReAddFailingAfterTaskbarRestartWaitsQuietly) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  std::vector<std::string> reported;
  SetTrayErrorHandler([&](const std::exception& e) { reported.push_back(e.what()); });
  shell.failAllWith = ERROR_ACCESS_DENIED;
  ::SendMessageA(icon->GetHandle(), TrayIconWinProcList->TaskbarCreatedMessage(), 0, 0);
  SetTrayErrorHandler(nullptr);
  EXPECT_TRUE(reported.empty());
  EXPECT_TRUE(icon->AddPending());
}

// Windows sends "TaskbarCreated" in other cases than a new taskbar too; the shell
// then still has the icon and refuses to add it a second time.
TEST_F(TrayIconTest, TaskbarCreatedWhileTheShellKeptTheIconFindsItAndKeepsBalloonsAndDelete) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  shell.results = {static_cast<DWORD>(E_FAIL), 0};  // the add: there already; the modify: found
  ::SendMessageA(icon->GetHandle(), TrayIconWinProcList->TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(icon->Shown());
  EXPECT_TRUE(icon->Registered());
  EXPECT_FALSE(icon->AddPending());
  EXPECT_TRUE(icon->ShowBalloon("通知", "追加 1", 1, bitInfo));
  EXPECT_EQ(shell.calls.back().data.uFlags, static_cast<UINT>(NIF_INFO));
  icon.reset();
  EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayIconTest, TaskbarCreatedBringsAWaitingIconAtOnce) {
  auto icon = MakeIcon();
  Recorder owner;
  owner.Attach(*icon);
  shell.failAllWith = E_FAIL;
  ASSERT_FALSE(icon->Show());
  shell.failAllWith = 0;
  ::SendMessageA(icon->GetHandle(), TrayIconWinProcList->TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(icon->Shown());
  EXPECT_FALSE(icon->AddPending());
  EXPECT_TRUE(owner.Saw(WM_TRAYRESTART));
}

// --- Shell version ----------------------------------------------------------

TEST(ShellVersion, FileVersionTextGivesMajorAndMinor) {
  EXPECT_EQ(ParseFileVersionText("4.72.3110.6"), (4u << 16) | 72);
  EXPECT_EQ(ParseFileVersionText("6.00.2900.2180 (xpsp_sp2_rtm.040803-2158)"), 6u << 16);
  // One-digit minor and two-digit major read as what they are.
  EXPECT_EQ(ParseFileVersionText("6.1.7601.17514"), (6u << 16) | 1);
  EXPECT_EQ(ParseFileVersionText("10.0.19041.1"), 10u << 16);
}

TEST(ShellVersion, TextWithoutTwoNumbersGivesZero) {
  EXPECT_EQ(ParseFileVersionText(""), 0u);
  EXPECT_EQ(ParseFileVersionText("6"), 0u);
  EXPECT_EQ(ParseFileVersionText("v6.1"), 0u);
  EXPECT_EQ(ParseFileVersionText("6.x"), 0u);
}

TEST(ShellVersion, VersionResourceOfAFileIsRead) {
  // The helper program carries the program's own version resource, 1.0.0.0
  // under the Japanese translation.
  EXPECT_EQ(GetFileVersionOf(testsupport::TestBinDir() + "\\Sleeper.exe"), 1u << 16);
  EXPECT_EQ(GetFileVersionOf(testsupport::TestBinDir() + "\\no such file.dll"), 0u);
}

TEST(ShellVersion, SystemShellIsAtLeastVersion5) {
  EXPECT_GE(GetShellVersion(), ShellVersion5);
  EXPECT_GT(GetShellFileVersion(), 0u);
}

// --- The real shell of Wine -------------------------------------------------

// An icon on Wine's own notification area, with every error it would show caught.
class RealShell : public ::testing::Test {
protected:
  RealShell() {
    SetTrayErrorHandler([this](const std::exception& e) { reported.push_back(e.what()); });
    icon.SetIconHandle(SomeIcon());
  }
  ~RealShell() override { SetTrayErrorHandler(nullptr); }

  std::vector<std::string> reported;
  TTaskTrayIcon icon;
};

TEST_F(RealShell, AddModifyBalloonHideAndDeleteSucceed) {
  ASSERT_TRUE(icon.IsShell5OrLater());
  icon.SetTip("VTY");
  ASSERT_TRUE(icon.Show());
  icon.SetTip("VTY monitor");
  EXPECT_TRUE(icon.Modify());
  EXPECT_TRUE(icon.ShowBalloon("通知", "追加 1 件", 1, bitInfo));
  EXPECT_TRUE(icon.Hide());
  EXPECT_TRUE(icon.Show());
  EXPECT_TRUE(icon.Delete());
  EXPECT_FALSE(icon.Registered());
  EXPECT_TRUE(reported.empty());
}

// Windows sends "TaskbarCreated" in other cases than a new taskbar; Wine's shell
// then refuses the second add of an icon it still shows, as Windows does.
TEST_F(RealShell, TaskbarCreatedWhileTheIconIsThereKeepsItsBalloonsAndItsDelete) {
  ASSERT_TRUE(icon.Show());
  ASSERT_TRUE(testsupport::IconInTray(icon.Handle()));
  ::SendMessageA(icon.Handle(), testsupport::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(icon.Shown());
  EXPECT_TRUE(icon.ShowBalloon("通知", "追加 1 件", 1, bitInfo));
  EXPECT_TRUE(icon.Delete());
  // Gone by the delete, not by the end of its window, which still lives.
  EXPECT_FALSE(testsupport::IconInTray(icon.Handle()));
  EXPECT_TRUE(reported.empty());
}

TEST_F(RealShell, AnIconNoTrayTakesWaitsQuietlyAndComesWithTheTaskbar) {
  {
    testsupport::RefusingTray noTray;
    ASSERT_TRUE(noTray.InFront());
    EXPECT_FALSE(icon.Show());
    EXPECT_TRUE(icon.AddPending());
    EXPECT_EQ(noTray.Refused(), 2);  // the add, and the modify asking for it
  }
  ::SendMessageA(icon.Handle(), testsupport::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(icon.Shown());
  EXPECT_TRUE(testsupport::IconInTray(icon.Handle()));
  EXPECT_TRUE(reported.empty());
}

TEST_F(RealShell, AnIconNoTrayTookComesOnItsTimerWithoutTaskbarCreated) {
  {
    testsupport::RefusingTray noTray;
    ASSERT_TRUE(noTray.InFront());
    ASSERT_FALSE(icon.Show());
    testsupport::PumpFor(AddRetryPeriod + 500);  // a try refused on the timer
    EXPECT_GE(noTray.Refused(), 4);
    EXPECT_TRUE(icon.AddPending());
  }
  EXPECT_TRUE(testsupport::PumpUntil([&] { return icon.Shown(); }, AddRetryPeriod + 3000));
  EXPECT_TRUE(testsupport::IconInTray(icon.Handle()));
  EXPECT_TRUE(reported.empty());
}
