#include "ui/SystemHooks.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "toolkit/AnsiText.h"
#include "toolkit/Handle.h"

namespace ui {

TShellOpen SystemShellOpen() {
  return [](HWND owner, const std::wstring& operation, const std::wstring& file,
            const std::wstring& parameters, const std::wstring& directory, int showCommand) {
    ::ShellExecuteW(owner, operation.c_str(), file.c_str(), parameters.c_str(),
                    directory.c_str(), showCommand);
  };
}

TShellExecuteEx SystemShellExecuteEx() {
  return [](SHELLEXECUTEINFOW& info) {
    ::ShellExecuteExW(&info);
    toolkit::KernelHandle process(info.hProcess);  // asked for, never used
  };
}

bool SystemConfirmEndProcess(HWND owner) {
  return toolkit::AskWarningYesNo(owner, "警告", "このプロセスを強制終了しますか？");
}

bool SystemEditComment(HWND owner, std::string& comment) {
  return toolkit::InputQuery(owner, "コメント", "コメントを入力してください", comment, 255);
}

bool SystemChooseCsvFile(HWND owner, std::string& path) {
  // The buffer takes the longest path the dialog can give.
  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring suggested = toolkit::Widen(path);
  suggested.copy(name.data(), std::min(suggested.size(), name.size() - 1));
  const std::wstring filter = toolkit::Widen(std::string("CSV ファイル (*.csv)") + '\0' + "*.csv" +
                                             '\0' + "すべてのファイル (*.*)" + '\0' + "*.*" + '\0');
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrDefExt = L"csv";
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                 OFN_NOCHANGEDIR;
  if (!::GetSaveFileNameW(&dialog)) return false;
  path = toolkit::Narrow(name.data());
  return true;
}

}  // namespace ui
