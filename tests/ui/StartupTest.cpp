#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "TestSupport.h"
#include "toolkit/ComRef.h"
#include "toolkit/Controls.h"
#include "ui/Startup.h"

using testsupport::ReadFileBytes;
using testsupport::Exists;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

struct LinkFacts {
  std::string Target;
  std::string Arguments;
  std::string WorkingDirectory;
  int ShowCommand = -1;
};

// Loads a shortcut back through the shell's own reader.
LinkFacts LoadShortCut(const std::string& path) {
  LinkFacts facts;
  toolkit::ComRef<IShellLinkA> link;
  EXPECT_EQ(S_OK, ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, link.putVoid()));
  if (!link) return facts;
  toolkit::ComRef<IPersistFile> file;
  EXPECT_EQ(S_OK, link->QueryInterface(IID_IPersistFile, file.putVoid()));
  if (!file) return facts;
  wchar_t wide[MAX_PATH] = {};
  ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  EXPECT_EQ(S_OK, file->Load(wide, STGM_READ)) << path;
  char text[MAX_PATH] = {};
  if (link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) facts.Target = text;
  text[0] = 0;
  if (link->GetArguments(text, MAX_PATH) == S_OK) facts.Arguments = text;
  text[0] = 0;
  if (link->GetWorkingDirectory(text, MAX_PATH) == S_OK) facts.WorkingDirectory = text;
  // Wine's reader reports every show command as SW_SHOWNORMAL, so that one is
  // taken from the file's header (a 32-bit field at offset 60).
  std::string bytes = ReadFileBytes(path);
  if (bytes.size() >= 64) {
    facts.ShowCommand = static_cast<unsigned char>(bytes[60]) |
                        static_cast<unsigned char>(bytes[61]) << 8 |
                        static_cast<unsigned char>(bytes[62]) << 16 |
                        static_cast<unsigned char>(bytes[63]) << 24;
  }
  return facts;
}

// A program folder with a stand-in executable, and a Startup folder of the test's own.
struct Registration {
  TempDir program;
  TempDir startup;
  std::string exe = program.file("Vantry.exe");
  std::string link = startup.file("VTY.lnk");
  std::string temporary = program.file("VYT.lnk");
  Registration() { WriteFileBytes(exe, "MZ"); }
  void Apply(bool on) { ui::ApplyStartupRegistration(on, program.path(), exe, startup.path()); }
};

}  // namespace

TEST(StartupRegistration, SwitchingOnPutsAShortcutToTheProgramIntoTheStartupFolder) {
  Registration r;
  r.Apply(true);
  ASSERT_TRUE(Exists(r.link));
  EXPECT_FALSE(Exists(r.temporary));
  LinkFacts facts = LoadShortCut(r.link);
  EXPECT_STRCASEEQ(r.exe.c_str(), facts.Target.c_str());
  EXPECT_EQ("", facts.Arguments);
  EXPECT_EQ(r.program.path() + "\\", facts.WorkingDirectory);
  EXPECT_EQ(SW_SHOWNORMAL, facts.ShowCommand);
}

TEST(StartupRegistration, ExistingShortcutIsNeitherExaminedNorRewritten) {
  Registration r;
  WriteFileBytes(r.link, "made by the user");
  r.Apply(true);
  EXPECT_EQ("made by the user", ReadFileBytes(r.link));
  EXPECT_FALSE(Exists(r.temporary));
}

TEST(StartupRegistration, SwitchingOffDeletesTheShortcut) {
  Registration r;
  r.Apply(true);
  ASSERT_TRUE(Exists(r.link));
  r.Apply(false);
  EXPECT_FALSE(Exists(r.link));
  r.Apply(false);  // none there: nothing to do, nothing made
  EXPECT_FALSE(Exists(r.link));
  EXPECT_FALSE(Exists(r.temporary));
}

TEST(StartupRegistration, StrayTemporaryShortcutIsMovedInWhenOn) {
  Registration r;
  WriteFileBytes(r.temporary, "left by a failed move");
  r.Apply(true);
  EXPECT_FALSE(Exists(r.temporary));
  ASSERT_TRUE(Exists(r.link));
  // Made afresh over the stray file before the move.
  EXPECT_STRCASEEQ(r.exe.c_str(), LoadShortCut(r.link).Target.c_str());
}

TEST(StartupRegistration, StrayTemporaryShortcutIsMovedAndDeletedWhenOff) {
  Registration r;
  WriteFileBytes(r.temporary, "left by a failed move");
  r.Apply(false);
  EXPECT_FALSE(Exists(r.temporary));
  EXPECT_FALSE(Exists(r.link));
}

