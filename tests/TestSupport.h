// What many tests need: a temporary folder of their own, files with chosen times,
// the message of an error a call throws, a second program started from a folder
// of the test's choosing, and a message pump for the windows, timers and posted
// calls of the test's own thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/Handle.h"

namespace testsupport {

// A fresh folder under the temporary folder, deleted with everything in it.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }  // ends without a backslash
  std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

// The folder of the running test program, without a trailing backslash.
std::string TestBinDir();

// Whether anything (file or folder) is at the path.
bool Exists(const std::string& path);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The same for paths no code page holds and paths past MAX_PATH.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Makes a new file and holds it, shared with nobody, as another program may: the
// writer can neither open, replace nor delete it while the handle lives.
toolkit::FileHandle HoldNewFile(const std::wstring& path);
// Makes the folder and every folder above it that is missing.
void CreateFolders(const std::wstring& path);
// The size of a file in bytes; 0 when there is none.
uint64_t FileSize(const std::string& path);

// The message of the error that `run` throws, or "" when it throws none.
template <typename F>
std::string ErrorOf(F&& run) {
  try {
    run();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

// Sets a file's last-write time from a local time.
void SetLocalWriteTime(const std::string& path, const SYSTEMTIME& local);
void SetLocalWriteTime(const std::wstring& path, const SYSTEMTIME& local);
SYSTEMTIME LocalTime(int year, int month, int day, int hour, int minute, int second);

// Serves the messages waiting for this thread as the program's message loop does
// (toolkit::ServeMessage), so the keys a user types reach the windows the same
// way. A WM_QUIT among them is taken out
// of the queue, so that no later message loop ends for it; true when there was one.
bool PumpMessages();
// Serves this thread's messages until `done` holds; false when it still does not
// after `guardMs`, which stands for a hang, not slowness.
bool PumpUntil(const std::function<bool()>& done, DWORD guardMs = 20000);
// Serves this thread's messages for a while.
void PumpFor(DWORD ms);

// The work area (the screen less the taskbar) of the monitor a window stands on,
// and the whole of that monitor.
RECT WorkAreaOf(HWND window);
RECT MonitorOf(HWND window);

// A top-level window of the given class made by this thread, or null. Tests run
// side by side, and another test program's window of the same class must not
// be taken for ours.
HWND FindOwnWindow(const char* className);
// The top-level windows of the given class that the process `pid` made.
std::vector<HWND> WindowsOfProcess(DWORD pid, const char* className);

// What CreateProcess hands over for a process a test started: its two handles,
// closed when this goes away, and its identifier.
struct StartedProcess {
  StartedProcess() = default;
  explicit StartedProcess(const PROCESS_INFORMATION& info)
      : process(info.hProcess), thread(info.hThread), id(info.dwProcessId) {}
  toolkit::KernelHandle process;
  toolkit::KernelHandle thread;
  DWORD id = 0;
};

// A started copy of the Sleeper helper program, ended when this goes away.
class ChildProcess {
public:
  // Copies Sleeper.exe into `folder` as `exeName` and starts it. Any folder: names
  // no code page holds, and paths past MAX_PATH, which CreateProcessW of Wine 8
  // cannot start (it reads the long form of the image path into a MAX_PATH
  // buffer); such a copy is started through RtlCreateUserProcess, below the
  // limit, as Windows starts it for a program that is aware of long paths.
  ChildProcess(const std::wstring& folder, const std::wstring& exeName);
  ChildProcess(const std::string& folder, const std::string& exeName);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  DWORD pid() const { return started_.id; }
  // The copy's path as the program stores it (CP932, "?" for what it lacks), and
  // its real path.
  const std::string& path() const { return path_; }
  const std::wstring& widePath() const { return widePath_; }
  HANDLE handle() const { return started_.process.get(); }

private:
  std::wstring widePath_;
  std::string path_;
  StartedProcess started_;
};

}  // namespace testsupport
