// Ownership of the Win32 handles the program takes. Each kind of handle has its
// own release call and its own idea of "no handle"; these small owners release it
// where it was taken, also when an exception passes. One owner for each kind,
// for the program and its tests alike: kernel objects and files, modules, icons,
// windows, menus, fonts and the other GDI objects, memory from COM's task
// allocator (item ID lists), and a window's device context.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shtypes.h>

#include <utility>

namespace toolkit {

template <typename T, T Invalid, typename Traits>
class UniqueHandle {
public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T h) noexcept : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Invalid)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Invalid));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  T get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Invalid; }
  T release() noexcept { return std::exchange(h_, Invalid); }
  // For the out-parameter of a call that hands a handle over.
  T* put() noexcept {
    reset();
    return &h_;
  }
  void reset(T h = Invalid) noexcept {
    if (h_ != Invalid) Traits::Close(h_);
    h_ = h;
  }

private:
  T h_ = Invalid;
};

struct KernelHandleTraits { static void Close(HANDLE h) { ::CloseHandle(h); } };
struct ModuleTraits { static void Close(HMODULE h) { ::FreeLibrary(h); } };
struct IconTraits { static void Close(HICON h) { ::DestroyIcon(h); } };
// DestroyWindow works only on the thread that created the window: release it
// there.
struct WindowTraits { static void Close(HWND h) { ::DestroyWindow(h); } };
struct MenuTraits { static void Close(HMENU h) { ::DestroyMenu(h); } };
// A GDI object must no longer be selected into a device context when it goes:
// declare its owner before whatever selects it, or select the old one back.
struct GdiObjectTraits { static void Close(HGDIOBJ h) { ::DeleteObject(h); } };
// Memory that COM or the shell allocated for the caller: item ID lists, the wide
// strings of a STRRET. Since Windows 2000 the shell's allocator (SHGetMalloc) is
// this one.
struct TaskMemoryTraits { static void Close(void* p) { ::CoTaskMemFree(p); } };

// Process, thread, mutex and event handles use NULL for "none"; ToolHelp
// snapshots and file handles use INVALID_HANDLE_VALUE. Keep the two apart.
using KernelHandle = UniqueHandle<HANDLE, nullptr, KernelHandleTraits>;

class FileHandle {
public:
  FileHandle() noexcept = default;
  explicit FileHandle(HANDLE h) noexcept : h_(h) {}
  ~FileHandle() { reset(); }
  FileHandle(FileHandle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
  FileHandle& operator=(FileHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, INVALID_HANDLE_VALUE));
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) noexcept {
    if (*this) ::CloseHandle(h_);
    h_ = h;
  }

private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

using ModuleHandle = UniqueHandle<HMODULE, nullptr, ModuleTraits>;
using IconHandle = UniqueHandle<HICON, nullptr, IconTraits>;
using WindowHandle = UniqueHandle<HWND, nullptr, WindowTraits>;
using MenuHandle = UniqueHandle<HMENU, nullptr, MenuTraits>;
using FontHandle = UniqueHandle<HFONT, nullptr, GdiObjectTraits>;
using BitmapHandle = UniqueHandle<HBITMAP, nullptr, GdiObjectTraits>;
using BrushHandle = UniqueHandle<HBRUSH, nullptr, GdiObjectTraits>;
using RegionHandle = UniqueHandle<HRGN, nullptr, GdiObjectTraits>;
template <typename T>
using TaskMemory = UniqueHandle<T*, nullptr, TaskMemoryTraits>;
using ItemIdList = TaskMemory<ITEMIDLIST>;

// A window's device context (the screen's for no window), given back to the
// window it was taken from.
class WindowDC {
public:
  explicit WindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const noexcept { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

}  // namespace toolkit
