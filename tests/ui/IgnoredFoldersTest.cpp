#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "ui/IgnoredFolders.h"

using testsupport::TDialogDriver;
using ui::TForm4;

namespace {

// The computer: a node of the shell's namespace with no path of its own.
constexpr char kComputer[] = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

std::string DesktopFolder() {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
  return path;
}

// One use of "追加" in which the user does `step` and then leaves the picker by
// the control `leave` gives (its OK or キャンセル button, or the close box).
enum TLeave { byOk, byCancel, byCloseBox };

void AddWithPicker(toolkit::TListView& list, TForm4& picker, TLeave leave,
                   TDialogDriver::Step step = [](HWND) {}) {
  TDialogDriver driver(TForm4::kClassName,
                       {step, [&](HWND w) {
                          if (leave == byOk) TDialogDriver::Click(picker.Button1Handle());
                          else if (leave == byCancel) TDialogDriver::Click(picker.Button2Handle());
                          else ::PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
                        }});
  ui::AddIgnoredFolder(list, picker);
  EXPECT_TRUE(driver.Finished());
  EXPECT_FALSE(driver.LeftOpen());
}

std::vector<std::string> Captions(const toolkit::TListView& list) {
  std::vector<std::string> captions;
  for (const toolkit::TListItem& item : list.Items()) captions.push_back(item.Caption);
  return captions;
}

}  // namespace

