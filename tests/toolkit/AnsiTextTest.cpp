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
  // A list of NUL-ended texts (a profile section) keeps its NULs.
  EXPECT_EQ(std::string("a=caf?\0b=\x95\x5C\0", 12),
            toolkit::Narrow(std::wstring(L"a=caf\u00E9\0b=\u8868\0", 11)));
}

TEST(AnsiText, FileNamesCompareWithoutLetterCaseButByCharacter) {
  EXPECT_TRUE(toolkit::SameFileName("ProcessList.dat", "PROCESSLIST.DAT"));
  EXPECT_TRUE(toolkit::SameFileName("ａｂ.csv", "ＡＢ.csv"));
  EXPECT_FALSE(toolkit::SameFileName("ソ.csv", "ゾ.csv"));
}

TEST(AnsiText, Utf16AndUtf8GoThereAndBackAndBrokenSequencesCostOneReplacement) {
  const std::wstring wide = L"C:\\\uAE40\uBBFC\uC900\\caf\u00E9 \U0001F600.exe";
  const std::string utf8 = toolkit::Utf8Of(wide);
  EXPECT_EQ("C:\\\xEA\xB9\x80\xEB\xAF\xBC\xEC\xA4\x80\\caf\xC3\xA9 \xF0\x9F\x98\x80.exe", utf8);
  EXPECT_EQ(wide, toolkit::WidenUtf8(utf8));
  EXPECT_EQ("a\xEF\xBF\xBD" "b", toolkit::Utf8Of(std::wstring(L"a") + wchar_t(0xD800) + L"b"));
  EXPECT_EQ(L"a\uFFFDb", toolkit::WidenUtf8("a\xE3\x81" "b"));
  EXPECT_EQ("", toolkit::Utf8Of(L""));
}
