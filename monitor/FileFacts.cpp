#include "monitor/FileFacts.h"

#include <shellapi.h>

#include "toolkit/DateTimeText.h"
#include "toolkit/FindFile.h"
#include "toolkit/Handle.h"
#include "toolkit/Wow64.h"

namespace monitor {

const char kUnknownPath[] = "[不明]";

namespace {

// The DOS form is kept on purpose: it rounds an odd second down and rejects the
// years before 1980, and the stored times of existing process lists were made so.
bool DosTimeText(const FILETIME& lastWrite, std::string* text) {
  FILETIME local;
  WORD date = 0;
  WORD time = 0;
  if (!::FileTimeToLocalFileTime(&lastWrite, &local)) return false;
  if (!::FileTimeToDosDateTime(&local, &date, &time)) return false;
  if (!text) return true;
  FILETIME rounded;
  SYSTEMTIME st;
  if (!::DosDateTimeToFileTime(date, time, &rounded) || !::FileTimeToSystemTime(&rounded, &st))
    return false;
  *text = toolkit::DateTimeText(st);
  return true;
}

bool MayExtractIcon(const std::string& path, const toolkit::TImageList& images) {
  return path != kUnknownPath && !path.empty() && path[0] != '\\' && images.Tag == 0;
}

}  // namespace

bool FileExists(const std::string& path, std::string* modified) {
  // A 64-bit process's path in System32 names the real System32; looked up through
  // the redirection, a 64-bit-only program would count as deleted.
  WIN32_FIND_DATAA entry;
  {
    toolkit::TWow64RedirectionOff realSystem32;
    toolkit::TFindFile search(path);
    if (!search.found()) return false;
    entry = search.data();
  }
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  return DosTimeText(entry.ftLastWriteTime, modified);
}

void ResetImageList(toolkit::TImageList& ImageList1, HICON fallbackIcon) {
  ImageList1.Clear();
  ImageList1.AddIcon(fallbackIcon);
}

void ListFileProperty(TTables& tables) {
  HINSTANCE self = ::GetModuleHandleA(nullptr);
  toolkit::TListView& rows = tables.CurrentProcesses;
  toolkit::TListUpdate update(rows);
  for (int i = 0; i < rows.Count(); ++i) {
    const std::string path = rows.Cell(i, kCurrentPath);
    std::string modified;
    rows.SetImageIndex(i, 0);
    // One directory search per row: the test for existence and the time it
    // yields come from the same entry.
    const bool exists = FileExists(path, &modified);
    rows.SetCell(i, kCurrentModified, exists ? std::move(modified) : std::string());
    if (!exists || !MayExtractIcon(path, tables.Icons)) continue;
    // ExtractIcon answers 1, not an icon, for a file that is no executable.
    HICON extracted = ::ExtractIconA(self, path.c_str(), 0);
    if (extracted == nullptr || extracted == reinterpret_cast<HICON>(1)) continue;
    toolkit::IconHandle icon(extracted);
    rows.SetImageIndex(i, tables.Icons.AddIcon(icon.get()));
  }
}

}  // namespace monitor
