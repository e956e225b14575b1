#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "TestTables.h"
#include "monitor/Comparison.h"

using namespace monitor;
using testsupport::AddLogEntry;
using testsupport::AddProcess;
using testsupport::AddProgram;

namespace {

const char kSnapshot[] = "2024/05/06 7:08:09";

// Tables whose snapshot was taken at kSnapshot; the counts start at -1, so that a
// comparison that does not set them shows.
struct Tables : testsupport::Tables {
  Tables() {
    SnapshotTime = kSnapshot;
    Counts.Added = Counts.Updated = -1;
  }
};

void LogRows(Tables& t, int n) {
  for (int i = 0; i < n; ++i) AddLogEntry(t, "t" + std::to_string(i), "x.exe", "追加");
}

}  // namespace

TEST(Comparison, EqualEmptyTimesRefreshOnlyTheLastRunTime) {
  Tables t;
  AddProgram(t, "gone.exe", "C:\\Apps\\gone.exe", "", "note");
  AddProcess(t, "gone.exe", "C:\\Apps\\gone.exe", "");
  t.Compare();
  ASSERT_EQ(1, t.ProcessList.Count());
  const toolkit::TListItem& row = t.ProcessList[0];
  EXPECT_EQ("", row.Cell(kProgramModified));
  EXPECT_EQ("2020/01/01 1:00:00", row.Cell(kProgramAdded));
  EXPECT_EQ(kSnapshot, row.Cell(kProgramLastRun));
  EXPECT_EQ("note", row.Cell(kProgramComment));
  EXPECT_EQ(0, t.Log.Count());
  EXPECT_EQ(0, t.Counts.Added);
  EXPECT_EQ(0, t.Counts.Updated);
}

TEST(Comparison, VanishedFileIsLoggedAsUpdate) {
  Tables t;
  AddProgram(t, "app.exe", "C:\\Apps\\app.exe", "2023/12/01 10:20:30");
  AddProcess(t, "app.exe", "C:\\Apps\\app.exe", "");
  t.Compare();
  EXPECT_EQ("", t.ProcessList[0].Cell(kProgramModified));
  EXPECT_EQ(kSnapshot, t.ProcessList[0].Cell(kProgramLastRun));
  ASSERT_EQ(1, t.Log.Count());
  EXPECT_EQ("app.exe", t.Log[0].Cell(kLogName));
  EXPECT_EQ("更新", t.Log[0].Cell(kLogKind));
  EXPECT_EQ("(2023/12/01 10:20:30)→()", t.Log[0].Cell(kLogDetail));
  EXPECT_FALSE(t.Log[0].Caption.empty());
  EXPECT_EQ(1, t.Counts.Updated);
  EXPECT_EQ(0, t.Counts.Added);

  t.CurrentProcesses.Clear();
  AddProcess(t, "app.exe", "C:\\Apps\\app.exe", "2024/01/02");
  t.Compare();
  EXPECT_EQ("2024/01/02", t.ProcessList[0].Cell(kProgramModified));
  ASSERT_EQ(2, t.Log.Count());
  EXPECT_EQ("()→(2024/01/02)", t.Log[1].Cell(kLogDetail));
}

TEST(Comparison, PathDifferingOnlyInLetterCaseMatchesAndKeepsTheStoredCase) {
  Tables t;
  AddProgram(t, "App.exe", "C:\\Program Files\\Tool\\App.exe", "2024/01/02");
  AddProcess(t, "APP.EXE", "c:\\PROGRAM FILES\\tool\\app.exe", "2024/01/02");
  t.Compare();
  ASSERT_EQ(1, t.ProcessList.Count());
  EXPECT_EQ("App.exe", t.ProcessList[0].Caption);
  EXPECT_EQ("C:\\Program Files\\Tool\\App.exe", t.ProcessList[0].Cell(kProgramPath));
  EXPECT_EQ(kSnapshot, t.ProcessList[0].Cell(kProgramLastRun));
  EXPECT_EQ(0, t.Counts.Added);
}

