// The real program and its files while it runs: what a session finds is on the
// disk within a minute with no orderly end at all; killed at any moment of a
// save, every file is the old one or a whole new one; a file that another
// program holds at start is waited for, and one held longer is never replaced;
// a list too large for the memory is told in words and kept.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "ProgramRun.h"
#include "TestSupport.h"
#include "toolkit/Handle.h"

using programrun::AnswerBox;
using programrun::BecomesVisible;
using programrun::Ended;
using programrun::Program;
using programrun::WaitForWindow;
using programrun::Within;
using testsupport::Exists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

const std::string kList =
    "Ver1.00\r\nkept.exe\r\nC:\\kept.exe\r\n\r\n2024/01/02\r\n2024/01/03\r\nよく使う\r\n";
const std::string kLog = "Ver1.00\r\n2024/01/02\r\nkept.exe\r\n追加\r\n\r\n";

std::string Settings(bool inTray, const std::string& more = "") {
  return std::string("[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=") +
         (inTray ? "1" : "0") + "\r\nStartUp=0\r\n[Compare]\r\nDeleteCheck=0\r\nNotice=0\r\n" +
         "[Integer]\r\nInterval=" + (inTray ? "1" : "33") + "\r\nLog=100\r\n[Ignore]\r\n" +
         "ListCout=1\r\nPath0=C:\\Ignored\\\r\n" + more;
}

std::string ProfileValue(const std::string& path, const char* section, const char* key) {
  char value[256] = {};
  ::GetPrivateProfileStringA(section, key, "(absent)", value, sizeof value, path.c_str());
  return value;
}

size_t Lines(const std::string& bytes) {
  size_t n = 0;
  for (char c : bytes) n += c == '\n';
  return n;
}

// A data file written whole: the version line, whole records, every line ended.
bool IsWholeDataFile(const std::string& bytes, size_t linesPerRecord) {
  return bytes.compare(0, 9, "Ver1.00\r\n") == 0 && bytes.size() >= 2 &&
         bytes.compare(bytes.size() - 2, 2, "\r\n") == 0 &&
         (Lines(bytes) - 1) % linesPerRecord == 0;
}

// A start that reads the files without a box, and its orderly end.
void StartAndEndWithoutABox(Program& program) {
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_EQ("(no box)", AnswerBox(pi.dwProcessId, 3000));
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));
}

// A file that another program holds without sharing it, as a virus scanner, a
// backup or a sync tool does, until `Release` or the end of this object.
class HeldFile {
public:
  explicit HeldFile(const std::string& path)
      : file_(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  explicit operator bool() const { return static_cast<bool>(file_); }
  void ReleaseAfter(DWORD ms) {
    letGo_ = std::thread([this, ms] {
      ::Sleep(ms);
      file_.reset();
    });
  }
  void Release() {
    if (letGo_.joinable()) letGo_.join();
    file_.reset();
  }
  ~HeldFile() { Release(); }

private:
  toolkit::FileHandle file_;
  std::thread letGo_;
};

}  // namespace

// Nothing of a session waits for the orderly end: a crash, a task manager's end,
// a power cut or a killed session loses at most the last moments.
TEST(Saving, ASessionsFindsAreOnTheDiskWithinAMinuteWithoutAnOrderlyEnd) {
  TempDir dir;
  Program program(dir);
  program.PutFiles(kList, kLog, Settings(true));
  PROCESS_INFORMATION pi = program.Start();
  ASSERT_NE(nullptr, WaitForWindow(pi.dwProcessId, "TForm1"));
  ::Sleep(2500);  // in the tray, its first cycles done

  TempDir other;
  testsupport::ChildProcess child(other.path(), "appeared-meanwhile.exe");
  const ULONGLONG appeared = ::GetTickCount64();
  const std::string row = "appeared-meanwhile.exe\r\n" + child.path() + "\r\n";
  const bool onDisk = Within(60000, [&] {
    return ReadFileBytes(program.File("ProcessList.dat")).find(row) != std::string::npos;
  });
  const ULONGLONG after = ::GetTickCount64() - appeared;
  std::printf("the new program was on the disk %.1f s after it started\n", after / 1000.0);
  ::TerminateProcess(pi.hProcess, 1);  // no orderly end, no WM_ENDSESSION
  ASSERT_TRUE(Ended(pi));
  ASSERT_TRUE(onDisk) << "not on the disk a minute after it ran";

  const std::string list = ReadFileBytes(program.File("ProcessList.dat"));
  EXPECT_TRUE(IsWholeDataFile(list, 6));
  EXPECT_EQ(0u, list.find(kList)) << "the programs it had, as they were";
  const std::string log = ReadFileBytes(program.File("Log.dat"));
  EXPECT_TRUE(IsWholeDataFile(log, 4));
  EXPECT_EQ(0u, log.find(kLog));
  EXPECT_NE(std::string::npos, log.find("appeared-meanwhile.exe\r\n追加\r\n"));
  EXPECT_EQ(Settings(true), ReadFileBytes(program.File("Inf.ini"))) << "unchanged, not written";

  // The next start reads them without a word.
  StartAndEndWithoutABox(program);
}

