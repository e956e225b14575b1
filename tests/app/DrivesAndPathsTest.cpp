// The real program and the paths it meets outside the plain case: a drive that
// goes away while it runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "toolkit/AnsiText.h"

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

}  // namespace

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
