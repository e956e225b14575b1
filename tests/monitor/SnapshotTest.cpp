#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "TestSupport.h"
#include "TestTables.h"
#include "monitor/FileFacts.h"
#include "toolkit/Handle.h"
#include "monitor/Snapshot.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Paths.h"

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
  wchar_t buffer[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return toolkit::Narrow(monitor::GetLongPath(buffer).c_str());
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
  moduleListOnly.QueryFullProcessImageNameW = nullptr;
  Table without;
  without.Refresh(moduleListOnly);
  EXPECT_TRUE(without.RowsOfPid(pid64).empty());
}

// A fake process walk: the entries and module names are the test's, the handles real.
namespace fake {

struct Entry {
  DWORD pid;
  const wchar_t* exe;
  const wchar_t* module;  // nullptr: the module name cannot be read
  const wchar_t* image = nullptr;  // the image name through limited access; nullptr: refused
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
BOOL Fill(PROCESSENTRY32W* e) {
  if (cursor >= entries.size()) return FALSE;
  e->th32ProcessID = entries[cursor].pid;
  lstrcpynW(e->szExeFile, entries[cursor].exe, MAX_PATH);
  ++cursor;
  return TRUE;
}
BOOL WINAPI First(HANDLE, PROCESSENTRY32W* e) {
  cursor = 0;
  return Fill(e);
}
BOOL WINAPI Next(HANDLE, PROCESSENTRY32W* e) { return Fill(e); }
// Any real handle will do: the module name is looked up by the walk's position.
HANDLE WINAPI Open(DWORD, BOOL, DWORD) { return failOpen ? nullptr : CreateSnapshot(0, 0); }
// As the system's calls do: a name longer than the buffer is cut to fill it.
DWORD WINAPI ModuleName(HANDLE, HMODULE, LPWSTR name, DWORD size) {
  ++moduleReads;
  const Entry& e = entries[cursor - 1];
  if (!e.module) return 0;
  lstrcpynW(name, e.module, static_cast<int>(size));
  return static_cast<DWORD>(lstrlenW(name));
}

BOOL WINAPI ImageName(HANDLE, DWORD, LPWSTR name, PDWORD size) {
  const Entry& e = entries[cursor - 1];
  if (!e.image) return FALSE;
  if (static_cast<DWORD>(lstrlenW(e.image)) >= *size) {
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  lstrcpynW(name, e.image, static_cast<int>(*size));
  *size = static_cast<DWORD>(lstrlenW(name));
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
  api.Process32FirstW = &First;
  api.Process32NextW = &Next;
  api.OpenProcess = &Open;
  api.GetModuleFileNameExW = &ModuleName;
  return api;
}

}  // namespace fake

TEST(Snapshot, RewritesKernelPathsAndAdmitsOnlyResolvedOnes) {
  const std::string windows = toolkit::Narrow(monitor::GetWindowsDir().c_str());
  fake::failSnapshot = false;
  fake::entries = {
      {4, L"System", nullptr},                                    // unreadable: no row
      {8, L"smss.exe", L"\\SystemRoot\\System32\\smss.exe"},       // kernel form
      {12, L"csrss.exe", L"\\??\\C:\\Windows\\system32\\csrss.exe"},  // device form
      {16, L"bare.exe", L"bare.exe"},                              // path equals name: no row
      {20, L"Bare.exe", L"bare.exe"},                              // differs in case: a row
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
      {8, L"", L"C:\\tools\\ソフト\\named.exe"},
      {12, L"", nullptr},
      {16, L"ok.exe", L"C:\\ok.exe"},
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
      {8, L"Registry", nullptr, L"Registry"},
      {12, L"MemCompression", nullptr, L"MemCompression"},
      {16, L"drive.exe", nullptr, L"C:drive.exe"},
      {20, L"rooted.exe", nullptr, L"\\rooted.exe"},
      {24, L"real.exe", nullptr, L"D:\\apps\\real.exe"},
      {28, L"share.exe", nullptr, L"\\\\server\\share\\share.exe"},
  };
  monitor::ProcessApi api = fake::Api();
  api.QueryFullProcessImageNameW = &fake::ImageName;
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
  fake::entries = {{8, L"a.exe", L"C:\\a.exe"}};
  monitor::ProcessApi api = fake::Api();
  api.GetModuleFileNameExW = nullptr;  // psapi could not be loaded, no fallback either
  Table t;
  t.Refresh(api);
  EXPECT_EQ(0, t.CurrentProcesses.Count());
  api = fake::Api();
  api.Process32NextW = nullptr;  // kernel32 without the walk
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
  fake::entries = {{8, L"a.exe", L"C:\\a.exe"}};
  fake::created = {{8, 100}};
  fake::moduleReads = 0;
  monitor::TImagePathCache cache;
  EXPECT_EQ("C:\\a.exe", WalkOnce(cache));
  EXPECT_EQ("C:\\a.exe", WalkOnce(cache));
  EXPECT_EQ(1, fake::moduleReads);

  // Identifier 8 again, but another process: started later, from another file.
  fake::entries = {{8, L"b.exe", L"C:\\b.exe"}};
  fake::created = {{8, 200}};
  EXPECT_EQ("C:\\b.exe", WalkOnce(cache));
  EXPECT_EQ(2, fake::moduleReads);
}

TEST(SnapshotPaths, AModuleNameNotYetReadableIsAskedForAgain) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {{8, L"a.exe", nullptr}};  // just started: no module list yet
  fake::created = {{8, 100}};
  monitor::TImagePathCache cache;
  EXPECT_EQ("", WalkOnce(cache));
  fake::entries = {{8, L"a.exe", L"C:\\a.exe"}};
  EXPECT_EQ("C:\\a.exe", WalkOnce(cache));
}

TEST(SnapshotPaths, AKnownProcessThatCannotBeOpenedHasNoRow) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {{8, L"a.exe", L"C:\\a.exe"}};
  fake::created = {{8, 100}};
  monitor::TImagePathCache cache;
  ASSERT_EQ("C:\\a.exe", WalkOnce(cache));
  fake::failOpen = true;
  EXPECT_EQ("", WalkOnce(cache));
  fake::failOpen = false;
}

