// A 32-bit program on 64-bit Windows cannot read the module list of a 64-bit
// process, so GetModuleFileNameExA fails for nearly every process there. Such a
// process is asked for its image name through a limited-information handle
// instead; everything after that (long form, kernel forms, admission) is the same.
//
// Every process is opened at every walk, so one that can no longer be opened
// loses its row as before; only the reading of its path is skipped when the same
// process (identifier and creation time) was resolved by the walk before.
#include "monitor/Snapshot.h"

#include "monitor/FileFacts.h"
#include "toolkit/DateTimeText.h"
#include "toolkit/Handle.h"
#include "toolkit/Paths.h"
#include "toolkit/SystemLibrary.h"

namespace monitor {

static_assert(sizeof(PROCESSENTRY32) == 296, "the ANSI process entry is 296 bytes");

namespace {

constexpr DWORD kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x0410
constexpr DWORD kQueryLimited = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

ProcessApi LoadSystemApi() {
  ProcessApi api;
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel) {
    api.CreateToolhelp32Snapshot = reinterpret_cast<ProcessApi::CreateSnapshotFn>(
        ::GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
    api.Process32First =
        reinterpret_cast<ProcessApi::Process32Fn>(::GetProcAddress(kernel, "Process32First"));
    api.Process32Next =
        reinterpret_cast<ProcessApi::Process32Fn>(::GetProcAddress(kernel, "Process32Next"));
    api.QueryFullProcessImageNameA = reinterpret_cast<ProcessApi::QueryImageNameFn>(
        ::GetProcAddress(kernel, "QueryFullProcessImageNameA"));
  }
  api.OpenProcess = &::OpenProcess;
  api.GetProcessTimes = &::GetProcessTimes;
  // psapi stays loaded for the life of the process, as the lookup happens once.
  if (HMODULE psapi = toolkit::LoadSystemLibrary("psapi.dll")) {
    api.GetModuleFileNameExA = reinterpret_cast<ProcessApi::ModuleFileNameFn>(
        ::GetProcAddress(psapi, "GetModuleFileNameExA"));
  }
  return api;
}

// The executable's path as the module list reports it, or by the image name of a
// limited handle when the module list cannot be read. Empty when neither works.
std::string ReadImagePath(HANDLE process, DWORD pid, const ProcessApi& api) {
  if (process && api.GetModuleFileNameExA) {
    char buffer[MAX_PATH + 1] = {};
    if (api.GetModuleFileNameExA(process, nullptr, buffer, MAX_PATH) != 0) return buffer;
  }
  if (!api.QueryFullProcessImageNameA) return {};
  toolkit::KernelHandle limited(api.OpenProcess(kQueryLimited, FALSE, pid));
  if (!limited) return {};
  char buffer[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  if (!api.QueryFullProcessImageNameA(limited.get(), 0, buffer, &size)) return {};
  // Limited access admits processes whose image name is no file's path (a
  // pseudo-process's bare name, say); such a path could never be found again
  // and would churn at every cycle.
  std::string path(buffer, size);
  return toolkit::IsAbsolutePath(path) ? path : std::string();
}

bool CreationTime(HANDLE process, const ProcessApi& api, FILETIME* created) {
  FILETIME exited, kernel, user;
  return process && api.GetProcessTimes &&
         api.GetProcessTimes(process, created, &exited, &kernel, &user) &&
         (created->dwLowDateTime != 0 || created->dwHighDateTime != 0);
}

// The resolved path of one process (long form, kernel forms rewritten), or empty.
std::string ResolvedPath(DWORD pid, const ProcessApi& api, TImagePathCache* cache) {
  if (!api.OpenProcess) return {};
  toolkit::KernelHandle process(api.OpenProcess(kQueryAndRead, FALSE, pid));
  FILETIME created = {};
  const bool known = cache && CreationTime(process.get(), api, &created);
  if (known) {
    if (const std::string* path = cache->Find(pid, created)) {
      cache->Keep(pid, created, *path);
      return *path;
    }
  }
  std::string path = ReadImagePath(process.get(), pid, api);
  if (path.empty()) return path;
  path = NormalizeSystemPath(GetLongPath(path));
  if (known) cache->Keep(pid, created, path);
  return path;
}

std::string ReplaceFirst(const std::string& text, const std::string& what,
                         const std::string& with) {
  size_t at = text.find(what);
  if (at == std::string::npos) return text;
  std::string result = text;
  result.replace(at, what.size(), with);
  return result;
}

}  // namespace

const ProcessApi& ProcessApi::System() {
  static const ProcessApi api = LoadSystemApi();
  return api;
}

TImagePathCache& TImagePathCache::System() {
  static TImagePathCache cache;
  return cache;
}

const std::string* TImagePathCache::Find(DWORD pid, const FILETIME& created) const {
  auto it = paths_.find(pid);
  if (it == paths_.end() || ::CompareFileTime(&it->second.created, &created) != 0) return nullptr;
  return &it->second.path;
}

void TImagePathCache::Keep(DWORD pid, const FILETIME& created, std::string path) {
  next_[pid] = Known{created, std::move(path)};
}

std::string GetLongPath(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  DWORD len = ::GetLongPathNameA(path.c_str(), buffer, MAX_PATH + 1);
  if (len == 0 || len > MAX_PATH) return path;
  return buffer;
}

std::string GetWindowsDir() {
  char buffer[MAX_PATH] = {};
  ::GetWindowsDirectoryA(buffer, MAX_PATH);
  return buffer;
}

std::string NormalizeSystemPath(const std::string& path, const std::string& windowsDir) {
  return ReplaceFirst(ReplaceFirst(path, "\\SystemRoot", windowsDir), "\\??\\", "");
}

std::string NormalizeSystemPath(const std::string& path) {
  return NormalizeSystemPath(path, GetWindowsDir());
}

void GetProcessesList(TTables& tables, const ProcessApi& api) {
  GetProcessesList(tables, api,
                   &api == &ProcessApi::System() ? &TImagePathCache::System() : nullptr);
}

void GetProcessesList(TTables& tables, const ProcessApi& api, TImagePathCache* cache) {
  tables.SnapshotTime = toolkit::NowText();
  tables.Seen.clear();
  if (!api.CreateToolhelp32Snapshot || !api.Process32First || !api.Process32Next) return;
  toolkit::FileHandle snapshot(api.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;

  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  toolkit::TListUpdate update(tables.CurrentProcesses);
  if (cache) cache->BeginWalk();
  for (BOOL more = api.Process32First(snapshot.get(), &entry); more;
       more = api.Process32Next(snapshot.get(), &entry)) {
    entry.szExeFile[MAX_PATH - 1] = '\0';
    std::string name = entry.szExeFile;
    tables.Seen.push_back({entry.th32ProcessID, entry.th32ParentProcessID, name});
    std::string path = ResolvedPath(entry.th32ProcessID, api, cache);
    if (path.empty()) continue;
    if (path == name) continue;
    // A process caught while it starts may have no name in the snapshot yet; a
    // row without one would be a second row of a listed program.
    if (name.empty()) name = toolkit::FileNameOf(path);
    if (name.empty()) continue;
    tables.CurrentProcesses.Add(
        toolkit::TListItem::WithCells({{kCurrentName, name}, {kCurrentPath, path}}));
    tables.CurrentPids.Add(std::to_string(entry.th32ProcessID));
  }
  if (cache) cache->EndWalk();
}

void RefreshCurrentProcesses(TTables& tables, HICON fallbackIcon, const ProcessApi& api) {
  toolkit::TListView& rows = tables.CurrentProcesses;
  toolkit::TListUpdate update(rows);
  rows.Clear();
  tables.CurrentPids.Clear();
  GetProcessesList(tables, api);
  ResetImageList(tables.Icons, fallbackIcon);
  ListFileProperty(tables);
  for (int i = 0; i < rows.Count(); ++i) rows.SetCell(i, kCurrentSpare, std::string());
}

}  // namespace monitor
