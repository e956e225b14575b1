// The run journal of the real program: written while it watches from the tray,
// on the disk without an orderly end, not repeated by the next start, kept back
// while another program holds the file, off when the settings say so, and
// beside an executable whose folder no code page but Unicode can name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "store/RunJournal.h"
#include "toolkit/AnsiText.h"
#include "toolkit/DateTimeText.h"
#include "toolkit/Handle.h"

using programrun::Ended;
using programrun::Program;
using programrun::WaitForWindow;
using testsupport::ChildProcess;
using testsupport::TempDir;

namespace {

// In the tray at once, a cycle every second, the journal rotated past `maxKB`.
std::string TraySettings(const std::string& journal) {
  return "[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n[Integer]\r\nInterval=1\r\n"
         "[RunJournal]\r\n" + journal;
}

// Every line of the journal and the files it was rotated into, oldest first.
std::vector<store::TJournalLine> AllLines(const std::wstring& journal) {
  std::vector<store::TJournalLine> all;
  for (int n = store::kJournalFilesKept; n >= 0; --n)
    for (auto& line : store::ReadJournalFile(n ? store::RotatedJournalPath(journal, n) : journal))
      all.push_back(line);
  return all;
}

std::vector<store::TJournalLine> LinesOf(const std::vector<store::TJournalLine>& lines, DWORD pid) {
  std::vector<store::TJournalLine> mine;
  for (const auto& line : lines)
    if (line.Pid == std::to_string(pid)) mine.push_back(line);
  return mine;
}

FILETIME Created(HANDLE process) {
  FILETIME created = {}, exited, kernel, user;
  ::GetProcessTimes(process, &created, &exited, &kernel, &user);
  return created;
}

FILETIME Exited(HANDLE process) {
  FILETIME created, exited = {}, kernel, user;
  ::GetProcessTimes(process, &created, &exited, &kernel, &user);
  return exited;
}

// Waits until the journal has a line of the process: the program has cycled.
bool Journalled(const std::wstring& journal, DWORD pid) {
  for (int waited = 0; waited < 300; ++waited) {
    if (!LinesOf(AllLines(journal), pid).empty()) return true;
    ::Sleep(100);
  }
  return false;
}

void End(const ChildProcess& child) {
  ::TerminateProcess(child.handle(), 0);
  ::WaitForSingleObject(child.handle(), 5000);
}

}  // namespace

TEST(RunJournalProgram, KilledItHasWrittenEveryRunAndTheNextStartRepeatsNone) {
  TempDir dir, other;
  Program program(dir);
  const std::wstring journal = store::RunJournalPath(toolkit::Widen(dir.path()));
  testsupport::WriteFileBytes(program.File("Inf.ini"), TraySettings(""));
  PROCESS_INFORMATION first = program.Start();
  ASSERT_TRUE(Journalled(journal, first.dwProcessId));  // it cycles
  ChildProcess shortRun(other.path(), "short-run.exe");
  ChildProcess survivor(other.path(), "survivor.exe");
  ::Sleep(2500);
  End(shortRun);
  ::Sleep(2500);
  // Killed: no orderly end, nothing saved at the end.
  ::TerminateProcess(first.hProcess, 1);
  ASSERT_TRUE(Ended(first));

  std::vector<store::TJournalLine> lines = AllLines(journal);
  const std::vector<store::TJournalLine> runOf = LinesOf(lines, shortRun.pid());
  ASSERT_EQ(2u, runOf.size());
  EXPECT_EQ(store::kJournalStart, runOf[0].Event);
  EXPECT_EQ(toolkit::IsoLocalTime(Created(shortRun.handle())), runOf[0].Started);
  EXPECT_EQ(store::kJournalEnd, runOf[1].Event);
  EXPECT_EQ(toolkit::IsoLocalTime(Exited(shortRun.handle())), runOf[1].Ended);
  EXPECT_EQ(std::to_string(::GetCurrentProcessId()), runOf[0].ParentPid);
  EXPECT_EQ("short-run.exe", runOf[1].Name);
  ASSERT_EQ(1u, LinesOf(lines, survivor.pid()).size());

  // The next start, with a limit so small that its first line begins a new file:
  // what runs since before is not journalled again, its end is.
  testsupport::WriteFileBytes(program.File("Inf.ini"), TraySettings("MaxKB=2\r\n"));
  PROCESS_INFORMATION second = program.Start();
  ASSERT_TRUE(Journalled(journal, second.dwProcessId));
  End(survivor);
  ::Sleep(2500);
  HWND main = WaitForWindow(second.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(second));
  EXPECT_TRUE(testsupport::Exists(program.File("RunJournal.1.csv")));
  // Earlier files may have gone by now (five are kept): count what is there.
  lines = AllLines(journal);
  const std::vector<store::TJournalLine> survived = LinesOf(lines, survivor.pid());
  ASSERT_FALSE(survived.empty());
  EXPECT_LE(survived.size(), 2u);  // a start at most once, and the end
  EXPECT_EQ(store::kJournalEnd, survived.back().Event);
  EXPECT_EQ(toolkit::IsoLocalTime(Created(survivor.handle())), survived.back().Started);
  EXPECT_EQ(toolkit::IsoLocalTime(Exited(survivor.handle())), survived.back().Ended);
  // The orderly end writes no end for what still runs, the program itself.
  for (const store::TJournalLine& line : LinesOf(lines, second.dwProcessId))
    EXPECT_EQ(store::kJournalStart, line.Event);
  EXPECT_NE(std::string::npos,
            testsupport::ReadFileBytes(program.File("Inf.ini")).find("[RunJournal]\r\n"
                                                                     "Enabled=1\r\nMaxKB=2\r\n"));
}

