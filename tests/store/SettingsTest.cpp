#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "SettingsByKey.h"
#include "SettingsTab.h"
#include "TestSupport.h"
#include "store/Settings.h"
#include "toolkit/Handle.h"

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// An Inf.ini of the current form with the given [Integer] and [Ignore] lines.
std::string CurrentForm(const std::string& start, const std::string& integer,
                        const std::string& ignore) {
  return "[Information]\r\nVersion=1.30\r\n[Start]\r\n" + start + "[Compare]\r\n[Integer]\r\n" +
         integer + "[Ignore]\r\n" + ignore;
}

std::string Value(const std::string& path, const char* section, const char* key) {
  char buffer[256] = {};
  ::GetPrivateProfileStringA(section, key, "(absent)", buffer, sizeof buffer, path.c_str());
  return buffer;
}

}  // namespace

TEST(SettingsFile, MissingFileGivesDefaultsAndIsWrittenInTheCurrentForm) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  SettingsTab tab;
  tab.Read(path);
  tab.ExpectDefaults();
  EXPECT_TRUE(tab.notices.empty());
  tab.Write(path);
  const std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(0u, bytes.find("[Information]\r\nVersion=1.30\r\n")) << bytes;
  // Sections in the order written, each key on a line of its own.
  size_t at = 0;
  for (const char* line : {"[Start]\r\n", "TaskTorrey=0\r\n", "StartUp=0\r\n", "[Compare]\r\n",
                           "DeleteCheck=0\r\n", "Notice=0\r\n", "[Integer]\r\n", "Interval=10\r\n",
                           "Log=100\r\n", "[Ignore]\r\n", "ListCout=0\r\n"}) {
    size_t found = bytes.find(line, at);
    ASSERT_NE(std::string::npos, found) << line << " in\n" << bytes;
    at = found;
  }
  EXPECT_EQ(std::string::npos, bytes.find("Path"));
}

TEST(SettingsFile, WrittenFileReadsBackToTheSameBytes) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  SettingsTab first;
  first.CheckBox3.SetChecked(true);
  first.CheckBox5.SetChecked(true);
  first.CheckBox1.SetChecked(true);
  first.SpinEdit1.SetValue(45);
  first.SpinEdit2.SetValue(10);
  first.ListView4.Add("C:\\Program Files\\表示");
  first.ListView4.Add("<>");
  first.ListView4.Add("D:\\ツール\\ソフト");
  first.Write(path);
  const std::string written = ReadFileBytes(path);

  SettingsTab second;
  second.Read(path);
  EXPECT_TRUE(second.CheckBox3.Checked());
  EXPECT_FALSE(second.CheckBox4.Checked());
  EXPECT_TRUE(second.CheckBox5.Checked());
  EXPECT_TRUE(second.CheckBox1.Checked());
  EXPECT_EQ(45, second.SpinEdit1.Value());
  EXPECT_EQ(10, second.SpinEdit2.Value());
  EXPECT_EQ(first.Folders(), second.Folders());
  second.Write(path);
  EXPECT_EQ(written, ReadFileBytes(path));
}

TEST(SettingsFile, IntegersAreDecimalOrHexAndBroughtIntoRange) {
  struct Case {
    const char* text;
    int interval;
  } cases[] = {{"0", 1}, {"99", 60}, {"abc", 10}, {"0x1E", 30}, {"0X1e", 30}, {"0x", 10},
               {"-5", 1}, {"  25  ", 25}, {"", 10}, {"30x", 10}};
  for (const Case& c : cases) {
    TempDir dir;
    const std::string path = store::SettingsPath(dir.path());
    WriteFileBytes(path, CurrentForm("", std::string("Interval=") + c.text + "\r\n", ""));
    SettingsTab tab;
    tab.Read(path);
    EXPECT_EQ(c.interval, tab.SpinEdit1.Value()) << "Interval=" << c.text;
  }
  for (auto [text, log] : {std::pair<const char*, int>{"5", 10}, {"500", 200}, {"150", 150}}) {
    TempDir dir;
    const std::string path = store::SettingsPath(dir.path());
    WriteFileBytes(path, CurrentForm("", std::string("Log=") + text + "\r\n", ""));
    SettingsTab tab;
    tab.Read(path);
    EXPECT_EQ(log, tab.SpinEdit2.Value()) << "Log=" << text;
  }
}

