// The real program, started from a folder of its own under Wine and driven from
// outside as a user would: find its windows, post clicks and closes, read the
// files it leaves.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "TestSupport.h"

using testsupport::Exists;
using testsupport::TempDir;
using programrun::BecomesVisible;
using programrun::Ended;
using programrun::Program;
using programrun::WaitForWindow;

namespace {

// Started in the tray with a cycle every second, `more` added to its settings.
PROCESS_INFORMATION StartInTray(Program& program, const std::string& more) {
  testsupport::WriteFileBytes(program.File("Inf.ini"),
                              "[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n" +
                                  more + "[Integer]\r\nInterval=1\r\n");
  return program.Start();
}

}  // namespace

TEST(EndToEnd, FirstRunSeedsTheListAndWritesAllThreeFilesAtClose) {
  TempDir dir;
  Program program(dir);
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(BecomesVisible(main));
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));

  std::string list = testsupport::ReadFileBytes(program.File("ProcessList.dat"));
  EXPECT_EQ(0u, list.find("Ver1.00\r\n"));
  EXPECT_NE(std::string::npos, list.find("Vantry.exe\r\n" + program.File("Vantry.exe") + "\r\n"))
      << "the program itself was running at its first start";
  std::string log = testsupport::ReadFileBytes(program.File("Log.dat"));
  EXPECT_NE(std::string::npos, log.find("Vantry.exe\r\n追加\r\n"));
  std::string ini = testsupport::ReadFileBytes(program.File("Inf.ini"));
  EXPECT_EQ(0u, ini.find("[Information]"));
}

TEST(EndToEnd, ASecondStartSaysSoAndLeavesTheFirstAlone) {
  TempDir dir;
  Program program(dir);
  PROCESS_INFORMATION first = program.Start();
  HWND main = WaitForWindow(first.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(BecomesVisible(main));  // the first instance has its mutex by now

  PROCESS_INFORMATION second = program.Start();
  HWND box = WaitForWindow(second.dwProcessId, "#32770");
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("多重起動はできません", programrun::BoxText(box));
  EXPECT_EQ(nullptr, WaitForWindow(second.dwProcessId, "TForm1", 500));
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Ended(second));

  EXPECT_TRUE(::IsWindow(main));
  EXPECT_FALSE(Exists(program.File("ProcessList.dat")))  // saved only at its own end
      << "the second instance must write nothing";
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(first));
  EXPECT_TRUE(Exists(program.File("ProcessList.dat")));
}

TEST(EndToEnd, StartedInTheTrayItWatchesAndSavesWhatRanMeanwhile) {
  TempDir dir;
  Program program(dir);
  PROCESS_INFORMATION pi = StartInTray(program, "");
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  ::Sleep(1500);
  EXPECT_FALSE(::IsWindowVisible(main));

  TempDir other;
  {
    testsupport::ChildProcess child(other.path(), "started-meanwhile.exe");
    ::Sleep(3000);  // a few cycles of one second
  }
  ::PostMessageA(main, WM_CLOSE, 0, 0);  // what "閉じる" of the tray menu does
  ASSERT_TRUE(Ended(pi));
  std::string list = testsupport::ReadFileBytes(program.File("ProcessList.dat"));
  EXPECT_NE(std::string::npos, list.find("started-meanwhile.exe\r\n" + other.file("started-meanwhile.exe")));
  EXPECT_FALSE(::IsWindowVisible(main));
}

TEST(EndToEnd, TheEndOfTheSessionSavesTheFiles) {
  TempDir dir;
  Program program(dir);
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_NE(0, ::SendMessageA(main, WM_QUERYENDSESSION, 0, 0));
  ::SendMessageA(main, WM_ENDSESSION, TRUE, 0);
  // Windows may end the process any time after this: nothing more is owed.
  ::TerminateProcess(pi.hProcess, 1);
  ASSERT_TRUE(Ended(pi));
  EXPECT_EQ(0u, testsupport::ReadFileBytes(program.File("ProcessList.dat")).find("Ver1.00\r\n"));
  EXPECT_TRUE(Exists(program.File("Log.dat")));
  EXPECT_EQ(0u, testsupport::ReadFileBytes(program.File("Inf.ini")).find("[Information]"));
}

namespace {

BOOL CALLBACK CollectListViews(HWND child, LPARAM found) {
  char cls[32] = {};
  ::GetClassNameA(child, cls, sizeof cls);
  if (std::string(cls) == WC_LISTVIEWA) reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
  return TRUE;
}

// The rows of the program's log, read from its window (an owner-data list view
// keeps its item count equal to the rows; the log's is the third), or -1 while it
// cannot answer.
int LogRows(HWND main) {
  std::vector<HWND> lists;
  ::EnumChildWindows(main, &CollectListViews, reinterpret_cast<LPARAM>(&lists));
  DWORD_PTR count = 0;
  if (lists.size() < 3 ||
      !::SendMessageTimeoutA(lists[2], LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count))
    return -1;
  return static_cast<int>(count);
}

}  // namespace

// Started in the tray with the deletion check on and 100,000 programs whose files
// are gone from a folder of many files (under Wine each such test looks through
// the folder, so the check takes seconds): the close comes while the worker
// tests. The program ends at once, and its files hold every program and no
// "削除": the check had not finished, and what it had found is not applied.
TEST(EndToEnd, ACloseDuringADeletionCheckOfAHundredThousandProgramsEndsAtOnceAndSaves) {
  TempDir dir;
  Program program(dir);
  const std::string folder = dir.file("programs");
  ::CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < 2000; ++i)
    testsupport::WriteFileBytes(folder + "\\other" + std::to_string(i) + ".dll", "");
  std::string list = "Ver1.00\r\n";
  for (int i = 0; i < 100000; ++i) {
    const std::string name = "p" + std::to_string(i) + ".exe";
    list += name + "\r\n" + folder + "\\" + name + "\r\n\r\n2024/01/02 3:04:05\r\n" +
            "2024/01/03 3:04:05\r\n\r\n";
  }
  testsupport::WriteFileBytes(program.File("ProcessList.dat"), list);
  PROCESS_INFORMATION pi = StartInTray(program, "[Compare]\r\nDeleteCheck=1\r\n");
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  // The first cycle logs the programs running now, then starts the check.
  bool cycled = false;
  for (DWORD start = ::GetTickCount(); !cycled && ::GetTickCount() - start < 60000; ::Sleep(10))
    cycled = LogRows(main) > 0;
  ASSERT_TRUE(cycled);

  const DWORD closing = ::GetTickCount();
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi, 60000));
  const DWORD exitMs = ::GetTickCount() - closing;
  std::printf("the close during the check took %lu ms\n", static_cast<unsigned long>(exitMs));
  RecordProperty("exit_ms", static_cast<int>(exitMs));
  EXPECT_LT(exitMs, 5000u);
  const std::string saved = testsupport::ReadFileBytes(program.File("ProcessList.dat"));
  EXPECT_NE(std::string::npos, saved.find("\r\np99999.exe\r\n" + folder + "\\p99999.exe\r\n"));
  EXPECT_NE(std::string::npos, saved.find("\r\np0.exe\r\n" + folder + "\\p0.exe\r\n"));
  const std::string log = testsupport::ReadFileBytes(program.File("Log.dat"));
  EXPECT_NE(std::string::npos, log.find("追加"));
  EXPECT_EQ(std::string::npos, log.find("削除"));
}
