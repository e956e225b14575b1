#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/Cp932.h"
#include "toolkit/Cp932Case.h"

namespace cp932 = toolkit::cp932;

TEST(Cp932, LeadBytesAreTheTwoRangesOfCodePage932) {
  struct Case {
    unsigned char byte;
    bool lead;
  };
  const Case cases[] = {
      {0x00, false}, {0x5C, false}, {0x7F, false}, {0x80, false}, {0x81, true},
      {0x9F, true},  {0xA0, false}, {0xDF, false}, {0xE0, true},  {0xFC, true},
      {0xFD, false}, {0xFF, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.lead, cp932::IsLeadByte(c.byte)) << std::hex << int(c.byte);
}

// Each text with the offsets where its characters begin, worked out by hand. Every
// answer of the helpers follows from these: the cut at N bytes is the last
// boundary at or below N, the last character starts at the last offset, and a
// character's size is the distance to the next boundary.
TEST(Cp932, CutsAndLastCharactersFollowTheCharacterBoundaries) {
  struct Case {
    std::string text;
    std::vector<size_t> starts;
  };
  const Case cases[] = {
      {"", {}},
      {"abc", {0, 1, 2}},
      {"表", {0}},                           // 95 5C: the trail byte is a backslash
      {"C:\\表\\", {0, 1, 2, 3, 5}},
      {"\x95\x5C\x5C", {0, 2}},
      {"a\x81", {0, 1}},                     // a lead byte cut off at the end
      {"\x81", {0}},
      {"\x81\x81\x81", {0, 2}},              // a lead byte as a trail byte
      {"\x80\x81\x40", {0, 1}},
      {"\x9F\x40\xA0\xDF", {0, 2, 3}},       // half-width katakana are single bytes
      {"\xE0\x40\xFC\xFC\xFD\x40", {0, 2, 4, 5}},
      {std::string("\x88\0a", 3), {0, 2}},   // any byte may follow a lead byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    std::vector<size_t> boundaries = c.starts;
    boundaries.push_back(c.text.size());
    if (c.starts.empty()) boundaries = {0};

    EXPECT_EQ(c.starts.empty() ? 0 : c.starts.back(), cp932::LastCharStart(c.text));
    for (size_t k = 0; k + 1 < boundaries.size(); ++k)
      EXPECT_EQ(boundaries[k + 1] - boundaries[k], cp932::CharSize(c.text, boundaries[k]));
    EXPECT_EQ(0u, cp932::CharSize(c.text, c.text.size()));
    for (size_t n = 0; n <= c.text.size() + 1; ++n) {
      size_t expected = 0;
      for (size_t b : boundaries)
        if (b <= n) expected = b;
      EXPECT_EQ(expected, cp932::CutAtCharBoundary(c.text, n)) << "at most " << n << " bytes";
    }
  }
}

// Letter case as the system maps it, by whole characters: full-width, Greek and
// Cyrillic letters find their other case, a trail byte is never a letter, and a
// find counts only where a character begins.
TEST(Cp932Case, LettersOfEveryWidthFoldAndTrailBytesNever) {
  auto found = [](const std::string& needle, const std::string& text) {
    return toolkit::TCp932Finder(needle, &toolkit::WindowsCp932LowerPair).FoundIn(text);
  };
  EXPECT_TRUE(found("SERV", "C:\\Windows\\services.exe"));
  EXPECT_TRUE(found("ａｂ", "xＡＢy"));   // 82 81 82 82 against 82 60 82 61
  EXPECT_TRUE(found("Ω", "ωμεγα"));       // 83 B6 against 83 D6
  EXPECT_TRUE(found("д", "ДОМ"));
  EXPECT_TRUE(found("", "anything"));
  EXPECT_FALSE(found("ａ", "a"));          // another character, not another case
  // ヂ is 83 61 and 表 95 5C: neither holds "a" nor a backslash.
  EXPECT_FALSE(found("a", "ヂ"));
  EXPECT_FALSE(found("A", "ヂ"));
  EXPECT_FALSE(found("\\", "表"));
  EXPECT_TRUE(found("A", "ヂa"));
  // ヂア is 83 61 83 41: 61 83 starts inside ヂ and is no find.
  EXPECT_TRUE(found("ア", "ヂア"));
  EXPECT_FALSE(found("\x61\x83", "ヂア"));

  std::string text = "ＡBｃア\x83";  // a lead byte cut at the end stays as it was
  toolkit::LowerCp932(text, &toolkit::WindowsCp932LowerPair);
  EXPECT_EQ("ａbｃア\x83", text);
}
