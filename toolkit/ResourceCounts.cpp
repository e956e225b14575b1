#include "toolkit/ResourceCounts.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>

#include "toolkit/Handle.h"
#include "toolkit/SystemLibrary.h"

namespace toolkit {

namespace {

// Kernel handle values are multiples of 4. A walk stops after this many free
// values in a row past the last one in use.
constexpr UINT_PTR kHandleStep = 4;
constexpr UINT_PTR kFreeRunEnd = 4096 * kHandleStep;
constexpr UINT_PTR kMaxKernelHandle = 0x01000000;
// Wine numbers its user handles from 0x0020 to 0xffef in steps of two.
constexpr UINT_PTR kFirstUserHandle = 0x0020;
constexpr UINT_PTR kLastUserHandle = 0xffef;

long GuiResources(DWORD which) {
  return static_cast<long>(::GetGuiResources(::GetCurrentProcess(), which));
}

long SystemHandleCount() {
  DWORD count = 0;
  if (!::GetProcessHandleCount(::GetCurrentProcess(), &count)) return 0;
  return static_cast<long>(count);
}

long ProbeKernelHandles() {
  long count = 0;
  UINT_PTR lastUsed = 0;
  for (UINT_PTR value = kHandleStep; value < kMaxKernelHandle && value - lastUsed <= kFreeRunEnd;
       value += kHandleStep) {
    DWORD flags = 0;
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
      ++count;
      lastUsed = value;
    }
  }
  return count;
}

long ProbeGdiObjects() {
  long count = 0;
  for (UINT_PTR index = 1; index <= 0xffff; ++index)
    if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  return count;
}

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM counter) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != ::GetCurrentProcessId()) return TRUE;
  // The window and every window below it.
  CountWindow(window, counter);
  ::EnumChildWindows(window, &CountWindow, counter);
  return TRUE;
}

long CountOwnWindows() {
  long count = 0;
  ::EnumWindows(&CountOwnWindow, reinterpret_cast<LPARAM>(&count));
  // Message-only windows are not top-level windows of the desktop.
  for (HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = ::FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
    CountOwnWindow(window, reinterpret_cast<LPARAM>(&count));
  return count;
}

long ProbeUserObjects() {
  long count = CountOwnWindows();
  for (UINT_PTR value = kFirstUserHandle; value <= kLastUserHandle; value += 2) {
    if (::IsMenu(reinterpret_cast<HMENU>(value))) {
      ++count;
      continue;
    }
    ICONINFO info = {};
    if (::GetIconInfo(reinterpret_cast<HICON>(value), &info)) {
      ++count;
      BitmapHandle mask(info.hbmMask), color(info.hbmColor);  // copies made for the caller
    }
  }
  return count;
}

bool QueryMemoryCounters(PROCESS_MEMORY_COUNTERS_EX* counters) {
  using Fn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
  static Fn query = [] {
    Fn fn = nullptr;
    if (HMODULE kernel = ::GetModuleHandleA("kernel32.dll"))
      fn = reinterpret_cast<Fn>(::GetProcAddress(kernel, "K32GetProcessMemoryInfo"));
    if (!fn)
      if (HMODULE psapi = LoadSystemLibrary("psapi.dll"))
        fn = reinterpret_cast<Fn>(::GetProcAddress(psapi, "GetProcessMemoryInfo"));
    return fn;
  }();
  *counters = {};
  counters->cb = sizeof *counters;
  return query && query(::GetCurrentProcess(), reinterpret_cast<PPROCESS_MEMORY_COUNTERS>(counters),
                        sizeof *counters);
}

int64_t PrivateUsage() {
  PROCESS_MEMORY_COUNTERS_EX counters;
  return QueryMemoryCounters(&counters) ? static_cast<int64_t>(counters.PrivateUsage) : 0;
}

// On Windows the same figure as PrivateUsage, the commit charge. Wine leaves
// PrivateUsage at 0 and fills this one from the Linux process's own status: its
// anonymous resident memory and swap, which is what the heaps hold.
int64_t PagefileUsage() {
  PROCESS_MEMORY_COUNTERS_EX counters;
  return QueryMemoryCounters(&counters) ? static_cast<int64_t>(counters.PagefileUsage) : 0;
}

enum class Source { System, Probe };

struct Methods {
  Source handles = Source::System;
  Source gdi = Source::System;
  Source user = Source::System;
  Source memory = Source::System;
};

// A counter counts when taking one more object of its kind raises it.
Methods FindWorkingCounters() {
  Methods m;
  {
    long before = SystemHandleCount();
    KernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!(SystemHandleCount() > before)) m.handles = Source::Probe;
  }
  {
    long before = GuiResources(GR_GDIOBJECTS);
    BrushHandle brush(::CreateSolidBrush(RGB(1, 2, 3)));
    if (!(GuiResources(GR_GDIOBJECTS) > before)) m.gdi = Source::Probe;
  }
  {
    long before = GuiResources(GR_USEROBJECTS);
    MenuHandle menu(::CreatePopupMenu());
    if (!(GuiResources(GR_USEROBJECTS) > before)) m.user = Source::Probe;
  }
  {
    int64_t before = PrivateUsage();
    constexpr size_t kSize = 16 << 20;
    void* block = ::VirtualAlloc(nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (block) {
      std::memset(block, 1, kSize);
      if (PrivateUsage() - before < static_cast<int64_t>(kSize / 2)) m.memory = Source::Probe;
      ::VirtualFree(block, 0, MEM_RELEASE);
    }
  }
  return m;
}

const Methods& WorkingCounters() {
  static const Methods methods = FindWorkingCounters();
  return methods;
}

}  // namespace

TResourceCounts CountResources() {
  const Methods& m = WorkingCounters();
  TResourceCounts counts;
  counts.Handles = m.handles == Source::System ? SystemHandleCount() : ProbeKernelHandles();
  counts.Gdi = m.gdi == Source::System ? GuiResources(GR_GDIOBJECTS) : ProbeGdiObjects();
  counts.User = m.user == Source::System ? GuiResources(GR_USEROBJECTS) : ProbeUserObjects();
  counts.PrivateBytes =
      m.memory == Source::System ? PrivateUsage() : PagefileUsage();
  return counts;
}

std::string ResourceCountMethods() {
  const Methods& m = WorkingCounters();
  std::string text;
  text += m.handles == Source::System ? "handles=GetProcessHandleCount"
                                      : "handles=probe(GetHandleInformation)";
  text += m.gdi == Source::System ? " gdi=GetGuiResources" : " gdi=probe(GetObjectType)";
  text += m.user == Source::System ? " user=GetGuiResources"
                                   : " user=own-windows+probe(IsMenu,GetIconInfo)";
  text += m.memory == Source::System ? " private=GetProcessMemoryInfo.PrivateUsage"
                                     : " private=GetProcessMemoryInfo.PagefileUsage";
  return text;
}

}  // namespace toolkit
