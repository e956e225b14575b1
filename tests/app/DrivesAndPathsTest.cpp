// The real program and the paths it meets outside the plain case: programs in
// folders no code page holds or past MAX_PATH, and a drive that goes away while
// it runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Paths.h"

using programrun::Ended;
using programrun::Program;
using programrun::WaitForWindow;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// Started in the tray, a cycle a second, with the deletion check on.
const char kCheckingInTheTray[] =
    "[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n[Compare]\r\nDeleteCheck=1\r\n"
    "[Integer]\r\nInterval=1\r\n";

// A process-list record as the data file holds it.
std::string Record(const std::string& name, const std::string& path, const std::string& comment) {
  return name + "\r\n" + path + "\r\n2024/01/02 3:04:06\r\n2024/01/02\r\n2024/01/03\r\n" +
         comment + "\r\n";
}

// How often `text` occurs in `within`.
int Occurrences(const std::string& within, const std::string& text) {
  int n = 0;
  for (size_t at = within.find(text); at != std::string::npos; at = within.find(text, at + 1)) ++n;
  return n;
}

}  // namespace

// A minute in the tray, a cycle a second, with the deletion check on, while
// programs run from folders in Korean, accented Latin, an emoji and one past 300
// characters, and after they end: each is one program with the time of its file,
// and none is ever logged as deleted.
TEST(Paths, ProgramsInFoldersNoCodePageHoldsAreOneRowEachAndNeverDeleted) {
  TempDir dir, others;
  const std::wstring base = toolkit::Widen(others.path());
  std::wstring deep = base + L"\\deep";
  for (wchar_t c = L'a'; deep.size() < 300; ++c) deep += L"\\" + std::wstring(40, c);
  std::vector<std::unique_ptr<testsupport::ChildProcess>> children;
  std::vector<std::string> times;
  for (const std::wstring& folder :
       {base + L"\\\uAE40\uBBFC\uC900", base + L"\\caf\u00E9", base + L"\\\U0001F600", deep}) {
    testsupport::CreateFolders(folder);
    children.push_back(std::make_unique<testsupport::ChildProcess>(folder, L"wide-tool.exe"));
    const int n = static_cast<int>(times.size());
    testsupport::SetLocalWriteTime(children.back()->widePath(),
                                   testsupport::LocalTime(2020 + n, n + 1, 2, 3, 4, 6));
    times.push_back(std::to_string(2020 + n) + "/" + std::to_string(n + 1) + "/2 3:04:06");
  }
  std::vector<std::wstring> real;
  std::vector<std::string> stored;
  for (const auto& child : children) {
    real.push_back(child->widePath());
    stored.push_back(child->path());
  }

  Program program(dir);
  WriteFileBytes(program.File("Inf.ini"), kCheckingInTheTray);
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  ::Sleep(40000);
  children.clear();  // ended: their real paths are still known to the session
  ::Sleep(20000);
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));

  const std::string list = ReadFileBytes(program.File("ProcessList.dat"));
  const std::string log = ReadFileBytes(program.File("Log.dat"));
  for (size_t i = 0; i < stored.size(); ++i) {
    const std::string where = toolkit::Utf8Of(real[i]);
    EXPECT_EQ(1, Occurrences(list, "\r\n" + stored[i] + "\r\n")) << where;
    EXPECT_EQ(1, Occurrences(list, "wide-tool.exe\r\n" + stored[i] + "\r\n" + times[i] + "\r\n"))
        << where << ": its file's time";
    // Other tests' programs, seen and then removed with their folders, may be.
    EXPECT_EQ(0, Occurrences(log, stored[i] + "の削除を確認")) << where;
  }
  EXPECT_EQ("?", stored[0].substr(others.path().size() + 1, 1));
  EXPECT_GT(stored[3].size(), 300u);
  EXPECT_EQ(4, Occurrences(log, "wide-tool.exe\r\n追加\r\n"));
  EXPECT_EQ(0, Occurrences(log, "wide-tool.exe\r\n削除"));
}

