// The real program, started from a folder of its own under Wine and driven from
// outside as a user would: find its windows, post clicks and closes, read the
// files it leaves.
#include <gtest/gtest.h>

#include <string>

#include "ProgramRun.h"
#include "TestSupport.h"

using testsupport::Exists;
using testsupport::TempDir;
using programrun::BecomesVisible;
using programrun::Ended;
using programrun::Program;
using programrun::WaitForWindow;

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
  testsupport::WriteFileBytes(program.File("Inf.ini"),
                              "[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n"
                              "[Integer]\r\nInterval=1\r\n");
  PROCESS_INFORMATION pi = program.Start();
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
