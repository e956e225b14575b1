// The files kept in step with tables built in memory: what differs is told
// apart, written by the worker on the schedule's terms, and reads back as a
// write at the end would; failures are told once.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "TestTables.h"
#include "store/SettingsTab.h"
#include "ui/FileKeeper.h"

using store::TUnsaved;
using testsupport::Exists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

constexpr uint64_t kSecond = 1000;
constexpr uint64_t kMinute = 60 * kSecond;

const std::string kList =
    "Ver1.00\r\na.exe\r\nC:\\a.exe\r\n\r\n2020/01/01 1:00:00\r\n2020/01/02 2:00:00\r\n\r\n";
const std::string kLog = "Ver1.00\r\nt\r\na.exe\r\n追加\r\n\r\n";

// The tables and the settings tab of a window, their files in a folder of their
// own, loaded as a start loads them, and a clock the test moves on.
struct Kept {
  TempDir dir;
  testsupport::Tables t;
  SettingsTab tab;
  ui::TFileKeeper keeper{dir.path(), t, tab.controls};
  std::vector<std::string> told;
  uint64_t now = 10 * kMinute;

  explicit Kept(bool files = true) {
    if (files) {
      WriteFileBytes(ListFile(), kList);
      WriteFileBytes(dir.file("Log.dat"), kLog);
    }
    store::LoadDataFiles(dir.path(), t.Memo2, {t.ProcessList, t.Log}, keeper.DataFiles,
                         [this] { testsupport::AddProgram(t, "seeded.exe", "C:\\seeded.exe"); }, 300);
    store::ReadSettings(store::SettingsPath(dir.path()), tab.Memo2, tab.controls, nullptr,
                        keeper.SettingsFile);
    keeper.Loaded(now);
  }
  std::string ListFile() const { return dir.file("ProcessList.dat"); }

  // A check `ms` after the last one, then the worker's write taken back.
  void CheckAfter(uint64_t ms) {
    now += ms;
    auto report = [this](const std::string& error) { told.push_back(error); };
    keeper.Check(now, report);
    for (int i = 0; i < 2000 && keeper.Writing(); ++i) {
      ::Sleep(5);
      keeper.Check(now, report);
    }
    ASSERT_FALSE(keeper.Writing());
  }
  // A cycle that finds a.exe running, unchanged: its last-run time is stamped.
  void CycleWithARunning() {
    t.CurrentProcesses.Clear();
    testsupport::AddProcess(t, "a.exe", "C:\\a.exe", "");
    t.SnapshotTime = "2030/01/01 " + std::to_string(now / kSecond % 24) + ":00:00";
    t.Compare();
  }
};

}  // namespace

TEST(FileKeeper, WhatTheFilesLackIsToldApartFromLastRunTimesAlone) {
  Kept k;
  EXPECT_EQ(TUnsaved::Nothing, k.keeper.Unsaved());
  k.CycleWithARunning();
  EXPECT_EQ(TUnsaved::LastRunTimes, k.keeper.Unsaved());
  k.CycleWithARunning();
  EXPECT_EQ(TUnsaved::LastRunTimes, k.keeper.Unsaved());
  // A setting ticked and unticked again is no change.
  k.tab.CheckBox5.SetChecked(true);
  EXPECT_EQ(TUnsaved::Changes, k.keeper.Unsaved());
  k.tab.CheckBox5.SetChecked(false);
  EXPECT_EQ(TUnsaved::LastRunTimes, k.keeper.Unsaved());
  k.t.ProcessList.SetCell(0, monitor::kProgramComment, "よく使う");
  EXPECT_EQ(TUnsaved::Changes, k.keeper.Unsaved());
  k.keeper.SaveChanged();
  EXPECT_EQ(TUnsaved::Nothing, k.keeper.Unsaved());
  // A new program: a row and a log entry.
  testsupport::AddProcess(k.t, "b.exe", "C:\\b.exe", "");
  k.t.Compare();
  EXPECT_EQ(1, k.t.Counts.Added);
  EXPECT_EQ(TUnsaved::Changes, k.keeper.Unsaved());
  k.keeper.SaveChanged();
  k.t.ProcessList.Delete(1);  // "削除"
  EXPECT_EQ(TUnsaved::Changes, k.keeper.Unsaved());
}

TEST(FileKeeper, AChangeIsWrittenAtTheNextCheckAndReadsBackAsAWriteAtTheEndWould) {
  Kept k;
  k.t.ProcessList.SetCell(0, monitor::kProgramComment, "コメント");
  monitor::AppendLogEntry(k.t.Log, "b.exe", "追加", "");
  k.CheckAfter(5 * kSecond);
  EXPECT_EQ(TUnsaved::Nothing, k.keeper.Unsaved());
  EXPECT_TRUE(k.told.empty());

  TempDir atTheEnd;
  testsupport::Tables copy;
  copy.Load(k.dir.path());
  copy.Save(atTheEnd.path());
  EXPECT_EQ(ReadFileBytes(atTheEnd.file("ProcessList.dat")), ReadFileBytes(k.ListFile()));
  EXPECT_EQ(ReadFileBytes(atTheEnd.file("Log.dat")), ReadFileBytes(k.dir.file("Log.dat")));
  EXPECT_NE(std::string::npos, ReadFileBytes(k.ListFile()).find("コメント"));
  // The settings did not change and were not written.
  EXPECT_FALSE(Exists(store::SettingsPath(k.dir.path())));

  // The next change waits its half minute.
  k.t.ProcessList.SetCell(0, monitor::kProgramComment, "later");
  k.CheckAfter(25 * kSecond);
  EXPECT_EQ(TUnsaved::Changes, k.keeper.Unsaved());
  k.CheckAfter(5 * kSecond);
  EXPECT_EQ(TUnsaved::Nothing, k.keeper.Unsaved());
  EXPECT_NE(std::string::npos, ReadFileBytes(k.ListFile()).find("later"));
}

