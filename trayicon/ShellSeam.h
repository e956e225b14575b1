// The few calls through which the tray icon meets what lies outside the program:
// the shell's notification area, the cursor, the timer and the clock. They are
// gathered here so that a test can stand in for them: count the calls, make an
// add time out or fail, move the cursor, run a shell of another version, and
// let minutes pass without waiting for them. The program itself never replaces
// them.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace trayicon {

class TShellSeam {
public:
  virtual ~TShellSeam() = default;

  virtual bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data);
  // The error the last failed call left, read at once after it.
  virtual DWORD LastError();
  virtual POINT CursorPos();
  virtual bool SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
  virtual void KillTimer(HWND window, UINT_PTR id);
  // Milliseconds since some fixed moment; wraps after 49 days.
  virtual DWORD TickCount();
  // Packed as major << 16 | minor; the real one asks shell32.dll.
  virtual DWORD ShellVersion();
};

// The seam in force: the real calls unless a test has put its own in place.
TShellSeam& Shell();

// Puts a test's seam in place for its lifetime. Install it before creating the
// objects under test and keep it until they are gone; the mouse poller reads it
// from its own thread.
class TShellSeamScope {
public:
  explicit TShellSeamScope(TShellSeam& seam);
  ~TShellSeamScope();
  TShellSeamScope(const TShellSeamScope&) = delete;
  TShellSeamScope& operator=(const TShellSeamScope&) = delete;

private:
  TShellSeam* previous_;
};

}  // namespace trayicon
