// The deletion check through its worker, against the check on one thread that it
// replaced: the same rows removed, the same log entries in the same order, the
// same count, on lists with every kind of path the check meets; and rows that the
// user or a comparison changes while the worker runs left as they are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "TestTables.h"
#include "monitor/DeletionCheck.h"
#include "toolkit/AnsiText.h"

using monitor::FolderReading;
using monitor::TListedFile;
using testsupport::AddProgram;
using testsupport::TempDir;

namespace {

// A drive letter that names no drive here.
std::string AbsentDrive() {
  const DWORD drives = ::GetLogicalDrives();
  char letter = 'Q';
  while (letter < 'Z' && (drives & (1u << (letter - 'A')))) ++letter;
  return std::string(1, letter);
}

constexpr FolderReading kReadings[] = {FolderReading::kNever, FolderReading::kAlways,
                                       FolderReading::kMeasured};

// The check as it ran on the user-interface thread: every row tested by itself,
// from the last row up.
void CheckOnOneThread(monitor::TTables& t) {
  toolkit::TListView& list = t.ProcessList;
  for (int i = list.Count() - 1; i >= 0; --i) {
    const std::string path = list.Cell(i, monitor::kProgramPath);
    if (monitor::ListedFileState(path, t.RealPaths) != TListedFile::Gone) continue;
    monitor::AppendLogEntry(t.Log, list.Cell(i, monitor::kProgramName), "削除",
                            path + "の削除を確認");
    ++t.Counts.Deleted;
    list.Delete(i);
  }
}

// The three steps of a check without the thread.
void CheckInSteps(monitor::TTables& t, FolderReading reading) {
  monitor::TListedFiles files;
  files.Files().Reading = reading;
  files.Take(t.ProcessList, t.RealPaths);
  ASSERT_TRUE(files.Test([] { return false; }));
  files.Apply(t);
}

// Tables with a deletion check of their own, applied as the window applies it.
struct Checked : testsupport::Tables {
  monitor::TDeletionCheck check{*this, [this] { check.Apply(); }};
  void Check(FolderReading reading = FolderReading::kMeasured) {
    check.Reading = reading;
    check.Start();
    ASSERT_TRUE(testsupport::PumpUntil([this] { return !check.Running(); }));
  }
};

std::string Rows(const toolkit::TListView& list) {
  std::string text;
  for (const toolkit::TListItem& row : list.Items()) {
    text += row.Caption;
    for (const std::string& cell : row.SubItems) text += "|" + cell;
    text += "\n";
  }
  return text;
}

// The log without its times, which are the clock's.
std::string LogEntries(const toolkit::TListView& log) {
  std::string text;
  for (const toolkit::TListItem& row : log.Items())
    text += row.Cell(monitor::kLogName) + "|" + row.Cell(monitor::kLogKind) + "|" +
            row.Cell(monitor::kLogDetail) + "\n";
  return text;
}

void ExpectSameOutcome(const monitor::TTables& expected, const monitor::TTables& actual) {
  EXPECT_EQ(Rows(expected.ProcessList), Rows(actual.ProcessList));
  EXPECT_EQ(LogEntries(expected.Log), LogEntries(actual.Log));
  EXPECT_EQ(expected.Counts.Deleted, actual.Counts.Deleted);
}

// A process list with every kind of path the check meets, in a folder of its own.
struct MixedList {
  TempDir dir;
  std::vector<std::pair<std::string, std::string>> rows;  // name, path

  void File(const std::string& path) { testsupport::WriteFileBytes(path, "x"); }
  void Row(const std::string& name, const std::string& path) { rows.emplace_back(name, path); }