TEST(SettingsFile, FlagsAreOnForAnyNonZeroInteger) {
  for (auto [text, on] : {std::pair<const char*, bool>{"2", true}, {"1", true}, {"yes", false},
                          {"0", false}, {"0x10", true}}) {
    TempDir dir;
    const std::string path = store::SettingsPath(dir.path());
    WriteFileBytes(path, CurrentForm(std::string("TaskTorrey=") + text + "\r\n", "", ""));
    SettingsTab tab;
    tab.Read(path);
    EXPECT_EQ(on, tab.CheckBox3.Checked()) << "TaskTorrey=" << text;
  }
}

TEST(SettingsFile, KeysAreFoundWhateverTheirLetterCase) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, "[Information]\r\n[start]\r\ntasktorrey=1\r\n[INTEGER]\r\nINTERVAL=7\r\n"
                       "[ignore]\r\nlistcout=2\r\npath1=B\r\nPATH0=A\r\n");
  SettingsTab tab;
  tab.Read(path);
  EXPECT_TRUE(tab.CheckBox3.Checked());
  EXPECT_EQ(7, tab.SpinEdit1.Value());
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), tab.Folders());
}

TEST(SettingsIgnoredFolders, MissingPathKeysReadAsPlaceholders) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, CurrentForm("", "", "ListCout=3\r\nPath0=C:\\A\r\nPath2=C:\\C\r\n"));
  SettingsTab tab;
  tab.Read(path);
  EXPECT_EQ((std::vector<std::string>{"C:\\A", "<>", "C:\\C"}), tab.Folders());
  // Keys numbered ListCout and above are not read.
  WriteFileBytes(path, CurrentForm("", "", "ListCout=1\r\nPath0=C:\\A\r\nPath1=C:\\B\r\n"));
  SettingsTab fewer;
  fewer.Read(path);
  EXPECT_EQ((std::vector<std::string>{"C:\\A"}), fewer.Folders());
}

TEST(SettingsIgnoredFolders, NegativeCountGivesNoRows) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, CurrentForm("", "", "ListCout=-1\r\nPath0=C:\\A\r\n"));
  SettingsTab tab;
  tab.ListView4.Add("left from before");
  tab.Read(path);
  EXPECT_EQ(0, tab.ListView4.Count());
}

TEST(SettingsIgnoredFolders, AbsurdCountIsBoundedBeyondTheLastKeyPresent) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, CurrentForm("", "",
                                   "ListCout=2147483647\r\nPath0=C:\\A\r\nPath05=no\r\n"
                                   "Path4=C:\\E\r\nPathX=no\r\n"));
  SettingsTab tab;
  tab.Read(path);
  ASSERT_EQ(5 + 1000, tab.ListView4.Count());
  EXPECT_EQ("C:\\A", tab.ListView4[0].Caption);
  EXPECT_EQ("<>", tab.ListView4[1].Caption);
  EXPECT_EQ("C:\\E", tab.ListView4[4].Caption);
  EXPECT_EQ("<>", tab.ListView4[5 + 999].Caption);
  EXPECT_TRUE(tab.notices.empty());
}

