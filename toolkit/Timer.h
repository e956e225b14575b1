// A message-driven timer: its handler runs on the thread that enabled it, from
// that thread's message loop, so it never overlaps any other handler there.
#pragma once

#include <windows.h>

#include <functional>

namespace toolkit {

class TTimer {
public:
  TTimer(UINT interval, bool enabled = false);
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  UINT Interval() const { return interval_; }
  // A running timer starts its period anew with the new interval.
  void SetInterval(UINT ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);

  std::function<void()> OnTimer;
  int Tag = 0;

private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
  void Start();
  void Stop();

  UINT interval_;
  bool enabled_ = false;
  UINT_PTR id_ = 0;
};

}  // namespace toolkit
