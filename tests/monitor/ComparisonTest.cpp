#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "monitor/Comparison.h"

namespace {

const char kSnapshot[] = "2024/05/06 7:08:09";

// The tables of one comparison, built in memory.
struct Tables {
  toolkit::TListView current;  // ListView1
  toolkit::TListView list;     // ListView2
  toolkit::TListView log;      // ListView3
  toolkit::TListView ignored;  // ListView4
  int maxLog = 100;
  int added = -1;
  int updated = -1;
  monitor::TProgramIndex index;

  void Process(const std::string& name, const std::string& path, const std::string& time) {
    current.Add(name).SubItems = {path, time, ""};
  }
  void Known(const std::string& name, const std::string& path, const std::string& time,
             const std::string& comment = "") {
    list.Add(name).SubItems = {path, time, "2020/01/01 1:00:00", "2020/01/02 2:00:00", comment};
  }
  void LogRows(int n) {
    for (int i = 0; i < n; ++i) log.Add("t" + std::to_string(i)).SubItems = {"x.exe", "追加", ""};
  }
  void Compare() {
    monitor::ListFileCompares(current, kSnapshot, ignored, maxLog, list, log, added, updated,
                              index);
  }
};

}  // namespace

TEST(Comparison, EqualEmptyTimesRefreshOnlyTheLastRunTime) {
  Tables t;
  t.Known("gone.exe", "C:\\Apps\\gone.exe", "", "note");
  t.Process("gone.exe", "C:\\Apps\\gone.exe", "");
  t.Compare();
  ASSERT_EQ(1, t.list.Count());
  const toolkit::TListItem& row = t.list[0];
  EXPECT_EQ("", row.Cell(2));
  EXPECT_EQ("2020/01/01 1:00:00", row.Cell(3));
  EXPECT_EQ(kSnapshot, row.Cell(4));
  EXPECT_EQ("note", row.Cell(5));
  EXPECT_EQ(0, t.log.Count());
  EXPECT_EQ(0, t.added);
  EXPECT_EQ(0, t.updated);
}

TEST(Comparison, VanishedFileIsLoggedAsUpdate) {
  Tables t;
  t.Known("app.exe", "C:\\Apps\\app.exe", "2023/12/01 10:20:30");
  t.Process("app.exe", "C:\\Apps\\app.exe", "");
  t.Compare();
  EXPECT_EQ("", t.list[0].Cell(2));
  EXPECT_EQ(kSnapshot, t.list[0].Cell(4));
  ASSERT_EQ(1, t.log.Count());
  EXPECT_EQ("app.exe", t.log[0].Cell(1));
  EXPECT_EQ("更新", t.log[0].Cell(2));
  EXPECT_EQ("(2023/12/01 10:20:30)→()", t.log[0].Cell(3));
  EXPECT_FALSE(t.log[0].Caption.empty());
  EXPECT_EQ(1, t.updated);
  EXPECT_EQ(0, t.added);

  t.current.Clear();
  t.Process("app.exe", "C:\\Apps\\app.exe", "2024/01/02");
  t.Compare();
  EXPECT_EQ("2024/01/02", t.list[0].Cell(2));
  ASSERT_EQ(2, t.log.Count());
  EXPECT_EQ("()→(2024/01/02)", t.log[1].Cell(3));
}

TEST(Comparison, PathDifferingOnlyInLetterCaseMatchesAndKeepsTheStoredCase) {
  Tables t;
  t.Known("App.exe", "C:\\Program Files\\Tool\\App.exe", "2024/01/02");
  t.Process("APP.EXE", "c:\\PROGRAM FILES\\tool\\app.exe", "2024/01/02");
  t.Compare();
  ASSERT_EQ(1, t.list.Count());
  EXPECT_EQ("App.exe", t.list[0].Caption);
  EXPECT_EQ("C:\\Program Files\\Tool\\App.exe", t.list[0].Cell(1));
  EXPECT_EQ(kSnapshot, t.list[0].Cell(4));
  EXPECT_EQ(0, t.added);
}

TEST(Comparison, FullWidthLettersInOtherCaseMatchButHalfAndFullWidthDoNot) {
  Tables t;
  t.Known("ａｂｃ.exe", "C:\\ａｂｃ.exe", "");
  t.Process("ＡＢＣ.EXE", "C:\\ＡＢＣ.exe", "");  // full-width capitals: the same program
  t.Process("abc.exe", "C:\\abc.exe", "");          // half-width: another one
  t.Compare();
  ASSERT_EQ(2, t.list.Count());
  EXPECT_EQ(kSnapshot, t.list[0].Cell(4));
  EXPECT_EQ("abc.exe", t.list[1].Caption);
  EXPECT_EQ(1, t.added);
}

