#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/LineBuffer.h"

namespace {

std::vector<std::string> LinesOf(const std::string& text) {
  store::TLineBuffer buffer;
  buffer.SetText(text);
  std::vector<std::string> lines;
  for (int i = 0; i < buffer.Count(); ++i) lines.push_back(buffer[i]);
  return lines;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(LineBuffer, EveryLineBreakConventionEndsALine) {
  EXPECT_EQ((Lines{"a", "b", "c", "d"}), LinesOf("a\r\nb\rc\nd"));
  // A CR followed by a CR LF is two breaks, an LF followed by a CR too.
  EXPECT_EQ((Lines{"a", "", "b"}), LinesOf("a\r\r\nb"));
  EXPECT_EQ((Lines{"a", "", "b"}), LinesOf("a\n\rb"));
}

TEST(LineBuffer, FinalBreakAddsNoEmptyLine) {
  EXPECT_EQ((Lines{"a"}), LinesOf("a\r\n"));
  EXPECT_EQ((Lines{"a"}), LinesOf("a\r"));
  EXPECT_EQ((Lines{"a"}), LinesOf("a\n"));
  EXPECT_EQ((Lines{"a"}), LinesOf("a"));
  EXPECT_EQ((Lines{"a", ""}), LinesOf("a\r\n\r\n"));
  EXPECT_EQ((Lines{""}), LinesOf("\r\n"));
  EXPECT_EQ(Lines{}, LinesOf(""));
}

TEST(LineBuffer, LongLineReadsAsItsFirst4096Bytes) {
  std::string longLine(5000, 'x');
  longLine[4095] = 'y';
  store::TLineBuffer buffer;
  buffer.SetText("first\r\n" + longLine + "\r\nlast");
  ASSERT_EQ(3, buffer.Count());
  EXPECT_EQ(4096u, buffer[1].size());
  EXPECT_EQ('y', buffer[1].back());
  EXPECT_EQ("last", buffer[2]);
}

TEST(LineBuffer, LinePastTheEndReadsEmpty) {
  store::TLineBuffer buffer;
  EXPECT_EQ("", buffer[0]);
  buffer.Add("only");
  EXPECT_EQ("only", buffer[0]);
  EXPECT_EQ("", buffer[1]);
  EXPECT_EQ("", buffer[-1]);
}

TEST(LineBuffer, EveryLineIsWrittenWithCrLf) {
  store::TLineBuffer buffer;
  buffer.Add("Ver1.00");
  buffer.Add("");
  buffer.Add("表示");
  EXPECT_EQ("Ver1.00\r\n\r\n表示\r\n", buffer.Text());
  buffer.Clear();
  EXPECT_EQ("", buffer.Text());
}
