// The real program started for a script: "/export list|log FILE.csv" writes the
// CSV file, ends with its exit code and says what went wrong in one line on the
// caller's standard error or console, beside a running program too. Literals
// without u8 are CP932, as the data files and the messages are; u8 literals are
// the UTF-8 the CSV file holds.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "toolkit/AnsiText.h"
#include "toolkit/FindFile.h"
#include "toolkit/Handle.h"

using programrun::Program;
using testsupport::Exists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// Five programs, one of them cut short by the end of the file: a double-byte
// path whose trail bytes are backslashes, a comment with a comma and quotes, and
// one damaged by a lead byte cut from its trail byte and by a NUL.
const std::string kList =
    "Ver1.00\r\n"
    "notepad.exe\r\nC:\\Windows\\notepad.exe\r\n2024/01/02 3:04:05\r\n2024/01/03\r\n"
    "2024/01/04 10:00:00\r\n\r\n"
    "表計算.exe\r\nC:\\ソフト\\表計算.exe\r\n2024/02/01\r\n2024/02/02\r\n2024/02/03\r\n"
    "メモ, \"大事\"\r\n" +
    std::string("broken.exe\r\nC:\\broken.exe\r\n\r\n\r\n\r\n壊れ\x83\r\n") +
    std::string("nul.exe\r\nC:\\nul.exe\r\n\r\n\r\n\r\na\0b\r\n", 32) +
    "short.exe\r\nC:\\short.exe\r\n";
const std::string kListCsv =
    u8"\uFEFFファイル名,フルパス,更新日時,追加日時,最終実行日時,コメント\r\n"
    u8"notepad.exe,C:\\Windows\\notepad.exe,2024/01/02 3:04:05,2024/01/03,2024/01/04 10:00:00,\r\n"
    u8"表計算.exe,C:\\ソフト\\表計算.exe,2024/02/01,2024/02/02,2024/02/03,\"メモ, \"\"大事\"\"\"\r\n"
    u8"broken.exe,C:\\broken.exe,,,,壊れ\uFFFD\r\n"
    u8"nul.exe,C:\\nul.exe,,,,a\uFFFDb\r\n"
    u8"short.exe,C:\\short.exe,,,,\r\n";

const std::string kLog =
    "Ver1.00\r\n"
    "2024/01/02 3:04:05\r\n表計算.exe\r\n追加\r\n\r\n"
    "2024/01/03\r\nnotepad.exe\r\n更新\r\n2024/01/01 → 2024/01/02\r\n";
const std::string kLogCsv =
    u8"\uFEFF日時,ファイル名,種類,詳細\r\n"
    u8"2024/01/02 3:04:05,表計算.exe,追加,\r\n"
    u8"2024/01/03,notepad.exe,更新,2024/01/01 → 2024/01/02\r\n";

const char kUsage[] = "使い方: Vantry.exe /export list|log ファイル名.csv";

// Every file of a folder (not of its subfolders) with its bytes.
std::map<std::string, std::string> FolderContents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  toolkit::TFindFile search(toolkit::Widen(folder + "\\*"));
  for (bool more = search.found(); more; more = search.next()) {
    const WIN32_FIND_DATAW& data = search.data();
    const std::string name = toolkit::Narrow(data.cFileName);
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      contents[name] = ReadFileBytes(folder + "\\" + name);
  }
  return contents;
}

void ExpectFailure(const Program::Outcome& outcome, DWORD exitCode, const std::string& message,
                   const std::string& arguments) {
  EXPECT_EQ(exitCode, outcome.exitCode) << arguments;
  EXPECT_EQ(message + "\r\n", outcome.errorText) << arguments;
}

}  // namespace

TEST(Export, ListIsTheProcessListAsUtf8CsvInFileOrder) {
  TempDir dir, work;
  Program program(dir);
  WriteFileBytes(program.File("ProcessList.dat"), kList);
  const auto before = FolderContents(dir.path());

  // A relative target is the caller's: its working folder, not the program's.
  const Program::Outcome outcome = program.Run("/export list list.csv", work.path());
  EXPECT_EQ(0u, outcome.exitCode);
  EXPECT_EQ("", outcome.errorText);
  EXPECT_EQ(kListCsv, ReadFileBytes(work.file("list.csv")));
  EXPECT_FALSE(Exists(work.file("list.csv.tmp")));
  EXPECT_EQ(before, FolderContents(dir.path())) << "nothing is written beside the program";
}

TEST(Export, LogIsTheLogWithItsFourColumnsAndReplacesAnOldFileWhole) {
  TempDir dir, work;
  Program program(dir);
  WriteFileBytes(program.File("Log.dat"), kLog);
  WriteFileBytes(work.file("log.csv"), std::string(100000, 'x'));

  // Switches and kinds in any letter case, a quoted target with a space.
  const Program::Outcome outcome =
      program.Run("/EXPORT Log \"" + work.file("the log.csv") + "\"", work.path());
  EXPECT_EQ(0u, outcome.exitCode);
  EXPECT_EQ("", outcome.errorText);
  EXPECT_EQ(kLogCsv, ReadFileBytes(work.file("the log.csv")));

  EXPECT_EQ(0u, program.Run("/export log log.csv", work.path()).exitCode);
  EXPECT_EQ(kLogCsv, ReadFileBytes(work.file("log.csv")));
}

