#include "toolkit/CallerConsole.h"

#include <windows.h>

#include "toolkit/AnsiText.h"
#include "toolkit/Handle.h"

namespace toolkit {

namespace {

bool WriteLine(HANDLE out, const std::string& line) {
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0, written = 0;
  if (::GetConsoleMode(out, &mode)) {
    // A console shows its own code page, which the user may have changed (chcp
    // 65001); in UTF-16 the line reads right under any of them.
    const std::wstring wide = Widen(line) + L"\r\n";
    return ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written,
                           nullptr) != 0;
  }
  const std::string bytes = line + "\r\n";
  return ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

bool TellCaller(const std::string& line) {
  if (WriteLine(::GetStdHandle(STD_ERROR_HANDLE), line)) return true;
  // Windows starts a program with windows attached to no console, so this joins
  // the parent's. Wine has attached it to its parent's console already and
  // answers ERROR_ACCESS_DENIED, which the documentation gives for that case.
  if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED)
    return false;
  FileHandle console(::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
  return WriteLine(console.get(), line);
}

}  // namespace toolkit
