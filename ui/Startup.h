// Registration at start-up: a shortcut "VTY.lnk" to the program in the current
// user's Startup folder. The file itself is the registration; the "StartUp" setting
// is only the state of the check box that asks for it. The shortcut is made as
// "VYT.lnk" in the program's folder and then moved, so a failed move leaves a stray
// "VYT.lnk" that the next run of the registration moves (or deletes) in turn.
//
// Every path here is UTF-16 and whole: the program's folder, and the Startup
// folder inside the user's profile, may have names the code page cannot hold.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The window state a shortcut starts its program with.
enum TWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

constexpr wchar_t kStartupLinkName[] = L"VTY.lnk";
constexpr wchar_t kTemporaryLinkName[] = L"VYT.lnk";

// The full path of the current user's Startup folder, without a trailing
// separator; empty when the shell cannot tell it.
std::wstring GetStartupFolder(HWND owner = nullptr);

// Writes a shell shortcut at `linkFile`. True when the file was written; a
// failure is an ordinary finding and is not reported.
bool CreateShortCut(const std::wstring& linkFile, const std::wstring& target,
                    const std::wstring& arguments, const std::wstring& workingDirectory,
                    TWindowState state);

// The work of CheckBox4Click: with `registered` on, makes the shortcut unless one
// is there; in any case moves a "VYT.lnk" of the program's folder into the Startup
// folder; with `registered` off, deletes the shortcut. An existing "VTY.lnk" is
// never examined or rewritten. With no Startup folder (empty text) nothing at all
// is made, moved or deleted. Folders may be given with or without a trailing
// separator.
void ApplyStartupRegistration(bool registered, const std::wstring& programFolder,
                              const std::wstring& exePath, const std::wstring& startupFolder);

// While one lives, GetStartupFolder answers with `folder` instead of asking the
// shell, so that tests never touch the real Startup folder.
class TStartupFolderOverride {
public:
  explicit TStartupFolderOverride(std::wstring folder);
  ~TStartupFolderOverride();
  TStartupFolderOverride(const TStartupFolderOverride&) = delete;
  TStartupFolderOverride& operator=(const TStartupFolderOverride&) = delete;

private:
  std::wstring folder_;
  const std::wstring* previous_;
};

}  // namespace ui
