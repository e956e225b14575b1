#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TestSupport.h"
#include "TestTables.h"
#include "monitor/FileFacts.h"
#include "toolkit/Handle.h"
#include "monitor/Snapshot.h"

using monitor::kCurrentPath;
using monitor::kCurrentSpare;
using testsupport::ChildProcess;
using testsupport::TempDir;

namespace {

struct Table : testsupport::Tables {
  void Refresh(const monitor::ProcessApi& api = monitor::ProcessApi::System()) {
    monitor::RefreshCurrentProcesses(*this, FallbackIcon.get(), api);
  }
  std::vector<int> RowsOfPid(DWORD pid) const {
    std::vector<int> found;
    for (int i = 0; i < CurrentPids.Count(); ++i)
      if (CurrentPids[i] == std::to_string(pid)) found.push_back(i);
    return found;
  }
  std::vector<int> RowsOfPath(const std::string& path) const {
    std::vector<int> found;
    for (int i = 0; i < CurrentProcesses.Count(); ++i)
      if (_stricmp(CurrentProcesses.Cell(i, kCurrentPath).c_str(), path.c_str()) == 0)
        found.push_back(i);
    return found;
  }
};

std::string OwnPath() {
  char buffer[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return monitor::GetLongPath(buffer);
}

}  // namespace

TEST(Snapshot, ListsTheTestProgramWithItsPathAndIdentifier) {
  Table t;
  t.Refresh();
  std::vector<int> mine = t.RowsOfPid(::GetCurrentProcessId());
  ASSERT_EQ(1u, mine.size());
  const toolkit::TListItem& row = t.CurrentProcesses[mine[0]];
  EXPECT_EQ("MonitorTests.exe", row.Caption);
  EXPECT_STRCASEEQ(OwnPath().c_str(), row.Cell(kCurrentPath).c_str());
  EXPECT_FALSE(t.SnapshotTime.empty());
}

TEST(Snapshot, ListsAChildStartedFromATemporaryFolder) {
  TempDir dir;
  ChildProcess child(dir.path(), "vantry-child.exe");
  Table t;
  t.Refresh();
  std::vector<int> rows = t.RowsOfPid(child.pid());
  ASSERT_EQ(1u, rows.size());
  EXPECT_EQ("vantry-child.exe", t.CurrentProcesses[rows[0]].Caption);
  EXPECT_EQ(child.path(), t.CurrentProcesses[rows[0]].Cell(kCurrentPath));
  // The walk's view of it, for the run journal: its parent is this test.
  auto seen = std::find_if(t.Seen.begin(), t.Seen.end(),
                           [&](const monitor::TSeenProcess& p) { return p.Pid == child.pid(); });
  ASSERT_NE(t.Seen.end(), seen);
  EXPECT_EQ(::GetCurrentProcessId(), seen->ParentPid);
  EXPECT_EQ("vantry-child.exe", seen->ExeName);
}

TEST(Snapshot, TwoInstancesOfOneProgramGiveTwoRowsAndTwoIdentifiers) {
  TempDir dir;
  ChildProcess first(dir.path(), "twice.exe");
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION second = {};
  std::string command = "\"" + first.path() + "\" 60";
  ASSERT_TRUE(::CreateProcessA(first.path().c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &si, &second));
  const testsupport::StartedProcess started(second);
  ::Sleep(300);
  Table t;
  t.Refresh();
  ::TerminateProcess(second.hProcess, 0);

  std::vector<int> rows = t.RowsOfPath(first.path());
  ASSERT_EQ(2u, rows.size());
  EXPECT_NE(t.CurrentPids[rows[0]], t.CurrentPids[rows[1]]);
  std::vector<std::string> ids = {t.CurrentPids[rows[0]], t.CurrentPids[rows[1]]};
  EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), std::to_string(first.pid())));
  EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), std::to_string(second.dwProcessId)));
}

