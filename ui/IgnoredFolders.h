// Editing the list of ignored folders ("無視するフォルダ"): the work behind the
// settings page's "追加" and "削除" buttons. The comparison looks for each entry
// inside the full path of every current process, so an entry must end in exactly
// one backslash: without it "C:\Program Files" would also match
// "C:\Program Files2\", and a lone "\" would match every program there is.
#pragma once

#include <string>

#include "toolkit/ListView.h"
#include "ui/Form4.h"

namespace ui {

// The entry for a chosen folder: its path with one trailing backslash (a drive's
// root "C:\" keeps the one it has). Empty when no folder was chosen.
std::string IgnoredFolderEntry(const std::string& folderPath);

// "追加" (Button6Click): runs the picker modally and appends the chosen folder at
// the end of the list when the user confirmed with OK. The same folder may be
// added more than once.
void AddIgnoredFolder(toolkit::TListView& ListView4, TForm4& Form4);

// "削除" (Button7Click): removes the selected entry at once; with none selected,
// nothing happens.
void RemoveIgnoredFolder(toolkit::TListView& ListView4);

}  // namespace ui
