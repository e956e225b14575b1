#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "toolkit/AnsiText.h"
#include "ui/Form4.h"

using testsupport::TDialogDriver;
using ui::TForm4;

namespace {

std::string ItemText(HWND tree, HTREEITEM item) {
  char text[MAX_PATH] = {};
  TVITEMA tvi = {};
  tvi.mask = TVIF_TEXT | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.pszText = text;
  tvi.cchTextMax = sizeof text;
  TreeView_GetItem(tree, &tvi);
  return text;
}

int ItemChildren(HWND tree, HTREEITEM item) {
  TVITEMA tvi = {};
  tvi.mask = TVIF_CHILDREN | TVIF_HANDLE;
  tvi.hItem = item;
  TreeView_GetItem(tree, &tvi);
  return tvi.cChildren;
}

std::vector<std::string> ChildTexts(HWND tree, HTREEITEM item) {
  std::vector<std::string> texts;
  for (HTREEITEM c = TreeView_GetChild(tree, item); c; c = TreeView_GetNextSibling(tree, c))
    texts.push_back(ItemText(tree, c));
  return texts;
}

HTREEITEM ChildByText(HWND tree, HTREEITEM item, const std::string& text) {
  for (HTREEITEM c = TreeView_GetChild(tree, item); c; c = TreeView_GetNextSibling(tree, c))
    if (ItemText(tree, c) == text) return c;
  return nullptr;
}

std::string DesktopFolder() {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
  return path;
}

void MakeFolder(const std::string& path) { ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr)); }

}  // namespace

