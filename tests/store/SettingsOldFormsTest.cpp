#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "SettingsTab.h"
#include "TestSupport.h"
#include "store/OldSettings.h"
#include "store/Settings.h"

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

store::TLineBuffer Lines(const std::string& text) {
  store::TLineBuffer lines;
  lines.SetText(text);
  return lines;
}

std::string Value(const std::string& path, const char* section, const char* key) {
  char buffer[256] = {};
  ::GetPrivateProfileStringA(section, key, "(absent)", buffer, sizeof buffer, path.c_str());
  return buffer;
}

}  // namespace

TEST(OldSettingsForms, FormIsToldByTheExactFirstLine) {
  EXPECT_EQ(store::TSettingsForm::Ver100, store::SettingsFormOf(Lines("Ver1.00\r\n")));
  EXPECT_EQ(store::TSettingsForm::Ver110, store::SettingsFormOf(Lines("Ver1.10")));
  EXPECT_EQ(store::TSettingsForm::Ver120, store::SettingsFormOf(Lines("Ver1.20\n1\n")));
  EXPECT_EQ(store::TSettingsForm::Current, store::SettingsFormOf(Lines("[Information]\r\n")));
  for (const char* text : {"", "\r\nVer1.20\r\n", "ver1.20\r\n", "Ver1.20 \r\n", "[information]",
                           " [Information]"})
    EXPECT_EQ(store::TSettingsForm::Unknown, store::SettingsFormOf(Lines(text))) << text;
}

TEST(OldSettingsForms, EachFormHasItsOwnLines) {
  // Ver1.00: lines 2 and 3 are not read, and there is no deletion check.
  store::TOldSettings v100 =
      store::ReadOldSettings(store::TSettingsForm::Ver100, Lines("Ver1.00\n1\n1\n1\n0\n25\n50\n1"));
  EXPECT_TRUE(v100.StartInTray);
  EXPECT_FALSE(v100.StartUp);
  EXPECT_FALSE(v100.DeleteCheck);
  EXPECT_EQ(25, v100.Interval.Value);
  EXPECT_EQ(50, v100.Log.Value);

  store::TOldSettings v110 = store::ReadOldSettings(store::TSettingsForm::Ver110,
                                                    Lines("Ver1.10\r1\r1\r0\r1\r1\r7\r300\r"));
  EXPECT_FALSE(v110.StartInTray);
  EXPECT_TRUE(v110.StartUp);
  EXPECT_TRUE(v110.DeleteCheck);
  EXPECT_EQ(7, v110.Interval.Value);
  EXPECT_EQ(300, v110.Log.Value);

  store::TOldSettings v120 = store::ReadOldSettings(store::TSettingsForm::Ver120,
                                                    Lines("Ver1.20\r\n0\r\n1\r\n1\r\n30\r\n150"));
  EXPECT_FALSE(v120.StartInTray);
  EXPECT_TRUE(v120.StartUp);
  EXPECT_TRUE(v120.DeleteCheck);
  EXPECT_TRUE(v120.Interval.Valid);
  EXPECT_EQ(30, v120.Interval.Value);
  EXPECT_EQ(150, v120.Log.Value);
}

TEST(OldSettingsForms, FlagIsOnOnlyWhenItsLineIsExactlyOne) {
  for (const char* flag : {"2", "01", "1 ", " 1", "yes", ""}) {
    store::TOldSettings s = store::ReadOldSettings(
        store::TSettingsForm::Ver120, Lines(std::string("Ver1.20\r\n") + flag + "\r\n0\r\n0\r\n10\r\n10"));
    EXPECT_FALSE(s.StartInTray) << flag;
  }
}

TEST(OldSettingsForms, BrokenOrMissingNumberLineKeepsItsText) {
  store::TOldSettings s =
      store::ReadOldSettings(store::TSettingsForm::Ver120, Lines("Ver1.20\r\n1\r\n0\r\n0\r\n3x"));
  EXPECT_FALSE(s.Interval.Valid);
  EXPECT_EQ("3x", s.Interval.Text);
  EXPECT_FALSE(s.Log.Valid);  // past the end: empty text
  EXPECT_EQ("", s.Log.Text);
  EXPECT_EQ("'3x' is not a valid integer value", store::NotValidIntegerMessage(s.Interval.Text));
}

