// The real program, started from a folder of its own under Wine and driven from
// outside as a user would: find its windows, post clicks and closes, read the
// files it leaves. Shared by the tests of tests/app.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace programrun {

// Whether `done` holds within `ms`, asked every tenth of a second.
inline bool Within(DWORD ms, const std::function<bool()>& done) {
  for (DWORD waited = 0;; waited += 100) {
    if (done()) return true;
    if (waited >= ms) return false;
    ::Sleep(100);
  }
}

inline HWND WaitForWindow(DWORD pid, const char* className, DWORD ms = 20000) {
  HWND found = nullptr;
  Within(ms, [&] {
    std::vector<HWND> windows = testsupport::WindowsOfProcess(pid, className);
    found = windows.empty() ? nullptr : windows.front();
    return found != nullptr;
  });
  return found;
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
    for (const testsupport::StartedProcess& p : started_)
      if (::WaitForSingleObject(p.process.get(), 0) == WAIT_TIMEOUT)
        ::TerminateProcess(p.process.get(), 1);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Started in its own folder; `arguments` follow the program's name.
  PROCESS_INFORMATION Start(const std::string& arguments = "") {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    return Launch(arguments, dir_.path(), si, false);
  }

  // What a run for a script ended with: its exit code and what it wrote to its
  // standard error (a pipe here, as a redirection gives it).
  struct Outcome {
    DWORD exitCode = 259;
    std::string errorText;
  };
  // Runs the program to its end with `arguments`, from the folder `workingDir`.
  Outcome Run(const std::string& arguments, const std::string& workingDir) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    toolkit::KernelHandle readEnd, writeEnd;
    Outcome outcome;
    if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) {
      ADD_FAILURE() << "no pipe";
      return outcome;
    }
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = writeEnd.get();
    si.hStdOutput = writeEnd.get();
    PROCESS_INFORMATION pi = Launch(arguments, workingDir, si, true);
    writeEnd.reset();  // the child's copy is the last: reading ends at its end
    if (pi.hProcess && ::WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
      ::GetExitCodeProcess(pi.hProcess, &outcome.exitCode);
    else
      ADD_FAILURE() << "the program did not end: " << arguments;
    char buffer[4096];
    DWORD read = 0;
    while (pi.hProcess && ::ReadFile(readEnd.get(), buffer, sizeof buffer, &read, nullptr) &&
           read > 0)
      outcome.errorText.append(buffer, read);
    return outcome;
  }

  std::string File(const char* name) const { return dir_.file(name); }
  // Puts a process list, a log and a settings file beside the program, as an
  // earlier run would have left them.
  void PutFiles(const std::string& list, const std::string& log, const std::string& settings) {
    testsupport::WriteFileBytes(File("ProcessList.dat"), list);
    testsupport::WriteFileBytes(File("Log.dat"), log);
    testsupport::WriteFileBytes(File("Inf.ini"), settings);
  }
  const std::string& Exe() const { return exe_; }

private:
  PROCESS_INFORMATION Launch(const std::string& arguments, const std::string& workingDir,
                             STARTUPINFOA& si, bool inheritHandles) {
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + exe_ + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!::CreateProcessA(exe_.c_str(), &command[0], nullptr, nullptr, inheritHandles, 0, nullptr,
                          workingDir.c_str(), &si, &pi))
      ADD_FAILURE() << "cannot start " << exe_;
    else
      started_.emplace_back(pi);
    return pi;
  }

  const testsupport::TempDir& dir_;
  std::string exe_;
  std::vector<testsupport::StartedProcess> started_;  // Start's results are views of these
};

inline bool BecomesVisible(HWND hwnd, DWORD ms = 20000) {
  return Within(ms, [&] { return ::IsWindowVisible(hwnd) != FALSE; });
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

// The text of a message box of the process, once it has one; the box is then
// closed with OK. "(no box)" when none comes within `ms`.
inline std::string AnswerBox(DWORD pid, DWORD ms = 20000) {
  HWND box = WaitForWindow(pid, "#32770", ms);
  if (!box) return "(no box)";
  std::string text = BoxText(box);
  // An answer posted while the box is still being set up can be lost: it is
  // given again until the box has gone.
  Within(5000, [box] {
    if (!::IsWindow(box)) return true;
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    return false;
  });
  return text;
}

// The list views of a window, in the order they were made.
inline BOOL CALLBACK CollectListView(HWND child, LPARAM views) {
  char cls[64] = {};
  ::GetClassNameA(child, cls, sizeof cls);
  if (std::string(cls) == WC_LISTVIEWA) reinterpret_cast<std::vector<HWND>*>(views)->push_back(child);
  return TRUE;
}

// The rows of the main window's log (its third list view, after the current
// processes and the process list); -1 when it cannot be asked.
inline int LogRows(HWND main) {
  std::vector<HWND> views;
  ::EnumChildWindows(main, &CollectListView, reinterpret_cast<LPARAM>(&views));
  DWORD_PTR rows = 0;
  if (views.size() < 3 ||
      !::SendMessageTimeoutA(views[2], LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &rows))
    return -1;
  return static_cast<int>(rows);
}

inline bool Ended(const PROCESS_INFORMATION& pi, DWORD ms = 20000) {
  return ::WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0;
}

}  // namespace programrun
