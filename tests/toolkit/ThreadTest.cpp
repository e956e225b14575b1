#include "toolkit/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>

#include "TestSupport.h"

using testsupport::PumpUntil;

namespace {

// A guard against a test that would otherwise hang: failing after this long
// means the awaited thing never happened, not that it was slow.
constexpr DWORD kGuardMs = 20000;

bool WaitUntil(const std::function<bool()>& done) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > kGuardMs) return false;
    ::Sleep(1);
  }
  return true;
}

// The worker's call has been posted to this thread's queue.
bool PostedMessageWaiting() {
  MSG msg;
  return ::PeekMessageA(&msg, nullptr, WM_APP, 0xBFFF, PM_NOREMOVE) != FALSE;
}

class LambdaThread : public toolkit::TThread {
public:
  explicit LambdaThread(std::function<void(LambdaThread&)> body) : body_(std::move(body)) {}
  ~LambdaThread() override {
    Terminate();
    WaitFor();
  }
  using TThread::PausePoint;
  using TThread::PauseWhen;
  using TThread::Synchronize;
  using TThread::Wait;

protected:
  void Execute() override { body_(*this); }

private:
  std::function<void(LambdaThread&)> body_;
};

}  // namespace

TEST(ThreadPause, CreatedPausedAndStartsAtResume) {
  std::atomic<bool> ran{false};
  LambdaThread thread([&](LambdaThread&) { ran = true; });
  EXPECT_TRUE(thread.Suspended());
  EXPECT_FALSE(ran);
  thread.Resume();
  ASSERT_TRUE(WaitUntil([&] { return thread.Finished(); }));
  EXPECT_TRUE(ran);
}

TEST(ThreadPause, ResumeBetweenIdleTestAndPauseIsNotLost) {
  // The worker finds nothing to do, and before it can pause the other side
  // resumes it (here from inside the test itself, the worst moment). It must
  // keep running.
  std::atomic<bool> passed{false};
  LambdaThread thread([&](LambdaThread& self) {
    bool go = self.PauseWhen([&] {
      self.Resume();
      return true;
    });
    passed = go;
  });
  thread.Resume();
  ASSERT_TRUE(WaitUntil([&] { return thread.Finished(); })) << "the wake-up was lost";
  EXPECT_TRUE(passed);
}

TEST(ThreadPause, IdleWorkerPausesAndResumeWakesIt) {
  std::atomic<int> passes{0};
  std::atomic<bool> idle{true};
  LambdaThread thread([&](LambdaThread& self) {
    while (self.PauseWhen([&] { return idle.load(); })) {
      ++passes;
      idle = true;
    }
  });
  thread.Resume();
  ASSERT_TRUE(WaitUntil([&] { return thread.Suspended(); }));
  EXPECT_EQ(passes, 0);
  idle = false;
  thread.Resume();
  ASSERT_TRUE(WaitUntil([&] { return passes == 1 && thread.Suspended(); }));
}

TEST(ThreadPause, SuspendLetsTheCurrentStepFinish) {
  std::atomic<int> steps{0};
  std::atomic<bool> inStep{false};
  std::atomic<bool> release{false};
  LambdaThread thread([&](LambdaThread& self) {
    while (self.PausePoint()) {
      inStep = true;
      while (!release && !self.Terminated()) ::Sleep(1);
      release = false;
      ++steps;
      inStep = false;
    }
  });
  thread.Resume();
  ASSERT_TRUE(WaitUntil([&] { return inStep.load(); }));
  thread.Suspend();
  release = true;
  ASSERT_TRUE(WaitUntil([&] { return steps == 1; }));
  EXPECT_TRUE(thread.Suspended());
  thread.Resume();
  ASSERT_TRUE(WaitUntil([&] { return inStep.load(); }));
  release = true;
  ASSERT_TRUE(WaitUntil([&] { return steps == 2; }));
}

TEST(ThreadEnd, TerminateWakesPausedWorker) {
  std::atomic<bool> ended{false};
  LambdaThread thread([&](LambdaThread& self) {
    self.PauseWhen([] { return true; });
    ended = true;
  });
  thread.Resume();
  ASSERT_TRUE(WaitUntil([&] { return thread.Suspended(); }));
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(ended);
}

TEST(ThreadEnd, TerminateCutsWaitShort) {
  LambdaThread thread([](LambdaThread& self) { self.Wait(0x7FFFFFFF); });
  thread.Resume();
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
}

TEST(ThreadSynchronize, CallRunsOnCreatingThread) {
  DWORD ranOn = 0;
  std::atomic<bool> returned{false};
  LambdaThread thread([&](LambdaThread& self) {
    returned = self.Synchronize([&] { ranOn = ::GetCurrentThreadId(); });
  });
  thread.Resume();
  ASSERT_TRUE(PumpUntil([&] { return thread.Finished(); }));
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, ::GetCurrentThreadId());
}

TEST(ThreadSynchronize, PendingCallIsSkippedWhenDestroyedSoDestroyerDoesNotWaitForItself) {
  std::atomic<bool> ran{false};
  std::atomic<bool> returned{true};
  auto thread = std::make_unique<LambdaThread>([&](LambdaThread& self) {
    returned = self.Synchronize([&] { ran = true; });
  });
  thread->Resume();
  // The call is posted to this thread, which does not serve it: it destroys the
  // worker instead, as a style does when its icon goes.
  ASSERT_TRUE(WaitUntil(PostedMessageWaiting));
  thread.reset();
  EXPECT_FALSE(returned);
  // The stale message finds nobody and runs nothing.
  testsupport::PumpMessages();
  EXPECT_FALSE(ran);
}

TEST(ThreadSynchronize, ExceptionOfCallReachesWorker) {
  std::string caught;
  LambdaThread thread([&](LambdaThread& self) {
    try {
      self.Synchronize([] { throw std::runtime_error("boom"); });
    } catch (const std::exception& e) {
      caught = e.what();
    }
  });
  thread.Resume();
  ASSERT_TRUE(PumpUntil([&] { return thread.Finished(); }));
  EXPECT_EQ(caught, "boom");
}