TEST(Comparison, NewProgramIsAddedAndLogged) {
  Tables t;
  t.Process("new.exe", "D:\\新しい\\new.exe", "2024/03/04 5:06:08");
  t.Compare();
  ASSERT_EQ(1, t.list.Count());
  const toolkit::TListItem& row = t.list[0];
  EXPECT_EQ("new.exe", row.Caption);
  EXPECT_EQ("D:\\新しい\\new.exe", row.Cell(1));
  EXPECT_EQ("2024/03/04 5:06:08", row.Cell(2));
  EXPECT_FALSE(row.Cell(3).empty());
  EXPECT_EQ(kSnapshot, row.Cell(4));
  EXPECT_EQ("", row.Cell(5));
  ASSERT_EQ(1, t.log.Count());
  EXPECT_EQ("new.exe", t.log[0].Cell(1));
  EXPECT_EQ("追加", t.log[0].Cell(2));
  EXPECT_EQ("", t.log[0].Cell(3));
  EXPECT_EQ(1, t.added);
  EXPECT_EQ(0, t.updated);
}

TEST(Comparison, TwoProcessesOfOneNewProgramAddOneRowAndCountOne) {
  Tables t;
  t.Process("twice.exe", "C:\\twice.exe", "2024/01/01");
  t.Process("twice.exe", "C:\\twice.exe", "2024/01/01");
  t.Compare();
  EXPECT_EQ(1, t.list.Count());
  EXPECT_EQ(1, t.log.Count());
  EXPECT_EQ(1, t.added);
  EXPECT_EQ(0, t.updated);
}

TEST(Comparison, CountersStartFromZeroAtEveryRun) {
  Tables t;
  t.Process("a.exe", "C:\\a.exe", "");
  t.Compare();
  EXPECT_EQ(1, t.added);
  t.Compare();
  EXPECT_EQ(0, t.added);
  EXPECT_EQ(0, t.updated);
}

TEST(Comparison, OnlyTheFirstOfTwoEqualRowsIsUpdated) {
  Tables t;
  t.Known("dup.exe", "C:\\dup.exe", "old");
  t.Known("DUP.EXE", "C:\\DUP.EXE", "old");
  t.Process("dup.exe", "C:\\dup.exe", "new");
  t.Compare();
  EXPECT_EQ("new", t.list[0].Cell(2));
  EXPECT_EQ("old", t.list[1].Cell(2));
  EXPECT_EQ(1, t.updated);
}

TEST(Comparison, IgnoredFolderInOtherLetterCaseDoesNotExclude) {
  Tables t;
  t.ignored.Add("c:\\tools\\");
  t.Process("a.exe", "C:\\Tools\\a.exe", "");
  t.Compare();
  EXPECT_EQ(1, t.list.Count());
}

TEST(Comparison, IgnoredFolderInTheMiddleOfAPathExcludesIt) {
  Tables t;
  t.ignored.Add("\\Temp\\");
  t.Known("b.exe", "C:\\Users\\me\\Temp\\b.exe", "old");
  t.Process("a.exe", "C:\\Users\\me\\Temp\\a.exe", "");
  t.Process("b.exe", "C:\\Users\\me\\Temp\\b.exe", "new");
  t.Compare();
  // Passed over entirely: nothing added, the known one neither updated nor refreshed.
  ASSERT_EQ(1, t.list.Count());
  EXPECT_EQ("old", t.list[0].Cell(2));
  EXPECT_EQ("2020/01/02 2:00:00", t.list[0].Cell(4));
  EXPECT_EQ(0, t.log.Count());
}

TEST(Comparison, EmptyIgnoredEntryExcludesNothing) {
  Tables t;
  t.ignored.Add("");
  t.Process("a.exe", "C:\\a.exe", "");
  t.Compare();
  EXPECT_EQ(1, t.list.Count());
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
  t.ignored.Add("\\示\\");
  t.Process("a.exe", path, "");
  t.Compare();
  EXPECT_EQ(1, t.list.Count());
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
  t.maxLog = 10;
  t.LogRows(12);
  t.Process("new.exe", "C:\\new.exe", "");
  t.Compare();
  // The two oldest went first; the addition then takes the log to 11.
  ASSERT_EQ(11, t.log.Count());
  EXPECT_EQ("t2", t.log[0].Caption);
  EXPECT_EQ("new.exe", t.log[10].Cell(1));
}

TEST(Comparison, UpdateAtTheMaximumKeepsTheLogAtTheMaximum) {
  Tables t;
  t.maxLog = 10;
  t.LogRows(10);
  t.Known("a.exe", "C:\\a.exe", "old");
  t.Process("a.exe", "C:\\a.exe", "new");
  t.Compare();
  ASSERT_EQ(10, t.log.Count());
  EXPECT_EQ("t1", t.log[0].Caption);
  EXPECT_EQ("更新", t.log[9].Cell(2));
}