TEST(IgnoredFolderEntry, EndsInExactlyOneBackslash) {
  EXPECT_EQ("C:\\Program Files\\", ui::IgnoredFolderEntry("C:\\Program Files"));
  EXPECT_EQ("C:\\", ui::IgnoredFolderEntry("C:\\"));
  EXPECT_EQ("\\\\server\\share\\", ui::IgnoredFolderEntry("\\\\server\\share"));
  // Any text takes the backslash; the picker hands over file-system paths only.
  EXPECT_EQ("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\",
            ui::IgnoredFolderEntry("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
}

TEST(IgnoredFolderEntry, ATrailingByteOf0x5CIsNotABackslash) {
  // "ソ" is 83 5C and "表" is 95 5C in CP932.
  ASSERT_EQ("\x83\x5C", std::string("ソ"));
  EXPECT_EQ("C:\\ソ\\", ui::IgnoredFolderEntry("C:\\ソ"));
  EXPECT_EQ("D:\\表\\", ui::IgnoredFolderEntry("D:\\表"));
  EXPECT_EQ("D:\\表\\", ui::IgnoredFolderEntry("D:\\表\\"));
}

TEST(IgnoredFolderEntry, NoFolderGivesNoEntry) {
  // A lone "\" would be found inside every path and silence the whole monitoring.
  EXPECT_EQ("", ui::IgnoredFolderEntry(""));
}

TEST(IgnoredFolders, OkOnTheFirstUseAddsTheDesktopFolder) {
  toolkit::TListView list;
  TForm4 picker;
  AddWithPicker(list, picker, byOk);
  EXPECT_EQ(ui::kPickerConfirmed, picker.Tag);
  EXPECT_EQ((std::vector<std::string>{DesktopFolder() + "\\"}), Captions(list));
}

TEST(IgnoredFolders, CancelAndTheCloseBoxAddNothing) {
  toolkit::TListView list;
  list.Add("C:\\Old\\");
  TForm4 picker;
  picker.Tag = ui::kPickerConfirmed;  // left over from an earlier use
  AddWithPicker(list, picker, byCancel);
  EXPECT_EQ(ui::kPickerNotConfirmed, picker.Tag);
  AddWithPicker(list, picker, byCloseBox);
  EXPECT_EQ(ui::kPickerNotConfirmed, picker.Tag);
  EXPECT_EQ((std::vector<std::string>{"C:\\Old\\"}), Captions(list));
}

TEST(IgnoredFolders, SameFolderTwiceGivesTwoRowsAndRemovingOneLeavesTheOther) {
  testsupport::TempDir dir;
  toolkit::TListView list;
  TForm4 picker;
  auto choose = [&](HWND) { EXPECT_TRUE(picker.ShellTreeView1.SelectPath(dir.path())); };
  AddWithPicker(list, picker, byOk, choose);
  AddWithPicker(list, picker, byOk, choose);
  std::string entry = dir.path() + "\\";
  EXPECT_EQ((std::vector<std::string>{entry, entry}), Captions(list));

  list.SetSelected(1);
  ui::RemoveIgnoredFolder(list);
  EXPECT_EQ((std::vector<std::string>{entry}), Captions(list));
}

TEST(IgnoredFolders, RemovingWithNoSelectionDoesNothing) {
  toolkit::TListView list;
  list.Add("C:\\A\\");
  list.Add("C:\\B\\");
  list.SetSelected(-1);
  ui::RemoveIgnoredFolder(list);
  EXPECT_EQ((std::vector<std::string>{"C:\\A\\", "C:\\B\\"}), Captions(list));
  list.SetSelected(0);
  ui::RemoveIgnoredFolder(list);
  EXPECT_EQ((std::vector<std::string>{"C:\\B\\"}), Captions(list));
}

TEST(IgnoredFolders, ADriveRootIsAddedWithOneBackslash) {
  toolkit::TListView list;
  TForm4 picker;
  AddWithPicker(list, picker, byOk,
                [&](HWND) { EXPECT_TRUE(picker.ShellTreeView1.SelectPath("C:\\")); });
  EXPECT_EQ((std::vector<std::string>{"C:\\"}), Captions(list));
}

TEST(IgnoredFolders, ThePickerKeepsItsSelectionBetweenUses) {
  testsupport::TempDir dir;
  toolkit::TListView list;
  TForm4 picker;
  AddWithPicker(list, picker, byOk,
                [&](HWND) { EXPECT_TRUE(picker.ShellTreeView1.SelectPath(dir.path())); });
  // The second time the user touches nothing.
  AddWithPicker(list, picker, byOk, [&](HWND) {
    HWND tree = picker.ShellTreeView1.Handle();
    EXPECT_EQ(dir.path(), picker.ShellTreeView1.PathOf(TreeView_GetSelection(tree)));
    EXPECT_TRUE(TreeView_GetItemState(tree, TreeView_GetRoot(tree), TVIS_EXPANDED) &
                TVIS_EXPANDED);
  });
  std::string entry = dir.path() + "\\";
  EXPECT_EQ((std::vector<std::string>{entry, entry}), Captions(list));
}

// OK is disabled while no folder of the file system is selected: with nothing
// selected, and (the fault as it was met) with the computer node, whose GUID-like
// parsing name was once stored as an ignored folder.
TEST(IgnoredFolders, OkChoosesNothingWithoutAFolderOfTheFileSystem) {
  TForm4 picker;
  const std::vector<TDialogDriver::Step> selections = {
      [&](HWND) { TreeView_SelectItem(picker.ShellTreeView1.Handle(), nullptr); },
      [&](HWND) { ASSERT_TRUE(picker.ShellTreeView1.SelectPath(kComputer)); },
  };
  for (const TDialogDriver::Step& select : selections) {
    toolkit::TListView list;
    list.Add("C:\\Old\\");
    TDialogDriver driver(TForm4::kClassName,
                         {select, [&](HWND) { TDialogDriver::Click(picker.Button1Handle()); },
                          [&](HWND w) {
                            EXPECT_TRUE(::IsWindowVisible(w));  // OK did nothing
                            EXPECT_FALSE(::IsWindowEnabled(picker.Button1Handle()));
                            TDialogDriver::Click(picker.Button2Handle());
                          }});
    ui::AddIgnoredFolder(list, picker);
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.LeftOpen());
    EXPECT_FALSE(picker.Confirmed());
    EXPECT_EQ((std::vector<std::string>{"C:\\Old\\"}), Captions(list));
  }
}
