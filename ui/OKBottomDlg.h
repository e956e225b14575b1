// The about dialog ("バージョン"): the program's icon, title and version, the
// author line and a link that opens the home page through the shell. Made once at
// start and shown again for each use; its contents never change.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/Controls.h"
#include "toolkit/Handle.h"
#include "toolkit/Window.h"
#include "ui/SystemHooks.h"

namespace ui {

class TOKBottomDlg : public toolkit::TWindow {
public:
  static constexpr char kClassName[] = "VantryTOKBottomDlg";
  static constexpr wchar_t kHomePage[] = L"https://vantry.example/";

  // The shell call behind the link. Its result is not examined: a page that cannot
  // be opened is the shell's or the browser's to report. Tests put their own here
  // to see the call without opening a browser.
  TShellOpen ShellOpen = SystemShellOpen();

  explicit TOKBottomDlg(HWND owner = nullptr);

  void Label5Click();
  void OKBtnClick();

  HWND Label5Handle() const { return Label5; }
  HWND OKBtnHandle() const { return OKBtn.Handle(); }

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void DpiChanged(int oldDpi) override;

private:
  HWND CreateLabel(const toolkit::TControlArgs& args, const toolkit::TFontLook& font = {},
                   DWORD style = 0, toolkit::TChildEvents events = {});
  // The picture of Image1 at the window's DPI.
  void ShowIcon();

  toolkit::IconHandle icon_;         // the picture of Image1, 48 × 48 as designed
  HWND Image1 = nullptr;
  HWND Label1 = nullptr;
  HWND Label2 = nullptr;
  HWND Label3 = nullptr;
  HWND Label4 = nullptr;
  HWND Label5 = nullptr;
  toolkit::TButton OKBtn;
};

}  // namespace ui
