#pragma once

#include <windows.h>

namespace toolkit {

// While one lives, file-system calls of this thread see the real System32 of a
// 64-bit Windows instead of the 32-bit SysWOW64 the system redirects a 32-bit
// program to. The paths of 64-bit processes name the real one. Only for calls
// that load no DLL (directory searches), as Windows requires.
class TWow64RedirectionOff {
public:
  TWow64RedirectionOff();
  ~TWow64RedirectionOff();
  TWow64RedirectionOff(const TWow64RedirectionOff&) = delete;
  TWow64RedirectionOff& operator=(const TWow64RedirectionOff&) = delete;

private:
  void* old_ = nullptr;
  bool off_ = false;
};

}  // namespace toolkit
