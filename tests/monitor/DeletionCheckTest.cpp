#include <gtest/gtest.h>

#include "TestSupport.h"
#include "monitor/DeletionCheck.h"

using testsupport::TempDir;

namespace {

struct Lists {
  toolkit::TListView programs;
  toolkit::TListView log;
  int deleted = 0;
  void Add(const std::string& name, const std::string& path) {
    programs.Add(name).SubItems = {path, "", "2020/1/1", "2020/1/1", ""};
  }
  void Check() { monitor::CheckDeletedPrograms(programs, log, deleted); }
};

}  // namespace

TEST(DeletionCheck, AnEmptyListChangesNothing) {
  Lists l;
  l.Check();
  EXPECT_EQ(0, l.deleted);
  EXPECT_EQ(0, l.log.Count());
}

TEST(DeletionCheck, NetworkPathsAreNeverRemoved) {
  Lists l;
  l.Add("remote.exe", "\\\\nosuchserver\\share\\remote.exe");
  l.Check();
  EXPECT_EQ(1, l.programs.Count());
  EXPECT_EQ(0, l.deleted);
}

TEST(DeletionCheck, FoldersAndFilesBefore1980CountAsGone) {
  TempDir dir;
  std::string old = dir.file("old.exe");
  testsupport::WriteFileBytes(old, "x");
  testsupport::SetLocalWriteTime(old, testsupport::LocalTime(1975, 6, 1, 12, 0, 0));
  std::string alive = dir.file("alive.exe");
  testsupport::WriteFileBytes(alive, "x");
  Lists l;
  l.Add("folder", dir.path());
  l.Add("alive.exe", alive);
  l.Add("old.exe", old);
  l.Check();
  ASSERT_EQ(1, l.programs.Count());
  EXPECT_EQ("alive.exe", l.programs[0].Caption);
  EXPECT_EQ(2, l.deleted);
}

TEST(DeletionCheck, TheLowerRowIsLoggedFirstWithItsPathInTheDetail) {
  TempDir dir;
  Lists l;
  l.Add("first.exe", dir.file("first.exe"));
  l.Add("second.exe", dir.file("second.exe"));
  l.Check();
  EXPECT_EQ(0, l.programs.Count());
  EXPECT_EQ(2, l.deleted);
  ASSERT_EQ(2, l.log.Count());
  EXPECT_EQ("second.exe", l.log[0].Cell(1));
  EXPECT_EQ("削除", l.log[0].Cell(2));
  EXPECT_EQ(dir.file("second.exe") + "の削除を確認", l.log[0].Cell(3));
  EXPECT_EQ("first.exe", l.log[1].Cell(1));
  EXPECT_FALSE(l.log[0].Caption.empty());
}

TEST(DeletionCheck, CountsOnFromWhatTheCallerLeft) {
  TempDir dir;
  Lists l;
  l.deleted = 5;
  l.Add("gone.exe", dir.file("gone.exe"));
  l.Check();
  EXPECT_EQ(6, l.deleted);
}

TEST(DeletionCheck, TheLogIsNotTrimmedHere) {
  TempDir dir;
  Lists l;
  for (int i = 0; i < 10; ++i) l.log.Add("t").SubItems = {"n", "追加", ""};
  for (const char* n : {"a.exe", "b.exe", "c.exe"}) l.Add(n, dir.file(n));
  l.Check();
  EXPECT_EQ(13, l.log.Count());
}

TEST(DeletionCheck, TheMarkerOfAnUnknownPathIsLookedUpAndRemoved) {
  Lists l;
  l.Add("unknown.exe", "[不明]");
  l.Check();
  EXPECT_EQ(0, l.programs.Count());
}
