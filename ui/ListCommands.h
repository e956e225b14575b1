// The commands of the lists' context menus that reach outside the program: the
// Explorer window on a file's folder, the shell's property sheet, the clipboard,
// and a CSV file of what a list shows. The shell calls are taken as arguments
// (the window's hooks) so that tests can see them without opening windows of
// other programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/ListView.h"
#include "ui/SystemHooks.h"

namespace ui {

// Opens an Explorer window on the file's folder with the file selected. The path
// (the file's real path, see monitor::RealPath) follows " /select," unquoted, as
// Explorer takes it; nothing for "[不明]".
void OpenContainingFolder(const TShellOpen& shell, HWND owner, const std::wstring& path,
                          const std::wstring& programFolder);

// Shows the shell's property sheet of the file, with no error interface of its own.
void ShowFileProperties(const TShellExecuteEx& shell, HWND owner, const std::wstring& path);

// Puts exactly the text on the clipboard as plain text, replacing what it held.
bool CopyTextToClipboard(HWND owner, const std::string& text);

// Writes the rows the list shows (those its filter passes, in its order) to a
// CSV file (toolkit/Csv.h) headed by the captions, with the captioned columns
// only, through a temporary file. Throws "ファイル %s を作成できません" when the
// file cannot be written; an old file of that name is then left as it was.
void SaveShownRowsAsCsv(const toolkit::TListView& view, const std::vector<std::string>& captions,
                        const std::string& path);

}  // namespace ui
