#include <gtest/gtest.h>

#include "TestSupport.h"
#include "TestTables.h"
#include "monitor/FileFacts.h"
#include "toolkit/Handle.h"

using monitor::kCurrentModified;
using testsupport::LocalTime;
using testsupport::SetLocalWriteTime;
using testsupport::TempDir;

namespace {

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
  ASSERT_TRUE(monitor::FileExists(file, &text));
  EXPECT_EQ("2020/5/6 10:20:30", text);
}

TEST(FileFacts, ExactlyMidnightReadsAsTheDateAlone) {
  TempDir dir;
  std::string file = dir.file("midnight.exe");
  testsupport::WriteFileBytes(file, "x");
  SetLocalWriteTime(file, LocalTime(2021, 1, 2, 0, 0, 0));
  std::string text;
  ASSERT_TRUE(monitor::FileExists(file, &text));
  EXPECT_EQ("2021/1/2", text);
}

TEST(FileFacts, FilesBefore1980FoldersAndMissingFilesDoNotExist) {
  TempDir dir;
  std::string old = dir.file("old.exe");
  testsupport::WriteFileBytes(old, "x");
  SetLocalWriteTime(old, LocalTime(1979, 12, 31, 23, 59, 58));
  EXPECT_FALSE(monitor::FileExists(old));
  EXPECT_FALSE(monitor::FileExists(dir.path()));
  EXPECT_FALSE(monitor::FileExists(dir.file("gone.exe")));

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
  EXPECT_TRUE(monitor::FileExists(file));
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
    EXPECT_EQ(0, t.CurrentProcesses[i].ImageIndex);
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
  bool exists = monitor::FileExists(seen);
  ::DeleteFileA(real.c_str());
  EXPECT_FALSE(visibleThroughRedirection);  // the fault this guards against
  EXPECT_TRUE(exists);
}
