#include <gtest/gtest.h>

#include <map>

#include "ui/Sorting.h"

using ui::CompareSortKeys;

TEST(SortKeys, PrefixFirstAndCaseBlind) {
  EXPECT_LT(CompareSortKeys("abc", "abcd"), 0);
  EXPECT_GT(CompareSortKeys("abcd", "abc"), 0);
  EXPECT_EQ(0, CompareSortKeys("ABC.exe", "abc.exe"));
  EXPECT_LT(CompareSortKeys("", "a"), 0);
}

TEST(SortKeys, LettersCountAsCapitalsAgainstPunctuation) {
  EXPECT_GT(CompareSortKeys("a_b", "aab"), 0);  // '_' 0x5F against 'a' taken as 0x41
  EXPECT_LT(CompareSortKeys("zeta", "[x]"), 0);  // 'Z' 0x5A before '[' 0x5B
  EXPECT_LT(CompareSortKeys("9", "a"), 0);
  EXPECT_LT(CompareSortKeys("~", "ア"), 0);      // double-byte text after all ASCII
}

TEST(SortKeys, DoubleByteCharactersDifferingOnlyBy0x20InTheTrailByteAreEqual) {
  // ア is 83 41; 83 61 is ヂ (チ, often named for it, is 83 60).
  EXPECT_EQ(0, CompareSortKeys("\x83\x41", "\x83\x61"));
  EXPECT_EQ(0, CompareSortKeys("ア", "ヂ"));
  EXPECT_LT(CompareSortKeys("ア", "チ"), 0);
}

TEST(SortKeys, TimesSortAsText) {
  EXPECT_LT(CompareSortKeys("2006/07/06 10:00:00", "2006/07/06 9:00:00"), 0);
}

namespace {

struct Current {
  toolkit::TListView rows;
  toolkit::TStringList pids;
  toolkit::TStringList scratch;
  void Add(const std::string& name, const std::string& path, const std::string& time,
           const std::string& pid) {
    rows.Add(name).SubItems = {path, time, ""};
    pids.Add(pid);
  }
  // Every row's identifier must still be the one it was listed with.
  void ExpectIdentifiersFollowRows(const std::map<std::string, std::string>& pidOfPath) {
    ASSERT_EQ(rows.Count(), pids.Count());
    for (int i = 0; i < rows.Count(); ++i) {
      EXPECT_EQ(pidOfPath.at(rows[i].Cell(1)), pids[i]) << "row " << i;
      EXPECT_EQ("", rows[i].Cell(3));
    }
  }
};

}  // namespace

TEST(SortCurrentProcesses, IdentifiersFollowTheRowsInEveryColumn) {
  Current c;
  c.Add("b.exe", "C:\\z\\b.exe", "2020/1/2", "40");
  c.Add("a.exe", "C:\\y\\a.exe", "2020/1/3", "12");
  c.Add("c.exe", "C:\\x\\c.exe", "2020/1/1", "7");
  std::map<std::string, std::string> pidOfPath = {
      {"C:\\z\\b.exe", "40"}, {"C:\\y\\a.exe", "12"}, {"C:\\x\\c.exe", "7"}};
  for (int column : {0, 1, 2, 1, 0}) {
    ui::SortCurrentProcesses(c.rows, c.pids, c.scratch, column);
    c.ExpectIdentifiersFollowRows(pidOfPath);
  }
  EXPECT_EQ("C:\\y\\a.exe", c.rows[0].Cell(1));  // by name after the last click
}

TEST(SortCurrentProcesses, TheSpareColumnSortsNothing) {
  Current c;
  c.Add("b.exe", "C:\\b.exe", "", "2");
  c.Add("a.exe", "C:\\a.exe", "", "1");
  ui::SortCurrentProcesses(c.rows, c.pids, c.scratch, 3);
  EXPECT_EQ("b.exe", c.rows[0].Caption);
  EXPECT_EQ("2", c.pids[0]);
  EXPECT_EQ(0, c.scratch.Count());
}

TEST(SortCurrentProcesses, EqualKeysKeepTheirOrder) {
  Current c;
  c.Add("same.exe", "C:\\same.exe", "", "30");
  c.Add("other.exe", "C:\\other.exe", "", "5");
  c.Add("SAME.exe", "C:\\same.exe", "", "10");
  c.Add("same.exe", "C:\\same.exe", "", "20");
  ui::SortCurrentProcesses(c.rows, c.pids, c.scratch, 0);
  EXPECT_EQ("other.exe", c.rows[0].Caption);
  EXPECT_EQ("30", c.pids[1]);
  EXPECT_EQ("10", c.pids[2]);
  EXPECT_EQ("20", c.pids[3]);
}

TEST(SortProcessList, SortsByAnyColumnAndLeavesNoScratch) {
  toolkit::TListView list;
  list.Add("b.exe").SubItems = {"C:\\b.exe", "", "", "", "zeta"};
  list.Add("a.exe").SubItems = {"C:\\a.exe", "", "", "", ""};
  list.Add("c.exe").SubItems = {"C:\\c.exe", "", "", "", "alpha"};
  ui::SortProcessList(list, 5);
  EXPECT_EQ("a.exe", list[0].Caption);  // the empty comment first
  EXPECT_EQ("c.exe", list[1].Caption);
  EXPECT_EQ("b.exe", list[2].Caption);
  ui::SortProcessList(list, 0);
  EXPECT_EQ("a.exe", list[0].Caption);
  EXPECT_EQ(5u, list[0].SubItems.size());
}
