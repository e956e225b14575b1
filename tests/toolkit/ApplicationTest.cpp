#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "toolkit/Application.h"
#include "toolkit/Handle.h"
#include "toolkit/Icon.h"

using toolkit::TApplication;
using toolkit::TComponent;

TEST(Application, MinimiseAndRestoreRunTheirHandlersOncePerChange) {
  TApplication app;
  std::vector<std::string> seen;
  app.OnMinimize = [&](TComponent* s) { seen.push_back(s == &app ? "min" : "min?"); };
  app.OnRestore = [&](TComponent* s) { seen.push_back(s == &app ? "restore" : "restore?"); };
  app.Minimize();
  EXPECT_TRUE(::IsIconic(app.Handle()));
  app.Minimize();  // already minimised
  app.Restore();
  EXPECT_FALSE(::IsIconic(app.Handle()));
  app.Restore();  // already restored
  EXPECT_EQ((std::vector<std::string>{"min", "restore"}), seen);
}

TEST(Application, SystemCommandsGoThroughTheHandlers) {
  TApplication app;
  int minimised = 0, restored = 0;
  app.OnMinimize = [&](TComponent*) { ++minimised; };
  app.OnRestore = [&](TComponent*) { ++restored; };
  ::SendMessageA(app.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ::SendMessageA(app.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(1, minimised);
  EXPECT_EQ(1, restored);
}

TEST(Application, HasAnIconWithoutAResource) {
  TApplication app;  // the test program carries no icon resource
  EXPECT_NE(nullptr, app.Icon());
}

TEST(Icon, AssignCopiesAndNotifies) {
  toolkit::TIcon source, target;
  int changes = 0;
  target.OnChange = [&](toolkit::TIcon*) { ++changes; };
  source.SetHandle(::CopyIcon(::LoadIconA(nullptr, IDI_APPLICATION)));
  target.Assign(source);
  EXPECT_EQ(1, changes);
  ASSERT_FALSE(target.Empty());
  EXPECT_NE(source.Handle(), target.Handle());  // a copy of its own, destroyed with it
  source.Clear();
  ICONINFO info = {};
  EXPECT_TRUE(::GetIconInfo(target.Handle(), &info));
  toolkit::BitmapHandle color(info.hbmColor), mask(info.hbmMask);
  target.Clear();
  target.Clear();  // nothing left: no second notification
  EXPECT_EQ(2, changes);
}
