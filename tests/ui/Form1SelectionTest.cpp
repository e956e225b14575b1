// The selection follows the program in the real window: the row the user clicked
// stays selected through a sort by a heading, a refresh of the running processes,
// a trip to the tray, a deletion check and a log trim; a row that went leaves no
// selection, never another program's.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DialogDriver.h"
#include "MainWindow.h"
#include "TestTables.h"

using testsupport::ChildProcess;
using testsupport::ClickHeading;
using testsupport::ClickRow;
using testsupport::TDialogDriver;
using testsupport::TempDir;
using testsupport::WindowSelected;
using Window = testsupport::MainWindow;

namespace {

bool Alive(HANDLE process) { return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

int RowOf(const toolkit::TListView& view, const std::string& caption) {
  for (int i = 0; i < view.Count(); ++i)
    if (view[i].Caption == caption) return i;
  return -1;
}

std::string SelectedCaption(const toolkit::TListView& view) {
  return view.Selected() >= 0 ? view[view.Selected()].Caption : std::string();
}

}  // namespace

// The fault as it was met: a sort left the highlight on the row number, so
// "プロセスを強制終了" ended another program than the one chosen.
TEST(SelectionFollowsTheProgram, AfterASortTheMenuEndsTheProcessTheUserChose) {
  Window w;
  TForm1& f = *w.form;
  TempDir other;
  ChildProcess chosen(other.path(), "zz-chosen.exe");
  ChildProcess bystander(other.path(), "aa-bystander.exe");
  f.Button1Click();
  w.Focus(f.ListView1.Handle());
  ClickRow(f.ListView1.Handle(), w.RowOfPid(chosen.pid()));
  ASSERT_EQ(chosen.pid(), w.SelectedPid());
  const int before = f.ListView1.Selected();

  ClickHeading(f.ListView1.Handle(), monitor::kCurrentName);
  ASSERT_NE(before, w.RowOfPid(chosen.pid())) << "the sort moved nothing";
  EXPECT_EQ(chosen.pid(), w.SelectedPid());
  EXPECT_EQ(f.ListView1.Selected(), WindowSelected(f.ListView1.Handle()));

  // A right click on the chosen row, and the menu's fifth item.
  f.Hooks.ConfirmEndProcess = [](HWND) { return true; };
  TDialogDriver menu("#32768", {[](HWND m) {
                       for (int i = 0; i < 5; ++i) ::PostMessageA(m, WM_KEYDOWN, VK_DOWN, 0);
                       ::PostMessageA(m, WM_KEYDOWN, VK_RETURN, 0);
                     }});
  ClickRow(f.ListView1.Handle(), f.ListView1.Selected(), true);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !Alive(chosen.handle()); }, 10000));
  EXPECT_TRUE(menu.Finished());
  EXPECT_TRUE(Alive(bystander.handle()));
  // The refresh after it leaves nothing selected: the chosen process is gone.
  EXPECT_EQ(-1, f.ListView1.Selected());
  EXPECT_EQ(-1, WindowSelected(f.ListView1.Handle()));
}

TEST(SelectionFollowsTheProgram, RefreshesKeepTheSameProcessAndOneThatEndedLeavesNone) {
  Window w;
  TForm1& f = *w.form;
  TempDir other;
  ChildProcess first(other.path(), "first.exe");
  auto chosen = std::make_unique<ChildProcess>(other.path(), "chosen.exe");
  const DWORD pid = chosen->pid();
  f.Button1Click();
  w.Focus(f.ListView1.Handle());
  ClickRow(f.ListView1.Handle(), w.RowOfPid(pid));
  ASSERT_EQ(pid, w.SelectedPid());

  f.Button1Click();  // "プロセス取得"
  EXPECT_EQ(pid, w.SelectedPid());
  EXPECT_EQ(chosen->path(), f.ListView1.Cell(f.ListView1.Selected(), monitor::kCurrentPath));
  EXPECT_EQ(f.ListView1.Selected(), WindowSelected(f.ListView1.Handle()));
  f.Timer1Timer();  // the cycle, as in the tray
  EXPECT_EQ(pid, w.SelectedPid());
  f.Button3Click();  // to the tray and back: the table is taken again
  f.Open1Click();
  EXPECT_EQ(pid, w.SelectedPid());
  EXPECT_EQ(f.ListView1.Selected(), WindowSelected(f.ListView1.Handle()));

  chosen.reset();
  f.Button1Click();
  EXPECT_EQ(-1, f.ListView1.Selected());
  EXPECT_EQ(-1, WindowSelected(f.ListView1.Handle()));
  EXPECT_EQ(-1, f.ListView1.Focused());
}

TEST(SelectionFollowsTheProgram, ADeletionCheckKeepsTheSelectionOnTheSameProgram) {
  Window w;
  TForm1& f = *w.form;
  f.ListView2.Clear();
  for (const char* name : {"gone-a.exe", "kept.exe", "gone-b.exe", "chosen.exe", "gone-c.exe"}) {
    std::string path = w.dir.file(name);
    if (std::string(name).find("gone") != 0) testsupport::WriteFileBytes(path, "MZ");
    testsupport::AddProgram(f.Tables, name, path);
  }
  f.PageControl1.SetActivePage(1);
  w.Focus(f.ListView2.Handle());
  ClickRow(f.ListView2.Handle(), RowOf(f.ListView2, "chosen.exe"));
  ASSERT_EQ("chosen.exe", SelectedCaption(f.ListView2));

  f.Button4Click();  // "削除確認"
  w.FinishCheck();
  ASSERT_EQ(2, f.ListView2.Count());
  EXPECT_EQ("chosen.exe", SelectedCaption(f.ListView2));
  EXPECT_EQ(f.ListView2.Selected(), WindowSelected(f.ListView2.Handle()));

  // The selected program's file goes: the check drops its row and selects nothing.
  ::DeleteFileA(w.dir.file("chosen.exe").c_str());
  f.Button4Click();
  w.FinishCheck();
  EXPECT_EQ(1, f.ListView2.Count());
  EXPECT_EQ(-1, f.ListView2.Selected());
  EXPECT_EQ(-1, WindowSelected(f.ListView2.Handle()));
}

TEST(SelectionFollowsTheProgram, ALogTrimKeepsTheSelectionOnTheSameEntry) {
  Window w;
  TForm1& f = *w.form;
  f.ListView1.Clear();  // nothing to compare: the trim is the only change
  f.ListView3.Clear();
  for (int i = 0; i < 30; ++i)
    testsupport::AddLogEntry(f.Tables, "2024/01/01 0:00:00", "entry" + std::to_string(10 + i),
                             "追加");
  f.PageControl1.SetActivePage(2);
  w.Focus(f.ListView3.Handle());
  ClickRow(f.ListView3.Handle(), 25);
  ASSERT_EQ(25, f.ListView3.Selected());

  f.SpinEdit2.SetValue(20);
  f.Button2Click();  // "比較" trims the log to its maximum
  ASSERT_EQ(20, f.ListView3.Count());
  EXPECT_EQ("entry35", f.ListView3.Cell(f.ListView3.Selected(), monitor::kLogName));
  EXPECT_EQ(f.ListView3.Selected(), WindowSelected(f.ListView3.Handle()));

  // The selected entry is among those trimmed: nothing is selected.
  ClickRow(f.ListView3.Handle(), 2);
  f.SpinEdit2.SetValue(10);
  f.Button2Click();
  EXPECT_EQ(10, f.ListView3.Count());
  EXPECT_EQ(-1, f.ListView3.Selected());
  EXPECT_EQ(-1, WindowSelected(f.ListView3.Handle()));
}
