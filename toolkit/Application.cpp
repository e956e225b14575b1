#include "toolkit/Application.h"

#include "toolkit/Window.h"

namespace toolkit {

namespace {
const char kClassName[] = "VantryApplication";
}

TApplication::TApplication() : instance_(::GetModuleHandleA(nullptr)) {}

TApplication::~TApplication() {
  if (handle_ && ownsHandle_) ::DestroyWindow(handle_);
}

HWND TApplication::Handle() {
  if (handle_) return handle_;
  WNDCLASSA wc = {};
  if (!::GetClassInfoA(instance_, kClassName, &wc)) {
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = Icon();
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);
  }
  // Of no size: when shown (minimised) it is a taskbar button and nothing else.
  handle_ = ::CreateWindowExA(0, kClassName, Title.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              ::GetSystemMetrics(SM_CXSCREEN) / 2,
                              ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
                              instance_, this);
  ownsHandle_ = handle_ != nullptr;
  return handle_;
}

void TApplication::SetHandle(HWND window) {
  if (handle_ && ownsHandle_) ::DestroyWindow(handle_);
  handle_ = window;
  ownsHandle_ = false;
}

HICON TApplication::Icon() {
  if (!icon_) icon_ = ::LoadIconA(instance_, "MAINICON");
  if (!icon_) icon_ = ::LoadIconA(nullptr, IDI_APPLICATION);
  return icon_;
}

void TApplication::Minimize() {
  HWND h = Handle();
  if (::IsIconic(h)) return;
  ::ShowWindow(h, SW_MINIMIZE);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  HWND h = Handle();
  if (!::IsIconic(h)) return;
  ::ShowWindow(h, SW_RESTORE);
  if (OnRestore) OnRestore(this);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the main loop.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ServeMessage(msg);
  }
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<TApplication*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && msg == WM_SYSCOMMAND) {
    // The taskbar button and the system menu minimise and restore the program
    // through here, so the handlers run whichever way it happens.
    switch (wp & 0xFFF0) {
      case SC_MINIMIZE: self->Minimize(); return 0;
      case SC_RESTORE: self->Restore(); return 0;
    }
  }
  if (self && msg == WM_DESTROY && self->handle_ == hwnd) self->handle_ = nullptr;
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

TApplication& Application() {
  static TApplication application;
  return application;
}

}  // namespace toolkit
