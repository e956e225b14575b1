// CP932 text as UTF-8 through the system's code page 932 under Wine, and the
// bytes of the CSV files made of it. Literals without u8 are CP932 (the build's
// execution character set); u8 literals are the UTF-8 expected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/Csv.h"

namespace {

std::string Utf8(const std::string& cp932) {
  return toolkit::Cp932ToUtf8(cp932, &toolkit::WindowsCp932Pair);
}

const std::string kFffd = toolkit::kReplacementUtf8;

}  // namespace

TEST(Cp932ToUtf8, EveryKindOfCharacterConverts) {
  EXPECT_EQ(u8"notepad.exe ~\\", Utf8("notepad.exe ~\\"));  // 5C and 7E stay ASCII
  EXPECT_EQ(u8"C:\\ソフト\\表計算.exe", Utf8("C:\\ソフト\\表計算.exe"));  // trail bytes 5C
  EXPECT_EQ(u8"ｱｲｳﾟ", Utf8("ｱｲｳﾟ"));                                   // half-width katakana
  EXPECT_EQ(u8"①Ⅰ髙ⅰ", Utf8("\x87\x40\x87\x54\xFB\xFC\xFA\x40"));  // NEC and IBM rows
  EXPECT_EQ(u8"\uE000\uE757", Utf8("\xF0\x40\xF9\xFC"));           // the user-defined area
  EXPECT_EQ(u8"―～∥－", Utf8("\x81\x5C\x81\x60\x81\x61\x81\x7C"));  // the code page's own choices
  EXPECT_EQ("", Utf8(""));
}

// Each broken byte, and each pair without a character, is one U+FFFD; the bytes
// around it convert as if it were not there.
TEST(Cp932ToUtf8, EachBrokenByteIsOneReplacementAndNothingElseIsLost) {
  EXPECT_EQ(u8"日本" + kFffd, Utf8(std::string("日本") + "\x8C"));  // a lead byte cut at the end
  EXPECT_EQ(kFffd + u8"1,日", Utf8("\x81" "1,日"));   // a lead byte before a non-trail byte
  EXPECT_EQ(kFffd + "\x7F" + "a", Utf8("\x81\x7F" "a"));  // 7F is no trail byte
  EXPECT_EQ(kFffd + kFffd + u8"表", Utf8("\x81\xFD\x95\x5C"));  // a lead before FD, then a pair
  EXPECT_EQ(u8"＝", Utf8("\x81\x81"));  // a lead byte is also a trail byte
  EXPECT_EQ("a" + kFffd + "b", Utf8(std::string("a\0b", 3)));   // NUL
  for (const char* single : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF"})
    EXPECT_EQ("<" + kFffd + ">", Utf8(std::string("<") + single + ">")) << int(single[0] & 0xFF);
  // Pairs of well-formed bytes that the code page leaves unassigned.
  EXPECT_EQ(kFffd + "x" + kFffd, Utf8("\x85\x40" "x" "\xEB\x40"));
}

TEST(Csv, FileIsUtf8WithByteOrderMarkCaptionsAndCrLf) {
  const std::string csv = toolkit::Cp932TableToCsv(
      {"ファイル名", "フルパス"},
      {{"a.exe", "C:\\表\\a.exe"}, {"ｶﾅ.exe", "C:\\ｶﾅ.exe"}}, &toolkit::WindowsCp932Pair);
  EXPECT_EQ(u8"\uFEFFファイル名,フルパス\r\n"
            u8"a.exe,C:\\表\\a.exe\r\n"
            u8"ｶﾅ.exe,C:\\ｶﾅ.exe\r\n",
            csv);
}

TEST(Csv, FieldsWithCommasQuotesOrLineBreaksAreQuotedAndEmptyFieldsStayEmpty) {
  const std::string csv = toolkit::Cp932TableToCsv(
      {"a", "b", "c", "d"},
      {{"1,2", "say \"hi\"", "line\r\nnext", ""},
       {"", "", "", ""},
       {"cr\ronly", "lf\nonly", "\"", " spaced "}},
      &toolkit::WindowsCp932Pair);
  EXPECT_EQ(u8"\uFEFFa,b,c,d\r\n"
            "\"1,2\",\"say \"\"hi\"\"\",\"line\r\nnext\",\r\n"
            ",,,\r\n"
            "\"cr\ronly\",\"lf\nonly\",\"\"\"\", spaced \r\n",
            csv);
}

TEST(Csv, AFieldIsQuotedWhenAskedEvenIfItNeedNotBe) {
  std::string out;
  toolkit::AppendCsvField(out, "plain", true);
  toolkit::AppendCsvField(out, "", true);
  toolkit::AppendCsvField(out, "a\"b", true);
  toolkit::AppendCsvField(out, "plain");
  EXPECT_EQ("\"plain\"\"\"\"a\"\"b\"plain", out);
}

TEST(Csv, ARecordOfOneEmptyFieldIsNoEmptyLine) {
  std::string out;
  toolkit::AppendCsvRecord(out, {""});
  toolkit::AppendCsvRecord(out, {"x"});
  EXPECT_EQ("\"\"\r\nx\r\n", out);
}

// A damaged comment keeps its row: one U+FFFD for the cut byte, every other
// field and the quoting as they would be without it.
TEST(Csv, DamagedBytesCostOneReplacementAndNotTheRow) {
  const std::string csv = toolkit::Cp932TableToCsv(
      {"ファイル名", "コメント"}, {{"a.exe", std::string("メモ,") + "\x83"}, {"b.exe", "ok"}},
      &toolkit::WindowsCp932Pair);
  EXPECT_EQ(u8"\uFEFFファイル名,コメント\r\na.exe,\"メモ," + kFffd + "\"\r\nb.exe,ok\r\n", csv);
}