  MixedList() {
    const std::string& d = dir.path();
    File(dir.file("alive.exe"));
    File(dir.file("old.exe"));
    testsupport::SetLocalWriteTime(dir.file("old.exe"), testsupport::LocalTime(1975, 6, 1, 12, 0, 0));
    ::CreateDirectoryA(dir.file("folder.exe").c_str(), nullptr);
    File(dir.file("Mixed Case.exe"));
    File(dir.file("a long file name.exe"));
    const std::wstring korean = toolkit::Widen(dir.path()) + L"\\\uAE40";
    ::CreateDirectoryW(korean.c_str(), nullptr);
    toolkit::FileHandle(::CreateFileW((korean + L"\\found.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, 0, nullptr));
    char shortName[MAX_PATH] = {};
    ::GetShortPathNameA(dir.file("a long file name.exe").c_str(), shortName, MAX_PATH);

    Row("alive.exe", dir.file("alive.exe"));
    Row("gone.exe", dir.file("gone.exe"));
    Row("old.exe", dir.file("old.exe"));
    Row("folder.exe", dir.file("folder.exe"));
    Row("remote.exe", "\\\\nosuchserver\\share\\remote.exe");
    Row("kernel.exe", "\\??\\" + dir.file("gone.exe"));
    Row("unknown.exe", "[不明]");
    Row("relative.exe", "relative-nowhere.exe");
    Row("wild.exe", d + "\\ali*.exe");  // the directory search finds alive.exe
    Row("nomatch.exe", d + "\\nomatch?.exe");
    Row("mixed case.exe", dir.file("mixed case.exe"));  // another letter case than the file's
    Row("short.exe", shortName);
    Row("trailing-dot.exe", dir.file("alive.exe."));
    Row("device.exe", dir.file("NUL"));
    Row("in-no-folder.exe", dir.file("no such folder\\x.exe"));
    Row("alive-twice.exe", dir.file("alive.exe"));  // one path, two programs
    Row("stick.exe", AbsentDrive() + ":\\tools\\stick.exe");
    Row("lost.exe", dir.file("caf?\\lost.exe"));  // lost characters, real path unknown
    Row("found.exe", d + "\\ko?\\found.exe");     // lost characters, real path known
    Row("found-gone.exe", d + "\\ko?\\gone.exe");
    Row("gone-twice.exe", dir.file("gone.exe"));
    // Folders with many listed files, which may be read whole: one of them named
    // with a double-byte character whose second byte is the backslash (表).
    for (const std::string& sub : {std::string("many"), std::string("表示")}) {
      const std::string folder = dir.file(sub);
      ::CreateDirectoryA(folder.c_str(), nullptr);
      for (int i = 0; i < 80; ++i) {
        const std::string name = "p" + std::to_string(i) + ".exe";
        if (i % 7 != 3) File(folder + "\\" + name);
        Row(name, folder + "\\" + name);
      }
    }
  }

  void Fill(monitor::TTables& t) const {
    const std::wstring korean = toolkit::Widen(dir.path()) + L"\\\uAE40";
    t.RealPaths.Remember(dir.path() + "\\ko?\\found.exe", korean + L"\\found.exe");
    t.RealPaths.Remember(dir.path() + "\\ko?\\gone.exe", korean + L"\\gone.exe");
    for (size_t i = 0; i < rows.size(); ++i)
      AddProgram(t, rows[i].first, rows[i].second, "", i % 5 == 0 ? "コメント" : "");
  }
};

}  // namespace

TEST(DeletionCheck, TheWorkerFindsWhatTheCheckOnOneThreadFinds) {
  MixedList mixed;
  testsupport::Tables expected;
  mixed.Fill(expected);
  CheckOnOneThread(expected);
  ASSERT_GT(expected.Counts.Deleted, 20);
  ASSERT_GT(expected.ProcessList.Count(), 100);
  for (FolderReading reading : kReadings) {
    SCOPED_TRACE(static_cast<int>(reading));
    testsupport::Tables inSteps;
    mixed.Fill(inSteps);
    CheckInSteps(inSteps, reading);
    ExpectSameOutcome(expected, inSteps);
    Checked threaded;
    mixed.Fill(threaded);
    threaded.Check(reading);
    ExpectSameOutcome(expected, threaded);
  }
}

TEST(DeletionCheck, ARelativePathIsLookedUpInTheCurrentFolderByTheWorkerToo) {
  TempDir dir;
  testsupport::WriteFileBytes(dir.file("here.exe"), "x");
  char before[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryA(dir.path().c_str()));
  Checked t;
  AddProgram(t, "here.exe", "here.exe");
  AddProgram(t, "not-here.exe", "not-here.exe");
  t.Check();
  ::SetCurrentDirectoryA(before);
  ASSERT_EQ(1, t.ProcessList.Count());
  EXPECT_EQ("here.exe", t.ProcessList[0].Caption);
}

TEST(DeletionCheck, AnEmptyListChangesNothing) {
  Checked t;
  t.Check();
  EXPECT_EQ(0, t.Counts.Deleted);
  EXPECT_EQ(0, t.Log.Count());
}

TEST(DeletionCheck, TheLowerRowIsLoggedFirstWithItsPathInTheDetail) {
  TempDir dir;
  Checked t;
  AddProgram(t, "first.exe", dir.file("first.exe"));
  AddProgram(t, "second.exe", dir.file("second.exe"));
  t.Check();
  EXPECT_EQ(0, t.ProcessList.Count());
  EXPECT_EQ(2, t.Counts.Deleted);
  ASSERT_EQ(2, t.Log.Count());
  EXPECT_EQ("second.exe", t.Log[0].Cell(monitor::kLogName));
  EXPECT_EQ("削除", t.Log[0].Cell(monitor::kLogKind));
  EXPECT_EQ(dir.file("second.exe") + "の削除を確認", t.Log[0].Cell(monitor::kLogDetail));
  EXPECT_EQ("first.exe", t.Log[1].Cell(monitor::kLogName));
  EXPECT_FALSE(t.Log[0].Caption.empty());
}

TEST(DeletionCheck, CountsOnFromWhatTheCallerLeftAndLeavesTheLogOverItsMaximum) {
  TempDir dir;
  Checked t;
  t.Counts.Deleted = 5;
  for (int i = 0; i < 10; ++i) testsupport::AddLogEntry(t, "t", "n", "追加");
  for (const char* n : {"a.exe", "b.exe", "c.exe"}) AddProgram(t, n, dir.file(n));
  t.Check();
  EXPECT_EQ(8, t.Counts.Deleted);
  EXPECT_EQ(13, t.Log.Count());
}

// The user deletes, edits and sorts rows, and a comparison adds one, between the
// take and the findings: only rows still there and unchanged are removed, from the
// last row of the list as it is now.
TEST(DeletionCheck, RowsChangedWhileTheWorkerRunsAreLeftAsTheyAre) {
  TempDir dir;
  testsupport::WriteFileBytes(dir.file("alive.exe"), "x");
  auto fill = [&](monitor::TTables& t) {
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
      AddProgram(t, std::string(name) + ".exe", dir.file(std::string(name) + ".exe"));
    AddProgram(t, "alive.exe", dir.file("alive.exe"));
  };
  auto meanwhile = [&](monitor::TTables& t) {
    toolkit::TListView& list = t.ProcessList;
    list.Delete(1);                                       // b: deleted by the user
    list.SetCell(1, monitor::kProgramComment, "大事");    // c: given a comment
    list.SetCell(3, monitor::kProgramLastRun, "2030/1/1 0:00:00");  // e: seen running
    list.Sort([](const toolkit::TListItem& x, const toolkit::TListItem& y) {
      return y.Caption.compare(x.Caption);  // f e d c alive a
    });
    AddProgram(t, "new.exe", dir.file("new.exe"));        // added by a comparison
  };
  const std::string expectedRows = "e.exe\nc.exe\nalive.exe\nnew.exe\n";
  const std::string expectedLog = "a.exe|削除|" + dir.file("a.exe") + "の削除を確認\n" +
                                  "d.exe|削除|" + dir.file("d.exe") + "の削除を確認\n" +
                                  "f.exe|削除|" + dir.file("f.exe") + "の削除を確認\n";
  auto names = [](const toolkit::TListView& list) {
    std::string text;
    for (const toolkit::TListItem& row : list.Items()) text += row.Caption + "\n";
    return text;
  };

  testsupport::Tables inSteps;
  fill(inSteps);
  monitor::TListedFiles files;
  files.Take(inSteps.ProcessList, inSteps.RealPaths);
  meanwhile(inSteps);
  ASSERT_TRUE(files.Test([] { return false; }));
  EXPECT_EQ(3, files.Apply(inSteps));
  EXPECT_EQ(expectedRows, names(inSteps.ProcessList));
  EXPECT_EQ(expectedLog, LogEntries(inSteps.Log));
  EXPECT_EQ("大事", inSteps.ProcessList[1].Cell(monitor::kProgramComment));

  // The same with the worker: it cannot hand its findings over before this
  // thread serves its messages again.
  Checked threaded;
  fill(threaded);
  threaded.check.Start();
  meanwhile(threaded);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !threaded.check.Running(); }));
  EXPECT_EQ(expectedRows, names(threaded.ProcessList));
  EXPECT_EQ(expectedLog, LogEntries(threaded.Log));
  EXPECT_EQ(3, threaded.Counts.Deleted);
}

