// A stand-in for the shell, the cursor, the timer and the clock, for what Wine
// cannot do on demand: time out an add, run an older shell, move the cursor, let
// minutes pass at once.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "trayicon/ShellSeam.h"
#include "trayicon/TrShlApi.h"

namespace traytest {

struct NotifyCall {
  DWORD message;
  NOTIFYICONDATAA data;
};

class FakeShell : public trayicon::TShellSeam {
public:
  DWORD version = 6u << 16;  // 6.0
  POINT cursor = {};
  bool timerFails = false;
  // Results of the coming NotifyIcon calls, in order: 0 succeeds, any other
  // value fails with that error. Past the end every call succeeds, unless
  // failAllWith is set.
  std::deque<DWORD> results;
  DWORD failAllWith = 0;

  DWORD now = 0;  // what TickCount answers

  std::vector<NotifyCall> calls;
  int timersSet = 0;
  int timersKilled = 0;

  bool NotifyIcon(DWORD message, NOTIFYICONDATAA& data) override {
    calls.push_back({message, data});
    DWORD error = failAllWith;
    if (!results.empty()) {
      error = results.front();
      results.pop_front();
    }
    lastError_ = error;
    return error == 0;
  }
  DWORD LastError() override { return lastError_; }
  POINT CursorPos() override { return cursor; }
  bool SetTimer(HWND, UINT_PTR, UINT, TIMERPROC) override {
    if (timerFails) return false;
    ++timersSet;
    return true;
  }
  void KillTimer(HWND, UINT_PTR) override { ++timersKilled; }
  DWORD TickCount() override { return now; }
  DWORD ShellVersion() override { return version; }

  int Count(DWORD message) const {
    int n = 0;
    for (const NotifyCall& c : calls) n += c.message == message;
    return n;
  }

private:
  DWORD lastError_ = 0;
};

}  // namespace traytest
