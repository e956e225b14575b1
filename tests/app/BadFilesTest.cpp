// The real program meeting files it did not write: it starts, shows what it could
// not read, runs, and at its end leaves every file it could not read or replace
// as it was, or a copy of it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "ProgramRun.h"
#include "TestSupport.h"

using programrun::AnswerBox;
using programrun::BecomesVisible;
using programrun::Ended;
using programrun::Program;
using programrun::WaitForWindow;
using testsupport::Exists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

const char kSettings[] = "[Information]\r\nVersion=1.30\r\n[Integer]\r\nInterval=30\r\n";
const char kList[] = "Ver1.00\r\nkept.exe\r\nC:\\kept.exe\r\n\r\n2024/01/02\r\n2024/01/03\r\n\r\n";
const char kLog[] = "Ver1.00\r\n2024/01/02\r\nkept.exe\r\n追加\r\n\r\n";

}  // namespace

TEST(BadFiles, FolderNamedLikeTheProcessListIsReportedAtStartAndNothingIsLost) {
  TempDir dir;
  Program program(dir);
  const std::string list = program.File("ProcessList.dat");
  ASSERT_TRUE(::CreateDirectoryA(list.c_str(), nullptr));
  WriteFileBytes(list + "\\inside.txt", "the user's");
  WriteFileBytes(program.File("Log.dat"), kLog);
  WriteFileBytes(program.File("Inf.ini"), kSettings);

  PROCESS_INFORMATION pi = program.Start();
  const std::string told = AnswerBox(pi.dwProcessId);
  EXPECT_EQ(0u, told.find("ファイル " + list + " は開けません\r\n")) << told;
  EXPECT_NE(std::string::npos, told.find(list + ".pending")) << told;
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(BecomesVisible(main));
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ("(no box)", AnswerBox(pi.dwProcessId, 2000)) << "it was told at the start";
  ASSERT_TRUE(Ended(pi));

  EXPECT_EQ("the user's", ReadFileBytes(list + "\\inside.txt"));
  EXPECT_FALSE(Exists(list + ".tmp"));
  // The session's list (empty: the window was shown, nothing was compared) went
  // beside the folder; the log and the settings, read as they were, were saved.
  EXPECT_EQ("Ver1.00\r\n", ReadFileBytes(list + ".pending"));
  EXPECT_EQ(kLog, ReadFileBytes(program.File("Log.dat")));
  char interval[16] = {};
  ::GetPrivateProfileStringA("Integer", "Interval", "", interval, sizeof interval,
                             program.File("Inf.ini").c_str());
  EXPECT_STREQ("30", interval) << "the settings were read, not the defaults written";
}

TEST(BadFiles, UnreadableContentIsKeptAsideAndTheProgramRunsOnDefaults) {
  TempDir dir;
  Program program(dir);
  const std::string huge(10 * 1024 * 1024, 'a');
  WriteFileBytes(program.File("ProcessList.dat"), "");
  WriteFileBytes(program.File("Log.dat"), huge);
  WriteFileBytes(program.File("Inf.ini"), "\r\n\r\n\n\n\r");

  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(BecomesVisible(main));
  EXPECT_EQ("(no box)", AnswerBox(pi.dwProcessId, 500)) << "none of this is an error";
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));

  EXPECT_EQ("Ver1.00\r\n", ReadFileBytes(program.File("ProcessList.dat")))
      << "an empty file is no first run";
  EXPECT_EQ("", ReadFileBytes(program.File("ProcessList.dat.bak")));
  EXPECT_EQ("Ver1.00\r\n", ReadFileBytes(program.File("Log.dat")));
  EXPECT_EQ(huge.size(), ReadFileBytes(program.File("Log.dat.bak")).size());
  EXPECT_EQ(0u, ReadFileBytes(program.File("Inf.ini")).find("[Information]\r\n"));
  EXPECT_EQ("\r\n\r\n\n\n\r", ReadFileBytes(program.File("Inf.ini.bak")));
}

