// The main window from the keyboard, under Wine with real key presses: the
// context menus open from Shift+F10 and the menu key at the focused row, the
// keyboard stays in the control it was in after a menu and comes back to it
// after every box the window shows, and Ctrl+Tab walks the tabs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "MainWindow.h"
#include "TestTables.h"
#include "ui/Form4.h"
#include "ui/OKBottomDlg.h"

using testsupport::ClickRow;
using testsupport::TDialogDriver;
using testsupport::TypeKeys;
using Window = testsupport::MainWindow;

namespace {

constexpr char kMenuClass[] = "#32768";

// What a shown menu was: where it opened and how many items it had.
struct SeenMenu {
  RECT rect = {};
  int items = -1;
};

// A driver step that notes the open menu and closes it with Esc.
TDialogDriver::Step NoteAndClose(SeenMenu& seen) {
  return [&seen](HWND menu) {
    ::GetWindowRect(menu, &seen.rect);
    HMENU items = reinterpret_cast<HMENU>(::SendMessageA(menu, MN_GETHMENU, 0, 0));
    seen.items = items ? ::GetMenuItemCount(items) : -1;
    ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  };
}

// Where a menu asked for from the keyboard belongs: below the first cell of the
// focused row, on the screen.
POINT BelowFocusedRow(HWND list) {
  RECT rc = {};
  ListView_GetItemRect(list, testsupport::WindowFocused(list), &rc, LVIR_LABEL);
  POINT at = {rc.left < 0 ? 0 : rc.left, rc.bottom};
  ::ClientToScreen(list, &at);
  return at;
}

void FillProcessList(TForm1& f) {
  f.ListView2.Clear();
  for (int i = 0; i < 8; ++i)
    testsupport::AddProgram(f.Tables, "program" + std::to_string(i) + ".exe",
                            "C:\\Programs\\program" + std::to_string(i) + ".exe");
}

}  // namespace

TEST(ContextMenusFromTheKeyboard, ShiftF10AndTheMenuKeyOpenBothListsMenusAtTheFocusedRow) {
  Window w;
  TForm1& f = *w.form;
  FillProcessList(f);
  struct Case {
    int page;
    toolkit::TListView* list;
    int items;
  };
  // Each menu's commands, a separator line and "CSVで保存...".
  const Case lists[] = {{0, &f.ListView1, 7}, {1, &f.ListView2, 8}};
  const std::vector<std::vector<WORD>> chords = {{VK_SHIFT, VK_F10}, {VK_APPS}};
  for (const Case& c : lists) {
    for (const std::vector<WORD>& chord : chords) {
      SCOPED_TRACE("page " + std::to_string(c.page) + ", key " + std::to_string(chord.back()));
      f.PageControl1.SetActivePage(c.page);
      w.Focus(c.list->Handle());
      ClickRow(c.list->Handle(), 3);
      SeenMenu seen;
      TDialogDriver driver(kMenuClass, {NoteAndClose(seen)});
      if (chord.size() == 2) TypeKeys({chord[0], chord[1]});
      else TypeKeys({chord[0]});
      ASSERT_TRUE(testsupport::PumpUntil([&] { return driver.Finished(); }, 5000));
      testsupport::PumpMessages();
      EXPECT_EQ(c.items, seen.items);
      POINT at = BelowFocusedRow(c.list->Handle());
      EXPECT_EQ(at.x, seen.rect.left);
      EXPECT_EQ(at.y, seen.rect.top);
      EXPECT_EQ(c.list->Handle(), ::GetFocus());
      EXPECT_EQ(f.Handle(), ::GetForegroundWindow());
    }
  }
}

// The fault as it was met: after any right-click menu the keyboard sat in a
// hidden window of the menu's, the title bar grey, and no key did anything.
TEST(ContextMenusFromTheKeyboard, AfterAMenuTheListKeepsTheKeyboard) {
  Window w;
  TForm1& f = *w.form;
  FillProcessList(f);
  f.PageControl1.SetActivePage(1);
  w.Focus(f.ListView2.Handle());
  ClickRow(f.ListView2.Handle(), 1);

  // A right click and "ファイル名をコピー", the fourth item.
  TDialogDriver copy(kMenuClass, {[](HWND m) {
                       for (int i = 0; i < 4; ++i) ::PostMessageA(m, WM_KEYDOWN, VK_DOWN, 0);
                       ::PostMessageA(m, WM_KEYDOWN, VK_RETURN, 0);
                     }});
  ClickRow(f.ListView2.Handle(), 1, true);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return f.Edit1 == "program1.exe"; }, 5000));
  EXPECT_EQ(f.ListView2.Handle(), ::GetFocus());
  EXPECT_EQ(f.Handle(), ::GetForegroundWindow());
  TypeKeys({VK_DOWN});
  EXPECT_EQ(2, f.ListView2.Selected());

  // A menu closed with Esc leaves it there too.
  SeenMenu seen;
  TDialogDriver closed(kMenuClass, {NoteAndClose(seen)});
  ClickRow(f.ListView2.Handle(), 2, true);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return closed.Finished(); }, 5000));
  testsupport::PumpMessages();
  EXPECT_EQ(8, seen.items);
  EXPECT_EQ(f.ListView2.Handle(), ::GetFocus());
  TypeKeys({VK_UP});
  EXPECT_EQ(1, f.ListView2.Selected());
}

