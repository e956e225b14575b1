// Files that no version of the program wrote, met at start and at the end of a
// run: empty, nothing but line breaks, megabytes without a break, CP932 lead bytes
// cut off by a line break, NULs, and folders where the files should be. Whatever
// they hold, loading ends, nothing is lost without a copy, and a file that
// cannot be read or written is reported.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "SettingsTab.h"
#include "TestSupport.h"
#include "TestTables.h"
#include "store/DataFiles.h"
#include "store/Settings.h"
#include "toolkit/Handle.h"

using testsupport::Exists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// The tables the data files fill; the loading gives what the user would be told,
// the saving the message of the error it throws, or "" for none.
struct Tables : testsupport::Tables {
  std::string Save(const std::string& folder) {
    return testsupport::ErrorOf([&] { testsupport::Tables::Save(folder); });
  }
  bool Seeded() const { return SeedingAskedFor; }
};

const std::string kVersion = "Ver1.00\r\n";

std::string Program(const std::string& name, const std::string& comment) {
  return name + "\r\nC:\\" + name + "\r\n2024/01/02 3:04:05\r\n2024/01/02\r\n2024/02/03\r\n" +
         comment + "\r\n";
}

}  // namespace

TEST(BadDataFiles, EmptyOrOnlyLineBreaksIsAnotherVersionKeptAsideAtTheEnd) {
  for (const std::string& bytes : {std::string(), std::string("\r\n\r\n\n\r"),
                                  std::string(100000, '\n')}) {
    TempDir dir;
    WriteFileBytes(dir.file("ProcessList.dat"), bytes);
    WriteFileBytes(dir.file("Log.dat"), bytes);
    Tables t;
    EXPECT_EQ("", t.Load(dir.path()));
    EXPECT_EQ(0, t.ProcessList.Count());
    EXPECT_EQ(0, t.Log.Count());
    EXPECT_FALSE(t.Seeded()) << "a file that is there is no first run";

    EXPECT_EQ("", t.Save(dir.path()));
    EXPECT_EQ(kVersion, ReadFileBytes(dir.file("ProcessList.dat")));
    EXPECT_EQ(bytes, ReadFileBytes(dir.file("ProcessList.dat.bak")));
    EXPECT_EQ(bytes, ReadFileBytes(dir.file("Log.dat.bak")));
  }
}

TEST(BadDataFiles, LineBreaksAfterTheVersionAreRecordsOfEmptyFields) {
  TempDir dir;
  WriteFileBytes(dir.file("ProcessList.dat"), kVersion + std::string(13, '\n'));
  Tables t;
  EXPECT_EQ("", t.Load(dir.path()));
  ASSERT_EQ(3, t.ProcessList.Count());  // 13 lines: two whole records and one of a line
  for (int column = 0; column < 6; ++column) EXPECT_EQ("", t.ProcessList[2].Cell(column));
  EXPECT_EQ("", t.Save(dir.path()));
  std::string whole = kVersion;
  for (int line = 0; line < 3 * 6; ++line) whole += "\r\n";
  EXPECT_EQ(whole, ReadFileBytes(dir.file("ProcessList.dat")));
}

TEST(BadDataFiles, TenMegabytesWithoutALineBreakLoadAsOneCutLine) {
  TempDir dir;
  const std::string huge(10 * 1024 * 1024, 'a');
  // No version line at all: another version, kept aside whole.
  WriteFileBytes(dir.file("ProcessList.dat"), huge);
  // After the version line: one program whose name is the first 4,096 bytes.
  WriteFileBytes(dir.file("Log.dat"), kVersion + huge);
  Tables t;
  EXPECT_EQ("", t.Load(dir.path()));
  EXPECT_EQ(0, t.ProcessList.Count());
  EXPECT_FALSE(t.Seeded());
  ASSERT_EQ(1, t.Log.Count());
  EXPECT_EQ(std::string(4096, 'a'), t.Log[0].Caption);
  EXPECT_EQ("", t.Log[0].Cell(3));

  EXPECT_EQ("", t.Save(dir.path()));
  EXPECT_EQ(huge.size(), ReadFileBytes(dir.file("ProcessList.dat.bak")).size());
  EXPECT_EQ(kVersion + std::string(4096, 'a') + "\r\n\r\n\r\n\r\n",
            ReadFileBytes(dir.file("Log.dat")));
}

TEST(BadDataFiles, LeadBytesCutOffByALineBreakAndNulsComeBackByteForByte) {
  TempDir first, second;
  // 0x81 and 0x9F are CP932 lead bytes; here no trail byte follows them.
  const std::string text = kVersion + Program("a\x81", "\x9f") + Program(std::string("b\0c.exe", 7), std::string("x\0y", 3)) +
                           "last\x81";
  WriteFileBytes(first.file("ProcessList.dat"), text);
  Tables t;
  EXPECT_EQ("", t.Load(first.path()));
  ASSERT_EQ(3, t.ProcessList.Count());
  EXPECT_EQ("a\x81", t.ProcessList[0].Caption);
  EXPECT_EQ("C:\\a\x81", t.ProcessList[0].Cell(1));
  EXPECT_EQ("\x9f", t.ProcessList[0].Cell(5));
  EXPECT_EQ(std::string("x\0y", 3), t.ProcessList[1].Cell(5));
  EXPECT_EQ("last\x81", t.ProcessList[2].Caption);
  EXPECT_EQ("", t.Save(second.path()));
  // A last record cut short is written out whole; everything before it is as it was.
  const std::string saved = ReadFileBytes(second.file("ProcessList.dat"));
  EXPECT_EQ(text + "\r\n\r\n\r\n\r\n\r\n\r\n", saved);
}

