// Ownership of the Win32 handles the program takes. Each kind of handle has its
// own release call and its own idea of "no handle"; these small owners release it
// where it was taken, also when an exception passes.
#pragma once

#include <windows.h>

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

}  // namespace toolkit
