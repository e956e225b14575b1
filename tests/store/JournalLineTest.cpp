#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JournalSamples.h"
#include "store/JournalLine.h"

using testsupport::StartLine;

namespace {

store::TJournalLine EndLine() {
  store::TJournalLine line;
  line.Event = store::kJournalEnd;
  line.Started = "2026-12-08T16:15:27.979+09:00";
  line.StartedSource = store::kTimeFromSystem;
  line.Ended = "2026-12-08T16:16:00.001+09:00";
  line.EndedSource = store::kTimeFromCycle;
  line.Seconds = "32.022";
  line.Pid = "4242";
  line.ParentPid = "17";
  line.ParentPath = u8"C:\\Tools\\起動, \"速い\".exe";
  line.Name = u8"김민준 café.exe";
  line.Path = u8"C:\\eco\\김민준 café.exe";
  line.User = u8"VM\\ユーザー";
  return line;
}

}  // namespace

TEST(JournalLine, HeaderAndLinesAreUtf8CsvWithTheUserAlwaysQuoted) {
  EXPECT_EQ(std::string("\xEF\xBB\xBF") +
                u8"種類,開始時刻,開始時刻の出所,終了時刻,終了時刻の出所,実行秒数,プロセスID,"
                u8"親プロセスID,親のパス,ファイル名,フルパス,\"ユーザー\"\r\n",
            store::JournalHeader());
  // Outside the macro, whose text of its arguments is in the program's code page.
  const std::string end(u8"終了,2026-12-08T16:15:27.979+09:00,システム,"
                        u8"2026-12-08T16:16:00.001+09:00,取得時,32.022,4242,17,"
                        u8"\"C:\\Tools\\起動, \"\"速い\"\".exe\",김민준 café.exe,"
                        u8"C:\\eco\\김민준 café.exe,\"VM\\ユーザー\"\r\n");
  EXPECT_EQ(end, store::FormatJournalLine(EndLine()));
  EXPECT_EQ(std::string(u8"開始,2026-12-08T16:15:27.979+09:00,システム,,,,7,0,,a.exe,C:\\a.exe,"
                        u8"\"\"\r\n"),
            store::FormatJournalLine(StartLine(7)));
}

TEST(JournalLine, LinesReadBackAsWrittenAndLineBreaksNeverSplitOne) {
  store::TJournalLine odd = EndLine();
  odd.Path = std::string("C:\\a\r\nb\tc\x7F") + '\0' + "d.exe";  // a NUL does not end it
  odd.User = "VM\\\"x\"";  // no account has a quote, and the last field cannot hold one
  const std::string text = store::FormatJournalLine(odd);
  EXPECT_EQ(text.size() - 2, text.find("\r\n"));
  store::TJournalLine back;
  ASSERT_TRUE(store::ParseJournalLine(text.substr(0, text.size() - 2), &back));
  const std::string replacement = "\xEF\xBF\xBD";  // U+FFFD
  EXPECT_EQ("C:\\a" + replacement + replacement + "b" + replacement + "c" + replacement +
                replacement + "d.exe",
            back.Path);
  EXPECT_EQ("VM\\" + replacement + "x" + replacement, back.User);
  back.Path = odd.Path;
  back.User = odd.User;
  EXPECT_EQ(odd, back);

  const std::vector<store::TJournalLine> lines = {StartLine(1), EndLine(), StartLine(3)};
  std::string file = store::JournalHeader();
  for (const auto& line : lines) file += store::FormatJournalLine(line);
  EXPECT_EQ(lines, store::ParseJournal(file));
  // Quoted where it need not be, as a spreadsheet may save it.
  ASSERT_TRUE(store::ParseJournalLine(
      u8"\"開始\",\"2026-12-08T16:15:27.979+09:00\",,,,,\"7\",0,,a.exe,\"C:\\a.exe\",\"\"", &back));
  EXPECT_EQ(StartLine(7).Path, back.Path);
}

TEST(JournalLine, ALineCutAnywhereIsSkippedAlsoOnceALineBreakEndsIt) {
  store::TJournalLine quoted = EndLine();
  quoted.User = "a\"\"b";  // written without its quotes: they would look like an end
  for (const store::TJournalLine& cutOne : {EndLine(), quoted}) {
    const std::string before = store::JournalHeader() + store::FormatJournalLine(StartLine(1));
    const std::string cut = store::FormatJournalLine(cutOne);
    const std::string after = store::FormatJournalLine(StartLine(3));
    store::TJournalLine read;
    ASSERT_TRUE(store::ParseJournalLine(cut.substr(0, cut.size() - 2), &read));
    const std::vector<store::TJournalLine> whole = {StartLine(1), read, StartLine(3)};
    const std::vector<store::TJournalLine> without = {StartLine(1), StartLine(3)};
    for (size_t n = 0; n < cut.size(); ++n) {
      SCOPED_TRACE(n);
      const std::string part = cut.substr(0, n);
      // Left at the end of the file, and ended by the next session's line break
      // (a lone CR only needs its LF).
      EXPECT_EQ(std::vector<store::TJournalLine>{StartLine(1)},
                store::ParseJournal(before + part));
      const std::string ended = part + (!part.empty() && part.back() == '\r' ? "\n" : "\r\n");
      // Only a line cut after its closing quote has lost nothing.
      const bool complete = n >= cut.size() - 2;
      EXPECT_EQ(complete ? whole : without, store::ParseJournal(before + ended + after));
    }
  }
}

TEST(JournalLine, OtherLinesAreSkipped) {
  store::TJournalLine line;
  for (const std::string& text : std::vector<std::string>{
           "", u8"種類,開始時刻,開始時刻の出所,終了時刻,終了時刻の出所,実行秒数,プロセスID,"
            u8"親プロセスID,親のパス,ファイル名,フルパス,\"ユーザー\"",
        u8"起動,2026-12-08T16:15:27.979+09:00,システム,,,,7,0,,a.exe,C:\\a.exe,\"\"",
        u8"開始,2026-12-08T16:15:27.979+09:00,システム,,,,7,0,,a.exe,C:\\a.exe,",
        u8"開始,2026-12-08T16:15:27.979+09:00,システム,,,,7,0,,a.exe,C:\\a.exe,\"\",",
        u8"開始,2026-12-08T16:15:27.979+09:00,システム,,,,7,0,a.exe,C:\\a.exe,\"\"",
        u8"開始,2026-12-08T16:15:27.979+09:00,システム,,,,7,0,,a\".exe,C:\\a.exe,\"\"",
        u8"開始,2026-12-08T16:15:27.979+09:00,システム,,,,7,0,,\"a\"x,C:\\a.exe,\"\"",
        std::string(200, '\0')}) {
    EXPECT_FALSE(store::ParseJournalLine(text, &line)) << text;
  }
}

TEST(JournalLine, SecondsHaveThreeDecimals) {
  EXPECT_EQ("0.000", store::SecondsText(0));
  EXPECT_EQ("0.007", store::SecondsText(7));
  EXPECT_EQ("12.345", store::SecondsText(12345));
  EXPECT_EQ("86400.050", store::SecondsText(86400050));
  EXPECT_EQ("0.000", store::SecondsText(-5));
}
