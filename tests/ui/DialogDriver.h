// Drives a modal window as a user would, from a thread timer of the thread that
// runs it: once the window of the given class is visible, each tick runs the next
// step. A timer message comes only when no posted message waits, so each step sees
// what the messages posted by the one before it did.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "TestSupport.h"

namespace testsupport {

class TDialogDriver {
public:
  using Step = std::function<void(HWND window)>;

  TDialogDriver(const char* className, std::vector<Step> steps)
      : className_(className), steps_(std::move(steps)) {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 10, &TDialogDriver::Tick);
  }
  ~TDialogDriver() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  TDialogDriver(const TDialogDriver&) = delete;
  TDialogDriver& operator=(const TDialogDriver&) = delete;

  // Every step ran.
  bool Finished() const { return next_ == steps_.size(); }
  // The window outlived its last step and was closed by the driver, so that a
  // failing test ends instead of waiting for ever.
  bool LeftOpen() const { return leftOpen_; }

  // Posts a key press to the window that has the keyboard focus, as typed.
  static void PressKey(HWND window, WPARAM key) {
    HWND focus = ::GetFocus();
    HWND target = focus ? focus : window;
    ::PostMessageA(target, WM_KEYDOWN, key, 1);
    ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
  }
  // Posts a click of the left button in the middle of a control.
  static void Click(HWND control) {
    RECT rc;
    ::GetClientRect(control, &rc);
    LPARAM at = MAKELPARAM((rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2);
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(control, WM_LBUTTONUP, 0, at);
  }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TDialogDriver* self = current_;
    if (!self) return;
    HWND window = testsupport::FindOwnWindow(self->className_);
    if (!window || !::IsWindowVisible(window)) return;
    if (self->next_ < self->steps_.size()) {
      self->steps_[self->next_++](window);
    } else if (++self->idleTicks_ > 100) {
      self->leftOpen_ = true;
      ::PostMessageA(window, WM_CLOSE, 0, 0);
    }
  }

  static inline TDialogDriver* current_ = nullptr;
  const char* className_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int idleTicks_ = 0;
  bool leftOpen_ = false;
  UINT_PTR timer_ = 0;
};

}  // namespace testsupport
