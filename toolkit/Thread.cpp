#include "toolkit/Thread.h"

#include <chrono>
#include <mutex>
#include <utility>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace toolkit {

namespace {

const char kSyncClassName[] = "VantryThreadSync";
constexpr UINT WM_SYNCHRONIZE = WM_APP + 0x51;

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

}  // namespace

TThread::TThread() {
  // One class for the process, never unregistered: sync windows come and go with
  // their threads, and more than one may exist at a time.
  static std::once_flag registered;
  std::call_once(registered, [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SyncWndProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = kSyncClassName;
    ::RegisterClassA(&wc);
  });
  syncWnd_.reset(::CreateWindowExA(0, kSyncClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, ModuleInstance(), nullptr));
  if (syncWnd_)
    ::SetWindowLongPtrA(syncWnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TThread::~TThread() {
  Terminate();
  WaitFor();
  if (syncWnd_) ::SetWindowLongPtrA(syncWnd_.get(), GWLP_USERDATA, 0);
}

void TThread::Resume() {
  std::lock_guard<std::mutex> guard(lock_);
  ++resumeCount_;
  paused_ = false;
  if (!started_ && !terminated_) {
    started_ = true;
    thread_ = std::thread([this] { Run(); });
  }
  changed_.notify_all();
}

void TThread::Suspend() {
  std::lock_guard<std::mutex> guard(lock_);
  paused_ = true;
}

bool TThread::Suspended() const {
  std::lock_guard<std::mutex> guard(lock_);
  return paused_;
}

void TThread::Terminate() {
  std::lock_guard<std::mutex> guard(lock_);
  terminated_ = true;
  changed_.notify_all();
}

bool TThread::Terminated() const {
  std::lock_guard<std::mutex> guard(lock_);
  return terminated_;
}

void TThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool TThread::Finished() const {
  std::lock_guard<std::mutex> guard(lock_);
  return finished_;
}

void TThread::Run() {
  try {
    bool go = PausePoint();
    if (go) Execute();
  } catch (...) {
  }
  std::lock_guard<std::mutex> guard(lock_);
  finished_ = true;
  changed_.notify_all();
}

bool TThread::PausePoint() {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return !paused_ || terminated_; });
  return !terminated_;
}

bool TThread::PauseWhen(const std::function<bool()>& idle) {
  uint32_t ticket;
  {
    std::lock_guard<std::mutex> guard(lock_);
    ticket = resumeCount_;
  }
  // The test runs unlocked (it may read anything, even call Resume); a Resume
  // between it and the pause below moves the count on and cancels the pause.
  if (idle()) {
    std::lock_guard<std::mutex> guard(lock_);
    if (resumeCount_ == ticket) paused_ = true;
  }
  return PausePoint();
}

bool TThread::Wait(DWORD ms) {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait_for(guard, std::chrono::milliseconds(ms), [this] { return terminated_; });
  return !terminated_;
}

bool TThread::Synchronize(const std::function<void()>& call) {
  std::unique_lock<std::mutex> guard(lock_);
  if (terminated_ || !syncWnd_) return false;
  call_ = call;
  callError_ = nullptr;
  callState_ = CallState::Posted;
  uint32_t sequence = ++callSequence_;
  if (!::PostMessageA(syncWnd_.get(), WM_SYNCHRONIZE, sequence, 0)) {
    callState_ = CallState::Idle;
    call_ = nullptr;
    return false;
  }
  // A call the user-interface thread has begun is waited for to the end; one it
  // has not reached is dropped when termination is asked, since that thread may
  // itself be waiting for this one to end.
  changed_.wait(guard, [this] {
    return callState_ == CallState::Done || (terminated_ && callState_ == CallState::Posted);
  });
  bool ran = callState_ == CallState::Done;
  callState_ = CallState::Idle;
  call_ = nullptr;
  std::exception_ptr error = std::exchange(callError_, nullptr);
  guard.unlock();
  if (error) std::rethrow_exception(error);
  return ran;
}

void TThread::ServeCall(uint32_t sequence) {
  std::function<void()> call;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (callState_ != CallState::Posted || sequence != callSequence_) return;
    callState_ = CallState::Running;
    call = call_;
  }
  std::exception_ptr error;
  try {
    call();
  } catch (...) {
    error = std::current_exception();
  }
  std::lock_guard<std::mutex> guard(lock_);
  callError_ = error;
  callState_ = CallState::Done;
  changed_.notify_all();
}

LRESULT CALLBACK TThread::SyncWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SYNCHRONIZE) {
    auto* self = reinterpret_cast<TThread*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self) self->ServeCall(static_cast<uint32_t>(wParam));
    return 0;
  }
  return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

}  // namespace toolkit
