#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "TestTables.h"
#include "store/DataFiles.h"
#include "store/TextFile.h"
#include "toolkit/Handle.h"

using testsupport::ErrorOf;
using testsupport::ReadFileBytes;
using testsupport::Exists;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// The tables the data files fill, with programs and entries of the test's making.
struct Tables : testsupport::Tables {
  void Program(const std::string& name, const std::string& path, const std::string& modified,
               const std::string& comment) {
    testsupport::AddProgram(*this, name, path, modified, comment);
  }
  void Entry(const std::string& time, const std::string& name, const std::string& kind,
             const std::string& detail) {
    testsupport::AddLogEntry(*this, time, name, kind, detail);
  }
};

std::string ProcessListFile(const TempDir& dir) { return dir.file("ProcessList.dat"); }
std::string LogFile(const TempDir& dir) { return dir.file("Log.dat"); }

}  // namespace

TEST(DataFiles, BothFilesAreWrittenLinePerField) {
  TempDir dir;
  Tables t;
  t.Program("表示.exe", "C:\\表示\\表示.exe", "", "");
  t.Entry("2024/05/06 7:08:09", "表示.exe", "追加", "");
  t.Save(dir.path());
  EXPECT_EQ("Ver1.00\r\n表示.exe\r\nC:\\表示\\表示.exe\r\n\r\n2020/01/01 1:00:00\r\n2020/01/02 2:00:00\r\n\r\n",
            ReadFileBytes(ProcessListFile(dir)));
  EXPECT_EQ("Ver1.00\r\n2024/05/06 7:08:09\r\n表示.exe\r\n追加\r\n\r\n", ReadFileBytes(LogFile(dir)));
  EXPECT_FALSE(Exists(ProcessListFile(dir) + ".tmp"));
  EXPECT_FALSE(Exists(ProcessListFile(dir) + ".bak"));
}

TEST(DataFiles, RoundTripOfBothFilesIsByteExact) {
  TempDir first, second;
  Tables t;
  t.Program("a.exe", "C:\\Tools\\a.exe", "2023/12/01 10:20:30", "よく使う");
  t.Program("b.exe", "D:\\b.exe", "", "");
  t.Program("ソフト.exe", "\\\\server\\share\\ソフト.exe", "2020/01/01", "");
  t.Entry("2024/05/06 7:08:09", "a.exe", "追加", "");
  t.Entry("2024/05/06 7:08:10", "b.exe", "更新", "(2023/12/01 10:20:30)→()");
  t.Entry("2024/05/06 7:08:11", "c.exe", "削除", "C:\\c.exeの削除を確認");
  t.Save(first.path());

  Tables u;
  u.Program("stale.exe", "C:\\stale.exe", "", "");  // replaced by the loading
  u.Load(first.path());
  ASSERT_EQ(3, u.ProcessList.Count());
  EXPECT_EQ("ソフト.exe", u.ProcessList[2].Caption);
  EXPECT_EQ("よく使う", u.ProcessList[0].Cell(5));
  ASSERT_EQ(3, u.Log.Count());
  EXPECT_EQ("(2023/12/01 10:20:30)→()", u.Log[1].Cell(3));
  EXPECT_FALSE(u.SeedingAskedFor);
  u.Save(second.path());

  EXPECT_EQ(ReadFileBytes(ProcessListFile(first)), ReadFileBytes(ProcessListFile(second)));
  EXPECT_EQ(ReadFileBytes(LogFile(first)), ReadFileBytes(LogFile(second)));
}

TEST(DataFiles, EmptyListsAreTheVersionLineAloneAndReloadWithoutSeeding) {
  TempDir dir;
  Tables t;
  t.Save(dir.path());
  EXPECT_EQ("Ver1.00\r\n", ReadFileBytes(ProcessListFile(dir)));
  EXPECT_EQ("Ver1.00\r\n", ReadFileBytes(LogFile(dir)));

  Tables u;
  u.Load(dir.path());
  EXPECT_EQ(0, u.ProcessList.Count());
  EXPECT_EQ(0, u.Log.Count());
  EXPECT_FALSE(u.SeedingAskedFor);
}

TEST(DataFiles, FileWithoutFinalLineBreakLoadsTheSame) {
  TempDir with, without;
  const std::string text = "Ver1.00\r\na.exe\r\nC:\\a.exe\r\nm\r\nadded\r\nrun\r\ncomment";
  WriteFileBytes(ProcessListFile(with), text + "\r\n");
  WriteFileBytes(ProcessListFile(without), text);
  Tables a, b;
  a.Load(with.path());
  b.Load(without.path());
  ASSERT_EQ(1, b.ProcessList.Count());
  EXPECT_EQ("comment", b.ProcessList[0].Cell(5));
  EXPECT_EQ(a.ProcessList[0].SubItems, b.ProcessList[0].SubItems);
}

