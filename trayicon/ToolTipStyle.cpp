// Mouse tracking for the tray icon. The shell reports only movement over the
// icon, never its position or the mouse leaving. So the style gathers the
// cursor positions of the movement callbacks into a rectangle (the icon is about
// 16 pixels; one grown past 32 is restarted, the mouse having been elsewhere in
// between), reports the entry at the first callback, and lets a worker ask the
// user-interface thread every 100 milliseconds whether the cursor is still in
// that rectangle. The worker pauses itself while the mouse is away.
//
// Clicks: with discrimination on, a release starts a timer of the system's
// double-click time and the click is reported only when it expires without a
// double-click in between.
#include "trayicon/TrShlApi.h"

#include <commctrl.h>

#include <cstdlib>

namespace trayicon {

namespace {

uint8_t ButtonBit(TMouseButton button) { return static_cast<uint8_t>(1u << button); }

}  // namespace

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return ::GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color);
}

void ExtendMouseRect(RECT& r, POINT p) {
  if (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0) {
    r = {p.x, p.y, p.x, p.y};
    return;
  }
  if (r.left > p.x)
    r.left = p.x;
  else if (p.x > r.right)
    r.right = p.x;
  if (r.top > p.y)
    r.top = p.y;
  else if (p.y > r.bottom)
    r.bottom = p.y;
}

