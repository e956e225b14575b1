// What the main window shows on the screen, read back from the window's own
// surface: the settings tab's group boxes after a trip to the tray.
#include <gtest/gtest.h>

#include <string>

#include "MainWindow.h"

using Window = testsupport::MainWindow;

namespace {

// The group boxes of a page: its BUTTON children of the group-box style.
std::vector<HWND> GroupBoxes(HWND page) {
  std::vector<HWND> boxes;
  for (HWND c = ::GetWindow(page, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    char cls[16] = {};
    ::GetClassNameA(c, cls, sizeof cls);
    if (std::string(cls) == "Button" &&
        (::GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
      boxes.push_back(c);
  }
  return boxes;
}

// A point inside a group box, in its page's coordinates, that no other control
// of the page covers: the page's background shows there, or nothing does.
POINT InsideAndUncovered(HWND page, HWND box) {
  RECT rc;
  ::GetWindowRect(box, &rc);
  ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rc), 2);
  POINT at = {rc.left + 4, rc.bottom - 6};
  for (HWND c = ::GetWindow(page, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (c == box) continue;
    RECT other;
    ::GetWindowRect(c, &other);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&other), 2);
    EXPECT_FALSE(::PtInRect(&other, at)) << "a control covers the point";
  }
  return at;
}

}  // namespace

// The fault as it was met under Wine: back from the tray, every group box of the
// settings tab was black inside until another tab was chosen. The page clipped
// its children, so nothing painted inside a group box, and the window's surface
// was new.
TEST(Painting, TheSettingsGroupBoxesAreDrawnAfterARestoreFromTheTray) {
  Window w;
  TForm1& f = *w.form;
  f.PageControl1.SetActivePage(3);
  HWND page = f.PageControl1.Page(3);
  const std::vector<HWND> boxes = GroupBoxes(page);
  ASSERT_EQ(6u, boxes.size());  // the designed five and the run journal's
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  auto backgrounds = [&] {
    ::RedrawWindow(f.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    testsupport::PumpMessages();
    std::vector<COLORREF> seen;
    toolkit::WindowDC dc(page);
    for (HWND box : boxes) {
      POINT at = InsideAndUncovered(page, box);
      seen.push_back(::GetPixel(dc.get(), at.x, at.y));
    }
    return seen;
  };
  const std::vector<COLORREF> allFace(boxes.size(), face);
  EXPECT_EQ(allFace, backgrounds());
  for (int trip = 0; trip < 2; ++trip) {
    f.Button3Click();  // "アイコン化"
    testsupport::PumpMessages();
    if (trip == 0) f.TrayIcon1DblClick();
    else f.Open1Click();
    EXPECT_EQ(allFace, backgrounds()) << "trip " << trip;
  }
}