TEST(SnapshotPaths, AProcessGoneFromAWalkIsForgotten) {
  fake::failSnapshot = fake::failOpen = false;
  fake::entries = {{8, L"a.exe", L"C:\\a.exe"}, {12, L"b.exe", L"C:\\b.exe"}};
  fake::created = {{8, 100}, {12, 100}};
  monitor::TImagePathCache cache;
  WalkOnce(cache);
  EXPECT_EQ(2, cache.Count());
  fake::entries = {{12, L"b.exe", L"C:\\b.exe"}};
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

TEST(NormalizeSystemPath, RewritesALeadingSystemRootOnlyAndCaseSensitively) {
  const std::wstring win = L"C:\\windows";
  EXPECT_EQ(L"C:\\windows\\system32\\x.exe",
            monitor::NormalizeSystemPath(L"\\SystemRoot\\system32\\x.exe", win));
  EXPECT_EQ(L"C:\\windows\\a\\SystemRoot\\b.exe",
            monitor::NormalizeSystemPath(L"\\SystemRoot\\a\\SystemRoot\\b.exe", win));
  EXPECT_EQ(L"\\systemroot\\x.exe", monitor::NormalizeSystemPath(L"\\systemroot\\x.exe", win));
  // A folder of that name elsewhere, or one whose name only begins so, is no kernel form.
  EXPECT_EQ(L"C:\\data\\SystemRoot\\x.exe",
            monitor::NormalizeSystemPath(L"C:\\data\\SystemRoot\\x.exe", win));
  EXPECT_EQ(L"\\SystemRootKit\\x.exe", monitor::NormalizeSystemPath(L"\\SystemRootKit\\x.exe", win));
}

// Only a leading "\??\" is the device prefix; taken out of the middle, it would
// cut a path apart.
TEST(NormalizeSystemPath, DropsTheDevicePrefixOnlyAtTheStart) {
  const std::wstring win = L"C:\\windows";
  EXPECT_EQ(L"C:\\x\\y.exe", monitor::NormalizeSystemPath(L"\\??\\C:\\x\\y.exe", win));
  EXPECT_EQ(L"C:\\x\\??\\y.exe", monitor::NormalizeSystemPath(L"\\??\\C:\\x\\??\\y.exe", win));
  EXPECT_EQ(L"C:\\x\\??\\y.exe", monitor::NormalizeSystemPath(L"C:\\x\\??\\y.exe", win));
  EXPECT_EQ(L"C:\\plain.exe", monitor::NormalizeSystemPath(L"C:\\plain.exe", win));
}

TEST(GetLongPath, ExpandsShortNamesAndKeepsWhatItCannotResolve) {
  TempDir dir;
  const std::wstring longName = toolkit::Widen(dir.path()) + L"\\a rather long file name.exe";
  testsupport::WriteFileBytes(longName, "x");
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_GT(::GetShortPathNameW(longName.c_str(), shortPath, MAX_PATH), 0u);
  EXPECT_EQ(0, _wcsicmp(longName.c_str(), monitor::GetLongPath(shortPath).c_str()));
  EXPECT_EQ(L"C:\\no\\such\\file.exe", monitor::GetLongPath(L"C:\\no\\such\\file.exe"));
}

// Past MAX_PATH, and through the 8.3 form of such a path, which is how a program
// there may have been started.
TEST(GetLongPath, ReachesPastMaxPath) {
  TempDir dir;
  std::wstring deep = toolkit::Widen(dir.path());
  for (wchar_t c = L'a'; deep.size() < 300; ++c) deep += L"\\" + std::wstring(40, c);
  deep += L"\\\uAE40\uBBFC\uC900 caf\u00E9";
  testsupport::CreateFolders(deep);
  const std::wstring file = deep + L"\\a rather long file name.exe";
  testsupport::WriteFileBytes(file, "x");
  wchar_t shortPath[MAX_PATH + 8] = {};
  ASSERT_GT(::GetShortPathNameW(toolkit::LongPathForm(file).c_str(), shortPath, MAX_PATH + 8), 0u);
  std::wstring plainShort = shortPath;
  if (plainShort.compare(0, 4, L"\\\\?\\") == 0) plainShort.erase(0, 4);
  ASSERT_LT(plainShort.size(), size_t{MAX_PATH});
  EXPECT_EQ(0, _wcsicmp(file.c_str(), monitor::GetLongPath(plainShort).c_str()));
  EXPECT_EQ(file, monitor::GetLongPath(file));
}

// --- Paths no code page holds, and paths past MAX_PATH ---

namespace {

// The folders of the programs a user outside Japan may have: Korean, accented
// Latin, an emoji, simplified Chinese, and one more than 300 characters deep.
std::vector<std::wstring> WideFolders(const std::wstring& base) {
  std::wstring deep = base + L"\\deep";
  for (wchar_t c = L'a'; deep.size() < 300; ++c) deep += L"\\" + std::wstring(40, c);
  return {base + L"\\\uAE40\uBBFC\uC900", base + L"\\caf\u00E9", base + L"\\\U0001F600 tools",
          base + L"\\\u7B80\u4F53", deep};
}

}  // namespace

TEST(SnapshotPaths, AProgramInAFolderNoCodePageHoldsHasItsRealPathTimeAndIcon) {
  TempDir dir;
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (const std::wstring& folder : WideFolders(toolkit::Widen(dir.path()))) {
    testsupport::CreateFolders(folder);
    children.push_back(std::make_unique<ChildProcess>(folder, L"child \u00E9.exe"));
  }
  Table t;
  t.Refresh();
  for (const auto& child : children) {
    const std::string where = toolkit::Utf8Of(child->widePath());
    std::vector<int> rows = t.RowsOfPid(child->pid());
    ASSERT_EQ(1u, rows.size()) << where;
    const toolkit::TListItem& row = t.CurrentProcesses[rows[0]];
    EXPECT_EQ("child ?.exe", row.Caption) << where;
    EXPECT_EQ(child->path(), row.Cell(kCurrentPath)) << where;
    ASSERT_NE(nullptr, t.RealPaths.Find(child->path())) << where << ": its name lost a character";
    EXPECT_EQ(child->widePath(), *t.RealPaths.Find(child->path())) << where;
    std::string time;
    ASSERT_TRUE(monitor::FileExists(child->widePath(), &time)) << where;
    EXPECT_EQ(time, row.Cell(monitor::kCurrentModified)) << where;
    EXPECT_GT(row.ImageIndex, 0) << where << ": the program's own icon";
  }
  // The text a path is stored as, and its real path, are the same at every walk.
  const std::string first = t.CurrentProcesses.Cell(t.RowsOfPid(children[0]->pid())[0], kCurrentPath);
  t.Refresh();
  EXPECT_EQ(first, t.CurrentProcesses.Cell(t.RowsOfPid(children[0]->pid())[0], kCurrentPath));
  EXPECT_EQ("?", first.substr(dir.path().size() + 1, 1));
}

// A best fit would store "Café" as "Cafe", the name of another folder: two programs
// would be one, and each cycle would log the other's time as an update.
TEST(SnapshotPaths, AProgramUnderCafeWithAnAccentIsNotTheOneUnderCafe) {
  TempDir dir;
  const std::wstring base = toolkit::Widen(dir.path());
  testsupport::CreateFolders(base + L"\\Caf\u00E9");
  testsupport::CreateFolders(base + L"\\Cafe");
  ChildProcess accented(base + L"\\Caf\u00E9", L"tool.exe");
  ChildProcess plain(base + L"\\Cafe", L"tool.exe");
  testsupport::SetLocalWriteTime(accented.widePath(), testsupport::LocalTime(2021, 2, 3, 4, 5, 6));
  testsupport::SetLocalWriteTime(plain.widePath(), testsupport::LocalTime(2022, 3, 4, 5, 6, 8));
  Table t;
  for (int cycle = 0; cycle < 3; ++cycle) {
    t.Refresh();
    t.Compare();
    // Other tests' programs come and go meanwhile: only this folder's are looked at.
    std::map<std::string, std::string> listed;
    for (const toolkit::TListItem& row : t.ProcessList.Items())
      if (row.Cell(monitor::kProgramPath).compare(0, dir.path().size(), dir.path()) == 0)
        listed[row.Cell(monitor::kProgramPath)] = row.Cell(monitor::kProgramModified);
    const std::map<std::string, std::string> expected = {
        {dir.path() + "\\Caf?\\tool.exe", "2021/2/3 4:05:06"},
        {dir.path() + "\\Cafe\\tool.exe", "2022/3/4 5:06:08"}};
    EXPECT_EQ(expected, listed) << "cycle " << cycle;
  }
  for (const toolkit::TListItem& entry : t.Log.Items())
    EXPECT_FALSE(entry.Cell(monitor::kLogName) == "tool.exe" && entry.Cell(monitor::kLogKind) != "追加")
        << entry.Cell(monitor::kLogKind) << " " << entry.Cell(monitor::kLogDetail);
}
