#include "toolkit/Icon.h"

#include <shellapi.h>

#include "toolkit/Paths.h"

namespace toolkit {

IconHandle ExtractFirstIcon(const std::wstring& path) {
  std::wstring reachable = path;
  if (path.size() >= MAX_PATH) {
    wchar_t shortPath[MAX_PATH + 8] = {};
    const DWORD n = ::GetShortPathNameW(LongPathForm(path).c_str(), shortPath, MAX_PATH + 8);
    if (n == 0 || n >= MAX_PATH + 8) return IconHandle();
    reachable = shortPath;
    if (reachable.compare(0, 4, L"\\\\?\\") == 0) reachable.erase(0, 4);
    if (reachable.size() >= MAX_PATH) return IconHandle();
  }
  // ExtractIcon answers 1, not an icon, for a file that is no executable.
  HICON icon = ::ExtractIconW(::GetModuleHandleW(nullptr), reachable.c_str(), 0);
  return IconHandle(icon == reinterpret_cast<HICON>(1) ? nullptr : icon);
}

void TIcon::Drop() {
  if (handle_ && owned_) ::DestroyIcon(handle_);
  handle_ = nullptr;
  owned_ = false;
}

void TIcon::SetHandle(HICON icon, Ownership ownership) {
  if (icon != handle_) {
    Drop();
    handle_ = icon;
  }
  owned_ = icon && ownership == Ownership::Owned;
  Changed();
}

void TIcon::Assign(const TIcon& source) {
  if (&source == this) return;
  HICON copy = source.handle_ ? ::CopyIcon(source.handle_) : nullptr;
  Drop();
  handle_ = copy;
  owned_ = copy != nullptr;
  Changed();
}

void TIcon::Clear() {
  if (!handle_) return;
  Drop();
  Changed();
}

}  // namespace toolkit