TEST(Comparison, FullWidthLettersInOtherCaseMatchButHalfAndFullWidthDoNot) {
  Tables t;
  AddProgram(t, "ａｂｃ.exe", "C:\\ａｂｃ.exe", "");
  AddProcess(t, "ＡＢＣ.EXE", "C:\\ＡＢＣ.exe", "");  // full-width capitals: the same program
  AddProcess(t, "abc.exe", "C:\\abc.exe", "");          // half-width: another one
  t.Compare();
  ASSERT_EQ(2, t.ProcessList.Count());
  EXPECT_EQ(kSnapshot, t.ProcessList[0].Cell(kProgramLastRun));
  EXPECT_EQ("abc.exe", t.ProcessList[1].Caption);
  EXPECT_EQ(1, t.Counts.Added);
}

TEST(Comparison, NewProgramIsAddedAndLogged) {
  Tables t;
  AddProcess(t, "new.exe", "D:\\新しい\\new.exe", "2024/03/04 5:06:08");
  t.Compare();
  ASSERT_EQ(1, t.ProcessList.Count());
  const toolkit::TListItem& row = t.ProcessList[0];
  EXPECT_EQ("new.exe", row.Caption);
  EXPECT_EQ("D:\\新しい\\new.exe", row.Cell(kProgramPath));
  EXPECT_EQ("2024/03/04 5:06:08", row.Cell(kProgramModified));
  EXPECT_FALSE(row.Cell(kProgramAdded).empty());
  EXPECT_EQ(kSnapshot, row.Cell(kProgramLastRun));
  EXPECT_EQ("", row.Cell(kProgramComment));
  ASSERT_EQ(1, t.Log.Count());
  EXPECT_EQ("new.exe", t.Log[0].Cell(kLogName));
  EXPECT_EQ("追加", t.Log[0].Cell(kLogKind));
  EXPECT_EQ("", t.Log[0].Cell(kLogDetail));
  EXPECT_EQ(1, t.Counts.Added);
  EXPECT_EQ(0, t.Counts.Updated);
}

TEST(Comparison, TwoProcessesOfOneNewProgramAddOneRowAndCountOne) {
  Tables t;
  AddProcess(t, "twice.exe", "C:\\twice.exe", "2024/01/01");
  AddProcess(t, "twice.exe", "C:\\twice.exe", "2024/01/01");
  t.Compare();
  EXPECT_EQ(1, t.ProcessList.Count());
  EXPECT_EQ(1, t.Log.Count());
  EXPECT_EQ(1, t.Counts.Added);
  EXPECT_EQ(0, t.Counts.Updated);
}

TEST(Comparison, CountersStartFromZeroAtEveryRun) {
  Tables t;
  AddProcess(t, "a.exe", "C:\\a.exe", "");
  t.Compare();
  EXPECT_EQ(1, t.Counts.Added);
  t.Compare();
  EXPECT_EQ(0, t.Counts.Added);
  EXPECT_EQ(0, t.Counts.Updated);
}

TEST(Comparison, OnlyTheFirstOfTwoEqualRowsIsUpdated) {
  Tables t;
  AddProgram(t, "dup.exe", "C:\\dup.exe", "old");
  AddProgram(t, "DUP.EXE", "C:\\DUP.EXE", "old");
  AddProcess(t, "dup.exe", "C:\\dup.exe", "new");
  t.Compare();
  EXPECT_EQ("new", t.ProcessList[0].Cell(kProgramModified));
  EXPECT_EQ("old", t.ProcessList[1].Cell(kProgramModified));
  EXPECT_EQ(1, t.Counts.Updated);
}

