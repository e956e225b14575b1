#include "ui/ListCommands.h"

#include <cstring>

#include "monitor/FileFacts.h"
#include "toolkit/AnsiText.h"

namespace ui {

void OpenContainingFolder(const TShellOpen& shell, HWND owner, const std::wstring& path,
                          const std::wstring& programFolder) {
  if (path == toolkit::Widen(monitor::kUnknownPath)) return;
  shell(owner, L"Open", L"Explorer", L" /select," + path, programFolder, SW_SHOWDEFAULT);
}

void ShowFileProperties(const TShellExecuteEx& shell, HWND owner, const std::wstring& path) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = L"Properties";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  shell(info);
}

bool CopyTextToClipboard(HWND owner, const std::string& text) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return false;
  void* bytes = ::GlobalLock(memory);
  std::memcpy(bytes, text.c_str(), text.size() + 1);
  ::GlobalUnlock(memory);
  if (!::OpenClipboard(owner)) {
    ::GlobalFree(memory);
    return false;
  }
  ::EmptyClipboard();
  bool placed = ::SetClipboardData(CF_TEXT, memory) != nullptr;
  ::CloseClipboard();
  if (!placed) ::GlobalFree(memory);  // the clipboard owns it only once placed
  return placed;
}

}  // namespace ui
