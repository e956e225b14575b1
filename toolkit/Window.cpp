#include "toolkit/Window.h"

#include <algorithm>
#include <utility>

#include "toolkit/Dialogs.h"
#include "toolkit/Placement.h"

namespace toolkit {

namespace {

// The property that marks a window as one of ours and holds its object. The user
// data of a window is no such mark: any window may keep anything there.
constexpr char kWindowProperty[] = "VantryWindow";

}  // namespace

FontHandle CreateProgramFont(const TFontLook& look, int dpi) {
  const int height = ScaleToDpi(look.Height, dpi);
  const int weight = look.Bold ? FW_BOLD : FW_NORMAL;
  FontHandle font(::CreateFontA(-height, 0, 0, 0, weight, FALSE, look.Underline, FALSE,
                                SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック"));
  if (font) {
    // CreateFont never fails for a missing face; it maps to another. Take the
    // system's own UI font instead of whatever the mapper picked.
    WindowDC screen(nullptr);
    HGDIOBJ old = ::SelectObject(screen.get(), font.get());
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(screen.get(), &tm);
    ::SelectObject(screen.get(), old);
    if (tm.tmCharSet == SHIFTJIS_CHARSET) return font;
  }
  NONCLIENTMETRICSA ncm = {};
  ncm.cbSize = sizeof ncm;
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  ncm.lfMessageFont.lfHeight = -height;
  ncm.lfMessageFont.lfWeight = weight;
  ncm.lfMessageFont.lfUnderline = look.Underline;
  return FontHandle(::CreateFontIndirectA(&ncm.lfMessageFont));
}

int DpiOf(HWND window) {
  TWindow* owner = TWindow::Of(window);
  return owner ? owner->Dpi() : WindowDpi(window);
}

TWindow::~TWindow() {
  if (hwnd_) {
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::RemovePropA(hwnd_, kWindowProperty);
    ::DestroyWindow(hwnd_);
  }
}

bool TWindow::CreateTopLevel(const char* className, const std::string& caption, DWORD style,
                             DWORD exStyle, int left, int top, int width, int height, HWND owner,
                             HICON icon) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, className, &wc)) {
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TWindow::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!::RegisterClassExA(&wc)) return false;
  }
  hwnd_ = ::CreateWindowExA(exStyle, className, caption.c_str(), style, left, top, width, height,
                            owner, nullptr, instance, this);
  if (!hwnd_) return false;
  // The window's DPI is known only once it stands on its monitor.
  designedSize_ = {width, height};
  dpi_ = WindowDpi(hwnd_);
  if (dpi_ != kDesignDpi) {
    SIZE outer = OuterSize({width, height});
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

SIZE TWindow::OuterSize(SIZE designed) const {
  // The designed client area is what the designed outer size leaves inside the
  // frame of a 96-DPI screen; it is scaled, and the frame is the one of the DPI.
  if (!hwnd_) return designed;
  const DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_EXSTYLE));
  RECT designedFrame = FrameForDpi(style, exStyle, kDesignDpi);
  RECT frame = FrameForDpi(style, exStyle, dpi_);
  return {Scale(designed.cx - (designedFrame.right - designedFrame.left)) + frame.right - frame.left,
          Scale(designed.cy - (designedFrame.bottom - designedFrame.top)) + frame.bottom - frame.top};
}

TWindow* TWindow::Of(HWND hwnd) {
  HWND root = hwnd ? ::GetAncestor(hwnd, GA_ROOT) : nullptr;
  return root ? static_cast<TWindow*>(::GetPropA(root, kWindowProperty)) : nullptr;
}

void TWindow::Bind(HWND child, TChildEvents events, const TControlArgs& placement) {
  for (Child& entry : children_) {
    if (entry.hwnd == child) {
      entry.events = std::move(events);
      entry.placement = placement;
      return;
    }
  }
  children_.push_back({child, std::move(events), placement});
}

const TChildEvents* TWindow::EventsOf(HWND child) const {
  if (!child) return nullptr;
  for (const Child& entry : children_)
    if (entry.hwnd == child) return &entry.events;
  return nullptr;
}

void TWindow::ReportError(const std::string& message) { ShowError(hwnd_, message); }

HFONT TWindow::ProgramFont(const TFontLook& look) {
  for (const Font& font : fonts_)
    if (font.look == look) return font.handle.get();
  fonts_.push_back({look, CreateProgramFont(look, dpi_)});
  return fonts_.back().handle.get();
}