TEST(DataFiles, ShortLastRecordReadsItsMissingLinesAsEmpty) {
  TempDir dir;
  std::string text = "Ver1.00\r\n";
  for (int k = 0; k < 3; ++k)
    for (int field = 0; field < 6; ++field) text += "p" + std::to_string(k) + "f" + std::to_string(field) + "\r\n";
  text += "last.exe\r\nC:\\last.exe\r\n";  // 1 + 6*3 + 2 lines
  WriteFileBytes(ProcessListFile(dir), text);
  Tables t;
  t.Load(dir.path());
  ASSERT_EQ(4, t.ProcessList.Count());
  EXPECT_EQ("p2f5", t.ProcessList[2].Cell(5));
  const toolkit::TListItem& last = t.ProcessList[3];
  EXPECT_EQ("last.exe", last.Caption);
  EXPECT_EQ("C:\\last.exe", last.Cell(1));
  for (int column = 2; column <= 5; ++column) EXPECT_EQ("", last.Cell(column));
}

TEST(DataFiles, CrOnlyAndLfOnlyFilesLoadAndAreWrittenBackWithCrLf) {
  TempDir cr, lf, out;
  // '|' stands for the line break.
  const std::string program = "Ver1.00|a.exe|C:\\a.exe||added|run||b.exe|C:\\b.exe|m|added|run|c|";
  const std::string entry = "Ver1.00|t1|a.exe|追加||t2|b.exe|更新|(x)→(y)|";
  auto with = [](const std::string& s, const std::string& lineBreak) {
    std::string text;
    for (char c : s) text += c == '|' ? lineBreak : std::string(1, c);
    return text;
  };
  WriteFileBytes(ProcessListFile(cr), with(program, "\r"));
  WriteFileBytes(LogFile(cr), with(entry, "\r"));
  WriteFileBytes(ProcessListFile(lf), with(program, "\n"));
  WriteFileBytes(LogFile(lf), with(entry, "\n"));
  Tables a, b;
  a.Load(cr.path());
  b.Load(lf.path());
  ASSERT_EQ(2, a.ProcessList.Count());
  ASSERT_EQ(2, a.Log.Count());
  EXPECT_EQ("c", a.ProcessList[1].Cell(5));
  EXPECT_EQ("(x)→(y)", a.Log[1].Cell(3));
  ASSERT_EQ(2, b.ProcessList.Count());
  for (int r = 0; r < 2; ++r) EXPECT_EQ(a.ProcessList[r].SubItems, b.ProcessList[r].SubItems);
  a.Save(out.path());
  EXPECT_EQ(with(program, "\r\n"), ReadFileBytes(ProcessListFile(out)));
  EXPECT_EQ(with(entry, "\r\n"), ReadFileBytes(LogFile(out)));
}

TEST(DataFiles, LineOf5000BytesLoadsAsItsFirst4096AndThenRoundTrips) {
  TempDir dir, again, third;
  const std::string comment(5000, 'c');
  WriteFileBytes(ProcessListFile(dir), "Ver1.00\r\na.exe\r\nC:\\a.exe\r\n\r\n\r\n\r\n" + comment + "\r\n");
  Tables t;
  t.Load(dir.path());
  ASSERT_EQ(1, t.ProcessList.Count());
  EXPECT_EQ(std::string(4096, 'c'), t.ProcessList[0].Cell(5));
  t.Save(again.path());
  Tables u;
  u.Load(again.path());
  u.Save(third.path());
  EXPECT_EQ(ReadFileBytes(ProcessListFile(again)), ReadFileBytes(ProcessListFile(third)));
}

TEST(DataFiles, WithoutTheProcessListTheSeedingRunsBeforeTheLogIsLoaded) {
  TempDir withLog, withoutLog;
  WriteFileBytes(LogFile(withLog), "Ver1.00\r\nt1\r\nold.exe\r\n削除\r\nC:\\old.exeの削除を確認\r\n");
  for (const TempDir* dir : {&withLog, &withoutLog}) {
    Tables t;
    store::LoadDataFiles(dir->path(), t.Memo2, {t.ProcessList, t.Log}, t.FileState, [&t] {
      t.Program("seeded.exe", "C:\\seeded.exe", "", "");
      t.Entry("t0", "seeded.exe", "追加", "");
    });
    ASSERT_EQ(1, t.ProcessList.Count());
    ASSERT_EQ(1, t.Log.Count());
    // A log file replaces what the seeding logged.
    EXPECT_EQ(dir == &withLog ? "t1" : "t0", t.Log[0].Caption);
  }
}

