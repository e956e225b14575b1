// The filter box and "CSVで保存..." in the real window: what is typed narrows the
// three lists and the count follows, Esc empties the box, a sort, a command and
// a cycle work on the rows shown while the tables keep every row, and a list is
// saved as it is shown.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include <string>

#include "DialogDriver.h"
#include "MainWindow.h"
#include "TestTables.h"

using testsupport::ChildProcess;
using testsupport::ClickHeading;
using testsupport::ClickRow;
using testsupport::ReadFileBytes;
using testsupport::TDialogDriver;
using testsupport::TempDir;
using Window = testsupport::MainWindow;

namespace {

bool Alive(HANDLE process) { return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

// Typed into the box a key at a time, as a user does.
void Type(Window& w, const std::string& text) {
  w.Focus(w.form->Filter.Box().Handle());
  for (char c : text) {
    ::PostMessageA(w.form->Filter.Box().Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
    testsupport::PumpMessages();
  }
}

std::string WindowText(HWND control) {
  char text[256] = {};
  ::GetWindowTextA(control, text, sizeof text);
  return text;
}

// What the count beside the box shows.
std::string Count(Window& w) { return WindowText(w.form->Filter.Count().Handle()); }

// The names of the rows shown, in order.
std::string Shown(const toolkit::TListView& view, int nameColumn = 0) {
  std::string names;
  for (int row : view.ShownRows()) names += view.Cell(row, nameColumn) + " ";
  return names;
}

// Opens the list's menu on a shown row and chooses the item `downs` steps from
// the top (or, with -1, the last item).
void ChooseFromMenu(HWND list, int index, int downs) {
  TDialogDriver menu("#32768", {[downs](HWND m) {
                       if (downs < 0) ::PostMessageA(m, WM_KEYDOWN, VK_UP, 0);
                       for (int i = 0; i < downs; ++i) ::PostMessageA(m, WM_KEYDOWN, VK_DOWN, 0);
                       ::PostMessageA(m, WM_KEYDOWN, VK_RETURN, 0);
                     }});
  ClickRow(list, index, true);
  testsupport::PumpUntil([&] { return menu.Finished(); }, 10000);
  testsupport::PumpMessages();
  EXPECT_TRUE(menu.Finished());
}

}  // namespace

// The fault it guards against: a command on the row shown third acting on the
// table's third row. The chosen process is shown second and is the table's last
// row; the processes that are the table's first and second rows live on.
TEST(Filter, ASortAndEndingAProcessWorkOnTheRowsShown) {
  Window w;
  TForm1& f = *w.form;
  TempDir other;
  ChildProcess first(other.path(), "aa-bystander.exe");
  ChildProcess shownFirst(other.path(), "ab-chosen.exe");
  ChildProcess chosen(other.path(), "zz-Chosen.exe");
  f.Button1Click();
  Type(w, "CHOSEN");
  EXPECT_EQ("CHOSEN", f.Filter.Text());
  EXPECT_EQ(2, f.ListView1.ShownCount());
  EXPECT_EQ("2 / " + std::to_string(f.ListView1.Count()), Count(w));

  ClickHeading(f.ListView1.Handle(), monitor::kCurrentName);
  EXPECT_EQ("ab-chosen.exe zz-Chosen.exe ", Shown(f.ListView1));
  ASSERT_EQ(0, w.RowOfPid(first.pid()));
  ASSERT_EQ(1, w.RowOfPid(shownFirst.pid()));
  ASSERT_EQ(f.ListView1.Count() - 1, w.RowOfPid(chosen.pid()));

  w.Focus(f.ListView1.Handle());
  ClickRow(f.ListView1.Handle(), 1);
  ASSERT_EQ(chosen.pid(), w.SelectedPid());
  f.Hooks.ConfirmEndProcess = [](HWND) { return true; };
  ChooseFromMenu(f.ListView1.Handle(), 1, 5);  // "プロセスを強制終了"
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !Alive(chosen.handle()); }, 10000));
  EXPECT_TRUE(Alive(first.handle()));
  EXPECT_TRUE(Alive(shownFirst.handle()));
  // The refresh after it keeps the filter.
  EXPECT_EQ("ab-chosen.exe ", Shown(f.ListView1));
  EXPECT_EQ("1 / " + std::to_string(f.ListView1.Count()), Count(w));
}