TEST(Comparison, AdditionsTakeTheLogOverTheMaximum) {
  Tables t;
  t.maxLog = 10;
  t.LogRows(10);
  t.Process("a.exe", "C:\\a.exe", "");
  t.Process("b.exe", "C:\\b.exe", "");
  t.Compare();
  ASSERT_EQ(12, t.log.Count());
  EXPECT_EQ("t0", t.log[0].Caption);
}

TEST(Comparison, LogIsScrolledToItsLastRow) {
  Tables t;
  t.LogRows(3);
  t.Compare();
  EXPECT_EQ(2, t.log.LastMadeVisible());

  Tables empty;
  empty.Compare();
  EXPECT_EQ(-1, empty.log.LastMadeVisible());
  EXPECT_EQ(0, empty.added);
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
  t.Known("a.exe", "C:\\a.exe", "1");
  t.Known("b.exe", "C:\\b.exe", "1");
  t.Known("c.exe", "C:\\c.exe", "1");
  t.Process("c.exe", "C:\\c.exe", "1");
  t.Compare();  // builds the index: c.exe at row 2
  const int builds = t.index.Rebuilds();
  EXPECT_GE(builds, 1);

  t.list.Delete(0);  // c.exe now at row 1
  t.current.Clear();
  t.Process("c.exe", "C:\\c.exe", "2");
  t.Compare();
  ASSERT_EQ(2, t.list.Count());
  EXPECT_EQ("2", t.list[1].Cell(2));

  t.list.Sort([](const toolkit::TListItem& x, const toolkit::TListItem& y) {
    return y.Caption.compare(x.Caption);  // descending: c.exe first
  });
  t.current.Clear();
  t.Process("c.exe", "C:\\c.exe", "3");
  t.Process("b.exe", "C:\\b.exe", "3");
  t.Compare();
  ASSERT_EQ(2, t.list.Count());
  EXPECT_EQ("c.exe", t.list[0].Caption);
  EXPECT_EQ("3", t.list[0].Cell(2));
  EXPECT_EQ("3", t.list[1].Cell(2));
  EXPECT_EQ(0, t.added);
}

TEST(Comparison, OwnChangesDoNotRebuildTheIndex) {
  Tables t;
  for (int i = 0; i < 50; ++i) t.Known("p" + std::to_string(i) + ".exe", "C:\\p.exe", "1");
  t.Process("p7.exe", "C:\\p.exe", "2");    // update
  t.Process("p8.exe", "C:\\p.exe", "1");    // refresh
  t.Process("new.exe", "C:\\new.exe", "");  // addition
  t.Compare();
  t.Compare();
  EXPECT_EQ(1, t.index.Rebuilds());
  EXPECT_EQ(51, t.list.Count());
}

TEST(Comparison, RowEditedInPlaceIsNotFoundUnderItsOldIdentity) {
  Tables t;
  t.Known("a.exe", "C:\\a.exe", "1");
  t.Process("a.exe", "C:\\a.exe", "1");
  t.Compare();
  t.list[0].SubItems[0] = "C:\\moved\\a.exe";  // edited without telling the list
  t.Compare();
  ASSERT_EQ(2, t.list.Count());
  EXPECT_EQ("C:\\a.exe", t.list[1].Cell(1));
  EXPECT_EQ(1, t.added);
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
    if (round % 5 == 4 && t.list.Count() > 0) t.list.Delete(static_cast<int>(random() % t.list.Count()));
    if (round % 7 == 6) t.Known(pick(names), pick(paths), "dup");
    t.current.Clear();
    for (int i = 0; i < 8; ++i) t.Process(pick(names), pick(paths), std::to_string(random() % 3));

    toolkit::TListView expected;
    for (const toolkit::TListItem& row : t.list.Items()) expected.Add(row.Caption).SubItems = row.SubItems;
    for (const toolkit::TListItem& p : t.current.Items()) {
      int found = -1;
      for (int r = 0; r < expected.Count() && found < 0; ++r)
        if (monitor::SameTextIgnoringCase(expected[r].Caption, p.Caption) &&
            monitor::SameTextIgnoringCase(expected[r].Cell(1), p.Cell(1)))
          found = r;
      if (found < 0) expected.Add(p.Caption).SubItems = {p.Cell(1), p.Cell(2)};
      else expected[found].SetCell(2, p.Cell(2));
    }

    t.Compare();
    ASSERT_EQ(expected.Count(), t.list.Count()) << "round " << round;
    for (int r = 0; r < expected.Count(); ++r) {
      EXPECT_EQ(expected[r].Caption, t.list[r].Caption) << "round " << round << " row " << r;
      EXPECT_EQ(expected[r].Cell(2), t.list[r].Cell(2)) << "round " << round << " row " << r;
    }
  }
}