// A later check reads again only the rows that changed; what it finds must not
// depend on what the earlier ones read.
TEST(DeletionCheck, LaterChecksFollowSortsDeletionsAndANewList) {
  MixedList mixed;
  Checked checked;
  testsupport::Tables expected;
  mixed.Fill(checked);
  mixed.Fill(expected);
  checked.Check();
  CheckOnOneThread(expected);
  ExpectSameOutcome(expected, checked);

  for (monitor::TTables* t : {static_cast<monitor::TTables*>(&checked),
                              static_cast<monitor::TTables*>(&expected)}) {
    t->ProcessList.Sort([](const toolkit::TListItem& x, const toolkit::TListItem& y) {
      return x.Cell(monitor::kProgramPath).compare(y.Cell(monitor::kProgramPath));
    });
    t->ProcessList.Delete(3);
    t->ProcessList.SetCell(5, monitor::kProgramPath, mixed.dir.file("now-gone.exe"));
  }
  ::DeleteFileA(mixed.dir.file("alive.exe").c_str());
  ::DeleteFileA(mixed.dir.file("many\\p10.exe").c_str());
  testsupport::WriteFileBytes(mixed.dir.file("many\\p3.exe"), "x");  // was gone and dropped
  checked.Check();
  CheckOnOneThread(expected);
  ExpectSameOutcome(expected, checked);

  // The session comes to know the real path of a stored text that lost
  // characters: its file is tested from now on.
  for (monitor::TTables* t : {static_cast<monitor::TTables*>(&checked),
                              static_cast<monitor::TTables*>(&expected)})
    t->RealPaths.Remember(mixed.dir.file("caf?\\lost.exe"),
                          toolkit::Widen(mixed.dir.path()) + L"\\caf\u00E9\\lost.exe");
  const int before = checked.ProcessList.Count();
  checked.Check();
  CheckOnOneThread(expected);
  ExpectSameOutcome(expected, checked);
  EXPECT_EQ(before - 1, checked.ProcessList.Count());

  // A list replaced by another (most paths held are no longer named).
  for (monitor::TTables* t : {static_cast<monitor::TTables*>(&checked),
                              static_cast<monitor::TTables*>(&expected)}) {
    t->ProcessList.Clear();
    AddProgram(*t, "x.exe", mixed.dir.file("many\\p1.exe"));
    AddProgram(*t, "y.exe", mixed.dir.file("many\\p3.exe"));
    AddProgram(*t, "z.exe", mixed.dir.file("alive.exe"));
  }
  checked.Check();
  CheckOnOneThread(expected);
  ExpectSameOutcome(expected, checked);
  EXPECT_EQ(2, checked.ProcessList.Count());
  ::DeleteFileA(mixed.dir.file("many\\p1.exe").c_str());
  checked.Check();  // the paths of the old list are forgotten by now
  CheckOnOneThread(expected);
  ExpectSameOutcome(expected, checked);
  EXPECT_EQ(1, checked.ProcessList.Count());
}