TEST(SettingsIgnoredFolders, OneFarKeyDoesNotMeanBillionsOfRows) {
  // A count and a key far beyond it, as a fuzzer made them: every missing key up
  // to it would be two billion rows.
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, CurrentForm("", "",
                                   "ListCout=2147483647\r\nPath0=C:\\A\r\nPath3=C:\\D\r\n"
                                   "Path2147483646=C:\\Far\r\n"));
  SettingsTab tab;
  tab.Read(path);
  // Up to 1,000 missing keys between the keys present, then the gaps close up;
  // every folder of the file is read.
  ASSERT_EQ(1 + 2 + 1 + 998 + 1, tab.ListView4.Count());
  EXPECT_EQ("C:\\A", tab.ListView4[0].Caption);
  EXPECT_EQ("<>", tab.ListView4[1].Caption);
  EXPECT_EQ("C:\\D", tab.ListView4[3].Caption);
  EXPECT_EQ("<>", tab.ListView4[1001].Caption);
  EXPECT_EQ("C:\\Far", tab.ListView4[1002].Caption);
  EXPECT_TRUE(tab.notices.empty());

  // What is read is what is written: the far folder comes back, the count does not.
  tab.Write(path);
  EXPECT_EQ("1003", Value(path, "Ignore", "ListCout"));
  EXPECT_EQ("C:\\Far", Value(path, "Ignore", "Path1002"));
  SettingsTab again;
  again.Read(path);
  EXPECT_EQ(tab.Folders(), again.Folders());
}

TEST(SettingsIgnoredFolders, TextsAreReadUpTo2047Bytes) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  const std::string longFolder = "C:\\" + std::string(3000, 'a');
  WriteFileBytes(path, CurrentForm("", "", "ListCout=1\r\nPath0=" + longFolder + "\r\n"));
  SettingsTab tab;
  tab.Read(path);
  ASSERT_EQ(1, tab.ListView4.Count());
  EXPECT_EQ(longFolder.substr(0, 2047), tab.ListView4[0].Caption);
}

TEST(SettingsIgnoredFolders, WrittenInListOrderAndAnEmptyListWritesNoPathKey) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  SettingsTab tab;
  for (const char* folder : {"C:\\Z", "C:\\A", "C:\\M"}) tab.ListView4.Add(folder);
  tab.Write(path);
  EXPECT_EQ("3", Value(path, "Ignore", "ListCout"));
  EXPECT_EQ("C:\\Z", Value(path, "Ignore", "Path0"));
  EXPECT_EQ("C:\\A", Value(path, "Ignore", "Path1"));
  EXPECT_EQ("C:\\M", Value(path, "Ignore", "Path2"));
  tab.ListView4.Clear();
  tab.Write(path);
  EXPECT_EQ("0", Value(path, "Ignore", "ListCout"));
  EXPECT_EQ("(absent)", Value(path, "Ignore", "Path0"));
}

TEST(SettingsFile, UnrecognisedFirstLineIsNotReadAndIsKeptAside) {
  for (const char* text : {"[information]\r\n[Start]\r\nTaskTorrey=1\r\n",
                           "\r\n[Information]\r\n[Start]\r\nTaskTorrey=1\r\n",
                           "Ver1.30\r\n1\r\n1\r\n1\r\n1\r\n"}) {
    TempDir dir;
    const std::string path = store::SettingsPath(dir.path());
    WriteFileBytes(path, text);
    SettingsTab tab;
    tab.Read(path);
    tab.ExpectDefaults();
    tab.Write(path);
    EXPECT_EQ(0u, ReadFileBytes(path).find("[Information]\r\n"));
    EXPECT_EQ(text, ReadFileBytes(path + ".bak"));
  }
}

TEST(SettingsFile, FlagsOffInTheFileRunNoClickHandler) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  SettingsTab off;
  int clicks = 0;
  off.CheckBox4.OnClick = [&] { ++clicks; };
  WriteFileBytes(path, CurrentForm("TaskTorrey=1\r\nStartUp=0\r\n", "", ""));
  off.Read(path);
  EXPECT_EQ(0, clicks);

  SettingsTab on;
  on.CheckBox4.OnClick = [&] { ++clicks; };
  WriteFileBytes(path, CurrentForm("StartUp=1\r\n", "", ""));
  on.Read(path);
  EXPECT_EQ(1, clicks);
  EXPECT_TRUE(on.CheckBox4.Checked());
}

TEST(SettingsWrite, ReadOnlyFileCannotBeCreatedAndStaysAsItWas) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  const std::string old = CurrentForm("TaskTorrey=1\r\n", "", "");
  WriteFileBytes(path, old);
  ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  SettingsTab tab;
  tab.Read(path);
  try {
    tab.Write(path);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ("ファイル " + path + " を作成できません", std::string(e.what()));
  }
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(old, ReadFileBytes(path));
}