bool InMouseRect(const RECT& r, POINT p) {
  return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

HWND FindTrayToolTip() {
  HWND tray = ::FindWindowExA(nullptr, nullptr, "Shell_TrayWnd", nullptr);
  if (!tray) return nullptr;
  DWORD trayProcess = 0;
  ::GetWindowThreadProcessId(tray, &trayProcess);
  // The taskbar's own tooltip is the one of its process without TTS_NOPREFIX;
  // the others there belong to single buttons.
  HWND tip = nullptr;
  while ((tip = ::FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) != nullptr) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(tip, &process);
    if (process == trayProcess && (::GetWindowLongA(tip, GWL_STYLE) & TTS_NOPREFIX) == 0)
      return tip;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// TMouseEventMaker

TMouseEventMaker::TMouseEventMaker(TCustomToolTipStyle& style) : style_(style) {}

TMouseEventMaker::~TMouseEventMaker() {
  Terminate();
  WaitFor();
}

void TMouseEventMaker::Execute() {
  while (!Terminated()) {
    if (!PauseWhen([this] { return !style_.Inside(); })) break;
    if (!Wait(MousePollPeriod)) break;
    Synchronize([this] { style_.CheckMouseLeave(); });
  }
}

// ---------------------------------------------------------------------------
// TCustomToolTipStyle

TCustomToolTipStyle::TCustomToolTipStyle() : toolTipWnd_(FindTrayToolTip()) { ResetMouseRect(); }

TCustomToolTipStyle::~TCustomToolTipStyle() {
  // Stops the poller first: it reads this style. A check it has asked for and
  // that has not run yet is dropped, so this wait cannot wait for itself.
  mouseEventMaker_.reset();
  RestoreColors();
}

void TCustomToolTipStyle::Assign(const TCustomToolTipStyle& source) {
  if (&source == this) return;
  useDefault_ = source.useDefault_;
  backGroundColor_ = source.backGroundColor_;
}

TColor TCustomToolTipStyle::GetColor(int index) const {
  switch (index) {
    case 1: return backGroundColor_;
    case 2: return textColor_;
    default: return 0;
  }
}

void TCustomToolTipStyle::SetColor(int index, TColor color) {
  if (index == 1)
    backGroundColor_ = color;
  else if (index == 2)
    textColor_ = color;
}

bool TCustomToolTipStyle::Inside() const { return (mouseState_.load() & InsideFlag) != 0; }

bool TCustomToolTipStyle::Marked(TMouseButton button) const {
  return (mouseState_.load() & ButtonBit(button)) != 0;
}

void TCustomToolTipStyle::Mark(TMouseButton button) { mouseState_.fetch_or(ButtonBit(button)); }

void TCustomToolTipStyle::Unmark(TMouseButton button) {
  mouseState_.fetch_and(static_cast<uint8_t>(~ButtonBit(button)));
}

void TCustomToolTipStyle::ResetMouseRect() { mouseRect_ = {}; }

void TCustomToolTipStyle::TrackMessage(const TMessage& message) {
  if (message.Msg == WM_TRAYICON) {
    switch (message.LParam) {
      case WM_MOUSEMOVE: TrackMouseMove(); break;
      case WM_LBUTTONDOWN: ButtonDown(mbLeft, message.WParam); break;
      case WM_RBUTTONDOWN: ButtonDown(mbRight, message.WParam); break;
      case WM_MBUTTONDOWN: ButtonDown(mbMiddle, message.WParam); break;
      case WM_LBUTTONUP: ButtonUp(mbLeft); break;
      case WM_RBUTTONUP: ButtonUp(mbRight); break;
      case WM_MBUTTONUP: ButtonUp(mbMiddle); break;
      case WM_LBUTTONDBLCLK: DoubleClick(mbLeft); break;
      case WM_RBUTTONDBLCLK: DoubleClick(mbRight); break;
      case WM_MBUTTONDBLCLK: DoubleClick(mbMiddle); break;
      default: break;
    }
  } else if (message.Msg == WM_TIMER && message.WParam == ClickTimerId) {
    // Only the click timer: another timer of the owner on this window must
    // neither stop it nor report a click early.
    Shell().KillTimer(wnd_, ClickTimerId);
    if (clickPending_) FireClick(PressedButton());
  }
}

void TCustomToolTipStyle::TrackMouseMove() {
  POINT p = Shell().CursorPos();
  ExtendMouseRect(mouseRect_, p);
  if (std::abs(mouseRect_.right - mouseRect_.left) > MouseRectLimit ||
      std::abs(mouseRect_.bottom - mouseRect_.top) > MouseRectLimit) {
    ResetMouseRect();
    ExtendMouseRect(mouseRect_, p);
  }
  if (!Inside()) MouseEnter();
}

void TCustomToolTipStyle::MouseEnter() {
  mouseState_.fetch_or(InsideFlag);
  if (!useDefault_) ApplyColors();
  if (!mouseEventMaker_) mouseEventMaker_ = std::make_unique<TMouseEventMaker>(*this);
  // Resumed whether or not it looks paused: it may have found the mouse away
  // and be on its way to pause. The resume is counted, so it stays awake.
  mouseEventMaker_->Resume();
  if (wnd_) ::SendMessageA(wnd_, WM_TRAYICON, 0, TRAYN_MOUSEENTER);
}

void TCustomToolTipStyle::CheckMouseLeave() {
  if (!Inside()) return;
  if (!InMouseRect(mouseRect_, Shell().CursorPos())) MouseExit();
}

void TCustomToolTipStyle::MouseExit() {
  mouseState_.fetch_and(static_cast<uint8_t>(~InsideFlag));
  if (!useDefault_) RestoreColors();
  if (wnd_) ::SendMessageA(wnd_, WM_TRAYICON, 0, TRAYN_MOUSEEXIT);
}

void TCustomToolTipStyle::ButtonDown(TMouseButton button, WPARAM wParam) {
  // The down that DoubleClick posts again carries -1 and marks nothing.
  if (static_cast<LONG>(wParam) >= 0) Mark(button);
}

void TCustomToolTipStyle::ButtonUp(TMouseButton button) {
  if (checkSingleDoubleClick_) {
    if (!clickPending_ &&
        Shell().SetTimer(wnd_, ClickTimerId, ::GetDoubleClickTime(),
                         reinterpret_cast<TIMERPROC>(reinterpret_cast<void*>(TrayWndProc))))
      clickPending_ = true;
  } else {
    FireClick(button);
    Unmark(button);
  }
}

void TCustomToolTipStyle::FireClick(TMouseButton button) {
  if (Marked(button) && wnd_)
    ::SendMessageA(wnd_, WM_TRAYICON, static_cast<WPARAM>(button), TRAYN_CLICK);
  clickPending_ = false;
  Unmark(button);
}

void TCustomToolTipStyle::DoubleClick(TMouseButton button) {
  clickPending_ = false;
  Unmark(button);
  static const LPARAM down[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  // Lets the owner see a button-down after the double-click, as after a click.
  if (wnd_) ::PostMessageA(wnd_, WM_TRAYICON, static_cast<WPARAM>(-1), down[button]);
}

TMouseButton TCustomToolTipStyle::PressedButton() const {
  if (Marked(mbLeft)) return mbLeft;
  if (Marked(mbRight)) return mbRight;
  return mbMiddle;
}

void TCustomToolTipStyle::ApplyColors() {
  if (!toolTipWnd_) return;
  ::SendMessageA(toolTipWnd_, TTM_SETTIPBKCOLOR, ColorToRGB(backGroundColor_), 0);
  ::SendMessageA(toolTipWnd_, TTM_SETTIPTEXTCOLOR, ColorToRGB(textColor_), 0);
}

void TCustomToolTipStyle::RestoreColors() {
  if (!toolTipWnd_) return;
  ::SendMessageA(toolTipWnd_, TTM_POP, 0, 0);
  ::SendMessageA(toolTipWnd_, TTM_SETTIPBKCOLOR, ::GetSysColor(COLOR_INFOBK), 0);
  ::SendMessageA(toolTipWnd_, TTM_SETTIPTEXTCOLOR, ::GetSysColor(COLOR_INFOTEXT), 0);
}

}  // namespace trayicon