TEST(Comparison, IgnoredFolderInOtherLetterCaseDoesNotExclude) {
  Tables t;
  t.IgnoredFolders.Add("c:\\tools\\");
  AddProcess(t, "a.exe", "C:\\Tools\\a.exe", "");
  t.Compare();
  EXPECT_EQ(1, t.ProcessList.Count());
}

TEST(Comparison, IgnoredFolderInTheMiddleOfAPathExcludesIt) {
  Tables t;
  t.IgnoredFolders.Add("\\Temp\\");
  AddProgram(t, "b.exe", "C:\\Users\\me\\Temp\\b.exe", "old");
  AddProcess(t, "a.exe", "C:\\Users\\me\\Temp\\a.exe", "");
  AddProcess(t, "b.exe", "C:\\Users\\me\\Temp\\b.exe", "new");
  t.Compare();
  // Passed over entirely: nothing added, the known one neither updated nor refreshed.
  ASSERT_EQ(1, t.ProcessList.Count());
  EXPECT_EQ("old", t.ProcessList[0].Cell(kProgramModified));
  EXPECT_EQ("2020/01/02 2:00:00", t.ProcessList[0].Cell(kProgramLastRun));
  EXPECT_EQ(0, t.Log.Count());
}

TEST(Comparison, EmptyIgnoredEntryExcludesNothing) {
  Tables t;
  t.IgnoredFolders.Add("");
  AddProcess(t, "a.exe", "C:\\a.exe", "");
  t.Compare();
  EXPECT_EQ(1, t.ProcessList.Count());
  EXPECT_FALSE(monitor::ContainsAtCharBoundary("C:\\a.exe", ""));
}

TEST(Comparison, TrailByteEqualToTheEntrysFirstByteDoesNotStartAMatch) {
  // 表 is 95 5C in CP932: its second byte is a backslash. "\示\" occurs in the bytes
  // of "C:\表示\" from that trail byte on, but not at a character boundary.
  const std::string path = "C:\\表示\\a.exe";
  ASSERT_EQ(std::string("\x95\x5C", 2), std::string("表"));
  ASSERT_NE(std::string::npos, path.find("\\示\\"));
  EXPECT_FALSE(monitor::ContainsAtCharBoundary(path, "\\示\\"));
  EXPECT_TRUE(monitor::ContainsAtCharBoundary(path, "\\表示\\"));

  Tables t;
  t.IgnoredFolders.Add("\\示\\");
  AddProcess(t, "a.exe", path, "");
  t.Compare();
  EXPECT_EQ(1, t.ProcessList.Count());
}

TEST(Comparison, MatchMustNotEndInsideADoubleByteCharacter) {
  // "C:\表" ends with 95 5C; an entry of its first three bytes and a lone lead byte
  // stops in the middle of 表.
  EXPECT_FALSE(monitor::ContainsAtCharBoundary("C:\\表", "C:\\\x95"));
  EXPECT_TRUE(monitor::ContainsAtCharBoundary("C:\\表", "C:\\表"));
  // A lead byte cut off at the very end of the path is a character of its own.
  EXPECT_TRUE(monitor::ContainsAtCharBoundary("C:\\\x95", "\\\x95"));
}

TEST(Comparison, LaterOccurrenceAtABoundaryStillMatches) {
  // "表示\示" holds 5C 8E A6 twice: from the trail byte of 表, and after the backslash.
  EXPECT_TRUE(monitor::ContainsAtCharBoundary("表示\\示", "\\示"));
  EXPECT_FALSE(monitor::ContainsAtCharBoundary("表示", "\\示"));
}

TEST(Comparison, LogOverTheMaximumIsTrimmedBeforeAnythingElse) {
  Tables t;
  t.MaxLogRows = 10;
  LogRows(t, 12);
  AddProcess(t, "new.exe", "C:\\new.exe", "");
  t.Compare();
  // The two oldest went first; the addition then takes the log to 11.
  ASSERT_EQ(11, t.Log.Count());
  EXPECT_EQ("t2", t.Log[0].Caption);
  EXPECT_EQ("new.exe", t.Log[10].Cell(kLogName));
}

