#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "TestTables.h"
#include "monitor/FileFacts.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Handle.h"
#include "toolkit/Paths.h"

using monitor::kCurrentModified;
using testsupport::LocalTime;
using testsupport::SetLocalWriteTime;
using testsupport::TempDir;

namespace {

bool FileExists(const std::string& path, std::string* modified = nullptr) {
  return monitor::FileExists(toolkit::Widen(path), modified);
}

std::string SleeperCopy(const TempDir& dir, const std::string& name) {
  std::string path = dir.file(name);
  EXPECT_TRUE(::CopyFileA((testsupport::TestBinDir() + "\\Sleeper.exe").c_str(), path.c_str(),
                          FALSE));
  return path;
}

// Current-process rows as the snapshot leaves them: a name and a path.
struct Table : testsupport::Tables {
  void AddRow(const std::string& path) {
    CurrentProcesses.Add({"x.exe", {path}});
  }
  void Run() { monitor::ListFileProperty(*this); }
};

}  // namespace

TEST(FileFacts, OddSecondReadsAsTheEvenSecondBelow) {
  TempDir dir;
  std::string file = dir.file("odd.exe");
  testsupport::WriteFileBytes(file, "x");
  SetLocalWriteTime(file, LocalTime(2020, 5, 6, 10, 20, 31));
  std::string text;
  ASSERT_TRUE(FileExists(file, &text));
  EXPECT_EQ("2020/5/6 10:20:30", text);
}

TEST(FileFacts, ExactlyMidnightReadsAsTheDateAlone) {
  TempDir dir;
  std::string file = dir.file("midnight.exe");
  testsupport::WriteFileBytes(file, "x");
  SetLocalWriteTime(file, LocalTime(2021, 1, 2, 0, 0, 0));
  std::string text;
  ASSERT_TRUE(FileExists(file, &text));
  EXPECT_EQ("2021/1/2", text);
}

TEST(FileFacts, FilesBefore1980FoldersAndMissingFilesDoNotExist) {
  TempDir dir;
  std::string old = dir.file("old.exe");
  testsupport::WriteFileBytes(old, "x");
  SetLocalWriteTime(old, LocalTime(1979, 12, 31, 23, 59, 58));
  EXPECT_FALSE(FileExists(old));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_FALSE(FileExists(dir.file("gone.exe")));

  Table t;
  t.AddRow(old);
  t.AddRow(dir.path());
  t.AddRow(dir.file("gone.exe"));
  t.Run();
  for (int i = 0; i < t.CurrentProcesses.Count(); ++i) {
    ASSERT_EQ(2u, t.CurrentProcesses[i].SubItems.size());
    EXPECT_EQ("", t.CurrentProcesses[i].Cell(kCurrentModified));
    EXPECT_EQ(0, t.CurrentProcesses[i].ImageIndex);
  }
  EXPECT_EQ(1, t.Icons.Count());
}

TEST(FileFacts, HiddenAndSystemExecutablesAreFound) {
  TempDir dir;
  std::string file = SleeperCopy(dir, "hidden.exe");
  ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(FileExists(file));
}

TEST(FileFacts, EachRowOfOneProgramGetsItsOwnIconCopy) {
  TempDir dir;
  std::string exe = SleeperCopy(dir, "iconic.exe");
  Table t;
  t.AddRow(exe);
  t.AddRow(exe);
  t.Run();
  EXPECT_EQ(3, t.Icons.Count());
  EXPECT_EQ(1, t.CurrentProcesses[0].ImageIndex);
  EXPECT_EQ(2, t.CurrentProcesses[1].ImageIndex);
  EXPECT_FALSE(t.CurrentProcesses[0].Cell(kCurrentModified).empty());
}

TEST(FileFacts, InTheTrayNoIconsAreExtractedButTimesAreRead) {
  TempDir dir;
  std::string exe = SleeperCopy(dir, "tray.exe");
  Table t;
  t.Icons.Tag = 1;  // TrayMonitoring
  t.AddRow(exe);
  t.AddRow(exe);
  t.Run();
  EXPECT_EQ(1, t.Icons.Count());
  EXPECT_EQ(0, t.CurrentProcesses[0].ImageIndex);
  EXPECT_EQ(0, t.CurrentProcesses[1].ImageIndex);
  EXPECT_FALSE(t.CurrentProcesses[0].Cell(kCurrentModified).empty());
}

TEST(FileFacts, AFileWithoutIconsAndTheMarkersShowTheFallbackIcon) {
  TempDir dir;
  std::string text = dir.file("notes.txt");
  testsupport::WriteFileBytes(text, "no icon here");
  // The marker of an unknown path, and a path beginning with a backslash, as files
  // that exist (relative to the current folder and its drive).
  std::string marker = SleeperCopy(dir, monitor::kUnknownPath);
  std::string rooted = SleeperCopy(dir, "rooted.exe");
  char oldDir[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, oldDir);
  ASSERT_TRUE(::SetCurrentDirectoryA(dir.path().c_str()));

  Table t;
  t.AddRow(text);
  t.AddRow(monitor::kUnknownPath);
  t.AddRow(rooted.substr(2));  // "\users\...\rooted.exe"
  t.Run();
  ::SetCurrentDirectoryA(oldDir);

  EXPECT_EQ(1, t.Icons.Count());
  for (int i = 0; i < t.CurrentProcesses.Count(); ++i) {
    EXPECT_FALSE(t.CurrentProcesses[i].Cell(kCurrentModified).empty())
        << "row " << i << " should exist";
    EXPECT_EQ(0, t.CurrentProcesses[i].ImageIndex) << "row " << i;
  }
}

