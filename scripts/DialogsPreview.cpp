// Shows the folder picker or the about dialog on its own for a few seconds, so that
// scripts/screenshot-dialogs.sh can take a picture of it.
//   DialogsPreview picker [seconds]        the picker as at its first use
//   DialogsPreview picker-drive [seconds]  the picker with the drive C:\ opened
//   DialogsPreview about [seconds]         the about dialog
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <string>

#include "ui/Form4.h"
#include "ui/OKBottomDlg.h"

namespace {

const char* shownClass = nullptr;

void CALLBACK CloseShown(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (HWND w = ::FindWindowA(shownClass, nullptr)) ::PostMessageA(w, WM_CLOSE, 0, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  ::CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);

  std::string args = commandLine;
  std::string mode = args.substr(0, args.find(' '));
  int seconds = args.find(' ') == std::string::npos ? 5 : std::atoi(args.c_str() + args.find(' '));
  if (seconds <= 0) seconds = 5;
  ::SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, &CloseShown);

  if (mode == "about") {
    ui::TOKBottomDlg dialog;
    shownClass = ui::TOKBottomDlg::kClassName;
    dialog.ShowModal();
  } else {
    ui::TForm4 picker;
    shownClass = ui::TForm4::kClassName;
    if (mode == "picker-drive" && picker.ShellTreeView1.SelectPath("C:\\")) {
      HWND tree = picker.ShellTreeView1.Handle();
      TreeView_Expand(tree, TreeView_GetSelection(tree), TVE_EXPAND);
    }
    picker.ShowModal();
  }
  ::CoUninitialize();
  return 0;
}