TEST(Comparison, UpdateAtTheMaximumKeepsTheLogAtTheMaximum) {
  Tables t;
  t.MaxLogRows = 10;
  LogRows(t, 10);
  AddProgram(t, "a.exe", "C:\\a.exe", "old");
  AddProcess(t, "a.exe", "C:\\a.exe", "new");
  t.Compare();
  ASSERT_EQ(10, t.Log.Count());
  EXPECT_EQ("t1", t.Log[0].Caption);
  EXPECT_EQ("更新", t.Log[9].Cell(kLogKind));
}

TEST(Comparison, AdditionsTakeTheLogOverTheMaximum) {
  Tables t;
  t.MaxLogRows = 10;
  LogRows(t, 10);
  AddProcess(t, "a.exe", "C:\\a.exe", "");
  AddProcess(t, "b.exe", "C:\\b.exe", "");
  t.Compare();
  ASSERT_EQ(12, t.Log.Count());
  EXPECT_EQ("t0", t.Log[0].Caption);
}

TEST(Comparison, LogIsScrolledToItsLastRow) {
  Tables t;
  LogRows(t, 3);
  t.Compare();
  EXPECT_EQ(2, t.Log.LastMadeVisible());

  Tables empty;
  empty.Compare();
  EXPECT_EQ(-1, empty.Log.LastMadeVisible());
  EXPECT_EQ(0, empty.Counts.Added);
}

TEST(Comparison, IdentityKeyAgreesWithCompareString) {
  const std::vector<std::string> texts = {
      "", "a", "A", "abc.exe", "ABC.EXE", "ａｂｃ", "ＡＢＣ", "ｱｲｳ", "アイウ", "あいう",
      "co-op", "coop", "C:\\Windows\\notepad.exe", "c:\\WINDOWS\\NOTEPAD.EXE", "表", "ソ",
      "\x83\x41", "\x83\x61", std::string("a\0b", 3), "ab", "a b", "ｶﾞ", "ガ", "\x80", "x\xFD"};
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      EXPECT_EQ(monitor::SameTextIgnoringCase(a, b),
                monitor::IdentityKey(a) == monitor::IdentityKey(b))
          << "[" << a << "] [" << b << "]";
    }
  }
  EXPECT_NE(monitor::ProgramKey("ab", "c"), monitor::ProgramKey("a", "bc"));
}

TEST(Comparison, ListChangedElsewhereIsSearchedAfresh) {
  Tables t;
  AddProgram(t, "a.exe", "C:\\a.exe", "1");
  AddProgram(t, "b.exe", "C:\\b.exe", "1");
  AddProgram(t, "c.exe", "C:\\c.exe", "1");
  AddProcess(t, "c.exe", "C:\\c.exe", "1");
  t.Compare();  // builds the index: c.exe at row 2
  const int builds = t.ProgramIndex.Rebuilds();
  EXPECT_GE(builds, 1);

  t.ProcessList.Delete(0);  // c.exe now at row 1
  t.CurrentProcesses.Clear();
  AddProcess(t, "c.exe", "C:\\c.exe", "2");
  t.Compare();
  ASSERT_EQ(2, t.ProcessList.Count());
  EXPECT_EQ("2", t.ProcessList[1].Cell(kProgramModified));

  t.ProcessList.Sort([](const toolkit::TListItem& x, const toolkit::TListItem& y) {
    return y.Caption.compare(x.Caption);  // descending: c.exe first
  });
  t.CurrentProcesses.Clear();
  AddProcess(t, "c.exe", "C:\\c.exe", "3");
  AddProcess(t, "b.exe", "C:\\b.exe", "3");
  t.Compare();
  ASSERT_EQ(2, t.ProcessList.Count());
  EXPECT_EQ("c.exe", t.ProcessList[0].Caption);
  EXPECT_EQ("3", t.ProcessList[0].Cell(kProgramModified));
  EXPECT_EQ("3", t.ProcessList[1].Cell(kProgramModified));
  EXPECT_EQ(0, t.Counts.Added);
}

