// The main window under Wine for the tests that drive it: a window on a folder
// of its own with the notification area's shell replaced and every box it would
// show captured, and what a user does to it. The keys go through the system's
// input queue (SendInput), so they set the key states a handler reads and reach
// the control that has the keyboard; the clicks are posted to the control under
// them. Both need the window in the foreground, and the messages served by the
// program's own loop step (testsupport::PumpMessages).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "trayicon/FakeShell.h"
#include "ui/Form1.h"

namespace testsupport {

struct MainWindow {
  TempDir dir;
  traytest::FakeShell shell;
  trayicon::TShellSeamScope scope{shell};
  std::unique_ptr<TForm1> form;
  std::vector<std::string> errors;
  std::vector<std::string> notices;
  int cycles = 0;  // timed cycles ended, their deletion checks applied

  // `shellError`: every request to the notification area fails with it, as when
  // the taskbar is not up yet. A process list and a log given are there to load.
  explicit MainWindow(const std::string& ini = "", DWORD shellError = 0,
                      const std::string& processList = "", const std::string& log = "") {
    if (!ini.empty()) WriteFileBytes(dir.file("Inf.ini"), ini);
    if (!processList.empty()) WriteFileBytes(dir.file("ProcessList.dat"), processList);
    if (!log.empty()) WriteFileBytes(dir.file("Log.dat"), log);
    shell.failAllWith = shellError;
    form = std::make_unique<TForm1>(dir.path());
    form->Hooks.ShowError = [this](HWND, const std::string& m) { errors.push_back(m); };
    form->Hooks.ShowNotice = [this](HWND, const std::string& m) { notices.push_back(m); };
    form->OnCycleEnd = [this] { ++cycles; };
    // As the program does: the tray icon's own errors go to the window's box.
    trayicon::SetTrayErrorHandler([this](const std::exception& e) { form->ReportError(e.what()); });
    EXPECT_TRUE(form->CreateWindowed());
    form->FormCreate();
  }
  ~MainWindow() {
    form.reset();
    trayicon::SetTrayErrorHandler(nullptr);
    PumpMessages();
  }

  // The balloon texts the shell was asked to show, in order.
  std::vector<std::string> Balloons() const {
    std::vector<std::string> texts;
    for (const traytest::NotifyCall& c : shell.calls)
      if ((c.data.uFlags & NIF_INFO) && c.data.szInfoTitle[0]) texts.push_back(c.data.szInfo);
    return texts;
  }
  // Serves messages until the deletion check in flight, and what waited for it,
  // is done.
  void FinishCheck() {
    ASSERT_TRUE(PumpUntil([this] { return !form->DeletionCheck.Running(); }));
  }
  int RowOfPid(DWORD pid) const {
    for (int i = 0; i < form->ListBox1.Count(); ++i)
      if (form->ListBox1[i] == std::to_string(pid)) return i;
    return -1;
  }
  // The identifier of the process the user has selected, or 0.
  DWORD SelectedPid() const {
    int row = form->ListView1.Selected();
    return row >= 0 && row < form->ListBox1.Count() ? std::stoul(form->ListBox1[row]) : 0;
  }

  // The window in front with the keyboard in `control`, as after a click into it.
  void Focus(HWND control) {
    ::SetForegroundWindow(form->Handle());
    ::SetFocus(control);
    PumpMessages();
  }
};

// The row the control itself shows selected and the one it shows focused.
inline int WindowSelected(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }
inline int WindowFocused(HWND list) { return ListView_GetNextItem(list, -1, LVNI_FOCUSED); }

// Presses the keys in order and lets them go in the opposite order: {VK_SHIFT,
// VK_F10} is Shift+F10.
inline void TypeKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    inputs.push_back(in);
  }
  for (auto it = keys.end(); it != keys.begin();) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *--it;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  PumpFor(50);
}

// A click of the left or the right button on a row (made visible first), or on
// the heading of a column. The list waits inside the press for the release, to
// tell a click from a drag, so the release is queued first.
inline void ClickRow(HWND list, int index, bool right = false) {
  ListView_EnsureVisible(list, index, FALSE);
  RECT rc = {};
  ListView_GetItemRect(list, index, &rc, LVIR_LABEL);
  LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  ::PostMessageA(list, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
  ::SendMessageA(list, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
  PumpMessages();
}

// A left click in the middle of a rectangle of the window's client area.
inline void ClickInside(HWND window, const RECT& rc) {
  LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(window, WM_LBUTTONUP, 0, at);
  PumpMessages();
}

inline void ClickHeading(HWND list, int column) {
  HWND header = ListView_GetHeader(list);
  RECT rc = {};
  Header_GetItemRect(header, column, &rc);
  ClickInside(header, rc);
}

// A click on a tab of a tab control.
inline void ClickTab(HWND tabs, int index) {
  RECT rc = {};
  TabCtrl_GetItemRect(tabs, index, &rc);
  ClickInside(tabs, rc);
}

}  // namespace testsupport
