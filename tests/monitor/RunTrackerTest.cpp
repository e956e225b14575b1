#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "monitor/RunTracker.h"

using monitor::TRunEvent;
using monitor::TRunEventKind;
using monitor::TSeenProcess;

namespace {

uint64_t Ticks(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}
FILETIME At(uint64_t seconds) {
  const uint64_t ticks = (13400000000ULL + seconds) * 10000000ULL;  // some day in 2025
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Processes as the tracker's calls see them, for what Wine cannot do on demand:
// give an identifier to a new process, refuse to open one, start a parent after
// its child. A process's handle is its index in the table, plus one.
struct FakeProcess {
  DWORD Pid;
  uint64_t Created;  // seconds, At()
  uint64_t Exited;   // 0 while it runs
  std::wstring Path;
  bool Opens = true;
};
std::vector<FakeProcess> g_processes;
std::map<HANDLE, size_t> g_handles;

const FakeProcess& ProcessOf(HANDLE h) { return g_processes.at(g_handles.at(h)); }

HANDLE WINAPI FakeOpen(DWORD, BOOL, DWORD pid) {
  // The identifier names its latest process.
  for (size_t i = g_processes.size(); i-- > 0;) {
    if (g_processes[i].Pid != pid) continue;
    if (!g_processes[i].Opens) return nullptr;
    HANDLE h = reinterpret_cast<HANDLE>(0x1000 + 4 * (g_handles.size() + 1) + 0x100 * i);
    while (g_handles.count(h)) h = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(h) + 4);
    g_handles[h] = i;
    return h;
  }
  return nullptr;
}
BOOL WINAPI FakeTimes(HANDLE h, LPFILETIME created, LPFILETIME exited, LPFILETIME, LPFILETIME) {
  const FakeProcess& p = ProcessOf(h);
  *created = At(p.Created);
  *exited = p.Exited ? At(p.Exited) : FILETIME{};
  return TRUE;
}
DWORD WINAPI FakeWait(HANDLE h, DWORD) {
  return ProcessOf(h).Exited ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
BOOL WINAPI FakeClose(HANDLE h) { return g_handles.erase(h) == 1; }
std::wstring FakePath(HANDLE h) { return ProcessOf(h).Path; }
std::wstring FakeUser(HANDLE) { return L"VM\\user"; }

struct FakeSystem {
  monitor::TRunProcessApi api;
  FakeSystem() {
    g_processes.clear();
    g_handles.clear();
    api.OpenProcess = &FakeOpen;
    api.GetProcessTimes = &FakeTimes;
    api.WaitForSingleObject = &FakeWait;
    api.CloseHandle = &FakeClose;
    api.ImagePath = &FakePath;
    api.UserName = &FakeUser;
  }
  size_t Add(DWORD pid, uint64_t created, const std::wstring& path) {
    g_processes.push_back({pid, created, 0, path});
    return g_processes.size() - 1;
  }
  static int Handles() { return static_cast<int>(g_handles.size()); }
};

TSeenProcess Seen(DWORD pid, DWORD parent = 1, const std::string& name = "x.exe") {
  return TSeenProcess{pid, parent, name};
}

}  // namespace

TEST(RunTracker, AReusedIdentifierIsTwoRunsAndAListedEndedProcessIsNoNewOne) {
  FakeSystem fake;
  monitor::TRunTracker tracker(fake.api);
  const size_t first = fake.Add(100, 10, L"C:\\a.exe");
  EXPECT_EQ(1u, tracker.Cycle({Seen(100)}, At(20)).size());
  // It ends and its identifier goes to another program before the next cycle.
  g_processes[first].Exited = 30;
  fake.Add(100, 40, L"C:\\b.exe");
  std::vector<TRunEvent> events = tracker.Cycle({Seen(100)}, At(50));
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(TRunEventKind::End, events[0].Kind);
  EXPECT_EQ(L"C:\\a.exe", events[0].Path);
  EXPECT_EQ(Ticks(At(30)), Ticks(events[0].Ended));
  EXPECT_EQ(TRunEventKind::Start, events[1].Kind);
  EXPECT_EQ(L"C:\\b.exe", events[1].Path);
  EXPECT_EQ(Ticks(At(40)), Ticks(events[1].Started));
  EXPECT_EQ(1, FakeSystem::Handles());

  // Ended but still listed by the walk (and still opened by its identifier): it
  // ends once and does not start again.
  g_processes.back().Exited = 60;
  events = tracker.Cycle({Seen(100)}, At(70));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(TRunEventKind::End, events[0].Kind);
  EXPECT_EQ(Ticks(At(60)), Ticks(events[0].Ended));
  EXPECT_EQ(0, tracker.Runs());
  EXPECT_EQ(0, FakeSystem::Handles());
}

TEST(RunTracker, AProcessThatCannotBeOpenedHasTheCyclesTimesMarked) {
  FakeSystem fake;
  monitor::TRunTracker tracker(fake.api);
  fake.Add(200, 10, L"C:\\svc.exe");
  g_processes.back().Opens = false;
  std::vector<TRunEvent> events = tracker.Cycle({Seen(200, 4, "svc.exe")}, At(20));
  ASSERT_EQ(1u, events.size());
  EXPECT_TRUE(events[0].StartedFromCycle);
  EXPECT_EQ(Ticks(At(20)), Ticks(events[0].Started));
  EXPECT_EQ(L"svc.exe", events[0].Name);  // the walk's name
  EXPECT_EQ(L"", events[0].Path);
  EXPECT_EQ(L"", events[0].User);
  EXPECT_EQ(0, FakeSystem::Handles());
  EXPECT_TRUE(tracker.Cycle({Seen(200, 4, "svc.exe"), Seen(201)}, At(30)).size() == 1);
  events = tracker.Cycle({Seen(201)}, At(40));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(200u, events[0].Pid);
  EXPECT_TRUE(events[0].EndedFromCycle);
  EXPECT_EQ(Ticks(At(40)), Ticks(events[0].Ended));
  EXPECT_EQ(20000, events[0].Milliseconds());
}

TEST(RunTracker, TheParentsPathOnlyWhenItsRunBeganNoLaterThanTheChild) {
  FakeSystem fake;
  monitor::TRunTracker tracker(fake.api);
  fake.Add(10, 5, L"C:\\parent.exe");
  fake.Add(11, 6, L"C:\\child.exe");       // its parent comes later in the walk
  fake.Add(12, 9, L"C:\\orphan.exe");      // its parent's identifier went to...
  fake.Add(13, 20, L"C:\\later.exe");      // ...this later process
  fake.Add(14, 5, L"C:\\same.exe");        // created in the same tick as its parent
  fake.Add(15, 30, L"C:\\unknown.exe");    // its parent is not running
  std::vector<TRunEvent> events = tracker.Cycle(
      {Seen(11, 10), Seen(10, 1), Seen(12, 13), Seen(13, 1), Seen(14, 10), Seen(15, 99)}, At(40));
  std::map<DWORD, std::wstring> parents;
  for (const TRunEvent& e : events) parents[e.Pid] = e.ParentPath;
  EXPECT_EQ(L"C:\\parent.exe", parents[11]);
  EXPECT_EQ(L"", parents[12]);
  EXPECT_EQ(L"C:\\parent.exe", parents[14]);
  EXPECT_EQ(L"", parents[15]);
  // In the order of their creation.
  ASSERT_EQ(6u, events.size());
  for (size_t i = 1; i < events.size(); ++i)
    EXPECT_LE(Ticks(events[i - 1].Started), Ticks(events[i].Started));
}

TEST(RunTracker, RunsAnEarlierSessionJournalledStartNoMoreButTheirEndsAreSeen) {
  FakeSystem fake;
  monitor::TRunTracker tracker(fake.api);
  const size_t kept = fake.Add(300, 10, L"C:\\kept.exe");
  fake.Add(301, 11, L"C:\\new.exe");
  fake.Add(302, 12, L"C:\\reused.exe");  // the journal's 302 began at 5: another run
  fake.Add(303, 13, L"C:\\svc.exe");
  g_processes.back().Opens = false;
  tracker.SetJournalled({{300, static_cast<int64_t>(Ticks(At(10)) / 10000), false, L"kept.exe"},
                         {302, static_cast<int64_t>(Ticks(At(5)) / 10000), false, L"reused.exe"},
                         {303, static_cast<int64_t>(Ticks(At(8)) / 10000), true, L"svc.exe"}});
  std::vector<TRunEvent> events = tracker.Cycle(
      {Seen(300), Seen(301), Seen(302), Seen(303, 1, "svc.exe")}, At(20));
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(301u, events[0].Pid);
  EXPECT_EQ(302u, events[1].Pid);
  g_processes[kept].Exited = 25;
  events = tracker.Cycle({Seen(301), Seen(302)}, At(30));
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(300u, events[0].Pid);
  EXPECT_EQ(Ticks(At(25)), Ticks(events[0].Ended));
  // The unopenable one keeps the start the journal has, so its end names it.
  EXPECT_EQ(303u, events[1].Pid);
  EXPECT_EQ(Ticks(At(8)), Ticks(events[1].Started));
  EXPECT_TRUE(events[1].StartedFromCycle);
}

TEST(RunTracker, AFailedWalkEndsNothingAndARunMissedByAWalkStaysWhileItRuns) {
  FakeSystem fake;
  monitor::TRunTracker tracker(fake.api);
  fake.Add(400, 10, L"C:\\a.exe");
  fake.Add(401, 10, L"C:\\b.exe");
  ASSERT_EQ(2u, tracker.Cycle({Seen(400), Seen(401)}, At(20)).size());
  EXPECT_TRUE(tracker.Cycle({}, At(30)).empty());
  EXPECT_TRUE(tracker.Cycle({Seen(401)}, At(40)).empty());
  EXPECT_EQ(2, tracker.Runs());
  EXPECT_EQ(2, FakeSystem::Handles());
  {
    monitor::TRunTracker other(fake.api);
    other.Cycle({Seen(400)}, At(50));
    EXPECT_EQ(3, FakeSystem::Handles());
  }
  // A tracker gives back every handle when it goes, and writes no end.
  EXPECT_EQ(2, FakeSystem::Handles());
}