TEST(BadFiles, CutLeadBytesAndNulsInTheListAreShownAndSavedUnchanged) {
  TempDir dir;
  Program program(dir);
  // 0x81 is a CP932 lead byte; here the line break follows it, not a trail byte.
  const std::string list = std::string("Ver1.00\r\nname\x81\r\nC:\\dir\x81\\name\x81\r\n\r\n") +
                           "2024/01/02\r\n2024/01/03\r\n" + std::string("a\0b\x81", 4) +
                           "\r\nlast\x81";
  WriteFileBytes(program.File("ProcessList.dat"), list);

  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(BecomesVisible(main));
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);

  // No comparison runs while the window is shown: the list goes back as it came,
  // its last record cut short filled out with empty lines.
  EXPECT_EQ(list + "\r\n\r\n\r\n\r\n\r\n\r\n", ReadFileBytes(program.File("ProcessList.dat")));
  EXPECT_FALSE(Exists(program.File("ProcessList.dat.bak")));
}

TEST(BadFiles, FolderThatTakesNoNewFileAtTheEndIsReportedAndTheFilesStayWhole) {
  TempDir dir;
  Program program(dir);
  program.PutFiles(kList, kLog, kSettings);

  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(BecomesVisible(main));
  // A program folder made read-only. The tests run as root, whom a folder's
  // permissions do not stop, so the folder is made to refuse the new files the
  // way the program makes them: their temporary names are taken.
  for (const char* name : {"ProcessList.dat.tmp", "Log.dat.tmp", "Inf.ini.tmp"})
    ASSERT_TRUE(::CreateDirectoryA(program.File(name).c_str(), nullptr));
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, AnswerBox(pi.dwProcessId)
                    .find("ファイル " + program.File("ProcessList.dat") + " を作成できません"));
  ASSERT_TRUE(Ended(pi));

  EXPECT_EQ(kList, ReadFileBytes(program.File("ProcessList.dat")));
  EXPECT_EQ(kLog, ReadFileBytes(program.File("Log.dat")));
  EXPECT_EQ(kSettings, ReadFileBytes(program.File("Inf.ini")));
}

// A program folder that is truly read-only: scripts/test.sh makes one with a
// read-only bind mount and names it in VANTRY_READONLY_DIR (folder permissions
// would not stop root, as whom the tests run here). The folder holds the program
// with its three files, which it reads at its start and can never replace.
TEST(BadFiles, ReadOnlyProgramFolderAtTheEndIsReportedAndTheFilesStayWhole) {
  const char* named = std::getenv("VANTRY_READONLY_DIR");
  if (!named || !*named) GTEST_SKIP() << "no read-only program folder (scripts/test.sh as root)";
  std::string dir = named;
  if (dir.back() == '\\') dir.pop_back();
  const std::string exe = dir + "\\Vantry.exe";
  const std::string list = dir + "\\ProcessList.dat";
  const std::string log = dir + "\\Log.dat";
  const std::string settings = dir + "\\Inf.ini";
  ASSERT_TRUE(Exists(exe) && Exists(list) && Exists(log) && Exists(settings));
  // The folder must refuse a new file, or the test proves nothing.
  const std::string probe = dir + "\\probe";
  if (::CreateDirectoryA(probe.c_str(), nullptr)) {
    ::RemoveDirectoryA(probe.c_str());
    FAIL() << dir << " takes new files";
  }
  const std::string listBefore = ReadFileBytes(list);
  const std::string logBefore = ReadFileBytes(log);
  const std::string settingsBefore = ReadFileBytes(settings);

  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string command = "\"" + exe + "\"";
  ASSERT_TRUE(::CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               dir.c_str(), &si, &pi));
  const testsupport::StartedProcess started(pi);
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  const bool shown = main && BecomesVisible(main);
  if (shown) ::PostMessageA(main, WM_CLOSE, 0, 0);
  const std::string box = shown ? AnswerBox(pi.dwProcessId) : std::string("(no window)");
  const bool ended = Ended(pi);
  if (!ended) ::TerminateProcess(pi.hProcess, 1);

  EXPECT_EQ(0u, box.find("ファイル " + list + " を作成できません")) << box;
  EXPECT_TRUE(ended);
  EXPECT_EQ(listBefore, ReadFileBytes(list));
  EXPECT_EQ(logBefore, ReadFileBytes(log));
  EXPECT_EQ(settingsBefore, ReadFileBytes(settings));
  EXPECT_FALSE(Exists(list + ".tmp"));
}