TEST(DataFiles, UnknownVersionLineGivesAnEmptyListAndNoSeeding) {
  for (const std::string first : {"ver1.00", "Ver1.00 ", "Ver1.01", "", " Ver1.00"}) {
    TempDir dir;
    WriteFileBytes(ProcessListFile(dir), first + "\r\na.exe\r\nC:\\a.exe\r\n\r\n\r\n\r\n\r\n");
    WriteFileBytes(LogFile(dir), first + "\r\nt\r\na.exe\r\n追加\r\n\r\n");
    Tables t;
    t.Program("stale.exe", "C:\\stale.exe", "", "");
    t.Load(dir.path());
    EXPECT_EQ(0, t.ProcessList.Count()) << "[" << first << "]";
    EXPECT_EQ(0, t.Log.Count()) << "[" << first << "]";
    EXPECT_FALSE(t.SeedingAskedFor) << "[" << first << "]";
  }
  TempDir empty;
  WriteFileBytes(ProcessListFile(empty), "");
  Tables t;
  t.Load(empty.path());
  EXPECT_EQ(0, t.ProcessList.Count());
  EXPECT_FALSE(t.SeedingAskedFor);
}

TEST(DataFiles, FileThatWasNotLoadedIsCopiedAsideOnceBeforeItIsReplaced) {
  TempDir dir;
  const std::string oldList = "Ver2.00\r\nsomething newer\r\n";
  const std::string oldLog = "Ver2.00\r\nlog of a newer version\r\n";
  WriteFileBytes(ProcessListFile(dir), oldList);
  WriteFileBytes(LogFile(dir), oldLog);
  WriteFileBytes(LogFile(dir) + ".bak", "an older copy");
  Tables t;
  t.Load(dir.path());
  t.Program("a.exe", "C:\\a.exe", "", "");
  t.Save(dir.path());
  EXPECT_EQ(oldList, ReadFileBytes(ProcessListFile(dir) + ".bak"));
  EXPECT_EQ("an older copy", ReadFileBytes(LogFile(dir) + ".bak"));  // never overwritten
  EXPECT_EQ(oldLog, ReadFileBytes(LogFile(dir) + ".bak2"));
  EXPECT_EQ("Ver1.00\r\n", ReadFileBytes(LogFile(dir)));
  EXPECT_EQ(0u, ReadFileBytes(ProcessListFile(dir)).find("Ver1.00\r\na.exe\r\n"));

  // The file now holds the list: a second save keeps no further copy.
  t.Save(dir.path());
  EXPECT_FALSE(Exists(ProcessListFile(dir) + ".bak2"));
  EXPECT_FALSE(Exists(LogFile(dir) + ".bak3"));
}

TEST(DataFiles, LoadedFilesAreReplacedWithoutACopy) {
  TempDir dir;
  WriteFileBytes(ProcessListFile(dir), "Ver1.00\r\n");
  WriteFileBytes(LogFile(dir), "Ver1.00\r\n");
  Tables t;
  t.Load(dir.path());
  t.Program("a.exe", "C:\\a.exe", "", "");
  t.Save(dir.path());
  EXPECT_FALSE(Exists(ProcessListFile(dir) + ".bak"));
  EXPECT_FALSE(Exists(LogFile(dir) + ".bak"));
}