TEST(FileKeeper, LastRunTimesAloneWaitTheirTurnAndASuspendWritesThemAtOnce) {
  Kept k;
  k.CycleWithARunning();
  k.CheckAfter(5 * kSecond);
  EXPECT_EQ(kList, ReadFileBytes(k.ListFile()));
  k.CheckAfter(9 * kMinute);
  EXPECT_EQ(TUnsaved::Nothing, k.keeper.Unsaved());
  const std::string stamped = ReadFileBytes(k.ListFile());
  EXPECT_NE(kList, stamped);
  EXPECT_NE(std::string::npos, stamped.find(k.t.SnapshotTime));

  k.now += kMinute;
  k.CycleWithARunning();
  k.keeper.SaveChanged();
  EXPECT_NE(std::string::npos, ReadFileBytes(k.ListFile()).find(k.t.SnapshotTime));
  EXPECT_EQ(kLog, ReadFileBytes(k.dir.file("Log.dat"))) << "unchanged, not written";
}

TEST(FileKeeper, AFirstRunsListIsWrittenAtTheFirstCheck) {
  Kept k(false);
  ASSERT_EQ(1, k.t.ProcessList.Count());
  EXPECT_EQ(TUnsaved::Changes, k.keeper.Unsaved());
  k.CheckAfter(5 * kSecond);
  EXPECT_EQ(0u, ReadFileBytes(k.ListFile()).find("Ver1.00\r\nseeded.exe\r\n"));
  EXPECT_EQ("Ver1.00\r\n", ReadFileBytes(k.dir.file("Log.dat")));
}

TEST(FileKeeper, AFailingWriteIsToldOnceUntilAWriteSucceedsAgain) {
  Kept k;
  const std::string blocker = k.ListFile() + ".tmp";
  ASSERT_TRUE(::CreateDirectoryA(blocker.c_str(), nullptr));
  k.t.ProcessList.SetCell(0, monitor::kProgramComment, "one");
  k.CheckAfter(5 * kSecond);
  ASSERT_EQ(1u, k.told.size());
  EXPECT_EQ("ファイル " + k.ListFile() + " を作成できません", k.told[0]);
  EXPECT_EQ(TUnsaved::Changes, k.keeper.Unsaved());
  for (int i = 0; i < 3; ++i) k.CheckAfter(30 * kSecond);
  EXPECT_EQ(1u, k.told.size()) << "tried again, quietly";
  EXPECT_EQ(kList, ReadFileBytes(k.ListFile()));

  ASSERT_TRUE(::RemoveDirectoryA(blocker.c_str()));
  k.CheckAfter(30 * kSecond);
  EXPECT_EQ(TUnsaved::Nothing, k.keeper.Unsaved());
  EXPECT_NE(std::string::npos, ReadFileBytes(k.ListFile()).find("one"));

  ASSERT_TRUE(::CreateDirectoryA(blocker.c_str(), nullptr));
  k.t.ProcessList.SetCell(0, monitor::kProgramComment, "two");
  k.CheckAfter(30 * kSecond);
  EXPECT_EQ(2u, k.told.size());
  ::RemoveDirectoryA(blocker.c_str());
}

TEST(FileKeeper, ASettingsFileMadeReadOnlyIsToldOnceAndTheListsAreStillWritten) {
  Kept k;
  const std::string ini = store::SettingsPath(k.dir.path());
  WriteFileBytes(ini, "[Information]\r\nVersion=1.30\r\n");
  ASSERT_TRUE(::SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
  k.tab.CheckBox1.SetChecked(true);
  k.t.ProcessList.SetCell(0, monitor::kProgramComment, "one");
  k.CheckAfter(5 * kSecond);
  ASSERT_EQ(1u, k.told.size());
  EXPECT_EQ("ファイル " + ini + " を作成できません", k.told[0]);
  EXPECT_NE(std::string::npos, ReadFileBytes(k.ListFile()).find("one"));
  k.t.ProcessList.SetCell(0, monitor::kProgramComment, "two");
  k.CheckAfter(30 * kSecond);
  EXPECT_EQ(1u, k.told.size());
  EXPECT_NE(std::string::npos, ReadFileBytes(k.ListFile()).find("two"));
  EXPECT_EQ("[Information]\r\nVersion=1.30\r\n", ReadFileBytes(ini));
  ::SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The end does not cut a write short, nor write before it: it waits, then
// writes what the tables hold by then.
TEST(FileKeeper, TheEndWaitsForAWriteInProgressAndWritesTheLatest) {
  Kept k;
  for (int i = 0; i < 50000; ++i)
    testsupport::AddProgram(k.t, "p" + std::to_string(i) + ".exe", "C:\\p.exe");
  k.now += 5 * kSecond;
  k.keeper.Check(k.now, nullptr);
  EXPECT_TRUE(k.keeper.Writing());
  k.t.ProcessList.SetCell(0, monitor::kProgramComment, "the latest");
  k.keeper.SaveDataFiles();
  EXPECT_FALSE(k.keeper.Writing());
  EXPECT_FALSE(Exists(k.ListFile() + ".tmp"));
  testsupport::Tables back;
  EXPECT_EQ("", back.Load(k.dir.path()));
  ASSERT_EQ(50001, back.ProcessList.Count());
  EXPECT_EQ("the latest", back.ProcessList[0].Cell(monitor::kProgramComment));
}