TEST(Snapshot, RefreshKeepsOneIdentifierPerRowAndFourColumns) {
  TempDir dir;
  ChildProcess child(dir.path(), "counted.exe");
  Table t;
  t.Refresh();
  t.Refresh();  // a second refresh replaces, never appends
  ASSERT_GT(t.CurrentProcesses.Count(), 1);
  EXPECT_EQ(t.CurrentProcesses.Count(), t.CurrentPids.Count());
  for (int i = 0; i < t.CurrentProcesses.Count(); ++i) {
    EXPECT_EQ(3u, t.CurrentProcesses[i].SubItems.size()) << t.CurrentProcesses[i].Caption;
    EXPECT_TRUE(t.CurrentProcesses[i].Cell(kCurrentSpare).empty());
    const std::string& pid = t.CurrentPids[i];
    EXPECT_TRUE(!pid.empty() && pid.find_first_not_of("0123456789") == std::string::npos &&
                (pid == "0" || pid[0] != '0'))
        << pid;
  }
  EXPECT_EQ(1u, t.RowsOfPid(child.pid()).size());
}

// In a 64-bit prefix most of Wine's own processes are 64-bit, whose module list a
// 32-bit program cannot read: they are listed all the same, through their image name.
TEST(Snapshot, ListsSixtyFourBitProcesses) {
  Table t;
  t.Refresh();
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  if (!wow64) GTEST_SKIP() << "not a 64-bit system";
  DWORD pid64 = 0;
  for (int i = 0; i < t.CurrentPids.Count() && !pid64; ++i) {
    DWORD pid = std::stoul(t.CurrentPids[i]);
    toolkit::KernelHandle h(::OpenProcess(0x1000, FALSE, pid));
    if (!h) continue;
    BOOL isWow = TRUE;
    if (::IsWow64Process(h.get(), &isWow) && !isWow) pid64 = pid;
  }
  ASSERT_NE(0u, pid64) << "no 64-bit process among " << t.CurrentProcesses.Count() << " rows";
  EXPECT_FALSE(t.CurrentProcesses[t.RowsOfPid(pid64)[0]].Cell(kCurrentPath).empty());

  // Through the module list alone, the same process would have no row.
  monitor::ProcessApi moduleListOnly = monitor::ProcessApi::System();
  moduleListOnly.QueryFullProcessImageNameA = nullptr;
  Table without;
  without.Refresh(moduleListOnly);
  EXPECT_TRUE(without.RowsOfPid(pid64).empty());
}

// A fake process walk: the entries and module names are the test's, the handles real.
namespace fake {

struct Entry {
  DWORD pid;
  const char* exe;
  const char* module;  // nullptr: the module name cannot be read
  const char* image = nullptr;  // the image name through limited access; nullptr: refused
};
std::vector<Entry> entries;
size_t cursor = 0;
bool failSnapshot = false;
bool failOpen = false;
int moduleReads = 0;
// Creation times by process identifier, for the walks that keep their paths.
std::vector<std::pair<DWORD, DWORD>> created;

HANDLE WINAPI CreateSnapshot(DWORD, DWORD) {
  if (failSnapshot) return INVALID_HANDLE_VALUE;
  HANDLE h = nullptr;
  ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &h, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
  return h;
}
BOOL Fill(PROCESSENTRY32* e) {
  if (cursor >= entries.size()) return FALSE;
  e->th32ProcessID = entries[cursor].pid;
  lstrcpynA(e->szExeFile, entries[cursor].exe, MAX_PATH);
  ++cursor;
  return TRUE;
}
BOOL WINAPI First(HANDLE, PROCESSENTRY32* e) {
  cursor = 0;
  return Fill(e);
}
BOOL WINAPI Next(HANDLE, PROCESSENTRY32* e) { return Fill(e); }
// Any real handle will do: the module name is looked up by the walk's position.
HANDLE WINAPI Open(DWORD, BOOL, DWORD) { return failOpen ? nullptr : CreateSnapshot(0, 0); }
DWORD WINAPI ModuleName(HANDLE, HMODULE, LPSTR name, DWORD size) {
  ++moduleReads;
  const Entry& e = entries[cursor - 1];
  if (!e.module) return 0;
  lstrcpynA(name, e.module, static_cast<int>(size));
  return static_cast<DWORD>(lstrlenA(name));
}

BOOL WINAPI ImageName(HANDLE, DWORD, LPSTR name, PDWORD size) {
  const Entry& e = entries[cursor - 1];
  if (!e.image) return FALSE;
  lstrcpynA(name, e.image, static_cast<int>(*size));
  *size = static_cast<DWORD>(lstrlenA(name));
  return TRUE;
}

BOOL WINAPI Times(HANDLE, LPFILETIME start, LPFILETIME, LPFILETIME, LPFILETIME) {
  DWORD pid = entries[cursor - 1].pid;
  for (const auto& c : created)
    if (c.first == pid) {
      *start = FILETIME{c.second, 0x01DB0000};
      return TRUE;
    }
  return FALSE;
}

monitor::ProcessApi Api() {
  monitor::ProcessApi api;
  api.CreateToolhelp32Snapshot = &CreateSnapshot;
  api.Process32First = &First;
  api.Process32Next = &Next;
  api.OpenProcess = &Open;
  api.GetModuleFileNameExA = &ModuleName;
  return api;
}

}  // namespace fake

