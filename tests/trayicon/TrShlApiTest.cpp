#include "trayicon/TrShlApi.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeShell.h"
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

// --- Retrying a timed-out add ----------------------------------------------

TEST_F(TrayIconTest, AddThatKeepsTimingOutRaisesChangeErrorAfterSixRetries) {
  auto icon = MakeIcon();
  shell.failAllWith = ERROR_TIMEOUT;
  try {
    icon->Show();
    FAIL() << "no error";
  } catch (const ENotifyIconError& e) {
    EXPECT_STREQ(e.what(), "タスクトレイのアイコンを変更できません。");
  }
  EXPECT_EQ(shell.sleeps, std::vector<DWORD>(6, 2000));
  EXPECT_EQ(shell.Count(NIM_ADD), 7);     // the first and one per retry
  EXPECT_EQ(shell.Count(NIM_MODIFY), 6);  // did the shell take it after all?
  EXPECT_FALSE(icon->Registered());
  EXPECT_FALSE(icon->Shown());
}

TEST_F(TrayIconTest, AddRefusedForAnotherReasonRaisesRegisterErrorAtOnce) {
  auto icon = MakeIcon();
  shell.failAllWith = ERROR_ACCESS_DENIED;
  try {
    icon->Show();
    FAIL() << "no error";
  } catch (const ENotifyIconError& e) {
    EXPECT_STREQ(e.what(), "タスクトレイにアイコンを登録できません。");
  }
  EXPECT_TRUE(shell.sleeps.empty());
  EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(TrayIconTest, TimedOutAddThatTheShellTookCountsAsAdded) {
  auto icon = MakeIcon();
  shell.results = {ERROR_TIMEOUT, 0};  // the add times out, the modify finds it
  EXPECT_TRUE(icon->Show());
  EXPECT_TRUE(icon->Registered());
  EXPECT_EQ(shell.sleeps.size(), 1u);
  EXPECT_EQ(shell.Count(NIM_ADD), 1);
}

TEST_F(TrayIconTest, RetriedAddSucceedsOnALaterAttempt) {
  auto icon = MakeIcon();
  // add, then (modify, add) twice failing by time-out, then the add succeeds
  shell.results = {ERROR_TIMEOUT, ERROR_TIMEOUT, ERROR_TIMEOUT,
                   ERROR_TIMEOUT, ERROR_TIMEOUT, ERROR_TIMEOUT, 0};
  EXPECT_TRUE(icon->Show());
  EXPECT_EQ(shell.sleeps.size(), 3u);
  EXPECT_EQ(shell.Count(NIM_ADD), 4);
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

TEST_F(TrayIconTest, ModifyNeverRaisesWhenTheReAddFails) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  shell.results = {ERROR_INVALID_WINDOW_HANDLE, ERROR_ACCESS_DENIED};
  EXPECT_FALSE(icon->Modify());
  EXPECT_FALSE(icon->Shown());
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

TEST_F(TrayIconTest, ReAddFailingAfterTaskbarRestartIsReported) {
  auto icon = MakeIcon();
  ASSERT_TRUE(icon->Show());
  std::string reported;
  SetTrayErrorHandler([&](const std::exception& e) { reported = e.what(); });
  shell.failAllWith = ERROR_ACCESS_DENIED;
  ::SendMessageA(icon->GetHandle(), TrayIconWinProcList->TaskbarCreatedMessage(), 0, 0);
  SetTrayErrorHandler(nullptr);
  EXPECT_EQ(reported, "タスクトレイにアイコンを登録できません。");
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

TEST(RealShell, AddModifyBalloonHideAndDeleteSucceed) {
  TTaskTrayIcon icon;
  ASSERT_TRUE(icon.IsShell5OrLater());
  icon.SetIconHandle(SomeIcon());
  icon.SetTip("VTY");
  ASSERT_TRUE(icon.Show());
  icon.SetTip("VTY monitor");
  EXPECT_TRUE(icon.Modify());
  EXPECT_TRUE(icon.ShowBalloon("通知", "追加 1 件", 1, bitInfo));
  EXPECT_TRUE(icon.Hide());
  EXPECT_TRUE(icon.Show());
  EXPECT_TRUE(icon.Delete());
  EXPECT_FALSE(icon.Registered());
}