void TWindow::SetProgramFont(const TFontLook& look) {
  font_ = ProgramFont(look);
  if (hwnd_) ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void TWindow::SetIcons(LPCSTR resource) {
  iconResource_ = resource;
  LoadIcons();
}

void TWindow::LoadIcons() {
  if (!hwnd_ || !iconResource_) return;
  auto load = [this](int metric) {
    const int size = SystemMetricForDpi(metric, dpi_);
    // Loaded at the exact size and owned: a shared icon is the first one loaded
    // of its name, whatever size was asked for. 32512 is the system's
    // application icon (IDI_APPLICATION).
    HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), iconResource_, IMAGE_ICON, size, size, 0);
    if (!icon) icon = ::LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_ICON, size, size, 0);
    return IconHandle(static_cast<HICON>(icon));
  };
  // The window lets go of the old icons before they are destroyed.
  IconHandle small = load(SM_CXSMICON);
  IconHandle large = load(SM_CXICON);
  ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large.get()));
  smallIcon_ = std::move(small);
  largeIcon_ = std::move(large);
}

void TWindow::KeepInWorkArea() {
  if (!hwnd_) return;
  HMONITOR monitor = ::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoA(monitor, &info)) return;
  RECT rc;
  ::GetWindowRect(hwnd_, &rc);
  const SIZE minimum = minSize_.cx > 0 ? OuterSize(minSize_) : SIZE{0, 0};
  const TBounds now{rc.left, rc.top, rc.right, rc.bottom};
  const TBounds kept = KeepInside(now, {info.rcWork.left, info.rcWork.top, info.rcWork.right,
                                        info.rcWork.bottom},
                                  minimum.cx, minimum.cy);
  if (kept == now) return;
  ::SetWindowPos(hwnd_, nullptr, kept.Left, kept.Top, kept.Width(), kept.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWindow::Anchor(HWND control, unsigned anchors) {
  Anchored a{control, anchors, 0, 0, 0, 0};
  Measure(a);
  for (Anchored& entry : anchored_) {
    if (entry.hwnd == control) {
      entry = a;
      return;
    }
  }
  anchored_.push_back(a);
}

void TWindow::Measure(Anchored& a) {
  RECT parent, rc;
  HWND p = ::GetParent(a.hwnd);
  ::GetClientRect(p, &parent);
  ::GetWindowRect(a.hwnd, &rc);
  ::MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&rc), 2);
  a.left = rc.left;
  a.top = rc.top;
  a.right = parent.right - rc.right;
  a.bottom = parent.bottom - rc.bottom;
}

void TWindow::ApplyAnchors() {
  for (const Anchored& a : anchored_) {
    RECT parent, rc;
    HWND p = ::GetParent(a.hwnd);
    ::GetClientRect(p, &parent);
    ::GetWindowRect(a.hwnd, &rc);
    ::MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&rc), 2);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    int left = rc.left;
    int top = rc.top;
    if ((a.anchors & akLeft) && (a.anchors & akRight)) {
      left = a.left;
      width = std::max(0, static_cast<int>(parent.right) - a.right - a.left);
    } else if (a.anchors & akRight) {
      left = parent.right - a.right - width;
    }
    if ((a.anchors & akTop) && (a.anchors & akBottom)) {
      top = a.top;
      height = std::max(0, static_cast<int>(parent.bottom) - a.bottom - a.top);
    } else if (a.anchors & akBottom) {
      top = parent.bottom - a.bottom - height;
    }
    ::SetWindowPos(a.hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TWindow::Resized() {
  ApplyAnchors();
  for (size_t i = 0; i < children_.size(); ++i)
    if (children_[i].events.Resized) children_[i].events.Resized();
}

void TWindow::ChangeDpi(int dpi, const RECT& suggested) {
  if (dpi <= 0 || relayingOut_) return;
  const int oldDpi = dpi_;
  if (dpi != oldDpi) {
    // The controls go where a window made at the new DPI would have them: the
    // window at its designed size, each control at its designed place, each
    // font made anew; then the anchors are measured again, as at the start.
    relayingOut_ = true;
    // WM_SETREDRAW would make a hidden window (one in the tray) visible again.
    const bool shown = ::IsWindowVisible(hwnd_) != FALSE;
    if (shown) ::SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    dpi_ = dpi;
    SIZE outer = OuterSize(designedSize_);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::deque<Font> oldFonts;
    oldFonts.swap(fonts_);
    const HFONT oldWindowFont = font_;
    for (const Font& old : oldFonts) {
      HFONT made = ProgramFont(old.look);
      if (old.handle.get() == oldWindowFont) font_ = made;
    }
    auto newFont = [&](HFONT old) -> HFONT {
      for (size_t i = 0; i < oldFonts.size(); ++i)
        if (oldFonts[i].handle.get() == old) return fonts_[i].handle.get();
      return nullptr;
    };
    for (size_t i = 0; i < children_.size(); ++i) {
      Child& child = children_[i];
      if (!::IsWindow(child.hwnd)) continue;
      if (!child.placement.InPixels) {
        RECT rc = PixelRect(child.placement, dpi_);
        ::SetWindowPos(child.hwnd, nullptr, rc.left, rc.top, rc.right - rc.left,
                       rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      HFONT had = reinterpret_cast<HFONT>(::SendMessageA(child.hwnd, WM_GETFONT, 0, 0));
      if (HFONT font = newFont(had))
        ::SendMessageA(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      if (child.events.DpiChanged) child.events.DpiChanged(oldDpi, dpi_);
    }
    LoadIcons();
    DpiChanged(oldDpi);
    for (Anchored& a : anchored_) Measure(a);
    relayingOut_ = false;
    Resized();
    if (shown) ::SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    // Every control has its new font now; the old ones go at the end of this block.
  }
  ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TWindow::Show() {
  if (!hwnd_) return;
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
}

void TWindow::Hide() {
  if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}

int TWindow::ShowModal() {
  if (!hwnd_ || modal_) return mrNone;
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  modal_ = true;
  modalResult_ = mrNone;
  Show();
  ::SetForegroundWindow(hwnd_);
  MSG msg;
  while (modalResult_ == mrNone) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));  // keep it for the outer loop
      modalResult_ = mrCancel;
      break;
    }
    ServeMessage(msg);
  }
  modal_ = false;
  // Enable the owner before hiding, so that activation goes back to it.
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  Hide();
  return modalResult_;
}

void TWindow::EndModal(int result) {
  modalResult_ = result == mrNone ? mrCancel : result;
  if (!modal_) Hide();
}

LRESULT CALLBACK TWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    auto* self = static_cast<TWindow*>(cs->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    ::SetPropA(hwnd, kWindowProperty, self);
  }
  auto* self = reinterpret_cast<TWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(hwnd, msg, wp, lp);
  LRESULT result = self->HandleMessage(msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    ::RemovePropA(hwnd, kWindowProperty);
    self->hwnd_ = nullptr;
    self->children_.clear();
    self->anchored_.clear();
  }
  return result;
}

