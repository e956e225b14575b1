#include "ui/Startup.h"

#include <objbase.h>
#include <shlobj.h>

#include "toolkit/ComRef.h"
#include "toolkit/Handle.h"
#include "toolkit/Paths.h"

namespace ui {

namespace {

const std::wstring* g_startupFolderOverride = nullptr;

bool IsFile(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(toolkit::LongPathForm(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int ShowCommandOf(TWindowState state) {
  switch (state) {
    case wsMinimized: return SW_MINIMIZE;
    case wsMaximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
  }
}

}  // namespace

std::wstring GetStartupFolder(HWND owner) {
  if (g_startupFolderOverride) return *g_startupFolderOverride;

  toolkit::ItemIdList list;
  if (::SHGetSpecialFolderLocation(owner, CSIDL_STARTUP, list.put()) != S_OK || !list.get())
    return std::wstring();
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!::SHGetPathFromIDListW(list.get(), buffer)) return std::wstring();
  std::wstring folder = buffer;
  // Only a drive's root comes with its separator ("C:\").
  if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

bool CreateShortCut(const std::wstring& linkFile, const std::wstring& target,
                    const std::wstring& arguments, const std::wstring& workingDirectory,
                    TWindowState state) {
  if (linkFile.empty()) return false;
  toolkit::ComRef<IShellLinkW> link;
  if (::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         IID_IShellLinkW, link.putVoid()) != S_OK ||
      !link)
    return false;
  if (link->SetPath(target.c_str()) != S_OK) return false;
  if (link->SetArguments(arguments.c_str()) != S_OK) return false;
  if (link->SetWorkingDirectory(workingDirectory.c_str()) != S_OK) return false;
  if (link->SetShowCmd(ShowCommandOf(state)) != S_OK) return false;

  toolkit::ComRef<IPersistFile> file;
  if (link->QueryInterface(IID_IPersistFile, file.putVoid()) != S_OK || !file) return false;
  return file->Save(linkFile.c_str(), FALSE) == S_OK;
}

void ApplyStartupRegistration(bool registered, const std::wstring& programFolder,
                              const std::wstring& exePath, const std::wstring& startupFolder) {
  // Without both folders the paths below would name the root of the current
  // drive: better no registration than a shortcut (or a deletion) there.
  if (startupFolder.empty() || programFolder.empty()) return;
  const std::wstring link = toolkit::WithTrailingBackslash(startupFolder) + kStartupLinkName;
  const std::wstring temporary =
      toolkit::WithTrailingBackslash(programFolder) + kTemporaryLinkName;

  if (registered && !IsFile(link))
    CreateShortCut(temporary, exePath, std::wstring(),
                   toolkit::WithTrailingBackslash(programFolder), wsNormal);
  // Also picks up a "VYT.lnk" that an earlier failed move left behind. MoveFileW
  // never replaces, so a "VTY.lnk" already there stays as it is.
  ::MoveFileW(toolkit::LongPathForm(temporary).c_str(), toolkit::LongPathForm(link).c_str());
  if (!registered && IsFile(link)) ::DeleteFileW(toolkit::LongPathForm(link).c_str());
}

TStartupFolderOverride::TStartupFolderOverride(std::wstring folder)
    : folder_(std::move(folder)), previous_(g_startupFolderOverride) {
  g_startupFolderOverride = &folder_;
}

TStartupFolderOverride::~TStartupFolderOverride() { g_startupFolderOverride = previous_; }

}  // namespace ui