TEST(BadDataFiles, FolderNamedLikeTheProcessListIsNoFirstRunAndIsReported) {
  TempDir dir;
  const std::string list = dir.file("ProcessList.dat");
  ASSERT_TRUE(::CreateDirectoryA(list.c_str(), nullptr));
  WriteFileBytes(list + "\\inside.txt", "the user's");
  const std::string log = kVersion + "t\r\na.exe\r\n追加\r\n\r\n";
  WriteFileBytes(dir.file("Log.dat"), log);
  Tables t;
  EXPECT_EQ(0u, t.Load(dir.path()).find("ファイル " + list + " は開けません\r\n"));
  EXPECT_FALSE(t.Seeded());
  EXPECT_EQ(0, t.ProcessList.Count());
  ASSERT_EQ(1, t.Log.Count()) << "the log is loaded all the same";

  // The folder stays as it was; the list goes beside it, the log to its file.
  t.ProcessList.Add(toolkit::TListItem("new.exe", {"C:\\new.exe"}));
  EXPECT_EQ("", t.Save(dir.path()));
  EXPECT_EQ("the user's", ReadFileBytes(list + "\\inside.txt"));
  EXPECT_EQ(0u, ReadFileBytes(list + ".pending").find(kVersion + "new.exe\r\n"));
  EXPECT_EQ(log, ReadFileBytes(dir.file("Log.dat")));
  EXPECT_FALSE(Exists(list + ".tmp"));
}

TEST(BadDataFiles, FolderNamedLikeTheLogIsReportedAfterTheListLoads) {
  TempDir dir;
  const std::string list = kVersion + Program("a.exe", "");
  WriteFileBytes(dir.file("ProcessList.dat"), list);
  ASSERT_TRUE(::CreateDirectoryA(dir.file("Log.dat").c_str(), nullptr));
  Tables t;
  EXPECT_EQ(0u, t.Load(dir.path()).find("ファイル " + dir.file("Log.dat") + " は開けません\r\n"));
  EXPECT_EQ(1, t.ProcessList.Count());
  EXPECT_EQ("", t.Save(dir.path()));
  EXPECT_EQ(list, ReadFileBytes(dir.file("ProcessList.dat")));
  EXPECT_EQ(kVersion, ReadFileBytes(dir.file("Log.dat.pending")));
}

TEST(BadSettingsFile, TenMegabytesWithoutALineBreakAreNotReadAndAreKeptAside) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  const std::string huge = "[Information]" + std::string(10 * 1024 * 1024, 'x');
  WriteFileBytes(path, huge);
  SettingsTab tab;
  tab.Read(path);
  tab.ExpectDefaults();
  tab.Write(path);
  EXPECT_EQ(0u, ReadFileBytes(path).find("[Information]\r\nVersion=1.30\r\n"));
  EXPECT_EQ(huge.size(), ReadFileBytes(path + ".bak").size());
}

TEST(BadSettingsFile, HugeFolderTextIsCutAndTheKeysAfterItAreRead) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, "[Information]\r\n[Ignore]\r\nListCout=2\r\nPath0=" +
                           std::string(10 * 1024 * 1024, 'x') + "\r\nPath1=C:\\B\r\n"
                           "[Integer]\r\nInterval=30\r\n");
  SettingsTab tab;
  tab.Read(path);
  EXPECT_EQ(30, tab.SpinEdit1.Value());
  ASSERT_EQ(2, tab.ListView4.Count());
  EXPECT_EQ(std::string(2047, 'x'), tab.ListView4[0].Caption);
  EXPECT_EQ("C:\\B", tab.ListView4[1].Caption);
}

TEST(BadSettingsFile, LeadByteBeforeALineBreakKeepsTheNextLine) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, "[Information]\r\n[Ignore]\r\nListCout=2\r\nPath0=C:\\a\x81\r\n"
                       "Path1=C:\\b\x9f\nPath2=C:\\c\r\n[Integer]\r\nInterval=30\x81\r\n");
  SettingsTab tab;
  tab.Read(path);
  ASSERT_EQ(2, tab.ListView4.Count());
  EXPECT_EQ(0u, tab.ListView4[0].Caption.find("C:\\a"));
  EXPECT_EQ(0u, tab.ListView4[1].Caption.find("C:\\b"));
  EXPECT_EQ(10, tab.SpinEdit1.Value()) << "a number with a byte after it is no number";
}

TEST(BadSettingsFile, NulInTheMiddleEndsNothingBeforeIt) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  static const char kText[] =
      "[Information]\r\n[Start]\r\nTaskTorrey=1\r\nStartUp=0\0x\r\n[Integer]\r\nInterval=30\r\n";
  WriteFileBytes(path, std::string(kText, sizeof kText - 1));
  SettingsTab tab;
  tab.Read(path);
  EXPECT_TRUE(tab.CheckBox3.Checked());
  EXPECT_EQ(0, tab.registrations);
  EXPECT_TRUE(tab.notices.empty());
}

TEST(BadDataFiles, TenMegabytesOfLineBreaksAfterTheVersionLoadAndSave) {
  TempDir dir;
  WriteFileBytes(dir.file("ProcessList.dat"), kVersion + std::string(10 * 1024 * 1024, '\n'));
  Tables t;
  EXPECT_EQ("", t.Load(dir.path()));
  ASSERT_EQ((10 * 1024 * 1024 + 5) / 6, t.ProcessList.Count());
  EXPECT_EQ("", t.ProcessList[t.ProcessList.Count() - 1].Cell(5));
  EXPECT_EQ("", t.Save(dir.path()));
  EXPECT_EQ(kVersion.size() + 2 * 6 * static_cast<size_t>(t.ProcessList.Count()),
            ReadFileBytes(dir.file("ProcessList.dat")).size());
}
