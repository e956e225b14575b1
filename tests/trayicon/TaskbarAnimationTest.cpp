#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

#include "TaskbarTestSupport.h"
#include "TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Handle.h"
#include "trayicon/IconAnimation.h"
#include "trayicon/Taskbar.h"

using taskbartest::AcceptingShell;
using testsupport::PumpUntil;
using toolkit::TComponent;
using trayicon::TTrayIcon;

namespace {

struct AnimationTest : ::testing::Test {
  AcceptingShell shell;
  trayicon::TShellSeamScope scope{shell};
  TComponent form;

  static toolkit::TStringList ThreeFrames() {
    toolkit::TStringList list;
    list.Add("A");
    list.Add("B");
    list.Add("C");
    return list;
  }
  static bool Running(const TTrayIcon& tray) {
    return tray.AnimationThread() && !tray.AnimationThread()->Suspended();
  }
};

int ThreadsOfThisProcess() {
  toolkit::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
       more = ::Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
  }
  return count;
}

}  // namespace

TEST_F(AnimationTest, IntervalIsAtLeastFiftyAndZeroPauses) {
  TTrayIcon tray(&form);
  tray.SetInterval(20);
  EXPECT_EQ(50u, tray.Interval());
  EXPECT_TRUE(Running(tray));
  tray.SetInterval(0);
  EXPECT_EQ(0u, tray.Interval());
  ASSERT_NE(nullptr, tray.AnimationThread());
  EXPECT_TRUE(tray.AnimationThread()->Suspended());
}

TEST_F(AnimationTest, SameIntervalAgainDoesNothing) {
  TTrayIcon tray(&form);
  tray.ShowIcon();
  tray.SetInterval(50);
  tray.HideIcon();
  ASSERT_FALSE(Running(tray));
  tray.SetInterval(50);  // unchanged: the paused worker stays paused
  EXPECT_FALSE(Running(tray));
  tray.SetInterval(60);
  EXPECT_TRUE(Running(tray));
}

TEST_F(AnimationTest, NoWorkerWhileInvisible) {
  TTrayIcon tray(&form);
  tray.SetVisible(false);
  tray.SetInterval(100);
  EXPECT_EQ(nullptr, tray.AnimationThread());
}

TEST_F(AnimationTest, ThreeFramesCycleBackToTheFirst) {
  TTrayIcon tray(&form);
  tray.SetResourceIconList(ThreeFrames());
  tray.SetResourceIconID(2);
  tray.NextFrame();
  EXPECT_EQ(0, tray.ResourceIconID());
  tray.NextFrame();
  EXPECT_EQ(1, tray.ResourceIconID());
}

TEST_F(AnimationTest, EmptyListKeepsTheApplicationIcon) {
  TTrayIcon tray(&form);
  tray.ShowIcon();
  tray.NextFrame();
  EXPECT_EQ(-1, tray.ResourceIconID());
  EXPECT_EQ(toolkit::Application().Icon(), shell.lastIcon);
}

TEST_F(AnimationTest, WorkerStepsThroughTheFramesOnTheInterfaceThread) {
  TTrayIcon tray(&form);
  tray.SetResourceIconList(ThreeFrames());
  tray.SetResourceIconID(0);
  tray.ShowIcon();
  tray.SetInterval(50);
  std::vector<int> frames;
  ASSERT_TRUE(PumpUntil([&] {
    int now = tray.ResourceIconID();
    if (frames.empty() || frames.back() != now) frames.push_back(now);
    return frames.size() >= 5;
  }));
  EXPECT_EQ((std::vector<int>{0, 1, 2, 0, 1}), frames);
}

TEST_F(AnimationTest, HideIconPausesAndShowIconResumes) {
  TTrayIcon tray(&form);
  int steps = 0;
  DWORD stepThread = 0;
  tray.OnIconAnimation = [&](TComponent*) {
    ++steps;
    stepThread = ::GetCurrentThreadId();
  };
  tray.ShowIcon();
  tray.SetInterval(50);
  ASSERT_TRUE(PumpUntil([&] { return steps >= 2; }));
  EXPECT_EQ(::GetCurrentThreadId(), stepThread);

  tray.HideIcon();
  EXPECT_FALSE(Running(tray));
  int paused = steps;
  // A step the worker asked for before the pause is dropped, not run late.
  toolkit::Application().ProcessMessages();
  EXPECT_EQ(paused, steps);

  tray.ShowIcon();
  EXPECT_TRUE(Running(tray));
  EXPECT_TRUE(PumpUntil([&] { return steps > paused + 1; }));
}

TEST_F(AnimationTest, HandlerLeavesTheFrameIndexAlone) {
  TTrayIcon tray(&form);
  tray.SetResourceIconList(ThreeFrames());
  tray.SetResourceIconID(1);
  int steps = 0;
  tray.OnIconAnimation = [&](TComponent* sender) {
    EXPECT_EQ(&tray, sender);
    ++steps;
  };
  tray.ShowIcon();
  tray.SetInterval(50);
  ASSERT_TRUE(PumpUntil([&] { return steps >= 3; }));
  EXPECT_EQ(1, tray.ResourceIconID());
}

TEST_F(AnimationTest, RestartedTaskbarGetsAFreshRunningWorker) {
  TTrayIcon tray(&form);
  int steps = 0;
  tray.OnIconAnimation = [&](TComponent*) { ++steps; };
  tray.ShowIcon();
  tray.SetInterval(50);
  ::SendMessageA(tray.TaskTrayIcon().GetHandle(), ::RegisterWindowMessageA("TaskbarCreated"), 0,
                 0);
  EXPECT_TRUE(Running(tray));
  EXPECT_TRUE(PumpUntil([&] { return steps >= 2; }));
}

TEST_F(AnimationTest, DestroyedWhileTheWorkerRunsLeavesNoThread) {
  {
    // Once through, so that threads the system starts at first use are there.
    TTrayIcon warm(&form);
    warm.ShowIcon();
    warm.SetInterval(50);
    int steps = 0;
    warm.OnIconAnimation = [&](TComponent*) { ++steps; };
    ASSERT_TRUE(PumpUntil([&] { return steps >= 1; }));
  }
  int before = ThreadsOfThisProcess();
  {
    // Stepping, then destroyed between steps.
    auto tray = std::make_unique<TTrayIcon>(&form);
    int steps = 0;
    tray->OnIconAnimation = [&](TComponent*) { ++steps; };
    tray->ShowIcon();
    tray->SetInterval(50);
    ASSERT_TRUE(PumpUntil([&] { return steps >= 2; }));
    EXPECT_EQ(before + 1, ThreadsOfThisProcess());
    tray.reset();
  }
  EXPECT_EQ(before, ThreadsOfThisProcess());
  {
    // Destroyed while the worker waits for a step nobody serves.
    TTrayIcon tray(&form);
    tray.ShowIcon();
    tray.SetInterval(50);
    ::Sleep(20);
  }
  EXPECT_EQ(before, ThreadsOfThisProcess());
}
