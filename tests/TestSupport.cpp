#include "TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "toolkit/AnsiText.h"
#include "toolkit/FindFile.h"
#include "toolkit/Paths.h"
#include "toolkit/Window.h"

namespace testsupport {

namespace {

// Wide, and through the long form of every path: a test may leave names no code
// page holds and folders deeper than MAX_PATH.
void DeleteTree(const std::wstring& dir) {
  {
    toolkit::TFindFile search(toolkit::LongPathForm(dir + L"\\*"));
    for (bool more = search.found(); more; more = search.next()) {
      const WIN32_FIND_DATAW& data = search.data();
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = dir + L"\\" + name;
      ::SetFileAttributesW(toolkit::LongPathForm(full).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteTree(full);
      else ::DeleteFileW(toolkit::LongPathForm(full).c_str());
    }
  }  // the search lets go of the folder before it is removed
  ::RemoveDirectoryW(toolkit::LongPathForm(dir).c_str());
}

}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  static LONG counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string candidate = std::string(base) + "vantry-" + std::to_string(::GetCurrentProcessId()) +
                            "-" + std::to_string(::InterlockedIncrement(&counter));
    if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
      // The long form, so that paths built on it compare equal to resolved paths.
      char longPath[MAX_PATH] = {};
      DWORD n = ::GetLongPathNameA(candidate.c_str(), longPath, MAX_PATH);
      path_ = (n > 0 && n < MAX_PATH) ? std::string(longPath) : candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() { DeleteTree(toolkit::Widen(path_)); }

std::string TestBinDir() {
  char buffer[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string path = buffer;
  return path.substr(0, path.find_last_of('\\'));
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::string& path) { return ReadFileBytes(toolkit::Widen(path)); }

std::string ReadFileBytes(const std::wstring& path) {
  // Also a file that its writer keeps open (the run journal), and one that a
  // program has just renamed a new file over: the rename holds it with delete
  // access for a moment, and a reader that refuses to share that fails right then.
  toolkit::FileHandle file(::CreateFileW(toolkit::LongPathForm(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  if (!file) throw std::runtime_error("cannot open " + toolkit::Utf8Of(path));
  std::string bytes;
  char chunk[65536];
  DWORD read = 0;
  while (::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
    bytes.append(chunk, read);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  WriteFileBytes(toolkit::Widen(path), bytes);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  toolkit::FileHandle file(::CreateFileW(toolkit::LongPathForm(path).c_str(), GENERIC_WRITE, 0,
                                         nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) throw std::runtime_error("cannot create " + toolkit::Utf8Of(path));
  DWORD written = 0;
  ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

toolkit::FileHandle HoldNewFile(const std::wstring& path) {
  return toolkit::FileHandle(
      ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr));
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

SYSTEMTIME LocalTime(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME t = {};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  return t;
}

void SetLocalWriteTime(const std::string& path, const SYSTEMTIME& local) {
  SetLocalWriteTime(toolkit::Widen(path), local);
}

void SetLocalWriteTime(const std::wstring& path, const SYSTEMTIME& local) {
  FILETIME localFt, utc;
  if (!::SystemTimeToFileTime(&local, &localFt) || !::LocalFileTimeToFileTime(&localFt, &utc))
    throw std::runtime_error("bad time");
  toolkit::FileHandle file(::CreateFileW(toolkit::LongPathForm(path).c_str(),
                                         FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                         nullptr));
  if (!file) throw std::runtime_error("cannot open " + toolkit::Utf8Of(path));
  if (!::SetFileTime(file.get(), nullptr, nullptr, &utc))
    throw std::runtime_error("cannot set the time of " + toolkit::Utf8Of(path));
}

void CreateFolders(const std::wstring& path) {
  const size_t cut = path.find_last_of(L'\\');
  const std::wstring form = toolkit::LongPathForm(path);
  if (::GetFileAttributesW(form.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  if (cut != std::wstring::npos && cut > 2) CreateFolders(path.substr(0, cut));
  if (!::CreateDirectoryW(form.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
    throw std::runtime_error("cannot create " + toolkit::Utf8Of(path));
}

bool PumpMessages() {
  bool quit = false;
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      continue;
    }
    toolkit::ServeMessage(msg);
  }
  return quit;
}

bool PumpUntil(const std::function<bool()>& done, DWORD guardMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > guardMs) return false;
    PumpMessages();
    // Back as soon as a message comes; the short wait also serves a condition
    // that another thread makes true without a message.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  DWORD start = ::GetTickCount();
  PumpUntil([&] { return ::GetTickCount() - start >= ms; }, ms + 1000);
}

namespace {
// The top-level windows of one class, of one process or of any (pid 0).
struct WindowSearch {
  const char* className;
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchClass(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<WindowSearch*>(lp);
  char name[128] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  if (lstrcmpA(name, search->className) != 0) return TRUE;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (search->pid && pid != search->pid) return TRUE;
  search->found.push_back(hwnd);
  return TRUE;
}
}  // namespace

namespace {

MONITORINFO MonitorInfoOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info;
}

}  // namespace

RECT WorkAreaOf(HWND window) { return MonitorInfoOf(window).rcWork; }

RECT MonitorOf(HWND window) { return MonitorInfoOf(window).rcMonitor; }

HWND FindOwnWindow(const char* className) {
  WindowSearch search{className, 0, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &MatchClass, reinterpret_cast<LPARAM>(&search));
  return search.found.empty() ? nullptr : search.found.front();
}

std::vector<HWND> WindowsOfProcess(DWORD pid, const char* className) {
  WindowSearch search{className, pid, {}};
  ::EnumWindows(&MatchClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

// RtlCreateUserProcess and what it hands back, declared here as ntdll exports
// them; the section's image facts are not read.
struct UserProcessInformation {
  ULONG Length;
  HANDLE Process;
  HANDLE Thread;
  struct {
    HANDLE UniqueProcess;
    HANDLE UniqueThread;
  } ClientId;
  BYTE ImageInformation[64];
};

struct CountedString {
  USHORT Length;
  USHORT MaximumLength;
  PWSTR Buffer;
  explicit CountedString(std::wstring& text)
      : Length(static_cast<USHORT>(text.size() * sizeof(wchar_t))),
        MaximumLength(static_cast<USHORT>(Length + sizeof(wchar_t))),
        Buffer(&text[0]) {}
};

StartedProcess StartBelowTheLimit(std::wstring path, std::wstring command, std::wstring folder) {
  using ParametersFn = LONG(NTAPI*)(void** params, CountedString* image, CountedString* dllPath,
                                    CountedString* currentDir, CountedString* commandLine,
                                    void* environment, CountedString* title, CountedString* desktop,
                                    CountedString* shellInfo, CountedString* runtime, ULONG flags);
  using CreateFn = LONG(NTAPI*)(CountedString* ntPath, ULONG attributes, void* params,
                                void* processSecurity, void* threadSecurity, HANDLE parent,
                                BOOLEAN inherit, HANDLE debug, HANDLE token,
                                UserProcessInformation* info);
  using DestroyFn = LONG(NTAPI*)(void* params);
  using ResumeFn = LONG(NTAPI*)(HANDLE thread, ULONG* count);
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  auto parameters = reinterpret_cast<ParametersFn>(
      ::GetProcAddress(ntdll, "RtlCreateProcessParametersEx"));
  auto create = reinterpret_cast<CreateFn>(::GetProcAddress(ntdll, "RtlCreateUserProcess"));
  auto destroy = reinterpret_cast<DestroyFn>(
      ::GetProcAddress(ntdll, "RtlDestroyProcessParameters"));
  auto resume = reinterpret_cast<ResumeFn>(::GetProcAddress(ntdll, "NtResumeThread"));
  if (!parameters || !create || !destroy || !resume)
    throw std::runtime_error("no RtlCreateUserProcess");
  std::wstring ntPath = L"\\??\\" + path;
  CountedString image(path), nt(ntPath), commandLine(command), directory(folder);
  void* params = nullptr;
  constexpr ULONG kNormalized = 1;
  if (parameters(&params, &image, nullptr, &directory, &commandLine, nullptr, nullptr, nullptr,
                 nullptr, nullptr, kNormalized) < 0)
    throw std::runtime_error("cannot make the parameters of " + toolkit::Utf8Of(path));
  UserProcessInformation info = {};
  info.Length = sizeof info;
  constexpr ULONG kCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE
  const LONG status = create(&nt, kCaseInsensitive, params, nullptr, nullptr, nullptr, FALSE,
                             nullptr, nullptr, &info);
  destroy(params);
  if (status < 0) throw std::runtime_error("cannot start " + toolkit::Utf8Of(path));
  StartedProcess started;
  started.process.reset(info.Process);
  started.thread.reset(info.Thread);
  started.id = ::GetProcessId(info.Process);
  resume(info.Thread, nullptr);
  return started;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& folder, const std::string& exeName)
    : ChildProcess(toolkit::Widen(folder), toolkit::Widen(exeName)) {}

ChildProcess::ChildProcess(const std::wstring& folder, const std::wstring& exeName)
    : widePath_(folder + L"\\" + exeName), path_(toolkit::Narrow(widePath_.c_str())) {
  const std::wstring source = toolkit::Widen(TestBinDir()) + L"\\Sleeper.exe";
  if (!::CopyFileW(source.c_str(), toolkit::LongPathForm(widePath_).c_str(), FALSE))
    throw std::runtime_error("cannot copy the helper program to " + toolkit::Utf8Of(widePath_));
  std::wstring command = L"\"" + widePath_ + L"\" 120";
  if (widePath_.size() >= MAX_PATH) {
    // A process's current folder is held in MAX_PATH characters: the helper
    // works in the test's own.
    started_ = StartBelowTheLimit(widePath_, command, toolkit::Widen(TestBinDir()) + L"\\");
  } else {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(widePath_.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, &info))
      throw std::runtime_error("cannot start " + toolkit::Utf8Of(widePath_));
    started_ = StartedProcess(info);
  }
  // A process is listed with its module name only once its loader has run.
  ::WaitForInputIdle(handle(), 2000);
  ::Sleep(200);
}

ChildProcess::~ChildProcess() {
  if (started_.process) {
    ::TerminateProcess(handle(), 0);
    ::WaitForSingleObject(handle(), 5000);
  }
}

}  // namespace testsupport