// The text is composed whole; it must be byte for byte what the profile
// function wrote key by key into an empty file, so that every reader of the
// file (earlier versions included) finds it as before.
TEST(SettingsWrite, TheTextIsWhatTheProfileFunctionWroteKeyByKey) {
  struct Case {
    const char* name;
    void (*fill)(SettingsTab&);
  } cases[] = {
      {"defaults", [](SettingsTab&) {}},
      {"every flag on, numbers at their ends, the journal off",
       [](SettingsTab& t) {
         for (toolkit::TCheckBox* box : {&t.CheckBox3, &t.CheckBox4, &t.CheckBox5, &t.CheckBox1})
           box->SetChecked(true);
         t.SpinEdit1.SetValue(60);
         t.SpinEdit2.SetValue(10);
         t.state.Journal.Enabled = false;
         t.state.Journal.MaxKB = 1048576;
       }},
      {"folders of every kind",
       [](SettingsTab& t) {
         for (const char* folder :
              {"C:\\Program Files\\表示", "<>", "D:\\ツール\\ソフト\\", "", "C:\\a=b;c",
               "\"C:\\quoted\"", "C:\\trailing  ", "\\\\server\\share", "[Section]", "  lead", "\ttab\t",
               "\x81\x40" "full\x81\x40", " ", "\x81\x40"})
           t.ListView4.Add(folder);
         t.ListView4.Add(std::string(2047, 'x'));
       }},
      {"three hundred folders",
       [](SettingsTab& t) {
         for (int n = 0; n < 300; ++n) t.ListView4.Add("C:\\Folder" + std::to_string(n));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    SettingsTab tab;
    c.fill(tab);
    const std::string byKey = dir.file("ByKey.ini");
    ASSERT_TRUE(testsupport::WriteSettingsKeyByKey(byKey, tab.controls, tab.state.Journal));
    const std::string path = store::SettingsPath(dir.path());
    tab.Write(path);
    EXPECT_EQ(ReadFileBytes(byKey), ReadFileBytes(path));
    EXPECT_EQ(ReadFileBytes(path), store::SettingsText(tab.controls, tab.state));
  }
}

TEST(SettingsWrite, AFailedWriteGivesTheCreateMessageAndLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  const std::string old = CurrentForm("TaskTorrey=1\r\n", "", "ListCout=1\r\nPath0=C:\\Kept\r\n");
  WriteFileBytes(path, old);
  SettingsTab tab;
  tab.Read(path);
  tab.ListView4.Clear();
  // The folder takes no new file: the temporary file's name is taken.
  ASSERT_TRUE(::CreateDirectoryA((path + ".tmp").c_str(), nullptr));
  EXPECT_EQ("ファイル " + path + " を作成できません", testsupport::ErrorOf([&] { tab.Write(path); }));
  EXPECT_EQ(old, ReadFileBytes(path));

  // A folder where the file should be is never replaced either.
  TempDir other;
  const std::string taken = store::SettingsPath(other.path());
  ASSERT_TRUE(::CreateDirectoryA(taken.c_str(), nullptr));
  EXPECT_EQ("ファイル " + taken + " を作成できません", testsupport::ErrorOf([&] { tab.Write(taken); }));
  EXPECT_TRUE(testsupport::Exists(taken));
}

// A settings file that a virus scanner or a sync tool holds at start is waited
// for; one held longer is not read, and no write replaces it with the defaults.
TEST(SettingsRead, AFileHeldForAMomentIsReadAndOneHeldLongerIsNeverReplaced) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  const std::string old = CurrentForm("TaskTorrey=1\r\n", "Interval=33\r\n", "");
  WriteFileBytes(path, old);
  {
    toolkit::FileHandle held(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           0, nullptr));
    ASSERT_TRUE(held);
    std::thread letGo([&held] {
      ::Sleep(800);
      held.reset();
    });
    SettingsTab tab;
    tab.Read(path);
    letGo.join();
    EXPECT_TRUE(tab.CheckBox3.Checked());
    EXPECT_EQ(33, tab.SpinEdit1.Value());
    EXPECT_FALSE(tab.state.Unreadable);
  }
  toolkit::FileHandle held(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         0, nullptr));
  ASSERT_TRUE(held);
  SettingsTab tab;
  const std::string error = testsupport::ErrorOf([&] {
    store::ReadSettings(path, tab.Memo2, tab.controls, nullptr, tab.state, 300);
  });
  EXPECT_EQ(0u, error.find("ファイル " + path + " は開けません\r\n")) << error;
  EXPECT_NE(std::string::npos, error.find("書き換えません"));
  tab.ExpectDefaults();
  EXPECT_TRUE(tab.state.Unreadable);
  held.reset();
  tab.Write(path);
  EXPECT_EQ(old, ReadFileBytes(path));
  EXPECT_FALSE(testsupport::Exists(path + ".bak"));
}