TEST(DeletionCheck, ACancelledCheckIsNeverAppliedAndTheNextOneIs) {
  TempDir dir;
  testsupport::Tables t;
  int ready = 0;
  monitor::TDeletionCheck check(t, [&] { ++ready; check.Apply(); });
  AddProgram(t, "gone.exe", dir.file("gone.exe"));
  check.Start();
  EXPECT_TRUE(check.Running());
  EXPECT_THROW(check.Start(), std::logic_error);
  check.Cancel();
  EXPECT_FALSE(check.Running());
  testsupport::PumpFor(300);
  EXPECT_EQ(0, ready);
  EXPECT_EQ(1, t.ProcessList.Count());
  EXPECT_EQ(0, t.Log.Count());

  check.Start();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !check.Running(); }));
  EXPECT_EQ(1, ready);
  EXPECT_EQ(0, t.ProcessList.Count());
}

// Told to stop, the worker stops inside a folder of many files, not after it:
// the end of the program waits for it.
TEST(DeletionCheck, AStoppedTestEndsWithinAFolder) {
  TempDir dir;
  testsupport::Tables t;
  for (int i = 0; i < 2000; ++i)
    AddProgram(t, "p.exe", dir.file("p" + std::to_string(i) + ".exe"));
  monitor::TListedFiles files;
  files.Files().Reading = FolderReading::kNever;
  files.Take(t.ProcessList, t.RealPaths);
  int asked = 0;
  EXPECT_FALSE(files.Test([&] { return ++asked > 2; }));
  int tested = 0;
  for (int id = 0; id < files.Files().Count(); ++id)
    tested += files.Files().State(id) == TListedFile::Gone ? 1 : 0;
  EXPECT_GT(tested, 0);
  EXPECT_LT(tested, 2000);
}