// One text for the three lists; the count is the shown tab's, none on the
// settings tab; Esc empties the box and every row is back.
TEST(Filter, OneTextForEveryListTheCountOfTheShownTabAndEscEmptiesIt) {
  Window w;
  TForm1& f = *w.form;
  f.ListView2.Clear();
  f.ListView3.Clear();
  testsupport::AddProgram(f.Tables, "notepad.exe", "C:\\Windows\\notepad.exe");
  testsupport::AddProgram(f.Tables, "editor.exe", "C:\\Tools\\editor.exe", "", "Notepad の代わり");
  testsupport::AddProgram(f.Tables, "calc.exe", "C:\\Windows\\calc.exe");
  testsupport::AddLogEntry(f.Tables, "2024/01/01 0:00:00", "notepad.exe", "追加");
  testsupport::AddLogEntry(f.Tables, "2024/01/01 0:00:00", "calc.exe", "追加");
  f.PageControl1.SetActivePage(1);
  Type(w, "NOTEPAD");
  EXPECT_EQ("notepad.exe editor.exe ", Shown(f.ListView2));  // the comment counts
  EXPECT_EQ("2 / 3", Count(w));
  f.PageControl1.SetActivePage(2);
  EXPECT_EQ("notepad.exe ", Shown(f.ListView3, monitor::kLogName));
  EXPECT_EQ("1 / 2", Count(w));
  f.PageControl1.SetActivePage(3);
  EXPECT_EQ("", Count(w));

  f.PageControl1.SetActivePage(1);
  TDialogDriver::PressKey(f.Filter.Box().Handle(), VK_ESCAPE);  // the box has the keyboard
  testsupport::PumpMessages();
  EXPECT_EQ("", f.Filter.Text());
  EXPECT_EQ("", WindowText(f.Filter.Box().Handle()));
  EXPECT_EQ("", Count(w));
  EXPECT_FALSE(f.ListView2.Filtered());
  EXPECT_EQ(3, ListView_GetItemCount(f.ListView2.Handle()));
  EXPECT_EQ(2, ListView_GetItemCount(f.ListView3.Handle()));
}

// A cycle while filtered records every program; the rows it adds show when they
// match, and the files hold them all.
TEST(Filter, ACycleRecordsEveryProgramAndShowsTheOnesThatMatch) {
  Window w;
  TForm1& f = *w.form;
  f.PageControl1.SetActivePage(1);
  Type(w, "match");
  const int listed = f.ListView2.Count();
  const int logged = f.ListView3.Count();
  EXPECT_EQ("0 / " + std::to_string(listed), Count(w));

  TempDir other;
  ChildProcess matching(other.path(), "Match-me.exe");
  ChildProcess notMatching(other.path(), "other.exe");
  f.Timer1Timer();
  EXPECT_EQ(listed + 2, f.ListView2.Count());
  EXPECT_EQ(logged + 2, f.ListView3.Count());
  EXPECT_EQ("Match-me.exe ", Shown(f.ListView2));
  EXPECT_EQ("Match-me.exe ", Shown(f.ListView3, monitor::kLogName));
  EXPECT_EQ("1 / " + std::to_string(listed + 2), Count(w));

  f.FormDestroy();  // the orderly end saves
  const std::string saved = ReadFileBytes(w.dir.file("ProcessList.dat"));
  EXPECT_NE(std::string::npos, saved.find(notMatching.path()));
  EXPECT_NE(std::string::npos, saved.find(matching.path()));
}

