#include "monitor/FileFacts.h"

#include "toolkit/AnsiText.h"
#include "toolkit/DateTimeText.h"
#include "toolkit/FindFile.h"
#include "toolkit/Handle.h"
#include "toolkit/Icon.h"
#include "toolkit/Paths.h"
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

// The characters a directory search takes as wildcards: "*" and "?", and the DOS
// forms "<", ">" and '"' that it also matches with (no file name can hold any of
// them). The "\\?\" of a long path is a prefix, not a wildcard.
bool HasWildcard(const std::wstring& path) {
  const size_t from = path.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0;
  return path.find_first_of(L"*?<>\"", from) != std::wstring::npos;
}

}  // namespace

bool CountsAsExistingFile(DWORD attributes, const FILETIME& lastWrite, std::string* modified) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  return DosTimeText(lastWrite, modified);
}

// Both lookups below turn the file-system redirection off: a 64-bit process's path
// in System32 names the real System32, and looked up through the redirection a
// 64-bit-only program would count as deleted.
bool FileExistsBySearch(const std::wstring& path, std::string* modified) {
  WIN32_FIND_DATAW entry;
  {
    toolkit::TWow64RedirectionOff realSystem32;
    toolkit::TFindFile search(toolkit::LongPathForm(path));
    if (!search.found()) return false;
    entry = search.data();
  }
  return CountsAsExistingFile(entry.dwFileAttributes, entry.ftLastWriteTime, modified);
}

bool FileExists(const std::wstring& path, std::string* modified) {
  if (HasWildcard(path)) return FileExistsBySearch(path, modified);
  // The directory search finds nothing for a name that ends in a separator, where
  // the attributes would describe the folder before it.
  if (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  {
    toolkit::TWow64RedirectionOff realSystem32;
    if (!::GetFileAttributesExW(toolkit::LongPathForm(path).c_str(), GetFileExInfoStandard, &data))
      return false;
  }
  return CountsAsExistingFile(data.dwFileAttributes, data.ftLastWriteTime, modified);
}

bool IsOnAbsentDrive(const std::wstring& path) {
  if (path.size() < 3 || path[0] == L'\\' || !toolkit::IsAbsolutePath(path)) return false;
  const std::wstring root = path.substr(0, 3);
  return ::GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::wstring RealPath(const std::string& stored, const TRealPaths& realPaths) {
  const std::wstring* real = realPaths.Find(stored);
  return real ? *real : toolkit::Widen(stored);
}

std::wstring PathToTest(const std::string& stored, const TRealPaths& realPaths) {
  // "?" stands for a character the stored text could not hold; no file is named so.
  if (!realPaths.Find(stored) && stored.find('?') != std::string::npos) return std::wstring();
  const std::wstring path = RealPath(stored, realPaths);
  // Network and kernel-form paths may be merely unreachable: never call them gone.
  if (!path.empty() && path[0] == L'\\') return std::wstring();
  return path;
}

TListedFile ListedFileState(const std::string& stored, const TRealPaths& realPaths) {
  const std::wstring path = PathToTest(stored, realPaths);
  if (path.empty()) return TListedFile::NotTestable;
  if (FileExists(path)) return TListedFile::Exists;
  return IsOnAbsentDrive(path) ? TListedFile::NotTestable : TListedFile::Gone;
}

void ResetImageList(toolkit::TImageList& ImageList1, HICON fallbackIcon) {
  ImageList1.Clear();
  ImageList1.AddIcon(fallbackIcon);
}

void ListFileProperty(TTables& tables) {
  toolkit::TListView& rows = tables.CurrentProcesses;
  toolkit::TListUpdate update(rows);
  for (int i = 0; i < rows.Count(); ++i) {
    // A copy: setting the time below may move the row's cells.
    const std::string path = rows.Cell(i, kCurrentPath);
    const std::wstring real = RealPath(path, tables.RealPaths);
    std::string modified;
    rows.SetImageIndex(i, 0);
    // One read per row: the test for existence and the time it yields come from
    // the same entry.
    const bool exists = FileExists(real, &modified);
    rows.SetCell(i, kCurrentModified, exists ? std::move(modified) : std::string());
    if (!exists || !MayExtractIcon(path, tables.Icons)) continue;
    toolkit::IconHandle icon = toolkit::ExtractFirstIcon(real);
    if (icon) rows.SetImageIndex(i, tables.Icons.AddIcon(icon.get()));
  }
}

}  // namespace monitor