TEST(FolderPicker, OpensHiddenWhereDesignedWithTheCloseBoxOnly) {
  TForm4 picker;
  HWND w = picker.Handle();
  ASSERT_NE(nullptr, w);
  EXPECT_FALSE(::IsWindowVisible(w));
  char caption[64] = {};
  ::GetWindowTextA(w, caption, sizeof caption);
  EXPECT_STREQ("Form4", caption);
  RECT rc;
  ::GetWindowRect(w, &rc);
  EXPECT_EQ(465, rc.left);
  EXPECT_EQ(101, rc.top);
  EXPECT_EQ(240, rc.right - rc.left);
  EXPECT_EQ(330, rc.bottom - rc.top);
  LONG style = ::GetWindowLongA(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_NE(nullptr, ::FindWindowExA(w, nullptr, "STATIC", "フォルダを選択してください"));
  // Nothing of the picker takes the roles of Enter and Esc.
  EXPECT_EQ(nullptr, ::GetDlgItem(w, IDOK));
  EXPECT_EQ(nullptr, ::GetDlgItem(w, IDCANCEL));
  EXPECT_EQ(BS_PUSHBUTTON, ::GetWindowLongA(picker.Button1Handle(), GWL_STYLE) & 0x0F);
}

TEST(FolderPickerTree, DesktopIsTheRootFilledExpandedAndSelectedAtCreation) {
  TForm4 picker;
  HWND tree = picker.ShellTreeView1.Handle();
  HTREEITEM root = TreeView_GetRoot(tree);
  ASSERT_NE(nullptr, root);
  EXPECT_EQ(nullptr, TreeView_GetNextSibling(tree, root));
  EXPECT_EQ(root, TreeView_GetSelection(tree));
  EXPECT_TRUE(TreeView_GetItemState(tree, root, TVIS_EXPANDED) & TVIS_EXPANDED);
  EXPECT_NE(nullptr, TreeView_GetChild(tree, root));
  EXPECT_EQ(DesktopFolder(), picker.SelectedPath());

  EXPECT_EQ(19, static_cast<int>(TreeView_GetIndent(tree)));
  LONG style = ::GetWindowLongA(tree, GWL_STYLE);
  EXPECT_TRUE(style & TVS_HASBUTTONS);
  EXPECT_TRUE(style & TVS_HASLINES);
  EXPECT_FALSE(style & TVS_LINESATROOT);
}

TEST(FolderPickerTree, ListsSubFoldersOnlySortedWhenFirstExpanded) {
  testsupport::TempDir dir;
  MakeFolder(dir.file("zeta"));
  MakeFolder(dir.file("zeta\\inner"));
  MakeFolder(dir.file("Alpha"));
  MakeFolder(dir.file("mid"));
  MakeFolder(dir.file("secret"));
  ::SetFileAttributesA(dir.file("secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
  testsupport::WriteFileBytes(dir.file("file.txt"), "x");

  TForm4 picker;
  HWND tree = picker.ShellTreeView1.Handle();
  ASSERT_TRUE(picker.ShellTreeView1.SelectPath(dir.path()));
  HTREEITEM node = TreeView_GetSelection(tree);
  EXPECT_EQ(dir.path(), picker.SelectedPath());
  // Nothing is asked of the shell before the node is opened, but it shows a button.
  EXPECT_EQ(nullptr, TreeView_GetChild(tree, node));
  EXPECT_EQ(1, ItemChildren(tree, node));

  TreeView_Expand(tree, node, TVE_EXPAND);
  EXPECT_EQ((std::vector<std::string>{"Alpha", "mid", "zeta"}), ChildTexts(tree, node));

  HTREEITEM zeta = ChildByText(tree, node, "zeta");
  EXPECT_EQ(1, ItemChildren(tree, zeta));
  EXPECT_EQ(dir.file("zeta"), picker.ShellTreeView1.PathOf(zeta));

  // A folder without sub-folders loses its button once opened, if it had one.
  HTREEITEM alpha = ChildByText(tree, node, "Alpha");
  TreeView_Expand(tree, alpha, TVE_EXPAND);
  EXPECT_EQ(nullptr, TreeView_GetChild(tree, alpha));
  EXPECT_EQ(0, ItemChildren(tree, alpha));
}

TEST(FolderPickerTree, ADriveRootIsReachedThroughTheShell) {
  TForm4 picker;
  ASSERT_TRUE(picker.ShellTreeView1.SelectPath("C:\\"));
  EXPECT_EQ("C:\\", picker.SelectedPath());
  EXPECT_FALSE(picker.ShellTreeView1.SelectPath("C:\\no such folder here"));
  EXPECT_EQ("C:\\", picker.SelectedPath());
}

// OK follows the selection: only a folder with a path in the file system can be
// chosen, never a node of the shell's namespace that has none.
TEST(FolderPicker, OkIsEnabledForFoldersOfTheFileSystemOnly) {
  testsupport::TempDir dir;
  TForm4 picker;
  HWND ok = picker.Button1Handle();
  EXPECT_TRUE(::IsWindowEnabled(ok));  // the desktop, a folder of the user's
  ASSERT_TRUE(picker.ShellTreeView1.SelectPath("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
  EXPECT_EQ(0u, picker.ShellTreeView1.SelectedPath().find("::{"));  // its parsing name
  EXPECT_EQ("", picker.SelectedPath());
  EXPECT_FALSE(::IsWindowEnabled(ok));
  picker.Button1Click();  // a click that reached it all the same chooses nothing
  EXPECT_NE(ui::kPickerConfirmed, picker.Tag);
  ASSERT_TRUE(picker.ShellTreeView1.SelectPath(dir.path()));
  EXPECT_EQ(dir.path(), picker.SelectedPath());
  EXPECT_TRUE(::IsWindowEnabled(ok));

  // A folder whose name the code page cannot hold: its text would name no folder.
  MakeFolder(dir.file("plain"));
  ASSERT_TRUE(::CreateDirectoryW(toolkit::Widen(dir.file("caf")).append(L"\u00E9").c_str(),
                                 nullptr));
  HWND tree = picker.ShellTreeView1.Handle();
  HTREEITEM node = TreeView_GetSelection(tree);
  TreeView_Expand(tree, node, TVE_EXPAND);
  std::vector<std::string> chosen;
  for (HTREEITEM c = TreeView_GetChild(tree, node); c; c = TreeView_GetNextSibling(tree, c)) {
    TreeView_SelectItem(tree, c);
    chosen.push_back(picker.SelectedPath());
    EXPECT_EQ(!chosen.back().empty(), ::IsWindowEnabled(ok) != FALSE);
  }
  EXPECT_EQ((std::vector<std::string>{"", dir.file("plain")}), chosen);
}

TEST(FolderPickerTree, RenamingANodeIsRefused) {
  TForm4 picker;
  HWND tree = picker.ShellTreeView1.Handle();
  HTREEITEM node = TreeView_GetChild(tree, TreeView_GetRoot(tree));
  ASSERT_NE(nullptr, node);
  std::string before = ItemText(tree, node);
  EXPECT_EQ(nullptr, TreeView_EditLabel(tree, node));
  EXPECT_EQ(nullptr, TreeView_GetEditControl(tree));
  EXPECT_EQ(before, ItemText(tree, node));

  // The refusal is the handler's: the tree itself lets a node be renamed.
  picker.ShellTreeView1.OnEditing = [](HTREEITEM) { return true; };
  EXPECT_NE(nullptr, TreeView_EditLabel(tree, node));
  TreeView_EndEditLabelNow(tree, TRUE);
}

TEST(FolderPickerKeys, EnterAndEscapePressNothing) {
  TForm4 picker;
  picker.Tag = ui::kPickerNotConfirmed;
  TDialogDriver driver(TForm4::kClassName,
                       {[](HWND) { TDialogDriver::PressKey(nullptr, VK_RETURN); },
                        [](HWND) { TDialogDriver::PressKey(nullptr, VK_ESCAPE); },
                        [&](HWND w) {
                          EXPECT_EQ(picker.ShellTreeView1.Handle(), ::GetFocus());
                          TDialogDriver::Click(picker.Button2Handle());
                        }});
  picker.ShowModal();
  EXPECT_TRUE(driver.Finished());  // the picker was still open for the last step
  EXPECT_FALSE(driver.LeftOpen());
  EXPECT_EQ(ui::kPickerNotConfirmed, picker.Tag);
}

TEST(FolderPickerMouse, ARightClickSelectsTheNodeUnderThePointer) {
  TForm4 picker;
  HWND tree = picker.ShellTreeView1.Handle();
  HTREEITEM target = TreeView_GetNextSibling(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
  ASSERT_NE(nullptr, target);
  TDialogDriver driver(TForm4::kClassName,
                       {[&](HWND) {
                          RECT rc;
                          TreeView_GetItemRect(tree, target, &rc, TRUE);
                          POINT at = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
                          POINT screen = at;
                          ::ClientToScreen(tree, &screen);
                          ::SetCursorPos(screen.x, screen.y);
                        },
                        // The pointer reaches the server a little after it was moved,
                        // and under load another program's window may report the old
                        // place meanwhile; the click's position is the server's, so
                        // the click waits until the pointer is there.
                        [&](HWND) {
                          RECT rc;
                          TreeView_GetItemRect(tree, target, &rc, TRUE);
                          POINT at = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
                          POINT screen = at;
                          ::ClientToScreen(tree, &screen);
                          for (int tries = 0; tries < 100; ++tries) {
                            POINT now = {};
                            ::GetCursorPos(&now);
                            if (now.x == screen.x && now.y == screen.y) break;
                            ::SetCursorPos(screen.x, screen.y);
                            ::Sleep(20);
                          }
                          ::PostMessageA(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
                          ::PostMessageA(tree, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
                        },
                        [&](HWND w) {
                          EXPECT_EQ(target, TreeView_GetSelection(tree));
                          ::PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
                        }});
  picker.ShowModal();
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(target, TreeView_GetSelection(tree));
}