TEST(Snapshot, RewritesKernelPathsAndAdmitsOnlyResolvedOnes) {
  std::string windows = monitor::GetWindowsDir();
  fake::failSnapshot = false;
  fake::entries = {
      {4, "System", nullptr},                                    // unreadable: no row
      {8, "smss.exe", "\\SystemRoot\\System32\\smss.exe"},       // kernel form
      {12, "csrss.exe", "\\??\\C:\\Windows\\system32\\csrss.exe"},  // device form
      {16, "bare.exe", "bare.exe"},                              // path equals name: no row
      {20, "Bare.exe", "bare.exe"},                              // differs in case: a row
  };
  Table t;
  t.Refresh(fake::Api());
  // Every process the walk saw is seen, admitted or not.
  ASSERT_EQ(5u, t.Seen.size());
  EXPECT_EQ(4u, t.Seen[0].Pid);
  EXPECT_EQ("System", t.Seen[0].ExeName);
  EXPECT_EQ(16u, t.Seen[3].Pid);
  ASSERT_EQ(3, t.CurrentProcesses.Count());
  EXPECT_EQ(windows + "\\System32\\smss.exe", t.CurrentProcesses[0].Cell(kCurrentPath));
  EXPECT_EQ("C:\\Windows\\system32\\csrss.exe", t.CurrentProcesses[1].Cell(kCurrentPath));
  EXPECT_EQ("bare.exe", t.CurrentProcesses[2].Cell(kCurrentPath));
  EXPECT_EQ("8", t.CurrentPids[0]);
  EXPECT_EQ("12", t.CurrentPids[1]);
  EXPECT_EQ("20", t.CurrentPids[2]);
}

// A process caught while it starts may come with no name; its row takes the name
// from its path, and a process with neither gets none.
TEST(Snapshot, AProcessWithoutANameIsNamedByItsPathOrLeftOut) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {
      {8, "", "C:\\tools\\ソフト\\named.exe"},
      {12, "", nullptr},
      {16, "ok.exe", "C:\\ok.exe"},
  };
  Table t;
  t.Refresh(fake::Api());
  ASSERT_EQ(2, t.CurrentProcesses.Count());
  EXPECT_EQ("named.exe", t.CurrentProcesses[0].Caption);
  EXPECT_EQ("C:\\tools\\ソフト\\named.exe", t.CurrentProcesses[0].Cell(kCurrentPath));
  EXPECT_EQ("ok.exe", t.CurrentProcesses[1].Caption);
  for (const toolkit::TListItem& row : t.CurrentProcesses.Items()) EXPECT_FALSE(row.Caption.empty());
}