// "CSVで保存..." writes the rows as shown, filtered and sorted, with the list's
// captions; the log's menu has the item too; a file that cannot be written is
// reported in the error box.
TEST(Filter, TheMenusSaveTheRowsAsShownAndReportAFileThatCannotBeWritten) {
  Window w;
  TForm1& f = *w.form;
  f.ListView2.Clear();
  f.ListView3.Clear();
  testsupport::AddProgram(f.Tables, "c.exe", "C:\\c.exe", "", "keep");
  testsupport::AddProgram(f.Tables, "a.exe", "C:\\a.exe", "", "drop");
  testsupport::AddProgram(f.Tables, "b.exe", "C:\\ソフト\\b.exe", "", "keep, \"this\"");
  testsupport::AddLogEntry(f.Tables, "2024/01/01 0:00:00", "c.exe", "追加", "keep");
  testsupport::AddLogEntry(f.Tables, "2024/01/02 0:00:00", "a.exe", "削除");
  std::string suggested;
  std::string target = w.dir.file("shown.csv");
  f.Hooks.ChooseCsvFile = [&](HWND, std::string& path) {
    suggested = path;
    path = target;
    return true;
  };
  f.PageControl1.SetActivePage(1);
  Type(w, "KEEP");
  ClickHeading(f.ListView2.Handle(), monitor::kProgramName);
  w.Focus(f.ListView2.Handle());
  ChooseFromMenu(f.ListView2.Handle(), 0, -1);
  EXPECT_EQ("プロセスリスト.csv", suggested);
  const std::string rest = std::string(",") + testsupport::kProgramAdded + "," +
                           testsupport::kProgramLastRun + ",";
  EXPECT_EQ(u8"\uFEFFファイル名,フルパス,更新日時,追加日時,最終実行日時,コメント\r\n" +
                std::string(u8"b.exe,C:\\ソフト\\b.exe,") + rest + "\"keep, \"\"this\"\"\"\r\n" +
                "c.exe,C:\\c.exe," + rest + "keep\r\n",
            ReadFileBytes(target));

  f.PageControl1.SetActivePage(2);
  w.Focus(f.ListView3.Handle());
  ChooseFromMenu(f.ListView3.Handle(), 0, 1);  // its one item
  EXPECT_EQ("ログ.csv", suggested);
  EXPECT_EQ(u8"\uFEFF日時,ファイル名,種類,詳細\r\n2024/01/01 0:00:00,c.exe,追加,keep\r\n",
            ReadFileBytes(target));

  f.PageControl1.SetActivePage(4);
  f.ListView5.Add(toolkit::TListItem::WithCells(
      {{ui::kRunStarted, "2024/01/03 9:00:00"}, {ui::kRunName, "d.exe"}, {ui::kRunPath, "C:\\d.exe"},
       {ui::kRunParent, "C:\\keep\\p.exe"}}));  // shown under the filter still typed
  w.Focus(f.ListView5.Handle());
  ChooseFromMenu(f.ListView5.Handle(), 0, 1);
  EXPECT_EQ("実行履歴.csv", suggested);
  EXPECT_EQ(u8"\uFEFF開始時刻,終了時刻,実行秒数,ファイル名,フルパス,親のパス,ユーザー\r\n"
            u8"2024/01/03 9:00:00,,,d.exe,C:\\d.exe,C:\\keep\\p.exe,\r\n",
            ReadFileBytes(target));

  target = w.dir.file("no such folder\\shown.csv");
  ChooseFromMenu(f.ListView3.Handle(), 0, 1);
  ASSERT_EQ(1u, w.errors.size());
  EXPECT_EQ("ファイル " + target + " を作成できません", w.errors[0]);
  EXPECT_FALSE(testsupport::Exists(target));
}

// The system's save dialog behind the hook: it offers the suggested name, gives
// back the path typed into it, and gives nothing back when cancelled.
TEST(Filter, TheSaveDialogOffersTheNameAndGivesBackTheChosenPath) {
  Window w;
  const std::string chosen = w.dir.file("一覧.csv");
  std::string offered;
  auto nameBox = [](HWND dialog) {
    HWND box = ::GetDlgItem(dialog, cmb13);  // the Explorer style's name box
    return box ? box : ::GetDlgItem(dialog, edt1);
  };
  TDialogDriver save("#32770", {[&](HWND d) {
                                  offered = WindowText(nameBox(d));
                                  ::SetWindowTextA(nameBox(d), chosen.c_str());
                                },
                                [](HWND d) { ::PostMessageA(d, WM_COMMAND, IDOK, 0); }});
  std::string path = "ログ.csv";
  EXPECT_TRUE(ui::SystemChooseCsvFile(w.form->Handle(), path));
  EXPECT_EQ("ログ.csv", offered);
  EXPECT_EQ(chosen, path);
  EXPECT_FALSE(save.LeftOpen());

  TDialogDriver cancel("#32770", {[](HWND d) { ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }});
  path = "ログ.csv";
  EXPECT_FALSE(ui::SystemChooseCsvFile(w.form->Handle(), path));
  EXPECT_EQ("ログ.csv", path);
}
