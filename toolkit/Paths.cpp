#include "toolkit/Paths.h"

#include <windows.h>

#include "toolkit/AnsiText.h"
#include "toolkit/Cp932.h"

namespace toolkit {

bool EndsWithBackslash(const std::string& text) {
  size_t last = cp932::LastCharStart(text);
  return last < text.size() && last == text.size() - 1 && text[last] == '\\';
}

std::string WithTrailingBackslash(const std::string& folder) {
  return EndsWithBackslash(folder) ? folder : folder + "\\";
}

std::wstring WithTrailingBackslash(const std::wstring& folder) {
  return !folder.empty() && folder.back() == L'\\' ? folder : folder + L"\\";
}

namespace {

// Where the last backslash character is, or npos.
size_t LastSeparator(const std::string& path) {
  size_t cut = std::string::npos;
  for (size_t i = 0; i < path.size(); i += cp932::CharSize(path, i))
    if (path[i] == '\\') cut = i;
  return cut;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t cut = LastSeparator(path);
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string FileNameOf(const std::string& path) {
  const size_t cut = LastSeparator(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::wstring ExecutablePathWide() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // cut: a folder deeper than MAX_PATH
  }
}

std::wstring ProgramFolderWide() {
  const std::wstring path = ExecutablePathWide();
  const size_t cut = path.find_last_of(L'\\');
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::string ExecutablePath() { return Narrow(ExecutablePathWide().c_str()); }

std::string ProgramFolder() { return FolderOf(ExecutablePath()); }

std::wstring WidePath(const std::string& path) {
  // The executable does not move while it runs.
  static const std::wstring realFolder = ProgramFolderWide();
  static const std::string folderText = Narrow(realFolder.c_str());
  static const bool lossy = Widen(folderText) != realFolder;
  if (lossy && !folderText.empty() && path.compare(0, folderText.size(), folderText) == 0 &&
      (path.size() == folderText.size() || path[folderText.size()] == '\\'))
    return realFolder + Widen(path.substr(folderText.size()));
  return Widen(path);
}

std::wstring FileSystemPath(const std::string& path) { return LongPathForm(WidePath(path)); }

std::wstring LongPathForm(const std::wstring& path) {
  constexpr size_t kPlainLimit = MAX_PATH - 12;
  if (path.size() < kPlainLimit) return path;
  if (path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0) return path;
  std::wstring full(path.size() + MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0],
                                       nullptr);
    if (n == 0) return path;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC" + full.substr(1);
  return IsAbsolutePath(full) ? L"\\\\?\\" + full : path;
}

}  // namespace toolkit