// Limited access also admits processes whose image name is no path; only
// absolute paths (a drive letter and a backslash, or two backslashes) are taken.
TEST(Snapshot, TheImageNameFallbackTakesOnlyAbsolutePaths) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {
      {8, "Registry", nullptr, "Registry"},
      {12, "MemCompression", nullptr, "MemCompression"},
      {16, "drive.exe", nullptr, "C:drive.exe"},
      {20, "rooted.exe", nullptr, "\\rooted.exe"},
      {24, "real.exe", nullptr, "D:\\apps\\real.exe"},
      {28, "share.exe", nullptr, "\\\\server\\share\\share.exe"},
  };
  monitor::ProcessApi api = fake::Api();
  api.QueryFullProcessImageNameA = &fake::ImageName;
  Table t;
  t.Refresh(api);
  ASSERT_EQ(2, t.CurrentProcesses.Count());
  EXPECT_EQ("D:\\apps\\real.exe", t.CurrentProcesses[0].Cell(kCurrentPath));
  EXPECT_EQ("\\\\server\\share\\share.exe", t.CurrentProcesses[1].Cell(kCurrentPath));
}

TEST(Snapshot, FailedSnapshotLeavesTheTableEmptyButStampsTheTime) {
  Table t;
  t.Refresh();  // something to be emptied
  ASSERT_GT(t.CurrentProcesses.Count(), 0);
  t.SnapshotTime.clear();
  fake::failSnapshot = true;
  t.Refresh(fake::Api());
  fake::failSnapshot = false;
  EXPECT_EQ(0, t.CurrentProcesses.Count());
  EXPECT_EQ(0, t.CurrentPids.Count());
  EXPECT_TRUE(t.Seen.empty());  // which the run journal takes for a failed walk
  EXPECT_FALSE(t.SnapshotTime.empty());
  EXPECT_EQ(1, t.Icons.Count());  // the fallback icon only
}

TEST(Snapshot, MissingProcessFunctionsCountAsFailedCalls) {
  fake::entries = {{8, "a.exe", "C:\\a.exe"}};
  monitor::ProcessApi api = fake::Api();
  api.GetModuleFileNameExA = nullptr;  // psapi could not be loaded, no fallback either
  Table t;
  t.Refresh(api);
  EXPECT_EQ(0, t.CurrentProcesses.Count());
  api = fake::Api();
  api.Process32Next = nullptr;  // kernel32 without the walk
  t.Refresh(api);
  EXPECT_EQ(0, t.CurrentProcesses.Count());
}

// --- Paths kept from one walk to the next ---

namespace {

// A walk with the fake's creation times and a cache of the test's own; the path
// of the one row, or "" when there is none.
std::string WalkOnce(monitor::TImagePathCache& cache) {
  monitor::ProcessApi api = fake::Api();
  api.GetProcessTimes = &fake::Times;
  testsupport::Tables t;
  monitor::GetProcessesList(t, api, &cache);
  return t.CurrentProcesses.Count() == 1 ? t.CurrentProcesses.Cell(0, kCurrentPath) : "";
}

}  // namespace

TEST(SnapshotPaths, TheSameProcessIsReadOnceAndAReusedIdentifierAfresh) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {{8, "a.exe", "C:\\a.exe"}};
  fake::created = {{8, 100}};
  fake::moduleReads = 0;
  monitor::TImagePathCache cache;
  EXPECT_EQ("C:\\a.exe", WalkOnce(cache));
  EXPECT_EQ("C:\\a.exe", WalkOnce(cache));
  EXPECT_EQ(1, fake::moduleReads);

  // Identifier 8 again, but another process: started later, from another file.
  fake::entries = {{8, "b.exe", "C:\\b.exe"}};
  fake::created = {{8, 200}};
  EXPECT_EQ("C:\\b.exe", WalkOnce(cache));
  EXPECT_EQ(2, fake::moduleReads);
}

TEST(SnapshotPaths, AModuleNameNotYetReadableIsAskedForAgain) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {{8, "a.exe", nullptr}};  // just started: no module list yet
  fake::created = {{8, 100}};
  monitor::TImagePathCache cache;
  EXPECT_EQ("", WalkOnce(cache));
  fake::entries = {{8, "a.exe", "C:\\a.exe"}};
  EXPECT_EQ("C:\\a.exe", WalkOnce(cache));
}