TEST(SettingsJournal, AbsentItIsOnAt10MBAndTheWriteAddsItsSectionAfterTheOthers) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  SettingsTab first;
  first.ListView4.Add("C:\\Temp\\");
  first.Read(path);
  EXPECT_EQ(store::TJournalSettings(), first.state.Journal);
  EXPECT_TRUE(first.state.Journal.Enabled);
  EXPECT_EQ(10240, first.state.Journal.MaxKB);
  first.Write(path);
  const std::string written = ReadFileBytes(path);
  const std::string section = "[RunJournal]\r\nEnabled=1\r\nMaxKB=10240\r\n";
  ASSERT_EQ(written.size() - section.size(), written.find(section)) << written;

  // A file of a version that knew no journal: what it holds is written as it was.
  const std::string older = written.substr(0, written.size() - section.size());
  EXPECT_EQ("Path0=C:\\Temp\\\r\n", older.substr(older.size() - 16));
  WriteFileBytes(path, older);
  SettingsTab second;
  second.Read(path);
  EXPECT_EQ(store::TJournalSettings(), second.state.Journal);
  second.Write(path);
  EXPECT_EQ(written, ReadFileBytes(path));
}

TEST(SettingsJournal, ValuesReadBackAsWrittenAndAreBroughtIntoRange) {
  struct Case {
    const char* lines;
    bool enabled;
    int maxKB;
  } cases[] = {{"Enabled=0\r\nMaxKB=2048\r\n", false, 2048},
               {"enabled=0x0\r\nmaxkb=0x10\r\n", false, 16},
               {"Enabled=2\r\nMaxKB=0\r\n", true, 1},
               {"Enabled=no\r\nMaxKB=99999999\r\n", true, 1024 * 1024},
               {"MaxKB=ten\r\n", true, 10240}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    TempDir dir;
    const std::string path = store::SettingsPath(dir.path());
    WriteFileBytes(path, CurrentForm("", "", "") + "[RunJournal]\r\n" + c.lines);
    SettingsTab tab;
    tab.Read(path);
    EXPECT_EQ(c.enabled, tab.state.Journal.Enabled);
    EXPECT_EQ(c.maxKB, tab.state.Journal.MaxKB);
    tab.Write(path);
    EXPECT_EQ(c.enabled ? "1" : "0", Value(path, "RunJournal", "Enabled"));
    EXPECT_EQ(std::to_string(c.maxKB), Value(path, "RunJournal", "MaxKB"));
    SettingsTab again;
    again.Read(path);
    EXPECT_EQ(tab.state.Journal, again.state.Journal);
  }
  // The section alone is enough; an older form has none, and the same reading
  // gives the defaults again.
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, "[Information]\r\n[RunJournal]\r\nEnabled=0\r\n");
  SettingsTab tab;
  tab.Read(path);
  EXPECT_FALSE(tab.state.Journal.Enabled);
  WriteFileBytes(path, "Ver1.20\r\n0\r\n0\r\n0\r\n10\r\n100\r\n");
  tab.Read(path);
  EXPECT_TRUE(tab.state.Journal.Enabled);
}
