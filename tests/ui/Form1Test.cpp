// The main window under Wine, with the notification area's shell replaced so the
// balloons can be read: the monitoring cycle, the notice, the three states and
// the context-menu commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "TestSupport.h"
#include "TestTables.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Application.h"
#include "MainWindow.h"
#include "store/JournalSamples.h"

using testsupport::ChildProcess;
using testsupport::TempDir;

using Window = testsupport::MainWindow;

namespace {

void AddProgram(TForm1& f, const std::string& name, const std::string& path) {
  testsupport::AddProgram(f.Tables, name, path);
}

bool Alive(HANDLE process) { return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

}  // namespace

// --- The cycle and its notice ---

TEST(MonitoringCycle, NothingChangedStillAsksForABalloonWithAnEmptyText) {
  Window w;
  w.form->CheckBox1.SetChecked(true);
  w.form->Button1Click();
  w.form->Button2Click();
  w.form->Button2Click();  // the same table again: nothing new
  std::vector<std::string> balloons = w.Balloons();
  ASSERT_FALSE(balloons.empty());
  EXPECT_EQ("", balloons.back());
  EXPECT_EQ(0, w.form->AddedCount);
  EXPECT_EQ(0, w.form->UpdatedCount);
}

TEST(MonitoringCycle, WithTheNoticeOffNoBalloonIsAskedFor) {
  Window w;
  TempDir other;
  ChildProcess child(other.path(), "new-program.exe");
  w.form->Timer1Timer();
  EXPECT_GE(w.form->AddedCount, 1);
  EXPECT_TRUE(w.Balloons().empty());
}

// Other test programs start processes meanwhile, so exact counts come from a table
// the test fills itself and "比較", which takes no snapshot.
TEST(MonitoringCycle, TheNoticeCountsAdditions) {
  Window w;
  w.form->CheckBox1.SetChecked(true);
  w.form->ListView1.Clear();
  testsupport::AddProcess(w.form->Tables, "noticed.exe", w.dir.file("noticed.exe"));
  w.form->Button2Click();
  ASSERT_FALSE(w.Balloons().empty());
  EXPECT_EQ("　追加：1　", w.Balloons().back());
}

TEST(MonitoringCycle, DeletionsAreReportedOnlyWithTheDeletionCheckOn) {
  Window w;
  w.form->CheckBox1.SetChecked(true);
  w.form->ListView1.Clear();
  w.form->ListView2.Clear();  // the seeded list may hold other tests' programs, gone by now
  AddProgram(*w.form, "gone.exe", w.dir.file("gone.exe"));
  w.form->Button2Click();
  EXPECT_EQ("", w.Balloons().back());
  EXPECT_EQ(0, w.form->DeletedCount);
  w.form->CheckBox5.SetChecked(true);
  size_t balloons = w.Balloons().size();
  w.form->Button2Click();
  // The notice waits for the check's findings.
  EXPECT_EQ(balloons, w.Balloons().size());
  w.FinishCheck();
  EXPECT_EQ("　削除：1　", w.Balloons().back());
  // The timed cycle takes the same path.
  AddProgram(*w.form, "gone-too.exe", w.dir.file("gone-too.exe"));
  w.form->Timer1Timer();
  EXPECT_EQ(0, w.cycles);
  w.FinishCheck();
  EXPECT_EQ(1, w.cycles);
  EXPECT_NE(std::string::npos, w.Balloons().back().find("　削除："));
}

TEST(MonitoringCycle, ComparingTwiceWithoutARefreshFindsNothingNew) {
  Window w;
  TempDir other;
  ChildProcess child(other.path(), "compared.exe");
  w.form->Button1Click();
  w.form->Button2Click();
  EXPECT_GE(w.form->AddedCount, 1);
  w.form->Button2Click();
  EXPECT_EQ(0, w.form->AddedCount);
  EXPECT_EQ(0, w.form->UpdatedCount);
}

TEST(MonitoringCycle, ManyCyclesKeepOneIdentifierPerRow) {
  Window w;
  TempDir other;
  for (int i = 0; i < 5; ++i) {
    ChildProcess child(other.path(), "short-lived" + std::to_string(i) + ".exe");
    w.form->Timer1Timer();
    ASSERT_EQ(w.form->ListView1.Count(), w.form->ListBox1.Count());
  }
  EXPECT_GT(w.form->ListView1.Count(), 0);
}

TEST(DeletionCheckButton, AnnouncesOnlyTheDeletedCount) {
  Window w;
  w.form->CheckBox1.SetChecked(true);
  AddProgram(*w.form, "a.exe", w.dir.file("a.exe"));
  AddProgram(*w.form, "b.exe", w.dir.file("b.exe"));
  w.form->Button4Click();
  w.FinishCheck();
  EXPECT_EQ(2, w.form->DeletedCount);
  EXPECT_EQ("　削除：2　", w.Balloons().back());
}

// While a check runs, what changes the process list waits and then runs in the
// order it came, as it would have behind a check that held the thread: the log
// and the notices keep their order, and ticks do not pile up.
TEST(DeletionCheckButton, WhatComesWhileACheckRunsWaitsForItInOrder) {
  Window w;
  w.form->CheckBox1.SetChecked(true);
  w.form->CheckBox5.SetChecked(true);
  w.form->ListView1.Clear();
  w.form->ListView2.Clear();
  w.form->ListView3.Clear();
  testsupport::WriteFileBytes(w.dir.file("noticed.exe"), "x");
  testsupport::AddProcess(w.form->Tables, "noticed.exe", w.dir.file("noticed.exe"));
  AddProgram(*w.form, "a.exe", w.dir.file("a.exe"));
  AddProgram(*w.form, "b.exe", w.dir.file("b.exe"));
  w.form->Button4Click();
  w.form->Button2Click();
  w.form->Timer1Timer();
  w.form->Timer1Timer();
  EXPECT_EQ(0, w.form->ListView3.Count());  // nothing ran yet
  w.FinishCheck();
  EXPECT_TRUE(w.errors.empty());
  EXPECT_EQ(1, w.cycles);
  // Each notice takes the one before it down with an empty text first.
  std::vector<std::string> shown = w.Balloons();
  shown.erase(std::remove(shown.begin(), shown.end(), ""), shown.end());
  ASSERT_EQ(3u, shown.size()) << ::testing::PrintToString(shown);
  EXPECT_EQ("　削除：2　", shown[0]);
  EXPECT_EQ("　追加：1　", shown[1]);
  ASSERT_GE(w.form->ListView3.Count(), 3);
  EXPECT_EQ("b.exe", w.form->ListView3.Cell(0, monitor::kLogName));
  EXPECT_EQ("a.exe", w.form->ListView3.Cell(1, monitor::kLogName));
  EXPECT_EQ("noticed.exe", w.form->ListView3.Cell(2, monitor::kLogName));
}

// The window is shown while a tick waits: the cycles have stopped, and so has
// the one that waited.
TEST(DeletionCheckButton, ATickThatWaitsIsDroppedWhenTheWindowIsShown) {
  Window w;
  AddProgram(*w.form, "a.exe", w.dir.file("a.exe"));
  w.form->Button4Click();
  w.form->Timer1Timer();
  w.form->Resize1();
  w.FinishCheck();
  EXPECT_EQ(0, w.cycles);
  EXPECT_EQ(1, w.form->DeletedCount);
}

// A close, or the end of the session, during a check saves at once; the findings
// that had not come are never applied, neither before the save nor after it.
TEST(DeletionCheckButton, TheEndDuringACheckSavesAtOnceWithoutItsFindings) {
  for (bool sessionEnd : {false, true}) {
    Window w;
    w.form->ListView2.Clear();
    for (int i = 0; i < 300; ++i)
      AddProgram(*w.form, "p" + std::to_string(i) + ".exe", w.dir.file("gone\\p.exe"));
    w.form->Button4Click();
    if (sessionEnd) ::SendMessageA(w.form->Handle(), WM_ENDSESSION, TRUE, 0);
    else w.form->FormDestroy();
    EXPECT_FALSE(w.form->DeletionCheck.Running());
    testsupport::PumpFor(300);
    EXPECT_EQ(300, w.form->ListView2.Count());
    EXPECT_EQ(0, w.form->DeletedCount);
    std::string list = testsupport::ReadFileBytes(w.dir.file("ProcessList.dat"));
    EXPECT_NE(std::string::npos, list.find("p299.exe\r\n"));
    EXPECT_EQ(std::string::npos, testsupport::ReadFileBytes(w.dir.file("Log.dat")).find("削除"));
  }
}

// --- Layout ---

// The designed place (249, 129) would put the right edge, and the close box, at
// 1039 on the tests' 1024x768 desktop: the window is moved in whole, not shrunk.
TEST(MainWindow, OpensMovedInsideTheWorkAreaAtItsDesignedSizeAndRefusesToShrinkBelowTheMinimum) {
  Window w;
  RECT rc;
  ::GetWindowRect(w.form->Handle(), &rc);
  RECT screen = testsupport::MonitorOf(w.form->Handle());
  ASSERT_EQ(1024, screen.right - screen.left);
  EXPECT_EQ(testsupport::WorkAreaOf(w.form->Handle()).right - 790, rc.left);
  EXPECT_EQ(129, rc.top);
  EXPECT_EQ(790, rc.right - rc.left);
  EXPECT_EQ(465, rc.bottom - rc.top);
  char caption[64] = {};
  ::GetWindowTextA(w.form->Handle(), caption, sizeof caption);
  EXPECT_STREQ("Vantry", caption);
  ::SetWindowPos(w.form->Handle(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  ::GetWindowRect(w.form->Handle(), &rc);
  EXPECT_EQ(720, rc.right - rc.left);  // wide enough for the filter box
  EXPECT_EQ(275, rc.bottom - rc.top);
}

TEST(MainWindow, TheListsGrowWithTheWindowAndTheSettingsStayPut) {
  Window w;
  RECT before, after, boxBefore, boxAfter;
  ::GetWindowRect(w.form->ListView2.Handle(), &before);
  ::GetWindowRect(w.form->Button6.Handle(), &boxBefore);
  ::SetWindowPos(w.form->Handle(), nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER);
  ::GetWindowRect(w.form->ListView2.Handle(), &after);
  ::GetWindowRect(w.form->Button6.Handle(), &boxAfter);
  EXPECT_EQ(110, (after.right - after.left) - (before.right - before.left));
  EXPECT_EQ(135, (after.bottom - after.top) - (before.bottom - before.top));
  EXPECT_EQ(boxBefore.left, boxAfter.left);
  EXPECT_EQ(boxBefore.top, boxAfter.top);
}

TEST(MainWindow, TheKeyboardVisitsTheTabsAndThenTheActivePage) {
  Window w;
  TForm1& f = *w.form;
  std::vector<HWND> expected = {f.Button1.Handle(), f.Button2.Handle(), f.Button3.Handle(),
                                f.PageControl1.Handle(), f.ListView1.Handle(),
                                f.Button4.Handle(), f.Button5.Handle()};
  std::vector<HWND> seen = {f.Button1.Handle()};
  for (HWND h = f.Button1.Handle(); seen.size() < expected.size();) {
    h = ::GetNextDlgTabItem(f.Handle(), h, FALSE);
    seen.push_back(h);
  }
  EXPECT_EQ(expected, seen);
  // The settings page's controls follow the tabs once it is the active page.
  f.PageControl1.SetActivePage(3);
  EXPECT_EQ(f.CheckBox3.Handle(), ::GetNextDlgTabItem(f.Handle(), f.PageControl1.Handle(), FALSE));
}

TEST(MainWindow, ThePagesTakeTheClicksInsideTheTabControl) {
  Window w;
  RECT rc;
  ::GetWindowRect(w.form->ListView2.Handle(), &rc);
  w.form->PageControl1.SetActivePage(1);
  POINT middle = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  EXPECT_EQ(w.form->ListView2.Handle(), ::WindowFromPoint(middle));
  ::SetWindowPos(w.form->Handle(), nullptr, 0, 0, 900, 600, SWP_NOZORDER);
  ::GetWindowRect(w.form->ListView2.Handle(), &rc);
  POINT corner = {rc.right - 8, rc.bottom - 8};  // in the part the window grew by
  EXPECT_EQ(w.form->ListView2.Handle(), ::WindowFromPoint(corner));
}

TEST(MainWindow, AClickOnAButtonOfAPageRunsItsHandler) {
  Window w;
  toolkit::TListView& folders = w.form->ListView4;
  folders.Add("C:\\ignored\\");
  folders.SetSelected(folders.Count() - 1);
  int count = folders.Count();
  ::SendMessageA(w.form->Button7.Handle(), BM_CLICK, 0, 0);  // "削除"
  EXPECT_EQ(count - 1, folders.Count());
}

TEST(MainWindow, AnErrorEscapingAMenuCommandReachesTheErrorBoxOfTheHooks) {
  Window w;
  AddProgram(*w.form, "c.exe", "C:\\c.exe");
  w.form->ListView2.SetSelected(w.form->ListView2.Count() - 1);
  w.form->Hooks.EditComment = [](HWND, std::string&) -> bool {
    throw std::runtime_error("no comment box");
  };
  const toolkit::TMenuItem& comment = w.form->PopupMenu2.Items.at(2);
  ASSERT_EQ("コメント", comment.Caption);
  comment.OnClick(&w.form->PopupMenu2);
  EXPECT_EQ(std::vector<std::string>{"no comment box"}, w.errors);
}

// --- The three states ---

TEST(WindowStates, AStartInTheTrayShowsNoWindowAndCompletesOnTheTimer) {
  TempDir other;
  ChildProcess withIcon(other.path(), "has-an-icon.exe");
  Window w("[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n[Integer]\r\nInterval=7\r\n");
  EXPECT_FALSE(w.form->ShowMainForm);
  EXPECT_TRUE(w.form->FirstShowPending());
  EXPECT_TRUE(w.form->Timer2.Enabled());
  EXPECT_FALSE(::IsWindowVisible(w.form->Handle()));
  EXPECT_EQ(1, w.shell.Count(NIM_ADD));  // the tray icon is up all the same

  w.form->Timer2Timer();
  EXPECT_FALSE(w.form->Timer2.Enabled());
  EXPECT_TRUE(w.form->Timer1.Enabled());
  EXPECT_EQ(7000u, w.form->Timer1.Interval());
  EXPECT_TRUE(w.form->TrayMonitoring());
  EXPECT_GT(w.form->ListView1.Count(), 0);
  EXPECT_EQ(1, w.form->ImageList1.Count());  // no icons in the tray

  w.form->TrayIcon1DblClick();
  EXPECT_FALSE(w.form->Timer1.Enabled());
  EXPECT_FALSE(w.form->TrayMonitoring());
  EXPECT_FALSE(w.form->FirstShowPending());
  EXPECT_TRUE(w.form->ShowMainForm);
  EXPECT_TRUE(::IsWindowVisible(w.form->Handle()));
  EXPECT_GT(w.form->ImageList1.Count(), 1);
}

TEST(WindowStates, AStartInTheTrayBeforeTheTaskbarMonitorsAndTheIconComesWithTheTaskbar) {
  Window w("[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n[Compare]\r\nNotice=1\r\n",
           E_FAIL);
  trayicon::TTaskTrayIcon& icon = w.form->TrayIcon1.TaskTrayIcon();
  EXPECT_TRUE(w.errors.empty());
  EXPECT_TRUE(icon.AddPending());
  EXPECT_TRUE(w.form->Timer2.Enabled());
  w.form->Timer2Timer();
  EXPECT_TRUE(w.form->Timer1.Enabled());
  EXPECT_TRUE(w.form->TrayMonitoring());

  w.shell.failAllWith = 0;
  ::SendMessageA(icon.Handle(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(icon.Shown());
  w.form->ListView1.Clear();
  testsupport::AddProcess(w.form->Tables, "noticed.exe", w.dir.file("noticed.exe"));
  w.form->Button2Click();
  ASSERT_FALSE(w.Balloons().empty());
  EXPECT_EQ("　追加：1　", w.Balloons().back());
  EXPECT_TRUE(w.errors.empty());
}

TEST(WindowStates, AStartWithTheWindowBeforeTheTaskbarShowsItAndTheIconWaits) {
  Window w("", E_FAIL);
  EXPECT_TRUE(w.errors.empty());
  EXPECT_TRUE(::IsWindowVisible(w.form->Handle()));
  EXPECT_GT(w.form->ListView1.Count(), 0);
  EXPECT_TRUE(w.form->TrayIcon1.TaskTrayIcon().AddPending());
  // Minimised meanwhile, the program is still reached by its taskbar button.
  w.form->Button3Click();
  EXPECT_TRUE(w.form->TrayMonitoring());
  EXPECT_TRUE(::IsIconic(toolkit::Application().Handle()));
  w.form->Open1Click();
}

TEST(WindowStates, ATaskbarStillMissingLaterIsReportedOnceAndTheEndGoesOn) {
  Window w("[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n", E_FAIL);
  w.form->Timer2Timer();
  HWND tray = w.form->TrayIcon1.TaskTrayIcon().Handle();
  for (int minute = 0; minute < 5; ++minute) {
    w.shell.now += 60000;
    ::SendMessageA(tray, WM_TIMER, trayicon::AddRetryTimerId, 0);
  }
  ASSERT_EQ(1u, w.errors.size());
  EXPECT_EQ("タスクトレイにアイコンを登録できません。", w.errors[0]);
  EXPECT_TRUE(w.form->TrayMonitoring());
  w.form->FormDestroy();
  EXPECT_FALSE(w.form->TrayIcon1.TaskTrayIcon().AddPending());
  EXPECT_EQ(0u, testsupport::ReadFileBytes(w.dir.file("ProcessList.dat")).find("Ver1.00\r\n"));
  EXPECT_EQ(1u, w.errors.size());
}

TEST(WindowStates, MinimisingHidesAndStartsTheCycleAndOpeningStopsIt) {
  Window w;
  ASSERT_TRUE(::IsWindowVisible(w.form->Handle()));
  w.form->SpinEdit1.SetValue(3);
  w.form->Button3Click();
  EXPECT_FALSE(::IsWindowVisible(w.form->Handle()));
  EXPECT_TRUE(w.form->Timer1.Enabled());
  EXPECT_EQ(3000u, w.form->Timer1.Interval());
  EXPECT_TRUE(w.form->TrayMonitoring());

  HWND application = toolkit::Application().Handle();
  EXPECT_TRUE(::IsIconic(application));  // its taskbar button stands for the program

  w.form->Open1Click();
  EXPECT_TRUE(::IsWindowVisible(w.form->Handle()));
  EXPECT_FALSE(w.form->Timer1.Enabled());
  EXPECT_FALSE(w.form->TrayMonitoring());
  EXPECT_EQ(w.form->ListView1.Count(), w.form->ListBox1.Count());
  EXPECT_FALSE(::IsWindowVisible(application));  // one taskbar button, the window's
}

TEST(WindowStates, AChangedIntervalWaitsForTheNextMinimise) {
  Window w;
  w.form->SpinEdit1.SetValue(5);
  w.form->Button3Click();
  w.form->SpinEdit1.SetValue(9);
  EXPECT_EQ(5000u, w.form->Timer1.Interval());
  w.form->Open1Click();
  w.form->Button3Click();
  EXPECT_EQ(9000u, w.form->Timer1.Interval());
  w.form->Open1Click();
}

TEST(WindowStates, AnIntervalTypedOutOfRangeIsBroughtIntoRangeBeforeTheCycleStarts) {
  Window w;
  w.form->SpinEdit1.SetText("0");  // typed, the focus still in the box
  ::SendMessageA(w.form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(1000u, w.form->Timer1.Interval());
  EXPECT_EQ("1", w.form->SpinEdit1.Text());
  w.form->TrayIcon1DblClick();
  w.form->SpinEdit1.SetText("99");
  w.form->Button3Click();
  EXPECT_EQ(60000u, w.form->Timer1.Interval());
  w.form->Open1Click();
}

TEST(WindowStates, TheRunJournalsSettingsOnTheTabTakeEffectAtTheNextCycleAndAreSaved) {
  Window w("[Information]\r\nVersion=1.30\r\n[RunJournal]\r\nEnabled=1\r\nMaxKB=300\r\n");
  EXPECT_TRUE(w.form->CheckBox6.Checked());
  EXPECT_EQ(300, w.form->SpinEdit3.Value());
  ASSERT_NE(nullptr, w.form->RunJournal());
  w.form->CheckBox6.SetChecked(false);
  w.form->Timer1Timer();
  EXPECT_EQ(nullptr, w.form->RunJournal());
  EXPECT_FALSE(testsupport::Exists(w.dir.file("RunJournal.csv")));
  w.form->CheckBox6.SetChecked(true);
  w.form->SpinEdit3.SetText("0");  // typed, the focus still in the box
  w.form->Timer1Timer();
  ASSERT_NE(nullptr, w.form->RunJournal());
  EXPECT_EQ(1, w.form->RunJournalSettings().MaxKB);
  w.form->RunJournal()->Journal().Drain();
  EXPECT_TRUE(testsupport::Exists(w.dir.file("RunJournal.csv")));
  w.form->FormDestroy();
  EXPECT_NE(std::string::npos, testsupport::ReadFileBytes(w.dir.file("Inf.ini"))
                                   .find("[RunJournal]\r\nEnabled=1\r\nMaxKB=1\r\n"));
}

TEST(RunHistory, TheFifthTabShowsTheJournalsRunsNewestFirstAndSortsByAColumn) {
  Window w;
  const std::wstring journal = store::RunJournalPath(toolkit::Widen(w.dir.path()));
  testsupport::WriteThreeRuns(journal);
  TForm1& f = *w.form;
  char caption[32] = {};
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = caption;
  item.cchTextMax = sizeof caption;
  ASSERT_TRUE(TabCtrl_GetItem(f.PageControl1.Handle(), 4, &item));
  EXPECT_STREQ("実行履歴", caption);
  testsupport::ClickTab(f.PageControl1.Handle(), 4);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return f.ListView5.Count() == 3; }, 10000));
  EXPECT_TRUE(::IsWindowVisible(f.ListView5.Handle()));
  using namespace ui;
  const auto column = [&f](int c) {
    std::vector<std::string> cells;
    for (int row = 0; row < f.ListView5.Count(); ++row) cells.push_back(f.ListView5.Cell(row, c));
    return cells;
  };
  EXPECT_EQ((std::vector<std::string>{"2026/12/08 11:00:00", "2026/12/08 10:30:00",
                                      "2026/12/08 10:00:00"}),
            column(kRunStarted));
  EXPECT_EQ((std::vector<std::string>{"", "2026/12/08 10:31:00", "2026/12/08 10:00:05"}),
            column(kRunEnded));
  EXPECT_EQ("run9.exe", f.ListView5.Cell(1, kRunName));
  EXPECT_EQ("C:\\Tools\\run9.exe", f.ListView5.Cell(1, kRunPath));
  // A length sorts as a number, a run still going after the others; again, reversed.
  testsupport::ClickHeading(f.ListView5.Handle(), kRunSeconds);
  EXPECT_EQ((std::vector<std::string>{"5.000", "60.000", ""}), column(kRunSeconds));
  testsupport::ClickHeading(f.ListView5.Handle(), kRunSeconds);
  EXPECT_EQ((std::vector<std::string>{"60.000", "5.000", ""}), column(kRunSeconds));
  testsupport::ClickHeading(f.ListView5.Handle(), kRunName);
  EXPECT_EQ((std::vector<std::string>{"run7.exe", "run7.exe", "run9.exe"}), column(kRunName));
  // Brought to the front again, it reads the journal as it stands, newest first.
  testsupport::WriteFileBytes(journal, testsupport::JournalFileOf({testsupport::RunLine(3, "12:00:00")}));
  testsupport::ClickTab(f.PageControl1.Handle(), 0);
  testsupport::ClickTab(f.PageControl1.Handle(), 4);
  ASSERT_TRUE(testsupport::PumpUntil(
      [&] { return f.ListView5.Count() == 3 && f.ListView5.Cell(0, kRunName) == "run3.exe"; },
      10000));
  // The ends were in the file that is gone: the older files' starts are all that is left.
  EXPECT_EQ((std::vector<std::string>{"run3.exe", "run9.exe", "run7.exe"}), column(kRunName));
  EXPECT_EQ((std::vector<std::string>{"", "", ""}), column(kRunEnded));
  EXPECT_TRUE(w.errors.empty());
}

// --- The end of the run ---

TEST(EndOfRun, SavesAllThreeFilesAndTakesTheIconAway) {
  Window w;
  w.form->FormDestroy();
  EXPECT_EQ(0u, testsupport::ReadFileBytes(w.dir.file("ProcessList.dat")).find("Ver1.00\r\n"));
  EXPECT_EQ(0u, testsupport::ReadFileBytes(w.dir.file("Log.dat")).find("Ver1.00\r\n"));
  EXPECT_EQ(0u, testsupport::ReadFileBytes(w.dir.file("Inf.ini")).find("[Information]"));
  EXPECT_FALSE(w.form->TrayIcon1.Visible());
  EXPECT_TRUE(w.errors.empty());
}

TEST(EndOfRun, AnUnwritableSettingsFileIsReportedAndTheIconStillGoes) {
  Window w;
  testsupport::WriteFileBytes(w.dir.file("Inf.ini"), "");
  ::SetFileAttributesA(w.dir.file("Inf.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  w.form->FormDestroy();
  ::SetFileAttributesA(w.dir.file("Inf.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(1u, w.errors.size());
  EXPECT_NE(std::string::npos, w.errors[0].find("Inf.ini"));
  EXPECT_FALSE(w.form->TrayIcon1.Visible());
  EXPECT_TRUE(testsupport::ReadFileBytes(w.dir.file("ProcessList.dat")).size() > 0);
}

TEST(EndOfRun, TheEndOfTheSessionSavesOnceAndTheLaterEndDoesNotAgain) {
  Window w;
  ::SendMessageA(w.form->Handle(), WM_ENDSESSION, TRUE, 0);
  std::string saved = testsupport::ReadFileBytes(w.dir.file("ProcessList.dat"));
  EXPECT_EQ(0u, saved.find("Ver1.00\r\n"));
  testsupport::WriteFileBytes(w.dir.file("ProcessList.dat"), "touched");
  w.form->FormDestroy();
  EXPECT_EQ("touched", testsupport::ReadFileBytes(w.dir.file("ProcessList.dat")));
}

TEST(EndOfRun, AnEndOfSessionThatWasCancelledSavesNothing) {
  Window w;
  ::SendMessageA(w.form->Handle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(w.dir.file("ProcessList.dat").c_str()));
}

// --- Context-menu commands ---

TEST(EndProcess, EndsTheProcessOfTheSelectedRowAfterASort) {
  Window w;
  TempDir other;
  ChildProcess first(other.path(), "zz-first.exe");
  ChildProcess second(other.path(), "aa-second.exe");
  w.form->Button1Click();
  w.form->ListView1ColumnClick(0);  // by name: the two swap their snapshot order
  int row = w.RowOfPid(first.pid());
  ASSERT_GE(row, 0);
  EXPECT_EQ("zz-first.exe", w.form->ListView1.Cell(row, monitor::kCurrentName));
  w.form->ListView1.SetSelected(row);
  w.form->Hooks.ConfirmEndProcess = [](HWND) { return true; };
  w.form->N9Click();
  EXPECT_FALSE(Alive(first.handle()));
  EXPECT_TRUE(Alive(second.handle()));
  EXPECT_EQ(-1, w.RowOfPid(first.pid()));  // refreshed
}

TEST(EndProcess, AProcessGoneMeanwhileIsNoErrorAndLeavesTheList) {
  Window w;
  TempDir other;
  auto child = std::make_unique<ChildProcess>(other.path(), "ends-early.exe");
  DWORD pid = child->pid();
  w.form->Button1Click();
  w.form->ListView1.SetSelected(w.RowOfPid(pid));
  child.reset();
  w.form->Hooks.ConfirmEndProcess = [](HWND) { return true; };
  w.form->N9Click();
  EXPECT_TRUE(w.errors.empty());
  EXPECT_EQ(-1, w.RowOfPid(pid));
}

TEST(EndProcess, AnsweringNoEndsNothing) {
  Window w;
  TempDir other;
  ChildProcess child(other.path(), "kept.exe");
  w.form->Button1Click();
  w.form->ListView1.SetSelected(w.RowOfPid(child.pid()));
  w.form->Hooks.ConfirmEndProcess = [](HWND) { return false; };
  w.form->N9Click();
  EXPECT_TRUE(Alive(child.handle()));
}

TEST(EndProcess, TheProgramsOwnRowClosesItTheOrderlyWay) {
  Window w;
  w.form->Button1Click();
  w.form->ListView1.SetSelected(w.RowOfPid(::GetCurrentProcessId()));
  w.form->Hooks.ConfirmEndProcess = [](HWND) { return true; };
  w.form->N9Click();
  // The window is asked to close, which ends the message loop and saves.
  bool quit = false;
  for (int i = 0; i < 50 && !quit; ++i) {
    quit = testsupport::PumpMessages();
    ::Sleep(10);
  }
  EXPECT_TRUE(quit);
}

TEST(Comment, CancelKeepsItAndAnEmptyOkClearsIt) {
  Window w;
  AddProgram(*w.form, "c.exe", "C:\\c.exe");
  int row = w.form->ListView2.Count() - 1;
  w.form->ListView2.SetCell(row, monitor::kProgramComment, "old");
  w.form->ListView2.SetSelected(row);
  std::string offered;
  w.form->Hooks.EditComment = [&](HWND, std::string& comment) {
    offered = comment;
    comment = "typed";
    return false;
  };
  w.form->N3Click();
  EXPECT_EQ("old", offered);
  EXPECT_EQ("old", w.form->ListView2.Cell(row, monitor::kProgramComment));
  w.form->Hooks.EditComment = [](HWND, std::string& comment) {
    comment.clear();
    return true;
  };
  w.form->N3Click();
  EXPECT_EQ("", w.form->ListView2.Cell(row, monitor::kProgramComment));
}

// The comment box runs a message loop, in which a deletion check may remove rows
// above the one the comment is for.
TEST(Comment, GoesToItsRowWhenACheckRemovesRowsWhileTheBoxIsOpen) {
  Window w;
  w.form->ListView2.Clear();
  AddProgram(*w.form, "gone.exe", w.dir.file("gone.exe"));
  testsupport::WriteFileBytes(w.dir.file("kept.exe"), "x");
  AddProgram(*w.form, "kept.exe", w.dir.file("kept.exe"));
  w.form->ListView2.SetSelected(1);
  w.form->Button4Click();
  w.form->Hooks.EditComment = [&](HWND, std::string& comment) {
    w.FinishCheck();
    comment = "これ";
    return true;
  };
  w.form->N3Click();
  ASSERT_EQ(1, w.form->ListView2.Count());
  EXPECT_EQ("kept.exe", w.form->ListView2.Cell(0, monitor::kProgramName));
  EXPECT_EQ("これ", w.form->ListView2.Cell(0, monitor::kProgramComment));
}

TEST(ListCommands, DeleteRemovesTheRowAtOnceAndCopyingFillsTheClipboard) {
  Window w;
  AddProgram(*w.form, "kept.exe", "C:\\kept.exe");
  AddProgram(*w.form, "dropped.exe", "C:\\dropped.exe");
  int count = w.form->ListView2.Count();
  w.form->ListView2.SetSelected(count - 1);
  w.form->N7Click();
  EXPECT_EQ("dropped.exe", w.form->Edit1);
  w.form->Delete1Click();
  EXPECT_EQ(count - 1, w.form->ListView2.Count());
  EXPECT_EQ("kept.exe", w.form->ListView2[count - 2].Caption);
}

// The commands of both context menus act on the selected row of their own list,
// on the column they name, and do nothing without a selection.
TEST(ListCommands, EachCommandTakesItsListAndColumn) {
  Window w;
  TForm1& f = *w.form;
  f.ListView1.Clear();
  f.ListBox1.Clear();
  testsupport::AddProcess(f.Tables, "running.exe", "C:\\Run\\running.exe");
  AddProgram(f, "listed.exe", "C:\\List\\listed.exe");
  const int listed = f.ListView2.Count() - 1;
  std::string opened, properties;
  f.Hooks.ShellOpen = [&](HWND, const std::wstring&, const std::wstring&, const std::wstring& p,
                          const std::wstring&, int) { opened = toolkit::Narrow(p); };
  f.Hooks.ShellExecuteEx = [&](SHELLEXECUTEINFOW& info) { properties = toolkit::Narrow(info.lpFile); };
  struct Case {
    void (TForm1::*command)();
    toolkit::TListView* view;
    std::string* seen;
    std::string expected;
  };
  const Case cases[] = {
      {&TForm1::N4Click, &f.ListView1, &opened, " /select,C:\\Run\\running.exe"},
      {&TForm1::N1Click, &f.ListView2, &opened, " /select,C:\\List\\listed.exe"},
      {&TForm1::N10Click, &f.ListView1, &properties, "C:\\Run\\running.exe"},
      {&TForm1::N11Click, &f.ListView2, &properties, "C:\\List\\listed.exe"},
      {&TForm1::N5Click, &f.ListView1, &f.Edit1, "running.exe"},
      {&TForm1::N6Click, &f.ListView1, &f.Edit1, "C:\\Run\\running.exe"},
      {&TForm1::N7Click, &f.ListView2, &f.Edit1, "listed.exe"},
      {&TForm1::N8Click, &f.ListView2, &f.Edit1, "C:\\List\\listed.exe"},
  };
  for (const Case& c : cases) {
    f.ListView1.SetSelected(-1);
    f.ListView2.SetSelected(-1);
    c.seen->clear();
    (f.*c.command)();
    EXPECT_EQ("", *c.seen) << c.expected;
    c.view->SetSelected(c.view == &f.ListView1 ? 0 : listed);
    (f.*c.command)();
    EXPECT_EQ(c.expected, *c.seen);
  }
}

TEST(ListCommands, TheRowTheUserSelectsInTheWindowIsTheRowTheyActOn) {
  Window w;
  TForm1& f = *w.form;
  f.PageControl1.SetActivePage(1);
  f.ListView2.Clear();
  AddProgram(f, "first.exe", "C:\\first.exe");
  AddProgram(f, "second.exe", "C:\\second.exe");
  f.ListView2.SetSelected(0);
  ::SendMessageA(f.ListView2.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(1, f.ListView2.Selected());
  f.N7Click();
  EXPECT_EQ("second.exe", f.Edit1);
  f.ListView2.Delete(0);  // the user's row moves up with its item
  f.Edit1.clear();
  f.N7Click();
  EXPECT_EQ("second.exe", f.Edit1);
  EXPECT_EQ(0, ListView_GetNextItem(f.ListView2.Handle(), -1, LVNI_SELECTED));
}

// A stored path that lost characters is handed over as the file's real path.
TEST(ListCommands, OpenFolderAndPropertiesHandTheRealPathToTheShell) {
  Window w;
  TForm1& f = *w.form;
  AddProgram(f, "spaced.exe", "C:\\Program Files\\Some App\\spaced.exe");
  AddProgram(f, "tool.exe", "C:\\Caf?\\tool.exe");
  f.Tables.RealPaths.Remember("C:\\Caf?\\tool.exe", L"C:\\Caf\u00E9\\tool.exe");
  std::wstring parameters, directory, properties;
  f.Hooks.ShellOpen = [&](HWND, const std::wstring&, const std::wstring&, const std::wstring& p,
                          const std::wstring& d, int) {
    parameters = p;
    directory = d;
  };
  f.Hooks.ShellExecuteEx = [&](SHELLEXECUTEINFOW& info) { properties = info.lpFile; };
  f.ListView2.SetSelected(f.ListView2.Count() - 2);
  f.N1Click();
  EXPECT_EQ(L" /select,C:\\Program Files\\Some App\\spaced.exe", parameters);
  EXPECT_EQ(toolkit::Widen(w.dir.path()) + L"\\", directory);
  f.ListView2.SetSelected(f.ListView2.Count() - 1);
  f.N1Click();
  f.N11Click();
  EXPECT_EQ(L" /select,C:\\Caf\u00E9\\tool.exe", parameters);
  EXPECT_EQ(L"C:\\Caf\u00E9\\tool.exe", properties);
}

TEST(WindowStates, RestoringTheMinimisedProgramFromItsTaskbarButtonShowsTheWindow) {
  Window w;
  w.form->Button3Click();
  ASSERT_FALSE(::IsWindowVisible(w.form->Handle()));
  ::SendMessageA(toolkit::Application().Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(::IsWindowVisible(w.form->Handle()));
  EXPECT_FALSE(w.form->Timer1.Enabled());
  EXPECT_FALSE(w.form->TrayMonitoring());
}

TEST(WindowStates, TheWindowsOwnMinimiseButtonHidesItInTheTray) {
  Window w;
  ::SendMessageA(w.form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(::IsWindowVisible(w.form->Handle()));
  EXPECT_TRUE(w.form->Timer1.Enabled());
  w.form->TrayIcon1DblClick();
  EXPECT_TRUE(::IsWindowVisible(w.form->Handle()));
  EXPECT_FALSE(w.form->Timer1.Enabled());
}