TEST(SnapshotPaths, AKnownProcessThatCannotBeOpenedHasNoRow) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {{8, "a.exe", "C:\\a.exe"}};
  fake::created = {{8, 100}};
  monitor::TImagePathCache cache;
  ASSERT_EQ("C:\\a.exe", WalkOnce(cache));
  fake::failOpen = true;
  EXPECT_EQ("", WalkOnce(cache));
  fake::failOpen = false;
}

TEST(SnapshotPaths, AProcessGoneFromAWalkIsForgotten) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {{8, "a.exe", "C:\\a.exe"}, {12, "b.exe", "C:\\b.exe"}};
  fake::created = {{8, 100}, {12, 100}};
  monitor::TImagePathCache cache;
  WalkOnce(cache);
  EXPECT_EQ(2, cache.Count());
  fake::entries = {{12, "b.exe", "C:\\b.exe"}};
  WalkOnce(cache);
  EXPECT_EQ(1, cache.Count());
}

TEST(SnapshotPaths, TheSystemWalkFollowsAChildThatStartsAndEnds) {
  TempDir dir;
  Table t;
  t.Refresh();  // the machine's processes known before the child starts
  DWORD pid = 0;
  {
    ChildProcess child(dir.path(), "Kept.exe");
    pid = child.pid();
    for (int walk = 0; walk < 2; ++walk) {
      t.Refresh();
      std::vector<int> rows = t.RowsOfPid(pid);
      ASSERT_EQ(1u, rows.size()) << "walk " << walk;
      EXPECT_STRCASEEQ(child.path().c_str(),
                       t.CurrentProcesses[rows[0]].Cell(kCurrentPath).c_str());
    }
    ::TerminateProcess(child.handle(), 0);
    ::WaitForSingleObject(child.handle(), 10000);
  }
  t.Refresh();
  EXPECT_TRUE(t.RowsOfPid(pid).empty());
}

TEST(NormalizeSystemPath, RewritesTheFirstSystemRootOnlyAndCaseSensitively) {
  const std::string win = "C:\\windows";
  EXPECT_EQ("C:\\windows\\system32\\x.exe",
            monitor::NormalizeSystemPath("\\SystemRoot\\system32\\x.exe", win));
  EXPECT_EQ("C:\\windows\\a\\SystemRoot\\b.exe",
            monitor::NormalizeSystemPath("\\SystemRoot\\a\\SystemRoot\\b.exe", win));
  EXPECT_EQ("\\systemroot\\x.exe", monitor::NormalizeSystemPath("\\systemroot\\x.exe", win));
}

TEST(NormalizeSystemPath, DropsTheFirstDevicePrefixOnly) {
  const std::string win = "C:\\windows";
  EXPECT_EQ("C:\\x\\y.exe", monitor::NormalizeSystemPath("\\??\\C:\\x\\y.exe", win));
  EXPECT_EQ("C:\\x\\??\\y.exe", monitor::NormalizeSystemPath("\\??\\C:\\x\\??\\y.exe", win));
  EXPECT_EQ("C:\\plain.exe", monitor::NormalizeSystemPath("C:\\plain.exe", win));
}

TEST(GetLongPath, ExpandsShortNamesAndKeepsWhatItCannotResolve) {
  TempDir dir;
  std::string longName = dir.file("a rather long file name.exe");
  testsupport::WriteFileBytes(longName, "x");
  char shortPath[MAX_PATH] = {};
  ASSERT_GT(::GetShortPathNameA(longName.c_str(), shortPath, MAX_PATH), 0u);
  EXPECT_STRCASEEQ(longName.c_str(), monitor::GetLongPath(shortPath).c_str());
  EXPECT_EQ("C:\\no\\such\\file.exe", monitor::GetLongPath("C:\\no\\such\\file.exe"));
}
