#include "ui/ListCommands.h"

#include <cstring>

#include "monitor/FileFacts.h"
#include "store/TextFile.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Csv.h"

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

void SaveShownRowsAsCsv(const toolkit::TListView& view, const std::vector<std::string>& captions,
                        const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(static_cast<size_t>(view.ShownCount()));
  for (int row : view.ShownRows()) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (size_t column = 0; column < captions.size(); ++column)
      cells.push_back(view.Cell(row, static_cast<int>(column)));
  }
  store::ReplaceWholeFile(path, toolkit::Cp932TableToCsv(captions, rows, &toolkit::WindowsCp932Pair),
                          false);
}

}  // namespace ui
