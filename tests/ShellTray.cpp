#include "ShellTray.h"

#include <commctrl.h>
#include <shellapi.h>

#include "TestSupport.h"

namespace testsupport {

namespace {

constexpr char kTrayClass[] = "Shell_TrayWnd";

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

// Wine's own tray window: the one of this class that another process made.
DWORD ShellTrayProcess() {
  DWORD ours = ::GetCurrentProcessId();
  for (HWND tray = ::FindWindowExA(nullptr, nullptr, kTrayClass, nullptr); tray;
       tray = ::FindWindowExA(nullptr, tray, kTrayClass, nullptr)) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(tray, &pid);
    if (pid != ours) return pid;
  }
  return 0;
}

}  // namespace

RefusingTray::RefusingTray() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &RefusingTray::Procedure;
  wc.hInstance = Instance();
  wc.lpszClassName = kTrayClass;
  ::RegisterClassA(&wc);
  HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, ready] { Run(ready); });
  ::WaitForSingleObject(ready, INFINITE);
  ::CloseHandle(ready);
}

RefusingTray::~RefusingTray() {
  if (window_) ::PostMessageA(window_, WM_CLOSE, 0, 0);
  thread_.join();
  ::UnregisterClassA(kTrayClass, Instance());
}

bool RefusingTray::InFront() const {
  return window_ && ::FindWindowExA(nullptr, nullptr, kTrayClass, nullptr) == window_;
}

void RefusingTray::Run(HANDLE ready) {
  window_ = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTrayClass, "", WS_POPUP, 0, 0,
                              0, 0, nullptr, nullptr, Instance(), this);
  ::SetEvent(ready);
  if (!window_) return;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
}

LRESULT CALLBACK RefusingTray::Procedure(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<RefusingTray*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (msg) {
    case WM_COPYDATA:
      if (self) ++self->refused_;
      return FALSE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(window, msg, wp, lp);
}

bool IconInTray(HWND owner, UINT id) {
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = id;
  return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

std::vector<HWND> ShownBalloons() {
  std::vector<HWND> balloons;
  DWORD pid = ShellTrayProcess();
  if (!pid) return balloons;
  for (HWND tip : WindowsOfProcess(pid, TOOLTIPS_CLASSA))
    if (::IsWindowVisible(tip) && (::GetWindowLongA(tip, GWL_STYLE) & TTS_BALLOON))
      balloons.push_back(tip);
  return balloons;
}

UINT TaskbarCreatedMessage() { return ::RegisterWindowMessageA("TaskbarCreated"); }

}  // namespace testsupport