// Killed at many moments of the writes at a suspend and of those at the end,
// each file is afterwards either what it was or a whole new one.
TEST(Saving, KilledAtAnyMomentOfASaveEveryFileIsTheOldOneOrAWholeNewOne) {
  TempDir dir;
  Program program(dir);
  // A long list, so that a write takes a while and the kills can land inside it.
  std::string list = "Ver1.00\r\n";
  for (int i = 0; i < 40000; ++i) {
    const std::string name = "app" + std::to_string(i) + ".exe";
    list += name + "\r\nC:\\Programs\\" + std::to_string(i % 97) + "\\" + name +
            "\r\n2024/01/02 3:04:05\r\n2024/01/03 4:05:06\r\n2024/01/04 5:06:07\r\n" +
            (i % 10 ? "" : "よく使う") + "\r\n";
  }
  std::string log = "Ver1.00\r\n";
  for (int i = 0; i < 100; ++i) log += "2024/01/02\r\napp" + std::to_string(i) + ".exe\r\n追加\r\n\r\n";
  // A settings file without the run journal's section: the end adds it.
  const std::string settings = Settings(true);
  const std::string settingsAtTheEnd = settings + "[RunJournal]\r\nEnabled=1\r\nMaxKB=10240\r\n";
  const std::string listPath = program.File("ProcessList.dat");
  const std::string logPath = program.File("Log.dat");
  const std::string iniPath = program.File("Inf.ini");

  constexpr int kRounds = 12;
  DWORD saveMs = 0;  // how long a write at suspend takes, measured in the first round
  int newLists = 0, oldLists = 0, leftTemporary = 0;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    program.PutFiles(list, log, settings);
    PROCESS_INFORMATION pi = program.Start();
    HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
    ASSERT_NE(nullptr, main);
    // In the tray, its first cycle has added the running programs and logged them.
    ASSERT_TRUE(Within(60000, [&] { return programrun::LogRows(main) > 100; }));
    const bool atSuspend = round % 2 == 0;
    if (round == 0) {
      const ULONGLONG began = ::GetTickCount64();
      DWORD_PTR answer = 0;
      ::SendMessageTimeoutA(main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_NORMAL, 20000,
                            &answer);
      saveMs = static_cast<DWORD>(::GetTickCount64() - began);
      std::printf("a write at suspend took %lu ms\n", static_cast<unsigned long>(saveMs));
      EXPECT_NE(list, ReadFileBytes(listPath)) << "a suspend writes what the cycle added";
    } else {
      ::PostMessageA(main, atSuspend ? WM_POWERBROADCAST : WM_CLOSE, atSuspend ? PBT_APMSUSPEND : 0,
                     0);
      // From the moment the message is taken to well past the end of the write.
      ::Sleep(static_cast<DWORD>((saveMs * 3 + 30) * (round / 2) / (kRounds / 2)));
    }
    ::TerminateProcess(pi.hProcess, 1);
    ASSERT_TRUE(Ended(pi));

    const std::string listAfter = ReadFileBytes(listPath);
    if (listAfter == list) {
      ++oldLists;
    } else {
      ++newLists;
      EXPECT_TRUE(IsWholeDataFile(listAfter, 6));
      EXPECT_EQ(0u, listAfter.find("Ver1.00\r\napp0.exe\r\nC:\\Programs\\0\\app0.exe\r\n"));
      EXPECT_GE(Lines(listAfter), Lines(list));
    }
    const std::string logAfter = ReadFileBytes(logPath);
    if (logAfter != log) {
      EXPECT_TRUE(IsWholeDataFile(logAfter, 4));
      EXPECT_GE(Lines(logAfter), Lines(log));
    }
    const std::string iniAfter = ReadFileBytes(iniPath);
    EXPECT_TRUE(iniAfter == settings || iniAfter == settingsAtTheEnd) << iniAfter;
    leftTemporary += Exists(listPath + ".tmp");
    for (const char* tmp : {"ProcessList.dat.tmp", "Log.dat.tmp", "Inf.ini.tmp"})
      ::DeleteFileA(program.File(tmp).c_str());
  }
  std::printf("%d rounds: the list old %d times, new %d times, a cut temporary file left %d times\n",
              kRounds, oldLists, newLists, leftTemporary);
  EXPECT_GT(newLists, 0);
}

// A backup or sync tool, or a virus scanner, holds the list for a few seconds
// at start: the start waits for it and reads it and the settings as usual.
TEST(Saving, AListHeldForAFewSecondsAtStartIsWaitedFor) {
  TempDir dir;
  Program program(dir);
  program.PutFiles(kList, kLog, Settings(false));
  HeldFile held(program.File("ProcessList.dat"));
  ASSERT_TRUE(held);
  held.ReleaseAfter(3000);
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(BecomesVisible(main));
  EXPECT_EQ("(no box)", AnswerBox(pi.dwProcessId, 1000));
  held.Release();
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));
  EXPECT_EQ(kList, ReadFileBytes(program.File("ProcessList.dat")));
  EXPECT_EQ("33", ProfileValue(program.File("Inf.ini"), "Integer", "Interval"));
  EXPECT_EQ("C:\\Ignored\\", ProfileValue(program.File("Inf.ini"), "Ignore", "Path0"));
  EXPECT_FALSE(Exists(program.File("ProcessList.dat.bak")));
  EXPECT_FALSE(Exists(program.File("ProcessList.dat.pending")));
}

