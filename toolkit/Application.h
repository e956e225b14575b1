// The application object: the one window that stands for the whole program on
// the taskbar, its icon, and the handlers that run when the program is
// minimised or restored. A component may put its own handlers in place and put
// the previous ones back when it goes (the tray icon does), so the handlers are
// plain replaceable values.
//
// The application window is created on first use, of its own class, as a
// captioned popup of no size that is not shown until it is minimised; then it
// carries the taskbar button. The main window may instead hand in its own
// window with SetHandle; it then routes its own minimise and restore system
// commands to Minimize and Restore, since only the window made here does that.
#pragma once

#include <windows.h>

#include "toolkit/Component.h"

namespace toolkit {

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  HWND Handle();
  // Makes an existing window the application window; it is not destroyed here.
  void SetHandle(HWND window);

  // The program module, whose resources the components load from.
  HINSTANCE Instance() const { return instance_; }
  void SetInstance(HINSTANCE instance) { instance_ = instance; }

  // The icon shown for the program: "MAINICON" of the module when it has one,
  // else the system's application icon. Shared, never destroyed.
  HICON Icon();
  std::string Title = "Vantry";

  // Minimise: the application window goes to its taskbar button, then
  // OnMinimize runs. Restore: the reverse, then OnRestore. Each does nothing
  // when the window already is in that state.
  void Minimize();
  void Restore();
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // Serves every message waiting for this thread as the message loop does
  // (ServeMessage), then returns.
  void ProcessMessages();

private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HINSTANCE instance_;
  HWND handle_ = nullptr;
  bool ownsHandle_ = false;
  HICON icon_ = nullptr;
};

// The program's one application object.
TApplication& Application();

}  // namespace toolkit
