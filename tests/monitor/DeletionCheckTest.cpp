#include <gtest/gtest.h>

#include "TestSupport.h"
#include "TestTables.h"
#include "monitor/DeletionCheck.h"
#include "toolkit/AnsiText.h"

using testsupport::TempDir;

using testsupport::AddProgram;

namespace {

struct Lists : testsupport::Tables {
  void Check() { monitor::CheckDeletedPrograms(*this); }
};

}  // namespace

TEST(DeletionCheck, AnEmptyListChangesNothing) {
  Lists l;
  l.Check();
  EXPECT_EQ(0, l.Counts.Deleted);
  EXPECT_EQ(0, l.Log.Count());
}

TEST(DeletionCheck, NetworkPathsAreNeverRemoved) {
  Lists l;
  AddProgram(l, "remote.exe", "\\\\nosuchserver\\share\\remote.exe");
  l.Check();
  EXPECT_EQ(1, l.ProcessList.Count());
  EXPECT_EQ(0, l.Counts.Deleted);
}

TEST(DeletionCheck, FoldersAndFilesBefore1980CountAsGone) {
  TempDir dir;
  std::string old = dir.file("old.exe");
  testsupport::WriteFileBytes(old, "x");
  testsupport::SetLocalWriteTime(old, testsupport::LocalTime(1975, 6, 1, 12, 0, 0));
  std::string alive = dir.file("alive.exe");
  testsupport::WriteFileBytes(alive, "x");
  Lists l;
  AddProgram(l, "folder", dir.path());
  AddProgram(l, "alive.exe", alive);
  AddProgram(l, "old.exe", old);
  l.Check();
  ASSERT_EQ(1, l.ProcessList.Count());
  EXPECT_EQ("alive.exe", l.ProcessList[0].Caption);
  EXPECT_EQ(2, l.Counts.Deleted);
}

TEST(DeletionCheck, TheLowerRowIsLoggedFirstWithItsPathInTheDetail) {
  TempDir dir;
  Lists l;
  AddProgram(l, "first.exe", dir.file("first.exe"));
  AddProgram(l, "second.exe", dir.file("second.exe"));
  l.Check();
  EXPECT_EQ(0, l.ProcessList.Count());
  EXPECT_EQ(2, l.Counts.Deleted);
  ASSERT_EQ(2, l.Log.Count());
  EXPECT_EQ("second.exe", l.Log[0].Cell(monitor::kLogName));
  EXPECT_EQ("削除", l.Log[0].Cell(monitor::kLogKind));
  EXPECT_EQ(dir.file("second.exe") + "の削除を確認", l.Log[0].Cell(monitor::kLogDetail));
  EXPECT_EQ("first.exe", l.Log[1].Cell(monitor::kLogName));
  EXPECT_FALSE(l.Log[0].Caption.empty());
}

TEST(DeletionCheck, CountsOnFromWhatTheCallerLeft) {
  TempDir dir;
  Lists l;
  l.Counts.Deleted = 5;
  AddProgram(l, "gone.exe", dir.file("gone.exe"));
  l.Check();
  EXPECT_EQ(6, l.Counts.Deleted);
}

TEST(DeletionCheck, TheLogIsNotTrimmedHere) {
  TempDir dir;
  Lists l;
  for (int i = 0; i < 10; ++i) testsupport::AddLogEntry(l, "t", "n", "追加");
  for (const char* n : {"a.exe", "b.exe", "c.exe"}) AddProgram(l, n, dir.file(n));
  l.Check();
  EXPECT_EQ(13, l.Log.Count());
}

TEST(DeletionCheck, TheMarkerOfAnUnknownPathIsLookedUpAndRemoved) {
  Lists l;
  AddProgram(l, "unknown.exe", "[不明]");
  l.Check();
  EXPECT_EQ(0, l.ProcessList.Count());
}

TEST(DeletionCheck, AProgramOnAnAbsentDriveKeepsItsRow) {
  const DWORD drives = ::GetLogicalDrives();
  char letter = 'Q';
  while (letter < 'Z' && (drives & (1u << (letter - 'A')))) ++letter;
  ASSERT_LT(letter, 'Z');
  TempDir dir;
  Lists l;
  AddProgram(l, "stick.exe", std::string(1, letter) + ":\\tools\\stick.exe", "", "my tool");
  AddProgram(l, "gone.exe", dir.file("gone.exe"));
  l.Check();
  ASSERT_EQ(1, l.ProcessList.Count());
  EXPECT_EQ("stick.exe", l.ProcessList[0].Caption);
  EXPECT_EQ("my tool", l.ProcessList[0].Cell(monitor::kProgramComment));
  EXPECT_EQ(1, l.Counts.Deleted);
}

// A path stored with "?" for the characters CP932 lacks names no file: it is
// tested by its real path when the session has seen it, and kept otherwise.
TEST(DeletionCheck, AStoredTextThatLostCharactersIsOnlyTestedByItsRealPath) {
  TempDir dir;
  Lists l;
  const std::string unknown = dir.file("??\\never-seen.exe");
  const std::string seen = dir.file("caf?\\seen.exe");
  AddProgram(l, "never-seen.exe", unknown);
  AddProgram(l, "seen.exe", seen);
  l.RealPaths.Remember(seen, toolkit::Widen(dir.path()) + L"\\caf\u00E9\\seen.exe");
  l.Check();
  ASSERT_EQ(1, l.ProcessList.Count());
  EXPECT_EQ("never-seen.exe", l.ProcessList[0].Caption);
  ASSERT_EQ(1, l.Log.Count());
  EXPECT_EQ(seen + "の削除を確認", l.Log[0].Cell(monitor::kLogDetail));
}
