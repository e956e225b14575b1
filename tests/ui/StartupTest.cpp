#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "TestSupport.h"
#include "toolkit/AnsiText.h"
#include "toolkit/ComRef.h"
#include "toolkit/Handle.h"
#include "toolkit/Controls.h"
#include "ui/Startup.h"

using testsupport::ReadFileBytes;
using testsupport::Exists;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using toolkit::Widen;

namespace {

struct LinkFacts {
  std::wstring Target;
  std::wstring Arguments;
  std::wstring WorkingDirectory;
  // The target as the shell finds it, through the link's item ID list. Wine's
  // GetPath answers from the link's ANSI copy of the path, look-alikes and all;
  // Windows keeps a Unicode copy too.
  std::wstring Resolved;
  int ShowCommand = -1;
};

// Loads a shortcut back through the shell's own reader.
LinkFacts LoadShortCut(const std::wstring& path) {
  LinkFacts facts;
  toolkit::ComRef<IShellLinkW> link;
  EXPECT_EQ(S_OK, ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, link.putVoid()));
  if (!link) return facts;
  toolkit::ComRef<IPersistFile> file;
  EXPECT_EQ(S_OK, link->QueryInterface(IID_IPersistFile, file.putVoid()));
  if (!file) return facts;
  EXPECT_EQ(S_OK, file->Load(path.c_str(), STGM_READ)) << toolkit::Utf8Of(path);
  wchar_t text[MAX_PATH] = {};
  if (link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) facts.Target = text;
  text[0] = 0;
  if (link->GetArguments(text, MAX_PATH) == S_OK) facts.Arguments = text;
  text[0] = 0;
  if (link->GetWorkingDirectory(text, MAX_PATH) == S_OK) facts.WorkingDirectory = text;
  toolkit::ItemIdList items;
  text[0] = 0;
  if (link->GetIDList(items.put()) == S_OK && ::SHGetPathFromIDListW(items.get(), text))
    facts.Resolved = text;
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
LinkFacts LoadShortCut(const std::string& path) { return LoadShortCut(Widen(path)); }

// A program folder with a stand-in executable, and a Startup folder of the test's own.
struct Registration {
  TempDir program;
  TempDir startup;
  std::string exe = program.file("Vantry.exe");
  std::string link = startup.file("VTY.lnk");
  std::string temporary = program.file("VYT.lnk");
  Registration() { WriteFileBytes(exe, "MZ"); }
  void Apply(bool on) {
    ui::ApplyStartupRegistration(on, Widen(program.path()), Widen(exe), Widen(startup.path()));
  }
};

}  // namespace

TEST(StartupRegistration, SwitchingOnPutsAShortcutToTheProgramIntoTheStartupFolder) {
  Registration r;
  r.Apply(true);
  ASSERT_TRUE(Exists(r.link));
  EXPECT_FALSE(Exists(r.temporary));
  LinkFacts facts = LoadShortCut(r.link);
  EXPECT_EQ(0, _wcsicmp(Widen(r.exe).c_str(), facts.Target.c_str()));
  EXPECT_EQ(L"", facts.Arguments);
  EXPECT_EQ(Widen(r.program.path()) + L"\\", facts.WorkingDirectory);
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
  EXPECT_EQ(0, _wcsicmp(Widen(r.exe).c_str(), LoadShortCut(r.link).Target.c_str()));
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
  ui::ApplyStartupRegistration(true, Widen(r.program.path()), Widen(r.exe), L"");
  ui::ApplyStartupRegistration(false, Widen(r.program.path()), Widen(r.exe), L"");
  EXPECT_EQ("left by a failed move", ReadFileBytes(r.temporary));
}

// "ソ" is 0x83 0x5C in CP932: its second byte is the byte of "\". The other
// folders' names no code page holds, as a user's profile folder may have.
TEST(StartupRegistration, FoldersOfAnyNameGetTheirShortcut) {
  TempDir base;
  for (const std::wstring& name : {Widen("ソ"), std::wstring(L"Jos\u00E9 \uAE40\uBBFC\uC900")}) {
    const std::wstring program = Widen(base.path()) + L"\\" + name;
    const std::wstring startup = program + L"\\Startup";
    testsupport::CreateFolders(startup);
    const std::wstring exe = program + L"\\Vantry.exe";
    WriteFileBytes(exe, "MZ");
    ui::ApplyStartupRegistration(true, program, exe, startup);
    const std::wstring link = startup + L"\\VTY.lnk";
    const std::string where = toolkit::Utf8Of(program);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(link.c_str())) << where;
    EXPECT_EQ(program + L"\\", LoadShortCut(link).WorkingDirectory) << where;
    EXPECT_EQ(exe, LoadShortCut(link).Resolved) << where;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((program + L"\\VYT.lnk").c_str()));
    ui::ApplyStartupRegistration(false, program, exe, startup);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(link.c_str())) << where;
  }
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
  ui::TStartupFolderOverride startup(Widen(r.startup.path()));
  toolkit::TCheckBox CheckBox4;
  CheckBox4.OnClick = [&] {
    ui::ApplyStartupRegistration(CheckBox4.Checked(), Widen(r.program.path()), Widen(r.exe),
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
  const std::wstring folder = Widen(dir.path());
  const std::wstring exe = folder + L"\\Vantry.exe";
  WriteFileBytes(exe, "MZ");
  ASSERT_TRUE(ui::CreateShortCut(folder + L"\\max.lnk", exe, L"/x", folder, ui::wsMaximized));
  LinkFacts facts = LoadShortCut(dir.file("max.lnk"));
  EXPECT_EQ(SW_SHOWMAXIMIZED, facts.ShowCommand);
  EXPECT_EQ(L"/x", facts.Arguments);
  EXPECT_EQ(folder, facts.WorkingDirectory);
  ASSERT_TRUE(ui::CreateShortCut(folder + L"\\min.lnk", exe, L"", folder, ui::wsMinimized));
  EXPECT_EQ(SW_MINIMIZE, LoadShortCut(dir.file("min.lnk")).ShowCommand);
}

TEST(ShortCut, UnwritableLinkFileGivesFalse) {
  TempDir dir;
  const std::wstring folder = Widen(dir.path());
  WriteFileBytes(folder + L"\\Vantry.exe", "MZ");
  EXPECT_FALSE(ui::CreateShortCut(folder + L"\\missing\\x.lnk", folder + L"\\Vantry.exe", L"",
                                  folder, ui::wsNormal));
}

TEST(StartupFolder, ShellGivesTheUsersStartupFolderWithoutTrailingSeparator) {
  std::wstring folder = ui::GetStartupFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(L'\\', folder.back());
  {
    ui::TStartupFolderOverride fake(L"C:\\elsewhere");
    EXPECT_EQ(L"C:\\elsewhere", ui::GetStartupFolder());
  }
  EXPECT_EQ(folder, ui::GetStartupFolder());
}
