// Run once before the tests in a new Wine prefix: the first window and the first
// text drawn there start the desktop and build Wine's font cache, which takes
// about a minute. Done here, no test pays for it (or times out on it).
#include <windows.h>

int main() {
  HWND window = ::CreateWindowExA(0, "STATIC", "warm-up", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
  HDC dc = ::GetDC(window);
  HFONT font = ::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                             "ＭＳ Ｐゴシック");
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size;
  ::GetTextExtentPoint32A(dc, "プロセス", 8, &size);
  ::SelectObject(dc, old);
  ::DeleteObject(font);
  ::ReleaseDC(window, dc);
  ::DestroyWindow(window);
  return 0;
}
