// Display scaling. Every window of the program is designed in the pixels of a
// 96-DPI screen: positions, sizes, font heights, column widths. The program
// declares itself aware of each monitor's DPI (its manifest), so Windows does
// not stretch it into a blur; in return it scales the designed figures by the DPI
// of the window they belong to, and at 96 DPI every pixel stays as designed.
//
// The calls that know a window's or a monitor's DPI came with Windows 10 (1607);
// the program runs on Windows 7, so each is looked up at run time. Where one is
// missing, the process is at most aware of the system's DPI (the manifest's
// fallback), and the system's figures are the right ones.
#pragma once

#include <windows.h>

namespace toolkit {

constexpr int kDesignDpi = 96;

// A designed length at a DPI, rounded to the nearest pixel.
inline int ScaleToDpi(int designed, int dpi) { return ::MulDiv(designed, dpi, kDesignDpi); }

// The DPI the system's own figures are made for: the primary monitor's at log-on.
int SystemDpi();
// The DPI a window is shown at; the system's where Windows cannot tell per window.
int WindowDpi(HWND window);

// How much a window's frame (caption, borders) adds to its client area at a DPI:
// left and top as negative numbers, as AdjustWindowRectEx makes of an empty rectangle.
RECT FrameForDpi(DWORD style, DWORD exStyle, int dpi);
// A system metric (SM_CXSMICON, say) at a DPI.
int SystemMetricForDpi(int index, int dpi);
// The font the system gives icon titles and lists, at a DPI.
LOGFONTA IconTitleFontForDpi(int dpi);

}  // namespace toolkit
