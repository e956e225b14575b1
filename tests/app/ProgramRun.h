// The real program, started from a folder of its own under Wine and driven from
// outside as a user would: find its windows, post clicks and closes, read the
// files it leaves. Shared by the tests of tests/app.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace programrun {

struct FindArgs {
  DWORD pid;
  const char* className;
  HWND found;
};

inline BOOL CALLBACK FindOfProcess(HWND hwnd, LPARAM lp) {
  auto* args = reinterpret_cast<FindArgs*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  ::GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == args->pid && std::string(cls) == args->className) {
    args->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

inline HWND WaitForWindow(DWORD pid, const char* className, DWORD ms = 20000) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    FindArgs args{pid, className, nullptr};
    ::EnumWindows(&FindOfProcess, reinterpret_cast<LPARAM>(&args));
    if (args.found) return args.found;
    ::Sleep(100);
  }
  return nullptr;
}

// A copy of the program in a folder of its own, so its three files land there.
class Program {
public:
  explicit Program(const testsupport::TempDir& dir) : dir_(dir) {
    exe_ = dir.file("Vantry.exe");
    std::string built = testsupport::TestBinDir() + "\\..\\Vantry.exe";
    if (!::CopyFileA(built.c_str(), exe_.c_str(), FALSE)) ADD_FAILURE() << "no " << built;
  }
  ~Program() {
    for (PROCESS_INFORMATION& p : started_) {
      if (::WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(p.hProcess, 1);
      ::CloseHandle(p.hProcess);
      ::CloseHandle(p.hThread);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  PROCESS_INFORMATION Start() {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + exe_ + "\"";
    if (!::CreateProcessA(exe_.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                          dir_.path().c_str(), &si, &pi))
      ADD_FAILURE() << "cannot start " << exe_;
    started_.push_back(pi);
    return pi;
  }
  std::string File(const char* name) const { return dir_.file(name); }

private:
  const testsupport::TempDir& dir_;
  std::string exe_;
  std::vector<PROCESS_INFORMATION> started_;
};

inline bool BecomesVisible(HWND hwnd, DWORD ms = 20000) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    if (::IsWindowVisible(hwnd)) return true;
    ::Sleep(100);
  }
  return false;
}

// The text of a message box, once it has one: the box is found as soon as it
// exists, and its text follows a moment later. Empty when none comes.
inline std::string BoxText(HWND box) {
  char text[1024] = {};
  for (int tries = 0; tries < 100 && !text[0]; ++tries) {
    for (HWND label = ::FindWindowExA(box, nullptr, "Static", nullptr); label && !text[0];
         label = ::FindWindowExA(box, label, "Static", nullptr))
      ::GetWindowTextA(label, text, sizeof text);
    if (!text[0]) ::Sleep(100);
  }
  return text;
}

inline bool Ended(const PROCESS_INFORMATION& pi, DWORD ms = 20000) {
  return ::WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0;
}

}  // namespace programrun
