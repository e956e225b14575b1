// The main window's ways out of the program: the shell calls of the list
// commands, the questions it asks the user and the boxes it shows. Each is a
// member that holds the system's own call by default, so the program runs with
// the defaults and a test replaces only the members it needs to answer or to
// read. A new way out is one more member here, with the system's call as its
// default.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "toolkit/Dialogs.h"

namespace ui {

// ShellExecuteW's arguments; the result is not examined. Wide, as the files
// they name may have names the code page cannot hold.
using TShellOpen = std::function<void(HWND owner, const std::wstring& operation,
                                      const std::wstring& file, const std::wstring& parameters,
                                      const std::wstring& directory, int showCommand)>;
// ShellExecuteExW on a filled record; the result is not examined.
using TShellExecuteEx = std::function<void(SHELLEXECUTEINFOW& info)>;

TShellOpen SystemShellOpen();
TShellExecuteEx SystemShellExecuteEx();
// "このプロセスを強制終了しますか？", as a warning; true for yes.
bool SystemConfirmEndProcess(HWND owner);
// The comment box, filled with the comment; true with the typed text on OK.
bool SystemEditComment(HWND owner, std::string& comment);
// The standard save dialog for a CSV file, with `path` as the name it suggests;
// true with the chosen path in `path`, which asked before replacing a file. A
// name with a character the code page lacks comes back with "?" for it, which no
// file can be written under.
bool SystemChooseCsvFile(HWND owner, std::string& path);

struct TSystemHooks {
  TShellOpen ShellOpen = SystemShellOpen();
  TShellExecuteEx ShellExecuteEx = SystemShellExecuteEx();
  // Asked before "プロセスを強制終了" ends a process.
  std::function<bool(HWND owner)> ConfirmEndProcess = SystemConfirmEndProcess;
  // Asked by "コメント" for a program's comment.
  std::function<bool(HWND owner, std::string& comment)> EditComment = SystemEditComment;
  // Asked by "CSVで保存..." where to save a list.
  std::function<bool(HWND owner, std::string& path)> ChooseCsvFile = SystemChooseCsvFile;
  // The error box that every handler's escaping error reaches, and the plain notice.
  std::function<void(HWND owner, const std::string& message)> ShowError = toolkit::ShowError;
  std::function<void(HWND owner, const std::string& text)> ShowNotice = toolkit::ShowMessage;
};

}  // namespace ui