TEST(OldSettingsForms, ProfileIntegersAreDecimalOrLongHex) {
  int v = 0;
  EXPECT_TRUE(store::ParseProfileInteger("0xFFFFFFFF", &v));
  EXPECT_EQ(-1, v);
  EXPECT_TRUE(store::ParseProfileInteger("-2147483648", &v));
  EXPECT_EQ(INT_MIN, v);
  EXPECT_TRUE(store::ParseProfileInteger("+12", &v));
  EXPECT_EQ(12, v);
  for (const char* no : {"0x", "0x123456789", "0xG", "2147483648", "-", "", "1e3", "x1E"})
    EXPECT_FALSE(store::ParseProfileInteger(no, &v)) << no;
}

TEST(OldSettingsFile, Ver120FileIsReadAndReplacedByTheCurrentForm) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, "Ver1.20\r\n1\r\n0\r\n1\r\n30\r\n150\r\n");
  SettingsTab tab;
  tab.Read(path);
  EXPECT_TRUE(tab.CheckBox3.Checked());
  EXPECT_FALSE(tab.CheckBox4.Checked());
  EXPECT_EQ(0, tab.registrations);
  EXPECT_TRUE(tab.CheckBox5.Checked());
  EXPECT_FALSE(tab.CheckBox1.Checked());
  EXPECT_EQ(30, tab.SpinEdit1.Value());
  EXPECT_EQ(150, tab.SpinEdit2.Value());
  EXPECT_EQ(0, tab.ListView4.Count());

  tab.Write(path);
  EXPECT_EQ(0u, ReadFileBytes(path).find("[Information]\r\nVersion=1.30\r\n"));
  EXPECT_EQ("1", Value(path, "Start", "TaskTorrey"));
  EXPECT_EQ("0", Value(path, "Start", "StartUp"));
  EXPECT_EQ("1", Value(path, "Compare", "DeleteCheck"));
  EXPECT_EQ("0", Value(path, "Compare", "Notice"));
  EXPECT_EQ("30", Value(path, "Integer", "Interval"));
  EXPECT_EQ("150", Value(path, "Integer", "Log"));
  EXPECT_EQ("0", Value(path, "Ignore", "ListCout"));
  EXPECT_FALSE(::GetFileAttributesA((path + ".bak").c_str()) != INVALID_FILE_ATTRIBUTES);

  SettingsTab again;
  again.Read(path);
  EXPECT_TRUE(again.CheckBox3.Checked());
  EXPECT_TRUE(again.CheckBox5.Checked());
  EXPECT_EQ(30, again.SpinEdit1.Value());
  EXPECT_EQ(150, again.SpinEdit2.Value());
}

TEST(OldSettingsFile, RegistrationLineRunsTheClickHandlerAndNumbersAreBroughtIntoRange) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  WriteFileBytes(path, "Ver1.10\n\n\n0\n1\n1\n0\n300\n");  // LF-only breaks
  SettingsTab tab;
  tab.Read(path);
  EXPECT_TRUE(tab.CheckBox4.Checked());
  EXPECT_EQ(1, tab.registrations);
  EXPECT_TRUE(tab.CheckBox5.Checked());
  EXPECT_EQ(1, tab.SpinEdit1.Value());
  EXPECT_EQ(200, tab.SpinEdit2.Value());
}

TEST(OldSettingsFile, BrokenNumberStopsTheReadingWithItsMessage) {
  TempDir dir;
  const std::string path = store::SettingsPath(dir.path());
  const std::string text = "Ver1.00\r\n\r\n\r\n1\r\n1\r\nten\r\n150\r\n";
  WriteFileBytes(path, text);
  SettingsTab tab;
  try {
    tab.Read(path);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ("'ten' is not a valid integer value", std::string(e.what()));
  }
  // The flags before the broken line are read, what follows it is not.
  EXPECT_TRUE(tab.CheckBox3.Checked());
  EXPECT_TRUE(tab.CheckBox4.Checked());
  EXPECT_EQ(10, tab.SpinEdit1.Value());
  EXPECT_EQ(100, tab.SpinEdit2.Value());
  // The file was not read whole: its content is kept aside when it is replaced.
  tab.Write(path);
  EXPECT_EQ(text, ReadFileBytes(path + ".bak"));
  EXPECT_EQ("1", Value(path, "Start", "StartUp"));
}
