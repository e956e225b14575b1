#include "ui/Startup.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "toolkit/ComRef.h"
#include "toolkit/Handle.h"
#include "toolkit/Paths.h"

namespace ui {

namespace {

const std::string* g_startupFolderOverride = nullptr;

bool IsFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int ShowCommandOf(TWindowState state) {
  switch (state) {
    case wsMinimized: return SW_MINIMIZE;
    case wsMaximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
  }
}

std::wstring Widen(const std::string& text) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::vector<wchar_t> wide(static_cast<size_t>(n));
  if (::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n) != n)
    return std::wstring();
  return std::wstring(wide.data());
}

}  // namespace

std::string GetStartupFolder(HWND owner) {
  if (g_startupFolderOverride) return *g_startupFolderOverride;

  toolkit::ItemIdList list;
  if (::SHGetSpecialFolderLocation(owner, CSIDL_STARTUP, list.put()) != S_OK || !list.get())
    return std::string();
  char buffer[MAX_PATH + 1] = {};
  if (!::SHGetPathFromIDListA(list.get(), buffer)) return std::string();
  std::string folder = buffer;
  // Only a drive's root comes with its separator ("C:\").
  if (folder.size() > 3 && toolkit::EndsWithBackslash(folder)) folder.pop_back();
  return folder;
}

bool CreateShortCut(const std::string& linkFile, const std::string& target,
                    const std::string& arguments, const std::string& workingDirectory,
                    TWindowState state) {
  toolkit::ComRef<IShellLinkA> link;
  if (::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         IID_IShellLinkA, link.putVoid()) != S_OK ||
      !link)
    return false;
  if (link->SetPath(target.c_str()) != S_OK) return false;
  if (link->SetArguments(arguments.c_str()) != S_OK) return false;
  if (link->SetWorkingDirectory(workingDirectory.c_str()) != S_OK) return false;
  if (link->SetShowCmd(ShowCommandOf(state)) != S_OK) return false;

  std::wstring wideName = Widen(linkFile);
  if (wideName.empty()) return false;
  toolkit::ComRef<IPersistFile> file;
  if (link->QueryInterface(IID_IPersistFile, file.putVoid()) != S_OK || !file) return false;
  return file->Save(wideName.c_str(), FALSE) == S_OK;
}

void ApplyStartupRegistration(bool registered, const std::string& programFolder,
                              const std::string& exePath, const std::string& startupFolder) {
  // Without both folders the paths below would name the root of the current
  // drive: better no registration than a shortcut (or a deletion) there.
  if (startupFolder.empty() || programFolder.empty()) return;
  const std::string link = toolkit::WithTrailingBackslash(startupFolder) + kStartupLinkName;
  const std::string temporary = toolkit::WithTrailingBackslash(programFolder) + kTemporaryLinkName;

  if (registered && !IsFile(link))
    CreateShortCut(temporary, exePath, std::string(),
                   toolkit::WithTrailingBackslash(programFolder), wsNormal);
  // Also picks up a "VYT.lnk" that an earlier failed move left behind. MoveFileA
  // never replaces, so a "VTY.lnk" already there stays as it is.
  ::MoveFileA(temporary.c_str(), link.c_str());
  if (!registered && IsFile(link)) ::DeleteFileA(link.c_str());
}

TStartupFolderOverride::TStartupFolderOverride(std::string folder)
    : folder_(std::move(folder)), previous_(g_startupFolderOverride) {
  g_startupFolderOverride = &folder_;
}

TStartupFolderOverride::~TStartupFolderOverride() { g_startupFolderOverride = previous_; }

}  // namespace ui
