// The program's windows as they stand at the display scaling of the prefix they
// run in: 96 DPI in the ordinary run, 144 DPI in the run of tests/highdpi, which
// builds this file into its own program. At any scaling every control lies
// inside its parent, no two overlap (a group box holds what lies in it), no text
// is cut short, the numeric boxes show each of their values whole, the columns
// that fill a list fit it with and without a scroll bar, and the main window
// stands inside the work area.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "toolkit/Dpi.h"
#include "ui/Form4.h"
#include "ui/LayoutSupport.h"
#include "ui/OKBottomDlg.h"

using layouttest::ExpectControlsApartAndInside;
using layouttest::ExpectTextsWhole;
using layouttest::MainWindow;
using layouttest::TextWidth;

namespace {

// The sum of the list's column widths, and the width they have to fill.
struct ColumnFit {
  int columns = 0;
  int client = 0;
  bool horizontalBar = false;
  bool verticalBar = false;
};

ColumnFit FitOf(HWND list) {
  ColumnFit fit;
  HWND header = ListView_GetHeader(list);
  for (int i = 0; i < Header_GetItemCount(header); ++i) fit.columns += ListView_GetColumnWidth(list, i);
  RECT client;
  ::GetClientRect(list, &client);
  fit.client = client.right;
  LONG style = ::GetWindowLongA(list, GWL_STYLE);
  fit.horizontalBar = (style & WS_HSCROLL) != 0;
  fit.verticalBar = (style & WS_VSCROLL) != 0;
  return fit;
}

}  // namespace

TEST(Layout, EveryPageOfTheMainWindowHasItsControlsApartInsideAndWhole) {
  MainWindow w;
  TForm1& f = *w.form;
  const int dpi = f.Dpi();
  EXPECT_EQ(toolkit::WindowDpi(f.Handle()), dpi);
  ExpectControlsApartAndInside(f.Handle(), dpi);
  ExpectTextsWhole(f.Handle(), dpi);
  for (int page = 0; page < f.PageControl1.PageCount(); ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    f.PageControl1.SetActivePage(page);
    ExpectControlsApartAndInside(f.PageControl1.Page(page), dpi);
    ExpectTextsWhole(f.PageControl1.Page(page), dpi);
  }
}