// Held for the whole run, the list is never replaced, by no write while it runs
// and not at the end; the settings are read all the same (it starts in the tray
// as they say), the user is told once, and what the session finds is kept beside
// the list until a start that can read it merges the two.
TEST(Saving, AListHeldForTheWholeRunIsNeverReplacedAndNothingOfTheSessionIsLost) {
  TempDir dir;
  Program program(dir);
  program.PutFiles(kList, kLog, Settings(true));
  const std::string pending = program.File("ProcessList.dat.pending");
  TempDir other;
  std::string row;
  {
    HeldFile held(program.File("ProcessList.dat"));
    ASSERT_TRUE(held);
    PROCESS_INFORMATION pi = program.Start();
    const std::string told = AnswerBox(pi.dwProcessId, 30000);
    EXPECT_EQ(0u, told.find("ファイル " + program.File("ProcessList.dat") + " は開けません\r\n"))
        << told;
    EXPECT_NE(std::string::npos, told.find(pending)) << told;
    HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
    ASSERT_NE(nullptr, main);
    EXPECT_FALSE(::IsWindowVisible(main)) << "started in the tray, as the settings say";

    testsupport::ChildProcess child(other.path(), "found-meanwhile.exe");
    row = "found-meanwhile.exe\r\n" + child.path() + "\r\n";
    EXPECT_TRUE(Within(60000, [&] {
      return Exists(pending) && ReadFileBytes(pending).find(row) != std::string::npos;
    })) << "kept beside the list while it runs";
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ("(no box)", AnswerBox(pi.dwProcessId, 2000)) << "told once, at the start";
    ASSERT_TRUE(Ended(pi));
  }
  EXPECT_EQ(kList, ReadFileBytes(program.File("ProcessList.dat")));
  EXPECT_FALSE(Exists(program.File("ProcessList.dat.bak")));
  EXPECT_EQ("1", ProfileValue(program.File("Inf.ini"), "Start", "TaskTorrey"));
  EXPECT_EQ("C:\\Ignored\\", ProfileValue(program.File("Inf.ini"), "Ignore", "Path0"));
  EXPECT_NE(std::string::npos, ReadFileBytes(pending).find(row));

  // Free again: the next start merges what was kept, and the pending file goes.
  StartAndEndWithoutABox(program);
  const std::string merged = ReadFileBytes(program.File("ProcessList.dat"));
  EXPECT_EQ(0u, merged.find(kList));
  EXPECT_NE(std::string::npos, merged.find(row));
  EXPECT_FALSE(Exists(pending));
}

// More lines than a 32-bit process can hold as rows.
TEST(Saving, AListTooLargeForTheMemoryIsToldInWordsAndKeptAside) {
  TempDir dir;
  Program program(dir);
  const std::string path = program.File("ProcessList.dat");
  const size_t lines = 120u * 1024 * 1024;
  WriteFileBytes(path, "Ver1.00\r\n" + std::string(lines, '\n'));
  WriteFileBytes(program.File("Inf.ini"), Settings(false));
  PROCESS_INFORMATION pi = program.Start();
  const std::string told = AnswerBox(pi.dwProcessId, 60000);
  EXPECT_EQ("ファイル " + path + " は大きすぎて読み込めません\r\n" + path +
                ".bak として残し、新しいリストで始めます.",
            told);
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(BecomesVisible(main));
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));
  EXPECT_EQ(9 + lines, testsupport::FileSize(path + ".bak"));
  EXPECT_TRUE(IsWholeDataFile(ReadFileBytes(path), 6));
  EXPECT_EQ("33", ProfileValue(program.File("Inf.ini"), "Integer", "Interval"));
}

// On 64-bit Windows a 32-bit program gets 4 GB of address space instead of 2
// only when its header says it handles addresses above 2 GB.
TEST(Saving, TheProgramTakesTheWholeAddressSpaceA64BitWindowsGivesIt) {
  const std::string image = ReadFileBytes(testsupport::TestBinDir() + "\\..\\Vantry.exe");
  IMAGE_DOS_HEADER dos = {};
  IMAGE_NT_HEADERS32 nt = {};
  ASSERT_GE(image.size(), sizeof dos);
  std::memcpy(&dos, image.data(), sizeof dos);
  ASSERT_GE(image.size(), static_cast<size_t>(dos.e_lfanew) + sizeof nt);
  std::memcpy(&nt, image.data() + dos.e_lfanew, sizeof nt);
  ASSERT_EQ(static_cast<DWORD>(IMAGE_NT_SIGNATURE), nt.Signature);
  EXPECT_EQ(IMAGE_FILE_MACHINE_I386, nt.FileHeader.Machine);
  EXPECT_TRUE(nt.FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
}