TEST(Comparison, OwnChangesDoNotRebuildTheIndex) {
  Tables t;
  for (int i = 0; i < 50; ++i) AddProgram(t, "p" + std::to_string(i) + ".exe", "C:\\p.exe", "1");
  AddProcess(t, "p7.exe", "C:\\p.exe", "2");    // update
  AddProcess(t, "p8.exe", "C:\\p.exe", "1");    // refresh
  AddProcess(t, "new.exe", "C:\\new.exe", "");  // addition
  t.Compare();
  t.Compare();
  EXPECT_EQ(1, t.ProgramIndex.Rebuilds());
  EXPECT_EQ(51, t.ProcessList.Count());
}

TEST(Comparison, RowEditedElsewhereIsNotFoundUnderItsOldIdentity) {
  Tables t;
  AddProgram(t, "a.exe", "C:\\a.exe", "1");
  AddProcess(t, "a.exe", "C:\\a.exe", "1");
  t.Compare();
  t.ProcessList.SetCell(0, kProgramPath, "C:\\moved\\a.exe");
  t.Compare();
  ASSERT_EQ(2, t.ProcessList.Count());
  EXPECT_EQ("C:\\a.exe", t.ProcessList[1].Cell(kProgramPath));
  EXPECT_EQ(1, t.Counts.Added);
}

TEST(Comparison, IndexFindsTheSameRowsAsASearchFromTheTop) {
  // Random lists with names and paths that differ only in letter case, duplicates
  // and changes between runs; every run is checked against a search from the top.
  std::mt19937 random(12345);
  const std::vector<std::string> names = {"a.exe", "A.EXE", "b.exe", "ｂ.exe", "Ｂ.EXE", "c.exe"};
  const std::vector<std::string> paths = {"C:\\x\\", "c:\\X\\", "C:\\y\\", "C:\\表\\"};
  auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };

  Tables t;
  for (int round = 0; round < 20; ++round) {
    if (round % 5 == 4 && t.ProcessList.Count() > 0)
      t.ProcessList.Delete(static_cast<int>(random() % t.ProcessList.Count()));
    if (round % 7 == 6) AddProgram(t, pick(names), pick(paths), "dup");
    t.CurrentProcesses.Clear();
    for (int i = 0; i < 8; ++i)
      AddProcess(t, pick(names), pick(paths), std::to_string(random() % 3));

    toolkit::TListView expected;
    for (const toolkit::TListItem& row : t.ProcessList.Items()) expected.Add(row);
    for (const toolkit::TListItem& p : t.CurrentProcesses.Items()) {
      int found = -1;
      for (int r = 0; r < expected.Count() && found < 0; ++r)
        if (monitor::SameTextIgnoringCase(expected[r].Caption, p.Caption) &&
            monitor::SameTextIgnoringCase(expected.Cell(r, kProgramPath), p.Cell(kCurrentPath)))
          found = r;
      if (found < 0) expected.Add({p.Caption, {p.Cell(kCurrentPath), p.Cell(kCurrentModified)}});
      else expected.SetCell(found, kProgramModified, p.Cell(kCurrentModified));
    }

    t.Compare();
    ASSERT_EQ(expected.Count(), t.ProcessList.Count()) << "round " << round;
    for (int r = 0; r < expected.Count(); ++r) {
      EXPECT_EQ(expected[r].Caption, t.ProcessList[r].Caption) << "round " << round << " row " << r;
      EXPECT_EQ(expected.Cell(r, kProgramModified), t.ProcessList[r].Cell(kProgramModified))
          << "round " << round << " row " << r;
    }
  }
}