TEST(Export, WrongArgumentsEndWithOneAndTheUsage) {
  TempDir dir, work;
  Program program(dir);
  WriteFileBytes(program.File("ProcessList.dat"), kList);
  for (const char* arguments :
       {"/export", "/export list", "/export lists out.csv", "/export list out.csv more",
        "/export list \"\"", "/export out.csv list"})
    ExpectFailure(program.Run(arguments, work.path()), 1, kUsage, arguments);
  EXPECT_TRUE(FolderContents(work.path()).empty());
}

TEST(Export, ADataFileMissingUnreadableOrOfAnotherFormEndsWithTwo) {
  TempDir dir, work;
  Program program(dir);
  const std::string list = program.File("ProcessList.dat");
  const std::string log = program.File("Log.dat");
  ExpectFailure(program.Run("/export list out.csv", work.path()), 2,
                "ファイル " + list + " は開けません", "no list");
  ASSERT_TRUE(::CreateDirectoryA(log.c_str(), nullptr));
  ExpectFailure(program.Run("/export log out.csv", work.path()), 2,
                "ファイル " + log + " は開けません", "a folder for the log");

  // What the program loads as an empty list is no empty export.
  for (const std::string& other : {std::string("Ver2.00\r\na\r\n"), std::string()}) {
    WriteFileBytes(list, other);
    ExpectFailure(program.Run("/export list out.csv", work.path()), 2,
                  "ファイル " + list + " の形式が正しくありません", "another form");
  }
  WriteFileBytes(list, kList);
  {
    toolkit::FileHandle lock(::CreateFileA(list.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           0, nullptr));
    ASSERT_TRUE(lock);
    ExpectFailure(program.Run("/export list out.csv", work.path()), 2,
                  "ファイル " + list + " は開けません", "a list held by another program");
  }
  EXPECT_TRUE(FolderContents(work.path()).empty());
  EXPECT_EQ(kList, ReadFileBytes(list));
}