// Each box the window shows gives the keyboard back to the control the user was
// in: the comment box, the end-process question, the about dialog and the
// folder picker, each closed the way a user closes it.
TEST(FocusAfterADialog, TheKeyboardComesBackToTheControlItWasIn) {
  Window w;
  TForm1& f = *w.form;
  ui::TOKBottomDlg about(f.Handle());
  ui::TForm4 picker(f.Handle());
  f.SetDialogs(&about, &picker);
  FillProcessList(f);

  struct Case {
    const char* what;
    int page;
    HWND control;
    const char* boxClass;
    TDialogDriver::Step close;
    void (TForm1::*command)();
  };
  const Case cases[] = {
      {"comment", 1, f.ListView2.Handle(), "VantryInputBox",
       [](HWND) { TDialogDriver::PressKey(nullptr, VK_ESCAPE); }, &TForm1::N3Click},
      {"end process", 0, f.ListView1.Handle(), "#32770",
       [](HWND box) { TDialogDriver::Click(::GetDlgItem(box, IDNO)); }, &TForm1::N9Click},
      {"about", 0, f.Button5.Handle(), ui::TOKBottomDlg::kClassName,
       [&about](HWND) { TDialogDriver::Click(about.OKBtnHandle()); }, &TForm1::Button5Click},
      {"picker", 3, f.Button6.Handle(), ui::TForm4::kClassName,
       [&picker](HWND) { TDialogDriver::Click(picker.Button2Handle()); }, &TForm1::Button6Click},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    f.PageControl1.SetActivePage(c.page);
    w.Focus(c.control);
    if (c.control == f.ListView1.Handle() || c.control == f.ListView2.Handle())
      ClickRow(c.control, 0);
    ASSERT_EQ(c.control, ::GetFocus());
    TDialogDriver driver(c.boxClass, {c.close});
    (f.*c.command)();
    testsupport::PumpMessages();
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.LeftOpen());
    EXPECT_EQ(c.control, ::GetFocus());
    EXPECT_EQ(f.Handle(), ::GetForegroundWindow());
  }
  EXPECT_EQ(8, f.ListView2.Count());  // nothing was dropped on the way
}

TEST(FocusAfterADialog, TheTripToTheTrayGivesTheKeyboardBackToo) {
  Window w;
  TForm1& f = *w.form;
  w.Focus(f.ListView1.Handle());
  f.Button3Click();
  f.TrayIcon1DblClick();
  testsupport::PumpMessages();
  EXPECT_EQ(f.ListView1.Handle(), ::GetFocus());
}

TEST(TabsFromTheKeyboard, CtrlTabAndCtrlShiftTabWalkTheTabsRoundTheEnds) {
  Window w;
  TForm1& f = *w.form;
  w.Focus(f.ListView1.Handle());
  TypeKeys({VK_CONTROL, VK_TAB});
  EXPECT_EQ(1, f.PageControl1.ActivePage());
  EXPECT_TRUE(::IsWindowVisible(f.ListView2.Handle()));
  // The keyboard goes along into the page, not left on a hidden control.
  EXPECT_EQ(f.ListView2.Handle(), ::GetFocus());
  TypeKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  EXPECT_EQ(0, f.PageControl1.ActivePage());
  EXPECT_EQ(f.ListView1.Handle(), ::GetFocus());
  TypeKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  EXPECT_EQ(4, f.PageControl1.ActivePage());  // the run history, the last tab
  EXPECT_EQ(f.ListView5.Handle(), ::GetFocus());
  TypeKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  EXPECT_EQ(3, f.PageControl1.ActivePage());
  EXPECT_EQ(f.CheckBox3.Handle(), ::GetFocus());
  TypeKeys({VK_CONTROL, VK_TAB});
  TypeKeys({VK_CONTROL, VK_TAB});
  EXPECT_EQ(0, f.PageControl1.ActivePage());

  // From a control outside the pages the tabs change and the keyboard stays.
  w.Focus(f.Button1.Handle());
  TypeKeys({VK_CONTROL, VK_TAB});
  EXPECT_EQ(1, f.PageControl1.ActivePage());
  EXPECT_EQ(f.Button1.Handle(), ::GetFocus());
  // Tab alone still walks the controls.
  TypeKeys({VK_TAB});
  EXPECT_EQ(f.Button2.Handle(), ::GetFocus());
  EXPECT_EQ(1, f.PageControl1.ActivePage());
}
