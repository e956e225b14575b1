#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "store/Settings.h"
#include "toolkit/AnsiText.h"
#include "ui/Startup.h"

using testsupport::ReadFileBytes;
using testsupport::Exists;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// The settings tab as the main window wires it: CheckBox4's click registers.
struct Start {
  TempDir program;
  TempDir startupFolder;
  ui::TStartupFolderOverride startup{toolkit::Widen(startupFolder.path())};
  std::string exe = program.file("Vantry.exe");
  std::string ini = store::SettingsPath(program.path());
  std::string link = startupFolder.file("VTY.lnk");

  toolkit::TCheckBox CheckBox3, CheckBox4, CheckBox5, CheckBox1;
  toolkit::TSpinEdit SpinEdit1{1, 60, 10};
  toolkit::TSpinEdit SpinEdit2{10, 200, 100};
  toolkit::TListView ListView4;
  store::TLineBuffer Memo2;
  store::TSettingsFileState state;

  Start() {
    WriteFileBytes(exe, "MZ");
    CheckBox4.OnClick = [this] {
      ui::ApplyStartupRegistration(CheckBox4.Checked(), toolkit::Widen(program.path()),
                                   toolkit::Widen(exe), ui::GetStartupFolder());
    };
  }
  void ReadSettings() {
    store::ReadSettings(ini, Memo2,
                        {CheckBox3, CheckBox4, CheckBox5, CheckBox1, SpinEdit1, SpinEdit2, ListView4},
                        {}, state);
  }
};

}  // namespace

TEST(StartupAtStart, RegistrationOnInTheSettingsPutsBackADeletedShortcut) {
  Start start;
  WriteFileBytes(start.ini, "[Information]\r\n[Start]\r\nStartUp=1\r\n");
  ASSERT_FALSE(Exists(start.link));
  start.ReadSettings();
  EXPECT_TRUE(start.CheckBox4.Checked());
  ASSERT_TRUE(Exists(start.link));
  EXPECT_FALSE(Exists(start.program.file("VYT.lnk")));
}

TEST(StartupAtStart, RegistrationOffInTheSettingsLeavesAShortcutOfTheUsersAlone) {
  Start start;
  WriteFileBytes(start.ini, "[Information]\r\n[Start]\r\nStartUp=0\r\n");
  WriteFileBytes(start.link, "put there by hand");
  WriteFileBytes(start.program.file("VYT.lnk"), "stray");
  start.ReadSettings();
  EXPECT_EQ("put there by hand", ReadFileBytes(start.link));
  EXPECT_EQ("stray", ReadFileBytes(start.program.file("VYT.lnk")));
}

TEST(StartupAtStart, OlderFormRegistrationLineRegistersToo) {
  Start start;
  WriteFileBytes(start.ini, "Ver1.20\r\n0\r\n1\r\n0\r\n10\r\n100\r\n");
  start.ReadSettings();
  EXPECT_TRUE(Exists(start.link));
}
