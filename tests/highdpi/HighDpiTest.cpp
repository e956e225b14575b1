// The program at 150 % display scaling (144 DPI), in a prefix that scripts/test.sh
// sets to that scaling and to a desktop of 1536x1152: the main window is the
// designed one scaled by one and a half, at its designed place, and its icons, the
// tray's and the about dialog's picture are the larger ones the scaling asks
// for. This program carries the executable's resources (icons, manifest), so the
// icons are the program's own.
//
// Under Wine 8 every process is aware of the DPI, with or without a manifest; on
// Windows a test program without one would be scaled by the system instead.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "toolkit/Dpi.h"
#include "ui/LayoutSupport.h"
#include "ui/OKBottomDlg.h"

using layouttest::MainWindow;

namespace {

constexpr int kScaledDpi = 144;

// The DPI this run was asked to test at (VANTRY_TEST_DPI, set by scripts/test.sh),
// or 0.
int AskedDpi() {
  const char* asked = std::getenv("VANTRY_TEST_DPI");
  return asked ? std::atoi(asked) : 0;
}

#define SKIP_UNLESS_SCALED()                                                          \
  if (toolkit::SystemDpi() != kScaledDpi)                                             \
  GTEST_SKIP() << "the prefix is at " << toolkit::SystemDpi()                          \
               << " DPI; scripts/test.sh runs these tests in one at " << kScaledDpi

int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (!icon || !::GetIconInfo(icon, &info)) return 0;
  toolkit::BitmapHandle color(info.hbmColor), mask(info.hbmMask);
  BITMAP bitmap = {};
  ::GetObjectA(color ? color.get() : mask.get(), sizeof bitmap, &bitmap);
  return bitmap.bmWidth;
}

}  // namespace

TEST(HighDpi, ThePrefixIsAtTheScalingTheRunAskedFor) {
  if (AskedDpi() == 0) GTEST_SKIP() << "VANTRY_TEST_DPI is not set";
  EXPECT_EQ(AskedDpi(), toolkit::SystemDpi());
}

TEST(HighDpi, TheMainWindowIsTheDesignedOneScaledAtItsDesignedPlace) {
  SKIP_UNLESS_SCALED();
  MainWindow w;
  HWND h = w.form->Handle();
  EXPECT_EQ(kScaledDpi, w.form->Dpi());
  const DWORD style = static_cast<DWORD>(::GetWindowLongA(h, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(h, GWL_EXSTYLE));
  // The designed client area: the designed outer size less a 96-DPI frame.
  RECT frame = toolkit::FrameForDpi(style, exStyle, toolkit::kDesignDpi);
  const int designedWidth = 790 - (frame.right - frame.left);
  const int designedHeight = 465 - (frame.bottom - frame.top);
  RECT client;
  ::GetClientRect(h, &client);
  EXPECT_NEAR(designedWidth * 3 / 2.0, client.right, 2);
  EXPECT_NEAR(designedHeight * 3 / 2.0, client.bottom, 2);
  // A 1536-pixel screen has room for it where it was designed to open.
  RECT rc;
  ::GetWindowRect(h, &rc);
  EXPECT_EQ(249, rc.left);
  EXPECT_EQ(129, rc.top);
  // The minimum size is scaled too.
  ::SetWindowPos(h, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  ::GetClientRect(h, &client);
  EXPECT_NEAR((720 - (frame.right - frame.left)) * 3 / 2.0, client.right, 2);
  EXPECT_NEAR((275 - (frame.bottom - frame.top)) * 3 / 2.0, client.bottom, 2);
}

TEST(HighDpi, TheFontsAndColumnsAreScaled) {
  SKIP_UNLESS_SCALED();
  MainWindow w;
  LOGFONTA font = {};
  HFONT shown = reinterpret_cast<HFONT>(::SendMessageA(w.form->Button1.Handle(), WM_GETFONT, 0, 0));
  ASSERT_NE(nullptr, shown);
  ::GetObjectA(shown, sizeof font, &font);
  EXPECT_EQ(-18, font.lfHeight);  // 12 pixels as designed
  EXPECT_EQ(195, ListView_GetColumnWidth(w.form->ListView2.Handle(), 0));  // 130 as designed
  EXPECT_EQ(450, ListView_GetColumnWidth(w.form->ListView2.Handle(), 1));  // 300
}

TEST(HighDpi, TheIconsAreTheLargerOnesAndTheAboutDialogIsScaled) {
  SKIP_UNLESS_SCALED();
  MainWindow w;
  const int small = ::GetSystemMetrics(SM_CXSMICON);
  ASSERT_EQ(24, small);
  int width = 0, height = 0;
  ImageList_GetIconSize(w.form->ImageList1.Handle(), &width, &height);
  EXPECT_EQ(small, width);
  EXPECT_EQ(w.form->ImageList1.Handle(),
            ListView_GetImageList(w.form->ListView1.Handle(), LVSIL_SMALL));
  EXPECT_EQ(small, IconWidth(w.form->Image2.get()));
  EXPECT_EQ(small, IconWidth(w.form->TrayIcon1.Icon().Handle()));
  HWND h = w.form->Handle();
  EXPECT_EQ(small, IconWidth(reinterpret_cast<HICON>(::SendMessageA(h, WM_GETICON, ICON_SMALL, 0))));
  EXPECT_EQ(::GetSystemMetrics(SM_CXICON),
            IconWidth(reinterpret_cast<HICON>(::SendMessageA(h, WM_GETICON, ICON_BIG, 0))));

  ui::TOKBottomDlg about;
  RECT client;
  ::GetClientRect(about.Handle(), &client);
  EXPECT_EQ(393, client.right);  // 262 x 168 as designed
  EXPECT_EQ(252, client.bottom);
  HWND picture = ::FindWindowExA(about.Handle(), nullptr, "STATIC", nullptr);
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(72, IconWidth(reinterpret_cast<HICON>(::SendMessageA(picture, STM_GETICON, 0, 0))));
}
