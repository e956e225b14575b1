// A 32-bit program on 64-bit Windows cannot read the module list of a 64-bit
// process, so GetModuleFileNameExW fails for nearly every process there. Such a
// process is asked for its image name through a limited-information handle
// instead; everything after that (long form, kernel forms, admission) is the same.
//
// Paths are read and resolved in UTF-16, at any length, and made CP932 text only
// for the row: the tables, the window and the data files hold CP932, as every
// earlier version wrote them. A path that CP932 holds is the very text the ANSI
// calls gave before; one it cannot hold gets "?" for each character it lacks,
// the same text at every walk, and its real path goes to the tables' RealPaths.
//
// Every process is opened at every walk, so one that can no longer be opened
// loses its row as before; only the reading of its path is skipped when the same
// process (identifier and creation time) was resolved by the walk before.
#include "monitor/Snapshot.h"

#include "monitor/FileFacts.h"
#include "toolkit/AnsiText.h"
#include "toolkit/DateTimeText.h"
#include "toolkit/Handle.h"
#include "toolkit/Paths.h"
#include "toolkit/SystemLibrary.h"

namespace monitor {

static_assert(sizeof(PROCESSENTRY32W) == 556, "the wide process entry is 556 bytes");

namespace {

constexpr DWORD kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x0410
constexpr DWORD kQueryLimited = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

ProcessApi LoadSystemApi() {
  ProcessApi api;
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel) {
    api.CreateToolhelp32Snapshot = reinterpret_cast<ProcessApi::CreateSnapshotFn>(
        ::GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
    api.Process32FirstW =
        reinterpret_cast<ProcessApi::Process32Fn>(::GetProcAddress(kernel, "Process32FirstW"));
    api.Process32NextW =
        reinterpret_cast<ProcessApi::Process32Fn>(::GetProcAddress(kernel, "Process32NextW"));
    api.QueryFullProcessImageNameW = reinterpret_cast<ProcessApi::QueryImageNameFn>(
        ::GetProcAddress(kernel, "QueryFullProcessImageNameW"));
  }
  api.OpenProcess = &::OpenProcess;
  api.GetProcessTimes = &::GetProcessTimes;
  // psapi stays loaded for the life of the process, as the lookup happens once.
  if (HMODULE psapi = toolkit::LoadSystemLibrary("psapi.dll")) {
    api.GetModuleFileNameExW = reinterpret_cast<ProcessApi::ModuleFileNameFn>(
        ::GetProcAddress(psapi, "GetModuleFileNameExW"));
  }
  return api;
}

// Most paths fit the short buffer; the long one takes any path there can be.
constexpr DWORD kPathCapacities[] = {MAX_PATH + 1, 32768};

// The executable's path as the module list reports it, or by the image name of a
// limited handle when the module list cannot be read. Empty when neither works.
std::wstring ReadImagePath(HANDLE process, DWORD pid, const ProcessApi& api) {
  if (process && api.GetModuleFileNameExW) {
    for (const DWORD capacity : kPathCapacities) {
      std::wstring path(capacity, L'\0');
      const DWORD n = api.GetModuleFileNameExW(process, nullptr, &path[0], capacity);
      if (n == 0) break;
      // A name that fills the buffer may have been cut.
      if (n + 1 < capacity) return path.substr(0, n);
    }
  }
  if (!api.QueryFullProcessImageNameW) return {};
  toolkit::KernelHandle limited(api.OpenProcess(kQueryLimited, FALSE, pid));
  if (!limited) return {};
  for (const DWORD capacity : kPathCapacities) {
    std::wstring path(capacity, L'\0');
    DWORD size = capacity;
    if (api.QueryFullProcessImageNameW(limited.get(), 0, &path[0], &size)) {
      path.resize(size);
      // Limited access admits processes whose image name is no file's path (a
      // pseudo-process's bare name, say); such a path could never be found again
      // and would churn at every cycle.
      return toolkit::IsAbsolutePath(path) ? path : std::wstring();
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return {};
}

bool CreationTime(HANDLE process, const ProcessApi& api, FILETIME* created) {
  FILETIME exited, kernel, user;
  return process && api.GetProcessTimes &&
         api.GetProcessTimes(process, created, &exited, &kernel, &user) &&
         (created->dwLowDateTime != 0 || created->dwHighDateTime != 0);
}

// The resolved path of one process (long form, kernel forms rewritten), or empty.
std::wstring ResolvedPath(DWORD pid, const ProcessApi& api, TImagePathCache* cache) {
  if (!api.OpenProcess) return {};
  toolkit::KernelHandle process(api.OpenProcess(kQueryAndRead, FALSE, pid));
  FILETIME created = {};
  const bool known = cache && CreationTime(process.get(), api, &created);
  if (known) {
    if (const std::wstring* path = cache->Find(pid, created)) {
      cache->Keep(pid, created, *path);
      return *path;
    }
  }
  std::wstring path = ReadImagePath(process.get(), pid, api);
  if (path.empty()) return path;
  path = NormalizeSystemPath(GetLongPath(path));
  if (known) cache->Keep(pid, created, path);
  return path;
}

bool StartsWith(const std::wstring& text, const std::wstring& start) {
  return text.compare(0, start.size(), start) == 0;
}

// The part after the last backslash.
std::wstring FileNameOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L'\\');
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
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

const std::wstring* TImagePathCache::Find(DWORD pid, const FILETIME& created) const {
  auto it = paths_.find(pid);
  if (it == paths_.end() || ::CompareFileTime(&it->second.created, &created) != 0) return nullptr;
  return &it->second.path;
}

void TImagePathCache::Keep(DWORD pid, const FILETIME& created, std::wstring path) {
  next_[pid] = Known{created, std::move(path)};
}

std::wstring GetLongPath(const std::wstring& path) {
  const std::wstring form = toolkit::LongPathForm(path);
  std::wstring buffer(MAX_PATH + 1, L'\0');
  DWORD n = ::GetLongPathNameW(form.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
  if (n >= buffer.size()) {
    buffer.resize(n);
    n = ::GetLongPathNameW(form.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
  }
  if (n == 0 || n >= buffer.size()) return path;
  buffer.resize(n);
  // Back from the long form to the plain one the path came in.
  if (form != path && StartsWith(buffer, L"\\\\?\\UNC\\")) return L"\\" + buffer.substr(7);
  if (form != path && StartsWith(buffer, L"\\\\?\\")) return buffer.substr(4);
  return buffer;
}

std::wstring GetWindowsDir() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  return n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::wstring NormalizeSystemPath(const std::wstring& path, const std::wstring& windowsDir) {
  static const std::wstring systemRoot = L"\\SystemRoot", device = L"\\??\\";
  if (StartsWith(path, systemRoot) &&
      (path.size() == systemRoot.size() || path[systemRoot.size()] == L'\\'))
    return windowsDir + path.substr(systemRoot.size());
  if (StartsWith(path, device)) return path.substr(device.size());
  return path;
}

std::wstring NormalizeSystemPath(const std::wstring& path) {
  return NormalizeSystemPath(path, GetWindowsDir());
}

void GetProcessesList(TTables& tables, const ProcessApi& api) {
  GetProcessesList(tables, api,
                   &api == &ProcessApi::System() ? &TImagePathCache::System() : nullptr);
}

void GetProcessesList(TTables& tables, const ProcessApi& api, TImagePathCache* cache) {
  tables.SnapshotTime = toolkit::NowText();
  tables.Seen.clear();
  if (!api.CreateToolhelp32Snapshot || !api.Process32FirstW || !api.Process32NextW) return;
  toolkit::FileHandle snapshot(api.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;

  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  toolkit::TListUpdate update(tables.CurrentProcesses);
  if (cache) cache->BeginWalk();
  for (BOOL more = api.Process32FirstW(snapshot.get(), &entry); more;
       more = api.Process32NextW(snapshot.get(), &entry)) {
    entry.szExeFile[MAX_PATH - 1] = L'\0';
    std::wstring name = entry.szExeFile;
    tables.Seen.push_back({entry.th32ProcessID, entry.th32ParentProcessID, toolkit::Narrow(name)});
    const std::wstring path = ResolvedPath(entry.th32ProcessID, api, cache);
    if (path.empty()) continue;
    if (path == name) continue;
    // A process caught while it starts may have no name in the snapshot yet; a
    // row without one would be a second row of a listed program.
    if (name.empty()) name = FileNameOf(path);
    if (name.empty()) continue;
    const std::string stored = toolkit::Narrow(path.c_str());
    if (toolkit::Widen(stored) != path) tables.RealPaths.Remember(stored, path);
    tables.CurrentProcesses.Add(toolkit::TListItem::WithCells(
        {{kCurrentName, toolkit::Narrow(name.c_str())}, {kCurrentPath, stored}}));
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
