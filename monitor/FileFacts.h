// The facts of each running program's executable: its modification time, which
// the comparison sets against the process list, and its icon for the display;
// and the one decision about a listed program's file that the deletion check
// acts on (ListedFileState).
//
// A file's existence and time are read with GetFileAttributesExW: one call that
// opens no search, many times cheaper than the directory search earlier versions
// made and with the same answer for every path the search takes literally. The
// directory search stays for paths with a wildcard character in them, where its
// answer (the first match) is what the program has always recorded.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/RealPaths.h"
#include "monitor/Tables.h"
#include "toolkit/ImageList.h"

namespace monitor {

// The marker of a path that was not determined.
extern const char kUnknownPath[];

// Whether an entry of these attributes and this last-write time (UTC) counts as
// an existing file: not a folder, and its local last-write time fits a DOS
// date-time (1980 to 2107). When it does, *modified receives that time as
// DateTimeText, at the DOS two-second resolution (an odd second reads as the
// even second below). The one rule of existence, whatever read the entry.
bool CountsAsExistingFile(DWORD attributes, const FILETIME& lastWrite,
                          std::string* modified = nullptr);

// Whether the path names an existing file (CountsAsExistingFile). Any length; the
// real System32 of a 64-bit Windows is seen as such, since the paths of 64-bit
// processes name it.
bool FileExists(const std::wstring& path, std::string* modified = nullptr);
// The same through a directory search, whatever the path holds: how a path with
// a wildcard is tested, and the old way for the benchmark and the tests.
bool FileExistsBySearch(const std::wstring& path, std::string* modified = nullptr);

// Whether the path begins with a drive letter ("X:\...") whose drive's root does
// not exist: a USB stick pulled, a network drive not yet connected.
bool IsOnAbsentDrive(const std::wstring& path);

// What a listed program's file is, as far as the program may tell.
enum class TListedFile {
  Exists,
  Gone,
  // Not tested, never gone: a network or kernel-form path (may be merely
  // unreachable), a path on an absent drive, and a stored path that lost
  // characters while its real path is not known.
  NotTestable,
};

// The file a stored path (a row's full path) stands for: the real path
// remembered for it, or else the stored text itself in UTF-16.
std::wstring RealPath(const std::string& stored, const TRealPaths& realPaths);

// The path to test for a stored path (a process-list row's full path): RealPath,
// or empty when the file cannot be tested from here (network or kernel form, or a
// stored text that lost characters with no real path known). No file is touched.
std::wstring PathToTest(const std::string& stored, const TRealPaths& realPaths);

// The deletion check's decision for one listed program: PathToTest, then
// FileExists, and for a file not found, whether its drive is there at all.
// Touches only the file system, so it may run on any thread as long as
// `realPaths` does not change meanwhile (give a worker its own copy).
TListedFile ListedFileState(const std::string& stored, const TRealPaths& realPaths);

// Empties the image list and puts the fallback icon back as image 0.
void ResetImageList(toolkit::TImageList& ImageList1, HICON fallbackIcon);

// Sets the modification time of every current-process row (empty for a file that
// is not there) and its image index: its own icon, added to the tables' icons, or
// 0 (the fallback). Both come from the row's real path (RealPath). No icons are
// extracted while the icons' tag (TrayMonitoring) is set.
void ListFileProperty(TTables& tables);

}  // namespace monitor
