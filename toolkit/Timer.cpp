#include "toolkit/Timer.h"

#include <map>

namespace toolkit {

namespace {
// Thread timers carry no user data: find the object by the id SetTimer gave.
std::map<UINT_PTR, TTimer*>& Timers() {
  static std::map<UINT_PTR, TTimer*> timers;
  return timers;
}
}  // namespace

TTimer::TTimer(UINT interval, bool enabled) : interval_(interval) { SetEnabled(enabled); }

TTimer::~TTimer() { Stop(); }

void TTimer::SetInterval(UINT ms) {
  if (interval_ == ms) return;
  interval_ = ms;
  if (enabled_) {
    Stop();
    Start();
  }
}

void TTimer::SetEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  if (on) Start();
  else Stop();
}

void TTimer::Start() {
  if (interval_ == 0) return;
  id_ = ::SetTimer(nullptr, 0, interval_, &TTimer::TimerProc);
  if (id_) Timers()[id_] = this;
}

void TTimer::Stop() {
  if (!id_) return;
  ::KillTimer(nullptr, id_);
  Timers().erase(id_);
  id_ = 0;
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Timers().find(id);
  if (it == Timers().end()) return;
  TTimer* timer = it->second;
  if (timer->enabled_ && timer->OnTimer) timer->OnTimer();
}

}  // namespace toolkit
