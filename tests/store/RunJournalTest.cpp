#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "JournalSamples.h"
#include "TestSupport.h"
#include "store/JournalRuns.h"
#include "store/JournalWriter.h"
#include "store/RunJournal.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Handle.h"

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

store::TJournalLine Line(int pid) {
  store::TJournalLine line = testsupport::StartLine(pid, "VM\\user");
  line.Path = u8"C:\\김민준\\a.exe";
  return line;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder whose name no code page but Unicode holds, inside the test's own.
struct UnicodeFolder {
  TempDir dir;
  std::wstring path = toolkit::Widen(dir.path()) + L"\\\uAE40\uBBFC\uC900 caf\u00E9 \U0001F600";
  UnicodeFolder() { ::CreateDirectoryW(path.c_str(), nullptr); }
  std::wstring Journal() const { return store::RunJournalPath(path); }
};

}  // namespace

TEST(RunJournal, ANewFileHasItsHeaderAndEachLineIsInTheFileOnceAppended) {
  UnicodeFolder folder;
  EXPECT_EQ(folder.path + L"\\RunJournal.csv", folder.Journal());
  store::TRunJournal journal(folder.Journal(), store::kDefaultJournalLimitBytes);
  ASSERT_TRUE(journal.Append(Line(1)));
  // Read while the writer still holds the file open.
  EXPECT_EQ(store::JournalHeader() + store::FormatJournalLine(Line(1)),
            ReadFileBytes(folder.Journal()));
  ASSERT_TRUE(journal.Append(Line(2)));
  EXPECT_EQ((std::vector<store::TJournalLine>{Line(1), Line(2)}),
            store::ReadJournalFile(folder.Journal()));
  // Another program may read it but not write it.
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            ::CreateFileW(folder.Journal().c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

TEST(RunJournal, ALaterSessionEndsACutLastLineBeforeWritingWholeLines) {
  UnicodeFolder folder;
  const std::string before = store::JournalHeader() + store::FormatJournalLine(Line(1));
  const std::string cutLine = store::FormatJournalLine(Line(2));
  for (const size_t cut : {size_t{5}, cutLine.size() - 3, cutLine.size() - 1}) {
    SCOPED_TRACE(cut);
    WriteFileBytes(folder.Journal(), before + cutLine.substr(0, cut));
    EXPECT_EQ(std::vector<store::TJournalLine>{Line(1)}, store::ReadJournalFile(folder.Journal()));
    {
      store::TRunJournal journal(folder.Journal(), store::kDefaultJournalLimitBytes);
      ASSERT_TRUE(journal.Append(Line(3)));
    }
    const bool lone = cut == cutLine.size() - 1;  // only the LF was missing
    EXPECT_EQ(before + cutLine.substr(0, cut) + (lone ? "\n" : "\r\n") +
                  store::FormatJournalLine(Line(3)),
              ReadFileBytes(folder.Journal()));
    EXPECT_EQ(lone ? (std::vector<store::TJournalLine>{Line(1), Line(2), Line(3)})
                   : (std::vector<store::TJournalLine>{Line(1), Line(3)}),
              store::ReadJournalFile(folder.Journal()));
  }
  // A header cut by a crash is written again.
  WriteFileBytes(folder.Journal(), store::JournalHeader().substr(0, 7));
  {
    store::TRunJournal journal(folder.Journal(), store::kDefaultJournalLimitBytes);
    ASSERT_TRUE(journal.Append(Line(4)));
  }
  EXPECT_EQ(store::JournalHeader() + store::FormatJournalLine(Line(4)),
            ReadFileBytes(folder.Journal()));
}

TEST(RunJournal, PastItsLimitTheFileMovesToDotOneAndFiveEarlierFilesAreKept) {
  UnicodeFolder folder;
  const uint64_t limit = 1000;
  const std::string header = store::JournalHeader();
  {
    store::TRunJournal journal(folder.Journal(), limit);
    // Two-digit identifiers: every line has the same length. The lines of a
    // cycle come together, and a file may end within them.
    for (int first = 10; first <= 79; first += 7) {
      std::vector<store::TJournalLine> cycle;
      for (int pid = first; pid < first + 7 && pid <= 79; ++pid) cycle.push_back(Line(pid));
      ASSERT_TRUE(journal.Append(cycle));
    }
  }
  EXPECT_EQ(folder.path + L"\\RunJournal.3.csv", store::RotatedJournalPath(folder.Journal(), 3));
  EXPECT_FALSE(Exists(store::RotatedJournalPath(folder.Journal(), 6)));
  // Oldest to newest, the kept lines are the last ones written, none twice.
  std::vector<std::wstring> files;
  for (int n = store::kJournalFilesKept; n >= 1; --n)
    files.push_back(store::RotatedJournalPath(folder.Journal(), n));
  files.push_back(folder.Journal());
  int expected = 0;
  for (const std::wstring& file : files) {
    const std::string bytes = ReadFileBytes(file);
    EXPECT_EQ(0u, bytes.find(header));
    EXPECT_LE(bytes.size(), limit);
    const std::vector<store::TJournalLine> lines = store::ReadJournalFile(file);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(header.size() + lines.size() * store::FormatJournalLine(lines[0]).size(),
              bytes.size());
    if (expected == 0) expected = std::stoi(lines[0].Pid);
    for (const auto& line : lines) EXPECT_EQ(std::to_string(expected++), line.Pid);
  }
  EXPECT_EQ(80, expected);
  EXPECT_GT(std::stoi(store::ReadJournalFile(files[0])[0].Pid), 10);  // the oldest were dropped
}

TEST(RunJournal, ARotationAnotherProgramBlocksLosesNoLine) {
  UnicodeFolder folder;
  const std::wstring first = store::RotatedJournalPath(folder.Journal(), 1);
  WriteFileBytes(first, "kept");
  store::TRunJournal journal(folder.Journal(), 600);
  int pid = 0;
  {
    // Held without delete sharing: it can neither move nor be replaced.
    toolkit::FileHandle holder(::CreateFileW(first.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    do ASSERT_TRUE(journal.Append(Line(++pid)));
    while (ReadFileBytes(folder.Journal()).size() < 1500);
    EXPECT_EQ("kept", ReadFileBytes(first));
  }
  ASSERT_TRUE(journal.Append(Line(++pid)));
  EXPECT_EQ("kept", ReadFileBytes(store::RotatedJournalPath(folder.Journal(), 2)));
  std::vector<store::TJournalLine> all = store::ReadJournalFile(first);
  for (const auto& line : store::ReadJournalFile(folder.Journal())) all.push_back(line);
  ASSERT_EQ(static_cast<size_t>(pid), all.size());
  for (int n = 0; n < pid; ++n) EXPECT_EQ(std::to_string(n + 1), all[n].Pid);
}

TEST(RunJournal, LinesThatCannotBeWrittenWaitForTheNextAppend) {
  UnicodeFolder folder;
  store::TRunJournal journal(folder.Journal(), store::kDefaultJournalLimitBytes);
  {
    // Another program holds the file and shares it with nobody.
    toolkit::FileHandle holder = testsupport::HoldNewFile(folder.Journal());
    ASSERT_TRUE(holder);
    EXPECT_FALSE(journal.Append(Line(1)));
    EXPECT_FALSE(journal.Append(Line(2)));
    EXPECT_EQ(2u, journal.Waiting());
  }
  // Tried again with no line of its own, as at a cycle that saw no change.
  EXPECT_TRUE(journal.Append(std::vector<store::TJournalLine>{}));
  EXPECT_EQ(0u, journal.Waiting());
  EXPECT_EQ(0u, journal.Dropped());
  EXPECT_TRUE(journal.Append(Line(3)));
  EXPECT_EQ((std::vector<store::TJournalLine>{Line(1), Line(2), Line(3)}),
            store::ReadJournalFile(folder.Journal()));
}

TEST(RunJournal, ReadingTheTailBeginsAtAWholeLine) {
  UnicodeFolder folder;
  {
    store::TRunJournal journal(folder.Journal(), store::kDefaultJournalLimitBytes);
    for (int pid = 10; pid <= 19; ++pid) ASSERT_TRUE(journal.Append(Line(pid)));
  }
  const uint64_t lineBytes = store::FormatJournalLine(Line(10)).size();
  // Exactly three lines, and three and a half.
  EXPECT_EQ(3u, store::ReadJournalFile(folder.Journal(), 3 * lineBytes).size());
  const auto lines = store::ReadJournalFile(folder.Journal(), 3 * lineBytes + lineBytes / 2);
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("17", lines[0].Pid);
  EXPECT_TRUE(store::ReadJournalFile(folder.path + L"\\none.csv").empty());
}

TEST(JournalWriter, LinesHandedOverReachTheFileAndTheEndWritesWhatIsLeft) {
  UnicodeFolder folder;
  {
    store::TJournalWriter writer(folder.Journal(), store::kDefaultJournalLimitBytes);
    writer.Append({Line(1), Line(2)});
    writer.Drain();
    EXPECT_EQ((std::vector<store::TJournalLine>{Line(1), Line(2)}),
              store::ReadJournalFile(folder.Journal()));
    for (int pid = 3; pid <= 200; ++pid) writer.Append({Line(pid)});
  }  // nothing waited for: the end does
  const std::vector<store::TJournalLine> lines = store::ReadJournalFile(folder.Journal());
  ASSERT_EQ(200u, lines.size());
  for (int n = 0; n < 200; ++n) EXPECT_EQ(std::to_string(n + 1), lines[n].Pid);
}

TEST(JournalWriter, LinesKeptBackAreTriedAgainWithoutNewOnes) {
  UnicodeFolder folder;
  store::TJournalWriter writer(folder.Journal(), store::kDefaultJournalLimitBytes);
  {
    toolkit::FileHandle holder = testsupport::HoldNewFile(folder.Journal());
    ASSERT_TRUE(holder);
    writer.Append({Line(1)});
    writer.Drain();
    EXPECT_EQ(1u, writer.Waiting());
  }
  // A quiet machine hands nothing more over: the worker tries by itself.
  std::vector<store::TJournalLine> lines;
  for (int waited = 0; waited < 50 && lines.empty(); ++waited) {
    ::Sleep(100);
    lines = store::ReadJournalFile(folder.Journal());
  }
  EXPECT_EQ(std::vector<store::TJournalLine>{Line(1)}, lines);
  writer.Drain();
  EXPECT_EQ(0u, writer.Waiting());
}

TEST(JournalRuns, StartAndEndAreOneRunNewestFirstFromTheNewestFilesOnly) {
  UnicodeFolder folder;
  testsupport::WriteThreeRuns(folder.Journal());
  // Two starts are in the two newest files: the oldest is not read.
  const std::vector<store::TJournalLine> lines = store::ReadRecentJournal(folder.Journal(), 2);
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ(testsupport::RunLine(7, "10:00:00"), lines[0]);
  EXPECT_EQ(5u, store::ReadRecentJournal(folder.Journal(), 3).size());

  const std::vector<store::TJournalRun> runs = store::JournalRuns(lines);
  ASSERT_EQ(3u, runs.size());
  EXPECT_EQ(testsupport::RunLine(7, "11:00:00"), runs[0].Line);  // a reused identifier
  EXPECT_FALSE(runs[0].Ended);
  // Known by its end line alone.
  EXPECT_EQ(testsupport::RunLine(9, "10:30:00", "10:31:00", "60.000"), runs[1].Line);
  EXPECT_TRUE(runs[1].Ended);
  EXPECT_EQ(testsupport::RunLine(7, "10:00:00", "10:00:05", "5.000"), runs[2].Line);
  EXPECT_TRUE(runs[2].Ended);
  EXPECT_EQ(runs[2].StartedMs + 30 * 60 * 1000, runs[1].StartedMs);
  EXPECT_EQ(2u, store::JournalRuns(lines, 2).size());
}
