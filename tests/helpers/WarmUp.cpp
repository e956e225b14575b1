// Run once before the tests in a new Wine prefix: the first window and the first
// text drawn there start the desktop and build Wine's font cache, which takes
// about a minute. Done here, no test pays for it (or times out on it).
#include <windows.h>

#include "toolkit/Handle.h"

int main() {
  toolkit::WindowHandle window(::CreateWindowExA(0, "STATIC", "warm-up", WS_OVERLAPPEDWINDOW, 0,
                                                 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
  toolkit::WindowDC dc(window.get());
  toolkit::FontHandle font(::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0,
                                         0, 0, "ＭＳ Ｐゴシック"));
  HGDIOBJ old = ::SelectObject(dc.get(), font.get());
  SIZE size;
  ::GetTextExtentPoint32A(dc.get(), "プロセス", 8, &size);
  ::SelectObject(dc.get(), old);
  return 0;
}