TEST(StartupRegistration, StrayTemporaryShortcutStaysWhenTheStartupFolderHasOne) {
  Registration r;
  WriteFileBytes(r.link, "made by the user");
  WriteFileBytes(r.temporary, "left by a failed move");
  r.Apply(true);
  EXPECT_EQ("made by the user", ReadFileBytes(r.link));
  EXPECT_EQ("left by a failed move", ReadFileBytes(r.temporary));
}

TEST(StartupRegistration, UndeterminedStartupFolderMakesAndDeletesNothing) {
  Registration r;
  WriteFileBytes(r.temporary, "left by a failed move");
  ui::ApplyStartupRegistration(true, r.program.path(), r.exe, "");
  ui::ApplyStartupRegistration(false, r.program.path(), r.exe, "");
  EXPECT_EQ("left by a failed move", ReadFileBytes(r.temporary));
}

TEST(StartupRegistration, FolderWhoseNameEndsInASeparatorByteGetsItsOwnSeparator) {
  // "ソ" is 0x83 0x5C in CP932: its second byte is the byte of "\".
  TempDir base;
  const std::string program = base.file("ソ");
  ASSERT_TRUE(::CreateDirectoryA(program.c_str(), nullptr));
  TempDir startup;
  const std::string exe = program + "\\Vantry.exe";
  WriteFileBytes(exe, "MZ");
  ui::ApplyStartupRegistration(true, program, exe, startup.path());
  const std::string link = startup.file("VTY.lnk");
  ASSERT_TRUE(Exists(link));
  EXPECT_EQ(program + "\\", LoadShortCut(link).WorkingDirectory);
  EXPECT_FALSE(Exists(program + "\\VYT.lnk"));
}

TEST(StartupRegistration, FolderAsAStartupLinkNameIsNotTakenForAShortcut) {
  Registration r;
  ASSERT_TRUE(::CreateDirectoryA(r.link.c_str(), nullptr));
  r.Apply(false);  // not a file: not deleted
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(r.link.c_str()));
  r.Apply(true);  // not a file: a shortcut is made, and its move fails
  EXPECT_TRUE(Exists(r.temporary));
}

TEST(StartupRegistration, CheckBoxRunsTheRegistrationOnEveryChange) {
  Registration r;
  ui::TStartupFolderOverride startup(r.startup.path());
  toolkit::TCheckBox CheckBox4;
  CheckBox4.OnClick = [&] {
    ui::ApplyStartupRegistration(CheckBox4.Checked(), r.program.path(), r.exe,
                                 ui::GetStartupFolder());
  };
  CheckBox4.SetChecked(true);
  EXPECT_TRUE(Exists(r.link));
  ::DeleteFileA(r.link.c_str());  // the user deletes it by hand
  CheckBox4.SetChecked(true);     // no change of state: no click
  EXPECT_FALSE(Exists(r.link));
  CheckBox4.SetChecked(false);
  CheckBox4.SetChecked(true);
  EXPECT_TRUE(Exists(r.link));
  CheckBox4.SetChecked(false);
  EXPECT_FALSE(Exists(r.link));
}

TEST(ShortCut, ShowCommandFollowsTheWindowState) {
  TempDir dir;
  const std::string exe = dir.file("Vantry.exe");
  WriteFileBytes(exe, "MZ");
  ASSERT_TRUE(ui::CreateShortCut(dir.file("max.lnk"), exe, "/x", dir.path(), ui::wsMaximized));
  LinkFacts facts = LoadShortCut(dir.file("max.lnk"));
  EXPECT_EQ(SW_SHOWMAXIMIZED, facts.ShowCommand);
  EXPECT_EQ("/x", facts.Arguments);
  EXPECT_EQ(dir.path(), facts.WorkingDirectory);
  ASSERT_TRUE(ui::CreateShortCut(dir.file("min.lnk"), exe, "", dir.path(), ui::wsMinimized));
  EXPECT_EQ(SW_MINIMIZE, LoadShortCut(dir.file("min.lnk")).ShowCommand);
}

TEST(ShortCut, UnwritableLinkFileGivesFalse) {
  TempDir dir;
  const std::string exe = dir.file("Vantry.exe");
  WriteFileBytes(exe, "MZ");
  EXPECT_FALSE(ui::CreateShortCut(dir.file("missing\\x.lnk"), exe, "", dir.path(), ui::wsNormal));
}

TEST(StartupFolder, ShellGivesTheUsersStartupFolderWithoutTrailingSeparator) {
  std::string folder = ui::GetStartupFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE('\\', folder.back());
  {
    ui::TStartupFolderOverride fake("C:\\elsewhere");
    EXPECT_EQ("C:\\elsewhere", ui::GetStartupFolder());
  }
  EXPECT_EQ(folder, ui::GetStartupFolder());
}
