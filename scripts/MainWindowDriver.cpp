// Drives a running Vantry from outside for the screenshot script, as a user would.
//   MainWindowDriver tab N      chooses tab N of the main window by the keyboard
//   MainWindowDriver rclick N   right-clicks the list of tab N (opens its menu)
//   MainWindowDriver escape     closes an open menu
//   MainWindowDriver tray       minimises the window to the tray and opens it
//                               again by a double click on the tray icon
//   MainWindowDriver filter T   types T into the filter box (an empty T empties it)
//   MainWindowDriver where      prints the window's place and size as WxH+X+Y,
//                               the geometry a crop of the screen takes
//   MainWindowDriver place X Y  moves the window to X,Y and prints it as `where`
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND FindMain() {
  for (int i = 0; i < 100; ++i) {
    if (HWND main = ::FindWindowA("TForm1", nullptr)) return main;
    ::Sleep(100);
  }
  return nullptr;
}

void ChooseTab(HWND tabs, int tab) {
  // Back to the first tab (the tab control takes no Home key), then on.
  const int count = static_cast<int>(::SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) ::PostMessageA(tabs, WM_KEYDOWN, VK_LEFT, 0);
  for (int i = 0; i < tab; ++i) ::PostMessageA(tabs, WM_KEYDOWN, VK_RIGHT, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const char* verb = argc > 1 ? argv[1] : "tab";
  int n = argc > 2 ? std::atoi(argv[2]) : 0;
  HWND main = FindMain();
  if (!main) return 1;
  HWND tabs = ::FindWindowExA(main, nullptr, "SysTabControl32", nullptr);
  if (!tabs) return 2;
  if (std::strcmp(verb, "tab") == 0) {
    ChooseTab(tabs, n);
  } else if (std::strcmp(verb, "rclick") == 0) {
    ChooseTab(tabs, n);
    ::Sleep(500);
    // The page of tab n is the n-th container beside the tab control.
    HWND page = ::FindWindowExA(main, nullptr, "VantryContainer", nullptr);
    for (int i = 0; i < n && page; ++i) page = ::FindWindowExA(main, page, "VantryContainer", nullptr);
    HWND list = page ? ::FindWindowExA(page, nullptr, "SysListView32", nullptr) : nullptr;
    if (!list) return 3;
    // The second row, below the heading, whatever the display scaling makes of
    // their heights.
    RECT rc, heading = {0, 0, 0, 0};
    ::GetWindowRect(list, &rc);
    if (HWND header = ::FindWindowExA(list, nullptr, "SysHeader32", nullptr))
      ::GetClientRect(header, &heading);
    const int scale = static_cast<int>(::GetDpiForWindow(list));
    const int x = 60 * scale / 96;
    const int y = heading.bottom + 28 * scale / 96;
    ::SetCursorPos(rc.left + x + 20, rc.top + y + 10);
    ::SetForegroundWindow(main);
    ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    ::Sleep(300);
    ::PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    ::PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
  } else if (std::strcmp(verb, "place") == 0 || std::strcmp(verb, "where") == 0) {
    if (std::strcmp(verb, "place") == 0) {
      int y = argc > 3 ? std::atoi(argv[3]) : 0;
      ::SetWindowPos(main, nullptr, n, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT rc;
    ::GetWindowRect(main, &rc);
    std::printf("%ldx%ld+%ld+%ld\n", rc.right - rc.left, rc.bottom - rc.top, rc.left, rc.top);
  } else if (std::strcmp(verb, "tray") == 0) {
    ::PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ::Sleep(1500);
    // The icon's messages go to its hidden window; the callback message is the
    // one the program gives the shell for its icon (WM_USER + 200).
    HWND icon = ::FindWindowA("TaskTrayHandle", nullptr);
    if (!icon) return 4;
    ::PostMessageA(icon, WM_USER + 200, 0, WM_LBUTTONDBLCLK);
  } else if (std::strcmp(verb, "filter") == 0) {
    HWND box = ::FindWindowExA(main, nullptr, "Edit", nullptr);
    if (!box) return 4;
    ::SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    // A key at a time, as typed: the list follows each one.
    for (const char* c = argc > 2 ? argv[2] : ""; *c; ++c) {
      ::PostMessageA(box, WM_CHAR, static_cast<unsigned char>(*c), 1);
      ::Sleep(100);
    }
  } else if (std::strcmp(verb, "escape") == 0) {
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
  }
  return 0;
}
