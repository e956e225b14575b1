#include "toolkit/Wow64.h"

namespace toolkit {

namespace {
using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

// Looked up by name: a 32-bit Windows has neither function, and nothing to do.
struct Functions {
  DisableFn disable = nullptr;
  RevertFn revert = nullptr;
  Functions() {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    disable = reinterpret_cast<DisableFn>(::GetProcAddress(kernel, "Wow64DisableWow64FsRedirection"));
    revert = reinterpret_cast<RevertFn>(::GetProcAddress(kernel, "Wow64RevertWow64FsRedirection"));
  }
};

const Functions& Wow64() {
  static const Functions functions;
  return functions;
}
}  // namespace

TWow64RedirectionOff::TWow64RedirectionOff() {
  if (Wow64().disable && Wow64().revert) off_ = Wow64().disable(&old_) != FALSE;
}

TWow64RedirectionOff::~TWow64RedirectionOff() {
  if (off_) Wow64().revert(old_);
}

}  // namespace toolkit
