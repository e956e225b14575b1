#include "store/TextFile.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "toolkit/Handle.h"
#include "toolkit/Paths.h"

namespace store {

namespace {

using toolkit::FileSystemPath;

std::string WithPath(const char* format, const std::string& path) {
  std::string text = format;
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  return text;
}

// The first of path.bak, path.bak2, path.bak3, ... that names nothing yet.
std::string FreeBackupName(const std::string& path) {
  for (int n = 1; n < 1000; ++n) {
    std::string candidate = path + ".bak" + (n == 1 ? std::string() : std::to_string(n));
    if (!IsTakenPath(candidate)) return candidate;
  }
  return std::string();
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

// A file another program holds open cannot be renamed over until it lets go.
// Readers of the program's files (an export started by a script, a virus
// scanner, a backup) hold them for a moment only, and a save lost to that moment
// would cost a whole session. Bounded, so that a file held for good (or a folder
// that refuses the rename) still fails within a second.
bool RenameOver(const std::string& from, const std::string& to) {
  constexpr int kAttempts = 20;
  constexpr DWORD kPauseMs = 50;
  for (int attempt = 1;; ++attempt) {
    if (::MoveFileExW(FileSystemPath(from).c_str(), FileSystemPath(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    const DWORD error = ::GetLastError();
    if (attempt == kAttempts || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
      return false;
    ::Sleep(kPauseMs);
  }
}

// A read that another program's lock stopped: worth trying again.
bool IsLockError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// One attempt at the whole file; false with the error when it failed.
bool TryReadWholeFile(const std::string& path, std::string& bytes, DWORD& error) {
  toolkit::FileHandle file(::CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    error = ::GetLastError();
    return false;
  }
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.get(), &size)) {
    error = ::GetLastError();
    return false;
  }
  if (size.QuadPart > 0x7FFFFFFF) throw TFileTooLarge(path);
  bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!::ReadFile(file.get(), &bytes[done], chunk, &read, nullptr)) {
      error = ::GetLastError();
      std::string().swap(bytes);
      return false;
    }
    if (read == 0) break;  // the file shrank while it was read
    done += read;
  }
  bytes.resize(done);
  return true;
}

}  // namespace

std::string CannotCreateMessage(const std::string& path) {
  return WithPath("ファイル %s を作成できません", path);
}

std::string CannotOpenMessage(const std::string& path) {
  return WithPath("ファイル %s は開けません", path);
}

std::string UnknownFormatMessage(const std::string& path) {
  return WithPath("ファイル %s の形式が正しくありません", path);
}

bool IsExistingFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(FileSystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsTakenPath(const std::string& path) {
  return ::GetFileAttributesW(FileSystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TFileTooLarge::TFileTooLarge(const std::string& path)
    : std::runtime_error(CannotOpenMessage(path)) {}

std::string ReadWholeFile(const std::string& path, unsigned long patienceMs) {
  const ULONGLONG began = ::GetTickCount64();
  for (;;) {
    std::string bytes;
    DWORD error = 0;
    if (TryReadWholeFile(path, bytes, error)) return bytes;
    if (!IsLockError(error) || ::GetTickCount64() - began >= patienceMs)
      throw std::runtime_error(CannotOpenMessage(path));
    ::Sleep(100);
  }
}

std::string ReplaceWholeFile(const std::string& path, const std::string& bytes, bool keepOld) {
  const std::string temp = path + ".tmp";
  // A temporary file that a crash left behind is rewritten; clear a read-only flag
  // it may carry so that it can be.
  ::SetFileAttributesW(FileSystemPath(temp).c_str(), FILE_ATTRIBUTE_NORMAL);
  {
    toolkit::FileHandle file(::CreateFileW(FileSystemPath(temp).c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error(CannotCreateMessage(path));
    // The content must be on the disk before the rename makes it the file: a rename
    // that outlives the data would leave an empty file after a power cut.
    if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) {
      file.reset();
      RemoveFile(temp);
      throw std::runtime_error(CannotCreateMessage(path));
    }
  }

  std::string backup;
  if (keepOld && IsExistingFile(path)) {
    // Copied rather than moved: until the rename below, the old file stays where it is.
    backup = FreeBackupName(path);
    if (backup.empty() ||
        !::CopyFileW(FileSystemPath(path).c_str(), FileSystemPath(backup).c_str(), TRUE)) {
      RemoveFile(temp);
      throw std::runtime_error(CannotCreateMessage(path));
    }
  }

  if (!RenameOver(temp, path)) {
    RemoveFile(temp);
    throw std::runtime_error(CannotCreateMessage(path));
  }
  return backup;
}

std::string MoveAside(const std::string& path) {
  const std::string backup = FreeBackupName(path);
  if (backup.empty() || !::MoveFileExW(FileSystemPath(path).c_str(),
                                       FileSystemPath(backup).c_str(), MOVEFILE_WRITE_THROUGH))
    return std::string();
  return backup;
}

void RemoveFile(const std::string& path) { ::DeleteFileW(FileSystemPath(path).c_str()); }

}  // namespace store
