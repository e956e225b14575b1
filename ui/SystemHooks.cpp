#include "ui/SystemHooks.h"

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

}  // namespace ui
