// The worker that writes the files while the window and the cycle go on.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "store/FileWriter.h"

using testsupport::Exists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

TEST(FileWriter, WritesABatchInOrderAndGivesItsOutcomeBackOnce) {
  TempDir dir;
  WriteFileBytes(dir.file("b"), "old b");
  store::TFileWriter writer;
  store::TWriteOutcome outcome;
  EXPECT_FALSE(writer.Busy());
  EXPECT_FALSE(writer.Take(outcome, true)) << "nothing handed over";
  writer.Write({{dir.file("a"), "new a", false}, {dir.file("b"), "new b", true}});
  EXPECT_TRUE(writer.Busy());
  EXPECT_THROW(writer.Write({}), std::logic_error) << "one batch at a time";
  ASSERT_TRUE(writer.Take(outcome, true));
  EXPECT_EQ(2u, outcome.Written);
  EXPECT_EQ("", outcome.Error);
  EXPECT_FALSE(writer.Busy());
  EXPECT_FALSE(writer.Take(outcome, false));
  EXPECT_EQ("new a", ReadFileBytes(dir.file("a")));
  EXPECT_EQ("new b", ReadFileBytes(dir.file("b")));
  EXPECT_EQ("old b", ReadFileBytes(dir.file("b.bak")));
}

TEST(FileWriter, StopsAtTheFirstFileThatCannotBeWrittenAndLeavesItWhole) {
  TempDir dir;
  WriteFileBytes(dir.file("b"), "old b");
  ASSERT_TRUE(::CreateDirectoryA(dir.file("b.tmp").c_str(), nullptr));
  store::TFileWriter writer;
  writer.Write({{dir.file("a"), "new a", false},
                {dir.file("b"), "new b", false},
                {dir.file("c"), "new c", false}});
  store::TWriteOutcome outcome;
  ASSERT_TRUE(writer.Take(outcome, true));
  EXPECT_EQ(1u, outcome.Written);
  EXPECT_EQ("ファイル " + dir.file("b") + " を作成できません", outcome.Error);
  EXPECT_EQ("old b", ReadFileBytes(dir.file("b")));
  EXPECT_FALSE(Exists(dir.file("c")));
}

TEST(FileWriter, ABatchHandedOverIsWrittenBeforeTheWriterGoes) {
  TempDir dir;
  const std::string big(8 * 1024 * 1024, 'x');
  {
    store::TFileWriter writer;
    writer.Write({{dir.file("big"), big, false}, {dir.file("small"), "last", false}});
  }
  EXPECT_EQ(big.size(), testsupport::FileSize(dir.file("big")));
  EXPECT_EQ("last", ReadFileBytes(dir.file("small")));
  EXPECT_FALSE(Exists(dir.file("big.tmp")));
}
