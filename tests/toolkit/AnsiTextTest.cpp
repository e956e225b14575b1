#include <gtest/gtest.h>

#include "toolkit/AnsiText.h"

TEST(AnsiText, JapaneseTextGoesThereAndBack) {
  EXPECT_EQ(L"C:\\ソフト\\表.csv", toolkit::Widen("C:\\ソフト\\表.csv"));
  EXPECT_EQ("C:\\ソフト\\表.csv", toolkit::Narrow(L"C:\\ソフト\\表.csv"));
  EXPECT_EQ(L"", toolkit::Widen(""));
}

// A best fit would make "café.csv" the name of another file, "cafe.csv".
TEST(AnsiText, ACharacterTheCodePageLacksBecomesAQuestionMark) {
  EXPECT_EQ("caf?.csv", toolkit::Narrow(L"caf\u00E9.csv"));
}

TEST(AnsiText, FileNamesCompareWithoutLetterCaseButByCharacter) {
  EXPECT_TRUE(toolkit::SameFileName("ProcessList.dat", "PROCESSLIST.DAT"));
  EXPECT_TRUE(toolkit::SameFileName("ａｂ.csv", "ＡＢ.csv"));
  EXPECT_FALSE(toolkit::SameFileName("ソ.csv", "ゾ.csv"));
}
