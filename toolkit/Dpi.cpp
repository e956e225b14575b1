#include "toolkit/Dpi.h"

#include "toolkit/Handle.h"
#include "toolkit/SystemLibrary.h"

namespace toolkit {

namespace {

HMODULE User32() { return ::GetModuleHandleA("user32.dll"); }

// A figure the system made for its own DPI, brought to another.
int FromSystemDpi(int value, int dpi) { return ::MulDiv(value, dpi, SystemDpi()); }

}  // namespace

int SystemDpi() {
  static const int dpi = [] {
    WindowDC screen(nullptr);
    int value = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return value > 0 ? value : kDesignDpi;
  }();
  return dpi;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = ProcAddress<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
  if (getDpiForWindow && window) {
    UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

RECT FrameForDpi(DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = ProcAddress<AdjustForDpiFn>(User32(), "AdjustWindowRectExForDpi");
  RECT frame = {0, 0, 0, 0};
  if (adjustForDpi && adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    return frame;
  frame = {0, 0, 0, 0};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return {FromSystemDpi(frame.left, dpi), FromSystemDpi(frame.top, dpi),
          FromSystemDpi(frame.right, dpi), FromSystemDpi(frame.bottom, dpi)};
}

int SystemMetricForDpi(int index, int dpi) {
  using MetricForDpiFn = int(WINAPI*)(int, UINT);
  static const auto metricForDpi = ProcAddress<MetricForDpiFn>(User32(), "GetSystemMetricsForDpi");
  if (metricForDpi) return metricForDpi(index, static_cast<UINT>(dpi));
  return FromSystemDpi(::GetSystemMetrics(index), dpi);
}

LOGFONTA IconTitleFontForDpi(int dpi) {
  // The system's font is the same face at every DPI; only its height differs,
  // which is all SystemParametersInfoForDpi would change.
  LOGFONTA font = {};
  ::SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0);
  font.lfHeight = FromSystemDpi(font.lfHeight, dpi);
  return font;
}

}  // namespace toolkit
