// The start-up loading with its first-run seeding: without ProcessList.dat the
// programs running at that moment become the process list, each logged as "追加".
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "TestTables.h"
#include "ui/FirstRun.h"

using namespace monitor;
using testsupport::Exists;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

struct Tables : testsupport::Tables {
  void Load(const std::string& folder) {
    ui::LoadTables(folder, Memo2, *this, FallbackIcon.get(), MaxLogRows, FileState);
  }
};

}  // namespace

TEST(FirstRun, WithoutLogSeedsTheListAndLogsEveryAddition) {
  TempDir dir, programs;
  testsupport::ChildProcess child(programs.path(), "FirstRun.exe");
  Tables t;
  t.Load(dir.path());
  EXPECT_FALSE(t.SnapshotTime.empty());
  EXPECT_GT(t.CurrentProcesses.Count(), 0);
  EXPECT_GE(t.Icons.Count(), 1);
  int childRow = -1;
  for (int r = 0; r < t.ProcessList.Count(); ++r)
    if (_stricmp(t.ProcessList.Cell(r, kProgramPath).c_str(), child.path().c_str()) == 0)
      childRow = r;
  ASSERT_GE(childRow, 0);
  EXPECT_EQ("FirstRun.exe", t.ProcessList.Cell(childRow, kProgramName));
  EXPECT_EQ(t.SnapshotTime, t.ProcessList.Cell(childRow, kProgramLastRun));
  EXPECT_FALSE(t.ProcessList.Cell(childRow, kProgramModified).empty());
  ASSERT_EQ(t.ProcessList.Count(), t.Log.Count());
  for (int r = 0; r < t.Log.Count(); ++r) {
    EXPECT_EQ("追加", t.Log.Cell(r, kLogKind));
    EXPECT_EQ(t.ProcessList.Cell(r, kProgramName), t.Log.Cell(r, kLogName));
  }
  EXPECT_EQ(t.ProcessList.Count(), t.Counts.Added);
  EXPECT_FALSE(Exists(dir.file("ProcessList.dat")));  // loading writes nothing
}

TEST(FirstRun, WithLogKeepsExactlyTheRowsOfTheLogFile) {
  TempDir dir, programs;
  testsupport::ChildProcess child(programs.path(), "FirstRun.exe");
  WriteFileBytes(dir.file("Log.dat"), "Ver1.00\r\nt1\r\nold.exe\r\n削除\r\nC:\\old.exeの削除を確認\r\n");
  Tables t;
  t.Load(dir.path());
  EXPECT_GT(t.ProcessList.Count(), 0);
  ASSERT_EQ(1, t.Log.Count());
  EXPECT_EQ("t1", t.Log.Cell(0, kLogTime));
  EXPECT_EQ("削除", t.Log.Cell(0, kLogKind));
}

TEST(FirstRun, AProcessListThatIsThereIsNoFirstRun) {
  TempDir dir;
  WriteFileBytes(dir.file("ProcessList.dat"), "Ver1.00\r\n");
  Tables t;
  t.Load(dir.path());
  EXPECT_EQ(0, t.ProcessList.Count());
  EXPECT_EQ(0, t.CurrentProcesses.Count());
  EXPECT_TRUE(t.SnapshotTime.empty());
}
