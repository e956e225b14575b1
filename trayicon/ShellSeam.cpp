#include "trayicon/ShellSeam.h"

#include "trayicon/TrShlApi.h"

namespace trayicon {

namespace {

TShellSeam realShell;
TShellSeam* current = &realShell;

}  // namespace

bool TShellSeam::NotifyIcon(DWORD message, NOTIFYICONDATAA& data) {
  return ::Shell_NotifyIconA(message, &data) != FALSE;
}

DWORD TShellSeam::LastError() { return ::GetLastError(); }

POINT TShellSeam::CursorPos() {
  POINT p = {};
  ::GetCursorPos(&p);
  return p;
}

bool TShellSeam::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  return ::SetTimer(window, id, elapse, proc) != 0;
}

void TShellSeam::KillTimer(HWND window, UINT_PTR id) { ::KillTimer(window, id); }

DWORD TShellSeam::TickCount() { return ::GetTickCount(); }

DWORD TShellSeam::ShellVersion() { return GetShellVersion(); }

TShellSeam& Shell() { return *current; }

TShellSeamScope::TShellSeamScope(TShellSeam& seam) : previous_(current) { current = &seam; }

TShellSeamScope::~TShellSeamScope() { current = previous_; }

}  // namespace trayicon
