#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "SeenProcesses.h"
#include "TestSupport.h"
#include "toolkit/AnsiText.h"
#include "toolkit/DateTimeText.h"
#include "toolkit/IsoTime.h"
#include "ui/RunJournalling.h"

using testsupport::ChildProcess;
using testsupport::SeenProcesses;
using testsupport::TempDir;

namespace {

std::vector<store::TJournalLine> LinesOf(const std::wstring& folder, DWORD pid) {
  std::vector<store::TJournalLine> mine;
  for (const auto& line : store::ReadJournalFile(store::RunJournalPath(folder)))
    if (line.Pid == std::to_string(pid)) mine.push_back(line);
  return mine;
}

std::string OwnPathUtf8() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return toolkit::Utf8Of(path);
}

}  // namespace

TEST(RunJournalling, AChildBetweenCyclesOneSecondApartIsJournalledWithItsRealTimes) {
  TempDir dir;
  const std::wstring folder = toolkit::Widen(dir.path());
  ui::TRunJournalling journalling(folder, store::TJournalSettings());
  journalling.Cycle(SeenProcesses());
  ChildProcess child(dir.path(), "JournalChild.exe");
  ::Sleep(800);
  journalling.Cycle(SeenProcesses());
  // On the disk once the writer has had it.
  journalling.Journal().Drain();
  ASSERT_EQ(1u, LinesOf(folder, child.pid()).size());
  ASSERT_TRUE(::TerminateProcess(child.handle(), 0));
  ::WaitForSingleObject(child.handle(), 5000);
  ::Sleep(1000);
  journalling.Cycle(SeenProcesses());
  journalling.Journal().Drain();

  FILETIME created, exited, kernel, user;
  ASSERT_TRUE(::GetProcessTimes(child.handle(), &created, &exited, &kernel, &user));
  const std::vector<store::TJournalLine> lines = LinesOf(folder, child.pid());
  ASSERT_EQ(2u, lines.size());
  const store::TJournalLine& start = lines[0];
  const store::TJournalLine& end = lines[1];
  EXPECT_EQ(store::kJournalStart, start.Event);
  EXPECT_EQ(toolkit::IsoLocalTime(created), start.Started);
  EXPECT_EQ(store::kTimeFromSystem, start.StartedSource);
  EXPECT_EQ("", start.Ended);
  EXPECT_EQ(std::to_string(::GetCurrentProcessId()), start.ParentPid);
  EXPECT_EQ(0, _stricmp(OwnPathUtf8().c_str(), start.ParentPath.c_str())) << start.ParentPath;
  EXPECT_EQ("JournalChild.exe", start.Name);
  EXPECT_EQ(0, _stricmp(toolkit::Utf8Of(toolkit::Widen(child.path())).c_str(),
                        start.Path.c_str()));
  EXPECT_NE(std::string::npos, start.User.find('\\')) << start.User;  // DOMAIN\user

  EXPECT_EQ(store::kJournalEnd, end.Event);
  EXPECT_EQ(start.Started, end.Started);
  EXPECT_EQ(toolkit::IsoLocalTime(exited), end.Ended);
  EXPECT_EQ(store::kTimeFromSystem, end.EndedSource);
  const uint64_t c = (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  const uint64_t x = (static_cast<uint64_t>(exited.dwHighDateTime) << 32) | exited.dwLowDateTime;
  EXPECT_EQ(store::SecondsText(static_cast<long long>(x / 10000 - c / 10000)), end.Seconds);
  EXPECT_EQ(start.Path, end.Path);
}

TEST(RunJournalling, ANewSessionDoesNotJournalAgainWhatTheLastOneStarted) {
  TempDir dir;
  const std::wstring folder = toolkit::Widen(dir.path());
  ChildProcess child(dir.path(), "Survivor.exe");
  size_t othersBefore = 0;
  {
    ui::TRunJournalling first(folder, store::TJournalSettings());
    first.Cycle(SeenProcesses());
    first.Journal().Drain();
    ASSERT_EQ(1u, LinesOf(folder, child.pid()).size());
    othersBefore = store::ReadJournalFile(store::RunJournalPath(folder)).size();
  }  // ends the orderly way: no end lines
  EXPECT_EQ(othersBefore, store::ReadJournalFile(store::RunJournalPath(folder)).size());

  ui::TRunJournalling second(folder, store::TJournalSettings());
  second.Cycle(SeenProcesses());
  second.Journal().Drain();
  EXPECT_EQ(1u, LinesOf(folder, child.pid()).size());
  ::TerminateProcess(child.handle(), 0);
  ::WaitForSingleObject(child.handle(), 5000);
  second.Cycle(SeenProcesses());
  second.Journal().Drain();
  const std::vector<store::TJournalLine> lines = LinesOf(folder, child.pid());
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(store::kJournalEnd, lines[1].Event);
  EXPECT_EQ(lines[0].Started, lines[1].Started);
}

TEST(RunJournalling, OpenRunsAreStartsWithoutALaterEnd) {
  auto line = [](const char* event, const char* pid, const char* started, const char* source) {
    store::TJournalLine l;
    l.Event = event;
    l.Pid = pid;
    l.Started = started;
    l.StartedSource = source;
    l.Name = u8"名前.exe";
    return l;
  };
  const char* t1 = "2026-12-08T16:15:27.979+09:00";
  const char* t2 = "2026-12-08T17:00:00.000+09:00";
  const std::vector<monitor::TJournalledRun> runs = ui::OpenRuns(
      {line(store::kJournalStart, "1", t1, store::kTimeFromSystem),
       line(store::kJournalStart, "2", t1, store::kTimeFromCycle),
       line(store::kJournalEnd, "1", t1, store::kTimeFromSystem),
       line(store::kJournalStart, "1", t2, store::kTimeFromSystem),  // the identifier again
       line(store::kJournalStart, "3", "yesterday", store::kTimeFromSystem)});
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(1u, runs[0].Pid);
  toolkit::TUtcMilliseconds ms = 0;
  ASSERT_TRUE(toolkit::ParseIsoTime(t2, &ms));
  EXPECT_EQ(ms, runs[0].StartedMs);
  EXPECT_FALSE(runs[0].StartedFromCycle);
  EXPECT_EQ(2u, runs[1].Pid);
  EXPECT_TRUE(runs[1].StartedFromCycle);
  EXPECT_EQ(L"名前.exe", runs[1].Name);
}