TEST(Export, ATargetThatCannotBeWrittenEndsWithThreeAndLeavesNoPartOfAFile) {
  TempDir dir, work;
  Program program(dir);
  WriteFileBytes(program.File("ProcessList.dat"), kList);
  ASSERT_TRUE(::CreateDirectoryA(work.file("folder.csv").c_str(), nullptr));
  for (const std::string& target :
       {work.file("no such folder\\out.csv"), work.file("folder.csv"), std::string("a?.csv")})
    ExpectFailure(program.Run("/export list \"" + target + "\"", work.path()), 3,
                  "ファイル " + target + " を作成できません", target);

  // An old file the rename cannot replace stays as it was, and no temporary file
  // is left beside it.
  const std::string kept = work.file("kept.csv");
  WriteFileBytes(kept, "old");
  {
    toolkit::FileHandle lock(
        ::CreateFileA(kept.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    ExpectFailure(program.Run("/export list kept.csv", work.path()), 3,
                  "ファイル kept.csv を作成できません", "a target held open");
  }
  EXPECT_EQ("old", ReadFileBytes(kept));
  EXPECT_FALSE(Exists(kept + ".tmp"));

  // A folder that refuses new files: scripts/test.sh makes one with a read-only
  // bind mount (folder permissions would not stop root, as whom the tests run).
  const char* readOnly = std::getenv("VANTRY_READONLY_DIR");
  if (readOnly && *readOnly) {
    const std::string target = std::string(readOnly) + "\\out.csv";
    ExpectFailure(program.Run("/export list \"" + target + "\"", work.path()), 3,
                  "ファイル " + target + " を作成できません", target);
    EXPECT_FALSE(Exists(target));
  }
}

TEST(Export, TheProgramsOwnFilesAreNeverATarget) {
  TempDir dir, work;
  Program program(dir);
  WriteFileBytes(program.File("ProcessList.dat"), kList);
  WriteFileBytes(program.File("Log.dat"), kLog);
  const auto before = FolderContents(dir.path());
  // By full path in another letter case or with a dot that Windows drops, from
  // the program's folder, and their temporary files and copies.
  for (const std::string& target :
       {dir.file("processlist.DAT"), dir.file("ProcessList.dat."), std::string("Log.dat"),
        std::string("Inf.ini"),
        dir.file("ProcessList.dat.tmp"), std::string("Log.dat.bak"), std::string("Log.dat.BAK12"),
        std::string("ProcessList.dat.pending"), dir.file("LOG.DAT.PENDING")}) {
    ExpectFailure(program.Run("/export list \"" + target + "\"", dir.path()), 3,
                  "ファイル " + target + " を作成できません", target);
  }
  EXPECT_EQ(before, FolderContents(dir.path()));
  // A name that only begins like one of them is an ordinary target.
  EXPECT_EQ(0u, program.Run("/export log Log.dat.csv", dir.path()).exitCode);
  EXPECT_EQ(kLogCsv, ReadFileBytes(program.File("Log.dat.csv")));
}

// Started with no standard error of its own from a process with a console, as a
// command prompt starts it, the line appears in that console.
TEST(Export, TheMessageAppearsOnTheCallersConsole) {
  TempDir dir;
  Program program(dir);
  HANDLE given[3] = {::GetStdHandle(STD_INPUT_HANDLE), ::GetStdHandle(STD_OUTPUT_HANDLE),
                     ::GetStdHandle(STD_ERROR_HANDLE)};
  ::FreeConsole();
  ASSERT_TRUE(::AllocConsole());
  for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
    ::SetStdHandle(which, nullptr);
  PROCESS_INFORMATION pi = program.Start("/export list out.csv");
  ::SetStdHandle(STD_INPUT_HANDLE, given[0]);
  ::SetStdHandle(STD_OUTPUT_HANDLE, given[1]);
  ::SetStdHandle(STD_ERROR_HANDLE, given[2]);
  ASSERT_TRUE(programrun::Ended(pi));
  DWORD code = 0;
  ::GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(2u, code);

  toolkit::FileHandle console(::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
  CONSOLE_SCREEN_BUFFER_INFO info = {};
  ASSERT_TRUE(::GetConsoleScreenBufferInfo(console.get(), &info));
  std::wstring screen(static_cast<size_t>(info.dwSize.X) * info.dwSize.Y, L' ');
  DWORD read = 0;
  ASSERT_TRUE(::ReadConsoleOutputCharacterW(console.get(), &screen[0],
                                            static_cast<DWORD>(screen.size()), COORD{0, 0}, &read));
  ::FreeConsole();
  const std::string message = "ファイル " + program.File("ProcessList.dat") + " は開けません";
  std::wstring expected(message.size(), L'\0');
  expected.resize(static_cast<size_t>(::MultiByteToWideChar(
      932, 0, message.data(), static_cast<int>(message.size()), &expected[0],
      static_cast<int>(message.size()))));
  // The rows follow each other in the buffer, so a line wrapped at the console's
  // width reads on as one.
  screen.resize(read);
  EXPECT_NE(std::wstring::npos, screen.find(expected));
  EXPECT_FALSE(Exists(dir.file("out.csv")));
}

// The export beside the program running in the tray: no mutex stops it, and the
// running program's files stay as they were, byte for byte.
TEST(Export, WorksBesideARunningProgramAndLeavesItsFilesAlone) {
  TempDir dir, work;
  Program program(dir);
  WriteFileBytes(program.File("ProcessList.dat"), kList);
  WriteFileBytes(program.File("Log.dat"), kLog);
  WriteFileBytes(program.File("Inf.ini"),
                 "[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n"
                 "[Integer]\r\nInterval=1\r\n");
  PROCESS_INFORMATION running = program.Start();
  HWND main = programrun::WaitForWindow(running.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  // In the tray, its first cycles add what runs, and it writes that within
  // seconds; the next write is half a minute away at the soonest.
  ASSERT_TRUE(programrun::Within(30000, [&] {
    return ReadFileBytes(program.File("ProcessList.dat")) != kList;
  }));
  // The running program's own journal gets the exports' runs when a cycle sees
  // them: its doing, not theirs.
  auto filesOf = [&dir] {
    auto files = FolderContents(dir.path());
    EXPECT_EQ(1u, files.erase("RunJournal.csv"));
    return files;
  };
  const auto before = filesOf();

  const Program::Outcome list = program.Run("/export list list.csv", work.path());
  const Program::Outcome log = program.Run("/export log log.csv", work.path());
  EXPECT_EQ(0u, list.exitCode);
  EXPECT_EQ(0u, log.exitCode);
  // The lists as last written: the files' rows, then what the cycles added.
  EXPECT_EQ(0u, ReadFileBytes(work.file("list.csv")).find(kListCsv));
  EXPECT_EQ(0u, ReadFileBytes(work.file("log.csv")).find(kLogCsv));
  EXPECT_EQ(before, filesOf());

  EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(running.hProcess, 0)) << "still running";
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(programrun::Ended(running));
  EXPECT_NE(kList, ReadFileBytes(program.File("ProcessList.dat"))) << "its own end saved it";
}

TEST(Export, AnyOtherCommandLineStartsTheProgramAsBefore) {
  TempDir dir;
  Program program(dir);
  PROCESS_INFORMATION pi = program.Start("/exportx list out.csv");
  HWND main = programrun::WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(programrun::BecomesVisible(main));
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(programrun::Ended(pi));
  EXPECT_FALSE(Exists(dir.file("out.csv")));
  EXPECT_TRUE(Exists(dir.file("ProcessList.dat"))) << "a first run, as without arguments";
}
