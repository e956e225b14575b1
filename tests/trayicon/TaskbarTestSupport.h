// What the tray icon component's tests share: a shell that always takes the
// icon (so the tests do not depend on a notification area being there) but
// keeps the real timer, and a form with a real window to own the component.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/Handle.h"
#include "trayicon/ShellSeam.h"

namespace taskbartest {

class AcceptingShell : public trayicon::TShellSeam {
public:
  bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data) override {
    calls.push_back(message);
    lastIcon = data.hIcon;
    lastTip = data.szTip;
    return !refuse;
  }
  DWORD LastError() override { return refuse ? ERROR_ACCESS_DENIED : 0; }
  POINT CursorPos() override { return POINT{cursorX, 500}; }
  void KillTimer(HWND window, UINT_PTR id) override {
    ++timersKilled;
    TShellSeam::KillTimer(window, id);
  }
  DWORD ShellVersion() override { return 6u << 16; }

  std::vector<DWORD> calls;  // NIM_ADD, NIM_MODIFY, NIM_DELETE in order
  HICON lastIcon = nullptr;
  std::string lastTip;
  int timersKilled = 0;
  bool refuse = false;  // every call fails with an error other than a time-out
  std::atomic<LONG> cursorX{700};  // the cursor stands at (cursorX, 500)
};

// A form whose window is shown, so the component can bring it to the front.
class WindowForm : public toolkit::TWinControl {
public:
  WindowForm()
      : hwnd_(::CreateWindowExA(0, "STATIC", "form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                200, 100, nullptr, nullptr, nullptr, nullptr)) {}
  HWND__* WindowHandle() const override { return hwnd_.get(); }

private:
  toolkit::WindowHandle hwnd_;
};

}  // namespace taskbartest