TEST(Layout, TheNumericBoxesShowEveryValueWhole) {
  MainWindow w;
  TForm1& f = *w.form;
  f.PageControl1.SetActivePage(3);
  f.Show();
  struct Case {
    toolkit::TSpinEdit& box;
    std::vector<int> values;
  };
  for (const Case& c : {Case{f.SpinEdit2, {10, 100, 200, 188}}, Case{f.SpinEdit1, {1, 60, 10}}}) {
    HWND edit = c.box.Handle();
    for (int value : c.values) {
      SCOPED_TRACE(value);
      c.box.SetValue(value);
      // The caret at the end of the text, as after typing the last digit: an edit
      // too narrow scrolls its first digit out of sight.
      ::SetFocus(edit);
      int length = ::GetWindowTextLengthA(edit);
      ::SendMessageA(edit, EM_SETSEL, length, length);
      ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
      EXPECT_EQ(0, ::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
      RECT format;
      ::SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
      EXPECT_LT(TextWidth(edit, std::to_string(value)), format.right - format.left);
    }
    // The arrows stand beside the edit, not over it.
    RECT box, arrows;
    ::GetWindowRect(edit, &box);
    ::GetWindowRect(c.box.Arrows(), &arrows);
    EXPECT_EQ(box.right, arrows.left);
    EXPECT_EQ(box.top, arrows.top);
  }
}

TEST(Layout, TheFillingColumnFitsTheListWithAndWithoutAScrollBar) {
  MainWindow w;
  TForm1& f = *w.form;
  f.PageControl1.SetActivePage(3);
  f.Show();
  toolkit::TListView& folders = f.ListView4;
  HWND list = folders.Handle();
  auto expectFits = [&](bool withBar) {
    ColumnFit fit = FitOf(list);
    EXPECT_EQ(withBar, fit.verticalBar);
    EXPECT_FALSE(fit.horizontalBar);
    EXPECT_EQ(fit.client, fit.columns);
  };
  expectFits(false);
  for (int i = 0; i < 30; ++i) folders.Add("C:\\folder" + std::to_string(i) + "\\");
  expectFits(true);
  while (folders.Count() > 1) folders.Delete(folders.Count() - 1);
  expectFits(false);
  // In one batch, and with the window resized meanwhile.
  {
    toolkit::TListUpdate batch(folders);
    for (int i = 0; i < 30; ++i) folders.Add("C:\\again" + std::to_string(i) + "\\");
  }
  expectFits(true);
  RECT rc;
  ::GetWindowRect(f.Handle(), &rc);
  ::SetWindowPos(f.Handle(), nullptr, 0, 0, rc.right - rc.left + f.Scale(50), rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  expectFits(true);
  folders.Clear();
  expectFits(false);

  // The current processes and the log fill their pages the same way.
  for (toolkit::TListView* view : {&f.ListView1, &f.ListView3}) {
    for (int i = 0; i < 100; ++i) view->Add("row" + std::to_string(i));
    ColumnFit fit = FitOf(view->Handle());
    EXPECT_TRUE(fit.verticalBar);
    EXPECT_FALSE(fit.horizontalBar);
    EXPECT_EQ(fit.client, fit.columns);
  }
}

TEST(Layout, TheMainWindowStandsInsideTheWorkArea) {
  MainWindow w;
  RECT rc, area = testsupport::WorkAreaOf(w.form->Handle());
  ::GetWindowRect(w.form->Handle(), &rc);
  EXPECT_GE(rc.left, area.left);
  EXPECT_GE(rc.top, area.top);
  EXPECT_LE(rc.right, area.right);
  EXPECT_LE(rc.bottom, area.bottom);
}

TEST(Layout, TheDialogsHaveTheirControlsApartInsideAndWhole) {
  {
    ui::TOKBottomDlg about;
    SCOPED_TRACE("about");
    ExpectControlsApartAndInside(about.Handle(), about.Dpi());
    ExpectTextsWhole(about.Handle(), about.Dpi());
  }
  {
    ui::TForm4 picker;
    SCOPED_TRACE("picker");
    ExpectControlsApartAndInside(picker.Handle(), picker.Dpi());
    ExpectTextsWhole(picker.Handle(), picker.Dpi());
  }
}

namespace {

struct Walk {
  HWND top;
  std::vector<std::pair<HWND, RECT>> places;
};

BOOL CALLBACK Visit(HWND child, LPARAM data) {
  auto* walk = reinterpret_cast<Walk*>(data);
  RECT rc;
  ::GetWindowRect(child, &rc);
  ::MapWindowPoints(nullptr, walk->top, reinterpret_cast<POINT*>(&rc), 2);
  walk->places.emplace_back(child, rc);
  return TRUE;
}

// Every window below the top-level one, with its place in the top-level
// window's client coordinates.
std::vector<std::pair<HWND, RECT>> Places(HWND top) {
  Walk walk{top, {}};
  ::EnumChildWindows(top, &Visit, reinterpret_cast<LPARAM>(&walk));
  return walk.places;
}

void SendDpiChange(HWND window, int dpi, const RECT& suggested) {
  ::SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

}  // namespace

// Wine moves no window between monitors of different scaling, so the test sends
// the message Windows would send, with the rectangle Windows would suggest.
TEST(Layout, AChangeOfDpiScalesTheWindowAndAChangeBackRestoresEveryPixel) {
  MainWindow w;
  TForm1& f = *w.form;
  HWND h = f.Handle();
  // A quarter more, as from 100 % to 125 %: the larger window still fits the
  // screen, which Wine does not let a window outgrow.
  const int dpi = f.Dpi();
  const int larger = dpi * 5 / 4;
  RECT outer;
  ::GetWindowRect(h, &outer);
  const auto before = Places(h);
  RECT bigger = {outer.left, outer.top, outer.left + (outer.right - outer.left) * 5 / 4,
                 outer.top + (outer.bottom - outer.top) * 5 / 4};
  SendDpiChange(h, larger, bigger);
  EXPECT_EQ(larger, f.Dpi());
  EXPECT_FALSE(::IsWindowVisible(h));  // a window in the tray stays there
  RECT now;
  ::GetWindowRect(h, &now);
  EXPECT_EQ(bigger.right - bigger.left, now.right - now.left);
  // The controls of a designed size are scaled, and stand where a window made
  // at that DPI would have them.
  struct Designed {
    toolkit::TButton& button;
    int width, height;
  };
  for (const Designed& d : {Designed{f.Button1, 77, 25}, {f.Button5, 77, 25}, {f.Button6, 43, 21}}) {
    RECT rc;
    ::GetWindowRect(d.button.Handle(), &rc);
    EXPECT_EQ(toolkit::ScaleToDpi(d.width, larger), rc.right - rc.left);
    EXPECT_EQ(toolkit::ScaleToDpi(d.height, larger), rc.bottom - rc.top);
  }
  LOGFONTA font = {};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(f.Button1.Handle(), WM_GETFONT, 0, 0)),
               sizeof font, &font);
  EXPECT_EQ(-toolkit::ScaleToDpi(12, larger), font.lfHeight);
  EXPECT_EQ(toolkit::ScaleToDpi(130, larger), ListView_GetColumnWidth(f.ListView2.Handle(), 0));
  ColumnFit fit = FitOf(f.ListView1.Handle());
  EXPECT_EQ(fit.client, fit.columns);
  int iconWidth = 0, iconHeight = 0;
  ImageList_GetIconSize(f.ImageList1.Handle(), &iconWidth, &iconHeight);
  EXPECT_EQ(toolkit::SystemMetricForDpi(SM_CXSMICON, larger), iconWidth);
  ExpectControlsApartAndInside(f.PageControl1.Page(3), larger);

  SendDpiChange(h, dpi, outer);
  ::GetWindowRect(h, &now);
  EXPECT_TRUE(::EqualRect(&outer, &now));
  const auto after = Places(h);
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].first, after[i].first);
    EXPECT_TRUE(::EqualRect(&before[i].second, &after[i].second))
        << i << ": " << before[i].second.left << "," << before[i].second.top << "-"
        << before[i].second.right << "," << before[i].second.bottom << " became "
        << after[i].second.left << "," << after[i].second.top << "-" << after[i].second.right
        << "," << after[i].second.bottom;
  }
  ImageList_GetIconSize(f.ImageList1.Handle(), &iconWidth, &iconHeight);
  EXPECT_EQ(toolkit::SystemMetricForDpi(SM_CXSMICON, dpi), iconWidth);
}
