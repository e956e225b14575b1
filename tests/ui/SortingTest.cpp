#include <gtest/gtest.h>

#include <map>

#include "TestTables.h"
#include "ui/Sorting.h"

using namespace monitor;
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

// Current processes with their identifiers, and the scratch list of a sort.
struct Current : testsupport::Tables {
  toolkit::TStringList scratch;
  void Add(const std::string& name, const std::string& path, const std::string& time,
           const std::string& pid) {
    testsupport::AddProcess(*this, name, path, time, pid);
  }
  void Sort(int column) { ui::SortCurrentProcesses(*this, scratch, column); }
  // Every row's identifier must still be the one it was listed with.
  void ExpectIdentifiersFollowRows(const std::map<std::string, std::string>& pidOfPath) {
    ASSERT_EQ(CurrentProcesses.Count(), CurrentPids.Count());
    for (int i = 0; i < CurrentProcesses.Count(); ++i) {
      EXPECT_EQ(pidOfPath.at(CurrentProcesses.Cell(i, kCurrentPath)), CurrentPids[i])
          << "row " << i;
      EXPECT_EQ("", CurrentProcesses.Cell(i, kCurrentSpare));
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
  for (int column : {kCurrentName, kCurrentPath, kCurrentModified, kCurrentPath, kCurrentName}) {
    c.Sort(column);
    c.ExpectIdentifiersFollowRows(pidOfPath);
  }
  // By name after the last click.
  EXPECT_EQ("C:\\y\\a.exe", c.CurrentProcesses.Cell(0, kCurrentPath));
}

TEST(SortCurrentProcesses, TheSpareColumnSortsNothing) {
  Current c;
  c.Add("b.exe", "C:\\b.exe", "", "2");
  c.Add("a.exe", "C:\\a.exe", "", "1");
  c.Sort(kCurrentSpare);
  EXPECT_EQ("b.exe", c.CurrentProcesses[0].Caption);
  EXPECT_EQ("2", c.CurrentPids[0]);
  EXPECT_EQ(0, c.scratch.Count());
}

TEST(SortCurrentProcesses, EqualKeysKeepTheirOrder) {
  Current c;
  c.Add("same.exe", "C:\\same.exe", "", "30");
  c.Add("other.exe", "C:\\other.exe", "", "5");
  c.Add("SAME.exe", "C:\\same.exe", "", "10");
  c.Add("same.exe", "C:\\same.exe", "", "20");
  c.Sort(kCurrentName);
  EXPECT_EQ("other.exe", c.CurrentProcesses[0].Caption);
  EXPECT_EQ("30", c.CurrentPids[1]);
  EXPECT_EQ("10", c.CurrentPids[2]);
  EXPECT_EQ("20", c.CurrentPids[3]);
}

TEST(SortProcessList, SortsByAnyColumnAndLeavesNoScratch) {
  testsupport::Tables t;
  testsupport::AddProgram(t, "b.exe", "C:\\b.exe", "", "zeta");
  testsupport::AddProgram(t, "a.exe", "C:\\a.exe", "", "");
  testsupport::AddProgram(t, "c.exe", "C:\\c.exe", "", "alpha");
  toolkit::TListView& list = t.ProcessList;
  ui::SortProcessList(list, kProgramComment);
  EXPECT_EQ("a.exe", list[0].Caption);  // the empty comment first
  EXPECT_EQ("c.exe", list[1].Caption);
  EXPECT_EQ("b.exe", list[2].Caption);
  ui::SortProcessList(list, kProgramName);
  EXPECT_EQ("a.exe", list[0].Caption);
  EXPECT_EQ(5u, list[0].SubItems.size());
}