// The program itself in a folder whose name the code page cannot hold, and in
// one so deep that its temporary file's path is past MAX_PATH (the program's own
// path stays below it, as the shell starts it): two runs each, and the second
// finds what the first kept. The files beside it are read, never put aside as
// unreadable, and written in their usual form.
TEST(Paths, TheProgramInAFolderOfAnyNameOrDepthReadsAndSavesItsFiles) {
  TempDir base;
  std::wstring deep = toolkit::Widen(base.path()) + L"\\deep";
  while (deep.size() < 245) deep += L"\\" + std::wstring(std::min<size_t>(40, 244 - deep.size()), L'd');
  for (const std::wstring& folder : {toolkit::Widen(base.path()) + L"\\Jos\u00E9\\Tools", deep}) {
    const std::string where = toolkit::Utf8Of(folder);
    testsupport::CreateFolders(folder);
    const std::wstring exe = folder + L"\\Vantry.exe";
    ASSERT_TRUE(::CopyFileW(toolkit::Widen(testsupport::TestBinDir() + "\\..\\Vantry.exe").c_str(),
                            exe.c_str(), FALSE)) << where;
    auto file = [&](const wchar_t* name) { return folder + L"\\" + name; };
    // In the tray, a cycle a second; no deletion check, which would drop kept.exe.
    WriteFileBytes(file(L"Inf.ini"),
                   "[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n[Integer]\r\n"
                   "Interval=1\r\n");
    WriteFileBytes(file(L"ProcessList.dat"), "Ver1.00\r\n" + Record("kept.exe", "C:\\kept.exe", "メモ"));
    for (int run = 0; run < 2; ++run) {
      std::wstring command = L"\"" + exe + L"\"";
      STARTUPINFOW si = {};
      si.cb = sizeof si;
      PROCESS_INFORMATION info = {};
      ASSERT_TRUE(::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.c_str(), &si, &info)) << where;
      const testsupport::StartedProcess started(info);
      HWND main = WaitForWindow(info.dwProcessId, "TForm1");
      ASSERT_NE(nullptr, main) << where;
      ::Sleep(2500);  // cycles
      ::PostMessageA(main, WM_CLOSE, 0, 0);
      ASSERT_TRUE(Ended(info)) << where << ": a save that fails leaves its error box open";
    }
    const std::string list = ReadFileBytes(file(L"ProcessList.dat"));
    EXPECT_EQ(0u, list.find("Ver1.00\r\n")) << where;
    EXPECT_EQ(1, Occurrences(list, Record("kept.exe", "C:\\kept.exe", "メモ"))) << where;
    // The program lists itself, under the text its path is stored as, once.
    EXPECT_EQ(1, Occurrences(list, "Vantry.exe\r\n" + toolkit::Narrow(exe.c_str()) + "\r\n"))
        << where;
    EXPECT_EQ(1, Occurrences(ReadFileBytes(file(L"Log.dat")), "Vantry.exe\r\n追加\r\n")) << where;
    // The run journal beside it has the runs of the program itself, its path in UTF-8.
    EXPECT_LE(2, Occurrences(ReadFileBytes(file(L"RunJournal.csv")), toolkit::Utf8Of(exe)))
        << where;
    const std::string settings = ReadFileBytes(file(L"Inf.ini"));
    EXPECT_EQ(0u, settings.find("[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n"))
        << where;
    EXPECT_NE(std::string::npos, settings.find("\r\nInterval=1\r\n")) << where;
    for (const wchar_t* aside : {L"ProcessList.dat.bak", L"Log.dat.bak", L"Inf.ini.bak",
                                 L"ProcessList.dat.tmp"})
      EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                ::GetFileAttributesW(toolkit::LongPathForm(file(aside)).c_str()))
          << where << " " << toolkit::Utf8Of(aside);
  }
  EXPECT_GT(deep.size() + std::string("\\ProcessList.dat.tmp").size(), size_t{MAX_PATH});
}

// A USB stick pulled while the program watches: its programs stay listed, with
// their comments, and only a file really gone is logged as deleted. The drive is
// a drive letter that scripts/test.sh maps to a folder of the run
// (VANTRY_PULLABLE_DRIVE, VANTRY_PULLABLE_DRIVE_DIR); moving that folder away
// leaves the letter with no drive behind it, as Wine has it when a mapping in
// the prefix's dosdevices folder points nowhere.
TEST(Drives, AProgramOnADriveThatGoesAwayKeepsItsRow) {
  const char* drive = std::getenv("VANTRY_PULLABLE_DRIVE");
  const char* driveDir = std::getenv("VANTRY_PULLABLE_DRIVE_DIR");
  if (!drive || !*drive || !driveDir || !*driveDir)
    GTEST_SKIP() << "no drive to pull (scripts/test.sh maps one)";
  const std::wstring mounted = toolkit::Widen(driveDir);
  const std::wstring pulled = mounted + L"-pulled";
  const std::string stick = std::string(drive) + "\\tools\\stick.exe";
  testsupport::CreateFolders(mounted + L"\\tools");
  WriteFileBytes(stick, "x");
  struct PutBack {
    std::wstring from, to;
    ~PutBack() { ::MoveFileW(from.c_str(), to.c_str()); }
  } putBack{pulled, mounted};

  TempDir dir;
  Program program(dir);
  WriteFileBytes(program.File("Inf.ini"), kCheckingInTheTray);
  WriteFileBytes(program.File("ProcessList.dat"),
                 "Ver1.00\r\n" + Record("stick.exe", stick, "on the stick") +
                     Record("gone.exe", dir.file("gone.exe"), ""));
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  ::Sleep(2500);  // cycles with the stick in
  ASSERT_TRUE(::MoveFileW(mounted.c_str(), pulled.c_str()));
  ASSERT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((std::string(drive) + "\\").c_str()));
  ::Sleep(3500);  // cycles with the stick out
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));

  const std::string list = ReadFileBytes(program.File("ProcessList.dat"));
  EXPECT_NE(std::string::npos, list.find(Record("stick.exe", stick, "on the stick")));
  EXPECT_EQ(std::string::npos, list.find("gone.exe"));
  const std::string log = ReadFileBytes(program.File("Log.dat"));
  EXPECT_NE(std::string::npos, log.find("gone.exe\r\n削除\r\n"));
  EXPECT_EQ(std::string::npos, log.find("stick.exe\r\n削除"));
}
