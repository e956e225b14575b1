// A tree of the shell's folders, rooted at the desktop, as the folder picker shows
// it. Each node owns the absolute item ID list of its folder; its children are
// asked of the shell only when the node is first expanded, since enumerating a
// network neighbourhood or a slow drive up front would stall the window. Nothing
// is re-read later: the tree shows the folders as they were when first opened.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/ComRef.h"
#include "toolkit/Controls.h"
#include "toolkit/Handle.h"

namespace ui {

class TShellTreeView {
public:
  // Asked when the user starts to rename a node in place; true lets the edit
  // begin. Without a handler renaming is allowed, as the control's own default.
  std::function<bool(HTREEITEM node)> OnEditing;
  // The selection moved to another node.
  std::function<void(HTREEITEM node)> OnChange;

  TShellTreeView() = default;
  TShellTreeView(const TShellTreeView&) = delete;
  TShellTreeView& operator=(const TShellTreeView&) = delete;

  // Creates the tree with its desktop root filled, expanded and selected. Throws
  // when the shell gives no desktop.
  HWND Create(HWND parent, const toolkit::TControlArgs& args);
  HWND Handle() const { return hwnd_; }
  // The tree's notifications; its window passes them here (see toolkit::TWindow).
  bool HandleNotify(const NMHDR* header, LRESULT* result);

  HTREEITEM Root() const { return root_; }
  HTREEITEM Selected() const;
  // The shell's parsing name of the selected folder (for a folder of the file
  // system its full path); empty with no node selected.
  std::string SelectedPath() const;
  // The parsing name of a node's folder.
  std::string PathOf(HTREEITEM node) const;
  // The file-system path of a node's folder; empty for a folder of the shell's
  // namespace that has none (the computer, the network, the control panel),
  // whose parsing name is a GUID-like text no program path contains, and for
  // one whose path the code page cannot hold.
  std::string FolderPathOf(HTREEITEM node) const;
  // Selects the folder of a parsing name, expanding the nodes above it as a user
  // would. False, selection untouched, when the tree does not lead there.
  bool SelectPath(const std::string& path);
  // Asks the shell for a node's sub-folders unless that was done before.
  void FillChildren(HTREEITEM node);

private:
  struct TNode {
    toolkit::ItemIdList Absolute;  // relative to the desktop; empty for the desktop itself
    bool Filled = false;           // the sub-folders were enumerated
  };
  TNode* NodeOf(HTREEITEM item) const;
  HTREEITEM InsertNode(HTREEITEM parent, toolkit::ItemIdList absolute, bool hasSubFolders);
  std::string ParsingName(LPCITEMIDLIST absolute) const;
  void SelectUnderPointer();

  toolkit::ComRef<IShellFolder> desktop_;
  std::vector<std::unique_ptr<TNode>> nodes_;
  HWND hwnd_ = nullptr;
  HTREEITEM root_ = nullptr;
};

}  // namespace ui
