#include "toolkit/Window.h"

#include <algorithm>
#include <utility>

#include "toolkit/Dialogs.h"

namespace toolkit {

namespace {

// The property that marks a window as one of ours and holds its object. The user
// data of a window is no such mark: any window may keep anything there.
constexpr char kWindowProperty[] = "VantryWindow";

}  // namespace

FontHandle CreateProgramFont(int height, bool bold, bool underline) {
  FontHandle font(::CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline,
                                FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
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
  if (bold) ncm.lfMessageFont.lfWeight = FW_BOLD;
  ncm.lfMessageFont.lfUnderline = underline;
  return FontHandle(::CreateFontIndirectA(&ncm.lfMessageFont));
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
  return hwnd_ != nullptr;
}

TWindow* TWindow::Of(HWND hwnd) {
  HWND root = hwnd ? ::GetAncestor(hwnd, GA_ROOT) : nullptr;
  return root ? static_cast<TWindow*>(::GetPropA(root, kWindowProperty)) : nullptr;
}

void TWindow::Bind(HWND child, TChildEvents events) {
  for (auto& entry : children_) {
    if (entry.first == child) {
      entry.second = std::move(events);
      return;
    }
  }
  children_.emplace_back(child, std::move(events));
}

const TChildEvents* TWindow::EventsOf(HWND child) const {
  if (!child) return nullptr;
  for (const auto& entry : children_)
    if (entry.first == child) return &entry.second;
  return nullptr;
}

void TWindow::ReportError(const std::string& message) { ShowError(hwnd_, message); }

void TWindow::SetFont(FontHandle font) {
  font_ = std::move(font);
  if (hwnd_) ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void TWindow::Anchor(HWND control, unsigned anchors) {
  RECT parent, rc;
  HWND p = ::GetParent(control);
  ::GetClientRect(p, &parent);
  ::GetWindowRect(control, &rc);
  ::MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&rc), 2);
  anchored_.push_back({control, anchors, rc.left, rc.top, parent.right - rc.right,
                       parent.bottom - rc.bottom});
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
    if (::IsDialogMessageA(hwnd_, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
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

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
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
    case WM_SETFONT:
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_.get());
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) {
        ApplyAnchors();
        for (size_t i = 0; i < children_.size(); ++i)
          if (children_[i].second.Resized) children_[i].second.Resized();
      }
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      if (minW_ > 0) info->ptMinTrackSize = {minW_, minH_};
      if (maxW_ > 0) info->ptMaxTrackSize = {maxW_, maxH_};
      return 0;
    }
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