bool TWindow::PreTranslateMessage(const MSG&) { return false; }

void TWindow::RestoreFocus() {
  HWND target = focus_;
  if (!target || !::IsChild(hwnd_, target) || !::IsWindowVisible(target) ||
      !::IsWindowEnabled(target))
    target = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (target) ::SetFocus(target);
}

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ACTIVATE:
      // Left: the focus is still on the control the user was in. Back: the
      // default would give the keyboard to the window itself, where no key does
      // anything.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd_, focus)) focus_ = focus;
      } else if (!HIWORD(wp)) {
        RestoreFocus();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_COMMAND:
      // A command without a control (a menu's, an accelerator's) is no child's.
      if (const TChildEvents* events = EventsOf(reinterpret_cast<HWND>(lp))) {
        if (events->Command) events->Command(HIWORD(wp));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<const NMHDR*>(lp);
      const TChildEvents* events = EventsOf(header->hwndFrom);
      LRESULT result = 0;
      if (events && events->Notify && events->Notify(header, &result)) return result;
      break;
    }
    case WM_CONTEXTMENU:
      // The control the menu is for, whichever of its ancestors passed it on.
      if (const TChildEvents* events = EventsOf(reinterpret_cast<HWND>(wp))) {
        if (events->ContextMenu) {
          events->ContextMenu(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
          return 0;
        }
      }
      break;
    case WM_SETFONT:
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED && !relayingOut_) Resized();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      if (minSize_.cx > 0) {
        SIZE minimum = OuterSize(minSize_);
        info->ptMinTrackSize = {minimum.cx, minimum.cy};
      }
      if (maxSize_.cx > 0) {
        SIZE maximum = OuterSize(maxSize_);
        info->ptMaxTrackSize = {maximum.cx, maximum.cy};
      }
      return 0;
    }
    case WM_DPICHANGED:
      ChangeDpi(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      if (modal_) {
        EndModal(mrCancel);
        return 0;
      }
      break;
  }
  return Default(msg, wp, lp);
}

namespace {

// A container passes what its children say to the top-level window, which knows
// every control of its own, on whatever page.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CONTEXTMENU:
    case WM_VSCROLL:
    case WM_HSCROLL:
      return ::SendMessageA(::GetAncestor(hwnd, GA_ROOT), msg, wp, lp);
    case WM_GETFONT:
      return ::SendMessageA(::GetAncestor(hwnd, GA_ROOT), WM_GETFONT, 0, 0);
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void ServeMessage(MSG& msg) {
  if (TWindow* window = TWindow::Of(msg.hwnd)) {
    if (window->PreTranslateMessage(msg)) return;
    if (::IsDialogMessageA(window->Handle(), &msg)) return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
}

void PaintUnderChildren(HWND container) {
  LONG_PTR style = ::GetWindowLongPtrA(container, GWL_STYLE);
  ::SetWindowLongPtrA(container, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN));
}

HWND CreateContainer(HWND parent, const TControlArgs& args) {
  static const char kClass[] = "VantryContainer";
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, kClass, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ContainerProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    ::RegisterClassExA(&wc);
  }
  TControlArgs container = args;
  container.ExStyle |= WS_EX_CONTROLPARENT;  // tabbing walks into its children
  return CreateChild(parent, kClass, container, WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

}  // namespace toolkit
