// The folder picker: a small modal window with the shell's folder tree, made once
// at start and shown again for every use, so that the tree keeps its expanded
// branches and its selection from one use to the next. Only a folder of the file
// system can be chosen: OK is disabled while a node of the shell's namespace
// without a path (the computer, the network) is selected.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/Controls.h"
#include "toolkit/Window.h"
#include "ui/ShellTree.h"

namespace ui {

// The picker's outcome, held in its tag: the caller sets kPickerNotConfirmed before
// each showing, and only OK sets kPickerConfirmed.
constexpr int kPickerNotConfirmed = 1;
constexpr int kPickerConfirmed = 2;

class TForm4 : public toolkit::TWindow {
public:
  // The window class of the picker, for whoever needs to find it on the screen.
  static constexpr char kClassName[] = "VantryTForm4";

  explicit TForm4(HWND owner = nullptr);

  TShellTreeView ShellTreeView1;

  void Button1Click();  // OK
  void Button2Click();  // キャンセル
  // Whether a node may be renamed in place: never, the tree only picks.
  bool ShellTreeView1Editing(HTREEITEM node);
  // OK follows the selected node: enabled for a folder of the file system.
  void ShellTreeView1Change(HTREEITEM node);

  bool Confirmed() const { return Tag == kPickerConfirmed; }
  // The file-system path of the selected folder; empty when it has none.
  std::string SelectedPath() const;

  HWND Button1Handle() const { return Button1.Handle(); }
  HWND Button2Handle() const { return Button2.Handle(); }

private:
  toolkit::TButton Button1;
  toolkit::TButton Button2;
};

}  // namespace ui