TEST(RunJournalProgram, AFileAnotherProgramHoldsGetsItsLinesOnceItIsFree) {
  TempDir dir, other;
  Program program(dir);
  const std::wstring journal = store::RunJournalPath(toolkit::Widen(dir.path()));
  testsupport::WriteFileBytes(program.File("Inf.ini"), TraySettings(""));
  PROCESS_INFORMATION pi = {};
  ChildProcess heldBack(other.path(), "held-back.exe");  // running at the first cycle
  {
    toolkit::FileHandle holder = testsupport::HoldNewFile(journal);
    ASSERT_TRUE(holder);
    pi = program.Start();
    ASSERT_NE(nullptr, WaitForWindow(pi.dwProcessId, "TForm1"));
    ::Sleep(5000);  // its first cycles, a start in the tray taking its time
    End(heldBack);
    ::Sleep(2000);
  }
  // Both lines come once the file is free, in the order they happened.
  std::vector<store::TJournalLine> runOf;
  for (int waited = 0; waited < 100 && runOf.size() < 2; ++waited) {
    ::Sleep(100);
    runOf = LinesOf(AllLines(journal), heldBack.pid());
  }
  // No box said anything: the window is the program's only one.
  EXPECT_EQ(nullptr, WaitForWindow(pi.dwProcessId, "#32770", 100));
  ::TerminateProcess(pi.hProcess, 1);
  ASSERT_TRUE(Ended(pi));
  ASSERT_EQ(2u, runOf.size());
  EXPECT_EQ(store::kJournalStart, runOf[0].Event);
  EXPECT_EQ(store::kJournalEnd, runOf[1].Event);
  EXPECT_EQ(toolkit::IsoLocalTime(Exited(heldBack.handle())), runOf[1].Ended);
}

TEST(RunJournalProgram, SwitchedOffThereIsNoJournalAndTheSettingStays) {
  TempDir dir;
  Program program(dir);
  testsupport::WriteFileBytes(program.File("Inf.ini"), TraySettings("Enabled=0\r\n"));
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  ::Sleep(2500);
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));
  EXPECT_FALSE(testsupport::Exists(program.File("RunJournal.csv")));
  EXPECT_NE(std::string::npos,
            testsupport::ReadFileBytes(program.File("Inf.ini")).find("Enabled=0\r\n"));
}

TEST(RunJournalProgram, BesideAnExecutableInAFolderOnlyUnicodeNames) {
  TempDir dir;
  const std::wstring folder = toolkit::Widen(dir.path()) + L"\\\uAE40\uBBFC\uC900 caf\u00E9";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring exe = folder + L"\\Vantry.exe";
  ASSERT_TRUE(::CopyFileW(toolkit::Widen(testsupport::TestBinDir() + "\\..\\Vantry.exe").c_str(),
                          exe.c_str(), FALSE));
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::wstring command = L"\"" + exe + L"\"";
  ASSERT_TRUE(::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &si, &pi));
  testsupport::StartedProcess started(pi);
  // Its settings cannot be read from there yet, so it starts shown: minimised,
  // it watches from the tray at the designed interval of ten seconds.
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(programrun::BecomesVisible(main));
  ::PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  const std::wstring journal = store::RunJournalPath(folder);
  std::vector<store::TJournalLine> lines;
  for (int waited = 0; waited < 150 && lines.empty(); ++waited) {
    ::Sleep(100);
    lines = LinesOf(store::ReadJournalFile(journal), pi.dwProcessId);
  }
  ::TerminateProcess(pi.hProcess, 1);
  ASSERT_TRUE(Ended(pi));
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(toolkit::Utf8Of(exe), lines[0].Path);
}