TEST(DeletionCheck, AProgramOnAnAbsentDriveKeepsItsRow) {
  const DWORD drives = ::GetLogicalDrives();
  char letter = 'Q';
  while (letter < 'Z' && (drives & (1u << (letter - 'A')))) ++letter;
  ASSERT_LT(letter, 'Z');
  TempDir dir;
  Checked l;
  AddProgram(l, "stick.exe", std::string(1, letter) + ":\\tools\\stick.exe", "", "my tool");
  AddProgram(l, "gone.exe", dir.file("gone.exe"));
  l.Check();
  ASSERT_EQ(1, l.ProcessList.Count());
  EXPECT_EQ("stick.exe", l.ProcessList[0].Caption);
  EXPECT_EQ("my tool", l.ProcessList[0].Cell(monitor::kProgramComment));
  EXPECT_EQ(1, l.Counts.Deleted);
}

// A path stored with "?" for the characters CP932 lacks names no file: it is
// tested by its real path when the session has seen it, and kept otherwise.
TEST(DeletionCheck, AStoredTextThatLostCharactersIsOnlyTestedByItsRealPath) {
  TempDir dir;
  Checked l;
  const std::string unknown = dir.file("??\\never-seen.exe");
  const std::string seen = dir.file("caf?\\seen.exe");
  AddProgram(l, "never-seen.exe", unknown);
  AddProgram(l, "seen.exe", seen);
  l.RealPaths.Remember(seen, toolkit::Widen(dir.path()) + L"\\caf\u00E9\\seen.exe");
  l.Check();
  ASSERT_EQ(1, l.ProcessList.Count());
  EXPECT_EQ("never-seen.exe", l.ProcessList[0].Caption);
  ASSERT_EQ(1, l.Log.Count());
  EXPECT_EQ(seen + "の削除を確認", l.Log[0].Cell(monitor::kLogDetail));
}
