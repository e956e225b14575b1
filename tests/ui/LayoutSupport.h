// What the layout tests of the ordinary run and of the run at a higher DPI
// (tests/highdpi) share: the main window on a folder of its own, and what a
// laid-out window must hold at any display scaling, checked on its controls as
// they stand.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "trayicon/FakeShell.h"
#include "ui/Form1.h"

namespace layouttest {

// The main window, made as the program makes it, on a folder of its own and
// with the notification area's shell replaced; an error box fails the test.
struct MainWindow {
  testsupport::TempDir dir;
  traytest::FakeShell shell;
  trayicon::TShellSeamScope scope{shell};
  std::unique_ptr<TForm1> form;

  MainWindow();
  ~MainWindow();
};

// The width of a text in the font a control shows.
int TextWidth(HWND control, const std::string& text);

// Every shown child of the window lies inside its client area, and no two
// overlap unless one holds the other (a group box and its contents, the tab
// control and its pages); what a group box holds starts below its caption.
void ExpectControlsApartAndInside(HWND parent, int dpi);

// The text of every shown label, button, check box and group box among the
// window's children fits it whole in the font it shows.
void ExpectTextsWhole(HWND parent, int dpi);

}  // namespace layouttest
