// The facts of each running program's executable: its modification time, which
// the comparison sets against the process list, and its icon for the display.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/Tables.h"
#include "toolkit/ImageList.h"

namespace monitor {

// The marker of a path that was not determined.
extern const char kUnknownPath[];

// A path counts as an existing file when a directory search finds an entry that
// is not a folder and whose local last-write time fits a DOS date-time (1980 to
// 2107). When it does, *modified receives that time as DateTimeText, at the DOS
// two-second resolution.
bool FileExists(const std::string& path, std::string* modified = nullptr);

// Empties the image list and puts the fallback icon back as image 0.
void ResetImageList(toolkit::TImageList& ImageList1, HICON fallbackIcon);

// Sets the modification time of every current-process row (empty for a file that
// is not there) and its image index: its own icon, added to the tables' icons, or
// 0 (the fallback). No icons are extracted while the icons' tag (TrayMonitoring)
// is set.
void ListFileProperty(TTables& tables);

}  // namespace monitor