// Held past the wait, the file is never replaced: what the session finds goes to
// a pending file beside it, which the next start that can read the file merges.
TEST(DataFiles, AFileHeldLongerIsNeverReplacedAndTheSessionGoesToItsPendingFile) {
  TempDir dir;
  const std::string list = "Ver1.00\r\nkept.exe\r\nC:\\kept.exe\r\n\r\nadded\r\nrun\r\nmine\r\n";
  const std::string log = "Ver1.00\r\nt\r\nkept.exe\r\n追加\r\n\r\n";
  WriteFileBytes(ProcessListFile(dir), list);
  WriteFileBytes(LogFile(dir), log);
  const std::string pending = ProcessListFile(dir) + ".pending";
  {
    toolkit::FileHandle held(::CreateFileA(ProcessListFile(dir).c_str(), GENERIC_READ, 0,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    Tables t;
    const std::string report = t.Load(dir.path());
    EXPECT_EQ("ファイル " + ProcessListFile(dir) + " は開けません\r\n" +
                  "このファイルは書き換えません。今回の記録は " + pending +
                  " に保存し、次に起動したときに取り込みます",
              report);
    EXPECT_FALSE(t.SeedingAskedFor);  // not taken for a first run
    EXPECT_EQ(0, t.ProcessList.Count());
    ASSERT_EQ(1, t.Log.Count()) << "the log is loaded all the same";

    t.Program("new.exe", "C:\\new.exe", "", "");
    t.Save(dir.path());
    EXPECT_FALSE(Exists(ProcessListFile(dir) + ".bak"));
    EXPECT_EQ(0u, ReadFileBytes(pending).find("Ver1.00\r\nnew.exe\r\n"));
    EXPECT_EQ(log, ReadFileBytes(LogFile(dir)));

    // A second start that still cannot read it goes on from the pending file.
    Tables again;
    EXPECT_NE("", again.Load(dir.path()));
    ASSERT_EQ(1, again.ProcessList.Count());
    EXPECT_EQ("new.exe", again.ProcessList[0].Caption);
    again.Program("newer.exe", "C:\\newer.exe", "", "");
    again.Save(dir.path());
    EXPECT_FALSE(Exists(pending + ".bak")) << "the pending file was read: no copy";
  }
  EXPECT_EQ(list, ReadFileBytes(ProcessListFile(dir)));
  Tables t;
  EXPECT_EQ("", t.Load(dir.path()));
  ASSERT_EQ(3, t.ProcessList.Count());
  EXPECT_EQ("mine", t.ProcessList[0].Cell(5));
  EXPECT_EQ("new.exe", t.ProcessList[1].Caption);
  EXPECT_EQ("newer.exe", t.ProcessList[2].Caption);
  EXPECT_TRUE(Exists(pending)) << "removed only once the list holds it";
  t.Save(dir.path());
  EXPECT_FALSE(Exists(pending));
  EXPECT_EQ(0u, ReadFileBytes(ProcessListFile(dir)).find(list));
}

TEST(DataFiles, WhenBothFilesAreUnreadableBothAreToldTheListFirst) {
  TempDir dir;
  WriteFileBytes(ProcessListFile(dir), "Ver1.00\r\n");
  WriteFileBytes(LogFile(dir), "Ver1.00\r\n");
  Tables t;
  toolkit::FileHandle lockList(::CreateFileA(ProcessListFile(dir).c_str(), GENERIC_READ, 0,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
  toolkit::FileHandle lockLog(::CreateFileA(LogFile(dir).c_str(), GENERIC_READ, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lockList && lockLog);
  const std::string report = t.Load(dir.path());
  const size_t list = report.find("ファイル " + ProcessListFile(dir) + " は開けません");
  const size_t log = report.find("ファイル " + LogFile(dir) + " は開けません");
  EXPECT_EQ(0u, list) << report;
  EXPECT_NE(std::string::npos, log) << report;
  EXPECT_NE(std::string::npos, report.find(LogFile(dir) + ".pending"));
  EXPECT_TRUE(t.FileState.ProcessList.ToPending && t.FileState.Log.ToPending);
}

// What sessions that could not read the files kept beside them comes in: the
// programs the list knows take the later times, the others are appended, and
// the log entries follow the log's. A start that ended between writing the log
// and removing its pending file does not log them twice.
TEST(DataFiles, PendingFilesAreMergedOnceAndRemovedWhenTheFilesHoldThem) {
  TempDir dir;
  WriteFileBytes(ProcessListFile(dir),
                 "Ver1.00\r\na.exe\r\nC:\\a.exe\r\nm0\r\nadded0\r\nrun0\r\nmine\r\n"
                 "c.exe\r\nC:\\c.exe\r\nm0\r\nadded0\r\nrun0\r\n\r\n");
  WriteFileBytes(ProcessListFile(dir) + ".pending",
                 "Ver1.00\r\na.exe\r\nC:\\a.exe\r\nm1\r\nadded1\r\nrun1\r\n\r\n"
                 "b.exe\r\nC:\\b.exe\r\nm1\r\nadded1\r\nrun1\r\nnew\r\n");
  const std::string log = "Ver1.00\r\nt1\r\na.exe\r\n追加\r\n\r\n";
  const std::string pendingLog = "Ver1.00\r\nt2\r\nb.exe\r\n追加\r\n\r\nt3\r\na.exe\r\n更新\r\n(m0)→(m1)\r\n";
  WriteFileBytes(LogFile(dir), log);
  WriteFileBytes(LogFile(dir) + ".pending", pendingLog);
  Tables t;
  EXPECT_EQ("", t.Load(dir.path()));
  ASSERT_EQ(3, t.ProcessList.Count());
  const toolkit::TListItem& a = t.ProcessList[0];
  EXPECT_EQ((std::vector<std::string>{"C:\\a.exe", "m1", "added0", "run1", "mine"}), a.SubItems);
  EXPECT_EQ("c.exe", t.ProcessList[1].Caption);
  EXPECT_EQ("new", t.ProcessList[2].Cell(5));
  ASSERT_EQ(3, t.Log.Count());
  EXPECT_EQ("t3", t.Log[2].Caption);
  EXPECT_FALSE(t.SeedingAskedFor);
  t.Save(dir.path());
  EXPECT_FALSE(Exists(ProcessListFile(dir) + ".pending"));
  EXPECT_FALSE(Exists(LogFile(dir) + ".pending"));

  // The crash between the log's write and the removal of its pending file.
  WriteFileBytes(LogFile(dir) + ".pending", pendingLog);
  Tables u;
  EXPECT_EQ("", u.Load(dir.path()));
  EXPECT_EQ(3, u.Log.Count());
  EXPECT_EQ(3, u.ProcessList.Count());
}

// More lines than a 32-bit process can hold as rows: the file moves aside whole
// under a name the user is told, and the list begins empty, no first run.
TEST(DataFiles, AListTooLargeForTheMemoryIsMovedAsideAndTheListBeginsEmpty) {
  TempDir dir;
  const size_t lines = 120u * 1024 * 1024;
  WriteFileBytes(ProcessListFile(dir), "Ver1.00\r\n" + std::string(lines, '\n'));
  Tables t;
  t.Program("left.exe", "C:\\left.exe", "", "");
  const std::string report = t.Load(dir.path());
  EXPECT_EQ("ファイル " + ProcessListFile(dir) + " は大きすぎて読み込めません\r\n" +
                ProcessListFile(dir) + ".bak として残し、新しいリストで始めます",
            report);
  EXPECT_EQ(0, t.ProcessList.Count());
  EXPECT_EQ(0, t.Memo2.Count());
  EXPECT_FALSE(t.SeedingAskedFor);
  EXPECT_FALSE(Exists(ProcessListFile(dir)));
  EXPECT_EQ(9 + lines, testsupport::FileSize(ProcessListFile(dir) + ".bak"));
  t.Save(dir.path());
  EXPECT_EQ("Ver1.00\r\n", ReadFileBytes(ProcessListFile(dir)));
}

TEST(DataFiles, FailedSaveGivesTheCreateMessageAndLeavesTheOldFiles) {
  TempDir dir;
  const std::string list = "Ver1.00\r\nold.exe\r\nC:\\old.exe\r\n\r\n\r\n\r\n\r\n";
  const std::string log = "Ver1.00\r\nt\r\nold.exe\r\n追加\r\n\r\n";
  WriteFileBytes(ProcessListFile(dir), list);
  WriteFileBytes(LogFile(dir), log);
  Tables t;
  t.Load(dir.path());
  t.ProcessList.Clear();
  t.Log.Clear();
  // The folder will not take the new file: its temporary name is taken by a folder.
  ASSERT_TRUE(::CreateDirectoryA((ProcessListFile(dir) + ".tmp").c_str(), nullptr));
  EXPECT_EQ("ファイル " + ProcessListFile(dir) + " を作成できません", ErrorOf([&] { t.Save(dir.path()); }));
  EXPECT_EQ(list, ReadFileBytes(ProcessListFile(dir)));
  EXPECT_EQ(log, ReadFileBytes(LogFile(dir)));  // the saving stopped before the log
}

TEST(DataFiles, FileThatCannotBeReplacedStaysWhole) {
  TempDir dir;
  const std::string list = "Ver1.00\r\nold.exe\r\nC:\\old.exe\r\n\r\n\r\n\r\n\r\n";
  WriteFileBytes(ProcessListFile(dir), list);
  Tables t;
  t.Load(dir.path());
  t.ProcessList.Clear();
  {
    toolkit::FileHandle lock(::CreateFileA(ProcessListFile(dir).c_str(), GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ("ファイル " + ProcessListFile(dir) + " を作成できません", ErrorOf([&] { t.Save(dir.path()); }));
  }
  EXPECT_EQ(list, ReadFileBytes(ProcessListFile(dir)));
  EXPECT_FALSE(Exists(ProcessListFile(dir) + ".tmp"));
}
