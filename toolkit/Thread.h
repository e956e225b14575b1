// A worker thread in the framework's manner: created paused, paused and resumed
// any number of times, told to terminate and waited for.
//
// Pausing is cooperative. A worker is never frozen from outside in the middle of
// its work (it might hold the heap lock or be half-way through a step); it stops
// only at its own pause points, `PausePoint` and `PauseWhen`. Resuming is counted,
// so a `Resume` that arrives after the worker decided it had nothing to do, but
// before it actually paused, still leaves it running: no wake-up is ever lost.
//
// A worker never touches a window. When it needs the user-interface thread it
// calls `Synchronize`, which posts a message to a hidden window of the thread that
// created this object and waits until that thread has run the call. Once
// termination is asked, a call that has not started yet is skipped, so a
// user-interface thread that waits for the worker to end never waits for itself.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "toolkit/Handle.h"

namespace toolkit {

class TThread {
public:
  // Must be created on the thread that will serve `Synchronize` (normally the
  // user-interface thread). The worker does not start before the first `Resume`.
  TThread();
  // Terminates and waits. A derived class whose `Execute` uses its own members
  // must call `Terminate` and `WaitFor` in its own destructor, before they go.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts the worker at the first call, later wakes it or cancels a pause that
  // is under way. Harmless on a running worker.
  void Resume();
  // Asks the worker to pause at its next pause point; a step it is in the middle
  // of is finished first.
  void Suspend();
  // True from creation to the first `Resume`, and from a pause (asked from
  // outside or taken by the worker itself) to the next `Resume`.
  bool Suspended() const;

  // Asks the worker to end; wakes it when paused and skips a `Synchronize` call
  // that has not started yet.
  void Terminate();
  bool Terminated() const;
  // Waits until the worker has ended (returns at once when it never started).
  // Ask `Terminate` first unless `Execute` ends by itself.
  void WaitFor();
  bool Finished() const;

protected:
  // The thread body. Exceptions that escape it are swallowed: there is nobody on
  // this thread to show them to.
  virtual void Execute() = 0;

  // Worker side. Waits here while a pause is in force; false once terminated.
  bool PausePoint();
  // Worker side. Pauses itself when `idle()` holds, unless a `Resume` has come
  // since this call began; then waits as `PausePoint`. `idle` runs without any
  // lock held. False once terminated.
  bool PauseWhen(const std::function<bool()>& idle);
  // Worker side. Sleeps for `ms` milliseconds or until terminated; false once
  // terminated.
  bool Wait(DWORD ms);
  // Worker side. Runs `call` on the creating thread and waits for it. False when
  // it was skipped because termination was asked. An exception thrown by `call`
  // is thrown again here.
  bool Synchronize(const std::function<void()>& call);

private:
  enum class CallState { Idle, Posted, Running, Done };

  static LRESULT CALLBACK SyncWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void ServeCall(uint32_t sequence);
  void Run();

  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::thread thread_;
  WindowHandle syncWnd_;
  bool started_ = false;
  bool paused_ = true;
  bool terminated_ = false;
  bool finished_ = false;
  uint32_t resumeCount_ = 0;
  CallState callState_ = CallState::Idle;
  uint32_t callSequence_ = 0;
  std::function<void()> call_;
  std::exception_ptr callError_;
};

}  // namespace toolkit
