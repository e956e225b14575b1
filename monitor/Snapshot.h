// The process snapshot: which programs run right now, and from which executable.
// One row per process whose executable path can be resolved, in snapshot order,
// with its identifier kept beside the row in the tables' CurrentPids.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <unordered_map>

#include "monitor/Tables.h"

namespace monitor {

// The process calls the snapshot depends on, all wide: a path is read whole,
// whatever characters it has and however long it is. The real ones come from
// kernel32 and psapi (from the system directory); a test substitutes one to make
// the snapshot fail on demand, which Wine cannot do.
struct ProcessApi {
  using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD flags, DWORD pid);
  using Process32Fn = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32W* entry);
  using OpenProcessFn = HANDLE(WINAPI*)(DWORD access, BOOL inherit, DWORD pid);
  using ModuleFileNameFn = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPWSTR name,
                                          DWORD size);
  using QueryImageNameFn = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPWSTR name, PDWORD size);
  using ProcessTimesFn = BOOL(WINAPI*)(HANDLE process, LPFILETIME created, LPFILETIME exited,
                                       LPFILETIME kernel, LPFILETIME user);

  CreateSnapshotFn CreateToolhelp32Snapshot = nullptr;
  Process32Fn Process32FirstW = nullptr;
  Process32Fn Process32NextW = nullptr;
  OpenProcessFn OpenProcess = nullptr;
  ModuleFileNameFn GetModuleFileNameExW = nullptr;
  QueryImageNameFn QueryFullProcessImageNameW = nullptr;
  ProcessTimesFn GetProcessTimes = nullptr;  // only for the creation time

  // The platform's functions, looked up once at first use. A function the system
  // does not offer stays null and its call counts as failed.
  static const ProcessApi& System();
};

// The resolved executable path of each running process, from one walk to the
// next. A process's executable does not change while it runs, and reading the
// path from another process (its module list, then the long form of every folder
// on the way) is most of what a timed cycle costs. A process is known by its
// identifier together with its creation time, because Windows gives a freed
// identifier to a later process. Only paths that were read are kept: a process
// whose module list could not be read yet is asked again at the next walk.
class TImagePathCache {
public:
  // The cache of the machine's processes, for the walks through ProcessApi::System().
  static TImagePathCache& System();

  const std::wstring* Find(DWORD pid, const FILETIME& created) const;
  // Keeps the path for the walk in progress; processes not kept again by a walk
  // are forgotten at its end.
  void Keep(DWORD pid, const FILETIME& created, std::wstring path);
  void BeginWalk() { next_.clear(); }
  void EndWalk() { paths_.swap(next_); next_.clear(); }
  int Count() const { return static_cast<int>(paths_.size()); }

private:
  struct Known {
    FILETIME created;
    std::wstring path;
  };
  std::unordered_map<DWORD, Known> paths_, next_;
};

// Stamps SnapshotTime, then appends one current-process row (its name and path) and
// one identifier per admitted process. Never removes rows. Seen becomes every
// process of the walk. The name and the path of a row are CP932 text, "?" for
// each character CP932 lacks (never a look-alike: "Café" is not "Cafe"); the real
// path of such a row is remembered in RealPaths.
// The walk through the system's own functions keeps its paths in
// TImagePathCache::System(); any other is read afresh.
void GetProcessesList(TTables& tables, const ProcessApi& api = ProcessApi::System());
// The same with the cache given (none: every path is read).
void GetProcessesList(TTables& tables, const ProcessApi& api, TImagePathCache* cache);

// The long form of a path (every 8.3 part that exists made long), at any length,
// or the path unchanged.
std::wstring GetLongPath(const std::wstring& path);

std::wstring GetWindowsDir();

// Rewrites the kernel forms a module name can take into ordinary paths: a path
// that begins with the component "\SystemRoot" (in this letter case) gets the
// Windows folder in its place, and one that begins with "\??\" loses it. Only at
// the start, where the kernel puts them: elsewhere they are part of a folder's name.
std::wstring NormalizeSystemPath(const std::wstring& path);
std::wstring NormalizeSystemPath(const std::wstring& path, const std::wstring& windowsDir);

// Rebuilds the current-process table: empty it and CurrentPids, snapshot, reset
// the icons to the fallback icon, read the file facts and icons, and give every
// row its spare cell.
void RefreshCurrentProcesses(TTables& tables, HICON fallbackIcon,
                             const ProcessApi& api = ProcessApi::System());

}  // namespace monitor
