// The real program and the notification area: a start before the taskbar is up,
// and a "TaskbarCreated" while the shell still shows the icon. The taskbar that
// is not up yet is a tray of the test's own that refuses every icon, standing in
// front of Wine's (tests/ShellTray.h); Wine never sends "TaskbarCreated", so the
// test posts it as the shell would.
//
// That the icon leaves the notification area at the end cannot be seen here:
// Wine's tray drops the icons of a window that is gone, whether or not the
// program deleted them. TrayIconTests checks the delete against Wine's tray.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ProgramRun.h"
#include "ShellTray.h"
#include "TestSupport.h"

using programrun::Ended;
using programrun::Program;
using programrun::Within;
using programrun::WaitForWindow;
using testsupport::TempDir;

namespace {

// Started in the tray, a balloon after each cycle, cycles `interval` seconds apart.
std::string TrayStart(int interval) {
  return "[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=1\r\n[Compare]\r\nNotice=1\r\n"
         "[Integer]\r\nInterval=" + std::to_string(interval) + "\r\n";
}

}  // namespace

TEST(NotificationArea, StartedBeforeTheTaskbarItMonitorsSavesAndTheIconComesWithTheTaskbar) {
  TempDir dir;
  Program program(dir);
  testsupport::WriteFileBytes(program.File("Inf.ini"), TrayStart(1));
  auto noTaskbar = std::make_unique<testsupport::RefusingTray>();
  ASSERT_TRUE(noTaskbar->InFront());

  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  HWND icon = WaitForWindow(pi.dwProcessId, "TaskTrayHandle");
  ASSERT_NE(nullptr, main);
  ASSERT_NE(nullptr, icon);
  EXPECT_TRUE(Within(5000, [&] { return noTaskbar->Refused() >= 2; })) << "it never asked";
  TempDir other;
  {
    testsupport::ChildProcess child(other.path(), "ran-before-the-taskbar.exe");
    ::Sleep(3000);  // cycles of one second
  }
  EXPECT_FALSE(::IsWindowVisible(main));
  EXPECT_EQ(nullptr, WaitForWindow(pi.dwProcessId, "#32770", 500)) << "an error box";

  noTaskbar.reset();  // the taskbar comes up
  ::PostMessageA(icon, testsupport::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(Within(3000, [&] { return testsupport::IconInTray(icon); }));

  ::PostMessageA(main, WM_CLOSE, 0, 0);  // "閉じる" of the tray menu
  ASSERT_TRUE(Ended(pi));
  std::string list = testsupport::ReadFileBytes(program.File("ProcessList.dat"));
  EXPECT_NE(std::string::npos, list.find("ran-before-the-taskbar.exe\r\n" +
                                         other.file("ran-before-the-taskbar.exe")));
}

TEST(NotificationArea, TaskbarCreatedWhileTheIconIsThereNeitherComplainsNorEndsTheBalloons) {
  TempDir dir;
  Program program(dir);
  // Wine's tray shows a balloon two seconds after it is asked for, and the next
  // cycle takes it away: cycles of one second would never let one show.
  testsupport::WriteFileBytes(program.File("Inf.ini"), TrayStart(4));
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  HWND icon = WaitForWindow(pi.dwProcessId, "TaskTrayHandle");
  ASSERT_NE(nullptr, main);
  ASSERT_NE(nullptr, icon);
  ASSERT_TRUE(Within(10000, [&] { return testsupport::IconInTray(icon); }));

  ::PostMessageA(icon, testsupport::TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(nullptr, WaitForWindow(pi.dwProcessId, "#32770", 2000)) << "an error box";
  EXPECT_TRUE(testsupport::IconInTray(icon));
  // Each cycle takes away the balloon of the one before; a new program brings one.
  ASSERT_TRUE(Within(15000, [] { return testsupport::ShownBalloons().empty(); }));
  TempDir other;
  testsupport::ChildProcess child(other.path(), "ran-after-taskbar-created.exe");
  EXPECT_TRUE(Within(10000, [] { return !testsupport::ShownBalloons().empty(); }))
      << "no balloon after the taskbar was created";

  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));
}
