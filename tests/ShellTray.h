// The shell's notification area as tests meet it under Wine. Wine's explorer
// keeps the icons: Shell_NotifyIconA sends each request to the first window of
// the class "Shell_TrayWnd" and returns its answer, and explorer shows each
// balloon as a balloon tooltip window of its own process. So a test can stand a
// tray of its own in front of Wine's, one that takes no icon (a desktop whose
// taskbar is not up yet), ask whether an icon is there, and see balloons come.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

namespace testsupport {

// A notification area that refuses every icon, found before Wine's own while it
// lives: it is the newest topmost window of the class. It answers on a thread of
// its own, since the program it refuses waits for the answer.
class RefusingTray {
public:
  RefusingTray();
  ~RefusingTray();
  RefusingTray(const RefusingTray&) = delete;
  RefusingTray& operator=(const RefusingTray&) = delete;

  HWND Window() const { return window_; }
  // Whether Shell_NotifyIcon now finds this tray rather than Wine's.
  bool InFront() const;
  // The requests refused so far (adds, modifies, deletes alike).
  int Refused() const { return refused_; }

private:
  static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wp, LPARAM lp);
  void Run(HANDLE ready);

  std::thread thread_;
  HWND window_ = nullptr;
  std::atomic<int> refused_{0};
};

// Whether the notification area holds the icon `id` of the window `owner`: a
// modify that changes nothing succeeds only for an icon that is there.
bool IconInTray(HWND owner, UINT id = 1);

// The balloons Wine's notification area shows at this moment.
std::vector<HWND> ShownBalloons();

// What the shell broadcasts when its taskbar is created; Wine never sends it.
UINT TaskbarCreatedMessage();

}  // namespace testsupport