// A 64-bit process's path names the real System32, which a 32-bit program is
// normally redirected away from: a file there must count as existing.
TEST(FileFacts, AFileOnlyInTheRealSystem32Exists) {
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  if (!wow64) GTEST_SKIP() << "not a 64-bit system";
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  std::string name = "vantry-only64-" + std::to_string(::GetCurrentProcessId()) + ".exe";
  std::string real = std::string(windows) + "\\Sysnative\\" + name;
  testsupport::WriteFileBytes(real, "x");
  std::string seen = std::string(windows) + "\\system32\\" + name;
  bool visibleThroughRedirection = ::GetFileAttributesA(seen.c_str()) != INVALID_FILE_ATTRIBUTES;
  bool exists = FileExists(seen);
  ::DeleteFileA(real.c_str());
  EXPECT_FALSE(visibleThroughRedirection);  // the fault this guards against
  EXPECT_TRUE(exists);
}

// --- The attribute test against the directory search ---

namespace {

// The first drive letter that names no drive on this machine.
std::wstring AbsentDrive() {
  const DWORD drives = ::GetLogicalDrives();
  for (int letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return std::wstring(1, wchar_t(letter)) + L":\\";
  return std::wstring();
}

}  // namespace

// Every path without a wildcard: the same answer, and the same time, as the
// directory search that earlier versions made for each.
TEST(FileFacts, TheAttributeTestAnswersAsTheDirectorySearchDid) {
  TempDir dir;
  const std::wstring base = toolkit::Widen(dir.path());
  auto make = [&](const std::wstring& name, const SYSTEMTIME& time) {
    testsupport::WriteFileBytes(base + L"\\" + name, "x");
    testsupport::SetLocalWriteTime(base + L"\\" + name, time);
  };
  make(L"plain.exe", LocalTime(2020, 5, 6, 10, 20, 30));
  make(L"odd.exe", LocalTime(2020, 5, 6, 10, 20, 31));
  make(L"midnight.exe", LocalTime(2021, 1, 2, 0, 0, 0));
  make(L"old.exe", LocalTime(1979, 12, 31, 23, 59, 58));
  make(L"a rather long file name.exe", LocalTime(2022, 3, 4, 5, 6, 8));
  make(L"\uAE40\uBBFC\uC900 caf\u00E9 \U0001F600.exe", LocalTime(2023, 7, 8, 9, 10, 12));
  make(L"deleted.exe", LocalTime(2020, 1, 1, 1, 1, 2));
  ASSERT_TRUE(::DeleteFileW((base + L"\\deleted.exe").c_str()));
  ASSERT_TRUE(::CreateDirectoryW((base + L"\\sub").c_str(), nullptr));
  std::wstring deep = base;
  for (wchar_t c = L'a'; deep.size() < 300; ++c) deep += L"\\" + std::wstring(40, c);
  testsupport::CreateFolders(deep);
  testsupport::WriteFileBytes(deep + L"\\deep.exe", "x");
  wchar_t shortName[MAX_PATH] = {};
  ::GetShortPathNameW((base + L"\\a rather long file name.exe").c_str(), shortName, MAX_PATH);

  wchar_t oldDir[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, oldDir);
  ASSERT_TRUE(::SetCurrentDirectoryW(base.c_str()));
  std::wstring slashed = base + L"/plain.exe";
  for (wchar_t& c : slashed)
    if (c == L'\\') c = L'/';
  const std::vector<std::wstring> paths = {
      base + L"\\plain.exe", base + L"\\odd.exe", base + L"\\midnight.exe", base + L"\\old.exe",
      base + L"\\\uAE40\uBBFC\uC900 caf\u00E9 \U0001F600.exe", base + L"\\deleted.exe",
      base + L"\\nosuch\\plain.exe", base + L"\\sub", base + L"\\sub\\", base + L"\\plain.exe\\",
      base + L"\\plain.exe.", base + L"\\plain.exe ", base + L"\\PLAIN.EXE", slashed,
      base + L"\\\\plain.exe", base + L"\\sub\\..\\plain.exe", base + L"\\plain.exe:stream",
      shortName, deep, deep + L"\\deep.exe", deep + L"\\nosuch.exe", L"plain.exe", L"gone.exe",
      L"[\u4E0D\u660E]", L"C:\\", L"C:", L"", AbsentDrive() + L"x.exe"};
  for (const std::wstring& path : paths) {
    std::string byAttributes = "untouched", bySearch = "untouched";
    EXPECT_EQ(monitor::FileExistsBySearch(path, &bySearch), monitor::FileExists(path, &byAttributes))
        << toolkit::Utf8Of(path);
    EXPECT_EQ(bySearch, byAttributes) << toolkit::Utf8Of(path);
  }
  ::SetCurrentDirectoryW(oldDir);
  std::string time;
  EXPECT_TRUE(monitor::FileExists(deep + L"\\deep.exe", &time)) << "past MAX_PATH";
  EXPECT_TRUE(monitor::FileExists(base + L"\\\uAE40\uBBFC\uC900 caf\u00E9 \U0001F600.exe", &time));
  EXPECT_EQ("2023/7/8 9:10:12", time);
}

// With a wildcard the search stays: its first match is what the program has
// always recorded for such a path. "<", ">" and '"' are wildcards to it too.
TEST(FileFacts, APathWithAWildcardIsStillSearched) {
  TempDir dir;
  const std::wstring base = toolkit::Widen(dir.path());
  testsupport::WriteFileBytes(base + L"\\plain.exe", "x");
  EXPECT_TRUE(monitor::FileExists(base + L"\\*.exe"));
  EXPECT_TRUE(monitor::FileExists(base + L"\\pla?n.exe"));
  EXPECT_FALSE(monitor::FileExists(base + L"\\*.dll"));
  for (const wchar_t* name : {L"\\plain.ex>", L"\\plain<", L"\\plain.exe\""}) {
    std::string bySearch, byTest;
    EXPECT_EQ(monitor::FileExistsBySearch(base + name, &bySearch),
              monitor::FileExists(base + name, &byTest))
        << toolkit::Utf8Of(name);
    EXPECT_EQ(bySearch, byTest);
  }
}

// --- What the deletion check may conclude ---

TEST(ListedFileState, ExistingGoneAndThePathsThatAreNeverTested) {
  TempDir dir;
  testsupport::WriteFileBytes(dir.file("here.exe"), "x");
  monitor::TRealPaths none;
  using monitor::TListedFile;
  EXPECT_EQ(TListedFile::Exists, monitor::ListedFileState(dir.file("here.exe"), none));
  EXPECT_EQ(TListedFile::Exists, monitor::ListedFileState(dir.path() + "\\*.exe", none));
  EXPECT_EQ(TListedFile::Gone, monitor::ListedFileState(dir.file("gone.exe"), none));
  EXPECT_EQ(TListedFile::Gone, monitor::ListedFileState(dir.path(), none)) << "a folder";
  EXPECT_EQ(TListedFile::Gone, monitor::ListedFileState("[不明]", none));
  EXPECT_EQ(TListedFile::NotTestable,
            monitor::ListedFileState("\\\\nosuchserver\\share\\remote.exe", none));
  EXPECT_EQ(TListedFile::NotTestable, monitor::ListedFileState("\\??\\C:\\kernel.exe", none));
  // A stored "?" stands for a character that was lost: it names no file.
  EXPECT_EQ(TListedFile::NotTestable, monitor::ListedFileState(dir.file("caf?.exe"), none));
  EXPECT_EQ(TListedFile::NotTestable, monitor::ListedFileState(dir.file("??\\x.exe"), none));
}

// A USB stick pulled or a network drive not yet connected: the program is not
// gone, its drive is.
TEST(ListedFileState, AFileOnAnAbsentDriveIsNotTested) {
  const std::wstring drive = AbsentDrive();
  ASSERT_FALSE(drive.empty());
  EXPECT_TRUE(monitor::IsOnAbsentDrive(drive + L"tools\\tool.exe"));
  EXPECT_FALSE(monitor::IsOnAbsentDrive(L"C:\\no\\such\\tool.exe"));
  EXPECT_FALSE(monitor::IsOnAbsentDrive(L"\\\\server\\share\\tool.exe"));
  EXPECT_FALSE(monitor::IsOnAbsentDrive(L"tool.exe"));
  EXPECT_EQ(monitor::TListedFile::NotTestable,
            monitor::ListedFileState(toolkit::Narrow((drive + L"tools\\tool.exe").c_str()),
                                     monitor::TRealPaths()));
}

TEST(ListedFileState, AStoredTextThatLostCharactersIsTestedByItsRealPath) {
  TempDir dir;
  const std::wstring real = toolkit::Widen(dir.path()) + L"\\caf\u00E9.exe";
  const std::string stored = dir.file("caf?.exe");
  ASSERT_EQ(stored, toolkit::Narrow(real.c_str()));
  testsupport::WriteFileBytes(real, "x");
  monitor::TRealPaths known;
  known.Remember(stored, real);
  EXPECT_EQ(real, monitor::PathToTest(stored, known));
  EXPECT_EQ(monitor::TListedFile::Exists, monitor::ListedFileState(stored, known));
  ASSERT_TRUE(::DeleteFileW(real.c_str()));
  EXPECT_EQ(monitor::TListedFile::Gone, monitor::ListedFileState(stored, known));
  // A real path on the network stays untested as a stored one does.
  known.Remember(stored, L"\\\\nosuchserver\\caf\u00E9.exe");
  EXPECT_EQ(monitor::TListedFile::NotTestable, monitor::ListedFileState(stored, known));
}
