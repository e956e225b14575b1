#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/Cp932.h"

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
