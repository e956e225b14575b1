#include "monitor/RunTracker.h"

#include <sddl.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "toolkit/AnsiText.h"
#include "toolkit/Handle.h"

namespace monitor {

namespace {

constexpr DWORD kQueryLimited = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

uint64_t Ticks(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}
int64_t Ms(const FILETIME& t) { return static_cast<int64_t>(Ticks(t) / 10000); }
FILETIME FileTimeOfMs(int64_t ms) {
  const uint64_t ticks = static_cast<uint64_t>(ms) * 10000;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

std::wstring FileNameOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L'\\');
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring SystemImagePath(HANDLE process) {
  using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
  static const QueryFn query = reinterpret_cast<QueryFn>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameW"));
  if (!query) return std::wstring();
  // Most paths fit the short buffer; the long one takes any path there can be.
  for (const DWORD capacity : {DWORD{MAX_PATH + 1}, DWORD{32768}}) {
    std::wstring path(capacity, L'\0');
    DWORD size = capacity;
    if (query(process, 0, &path[0], &size)) return path.substr(0, size);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return std::wstring();
}

// DOMAIN\user of a SID, or the SID's own text when no account has it.
std::wstring AccountOf(PSID sid) {
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
    return domainSize > 0 ? std::wstring(domain) + L"\\" + name : std::wstring(name);
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(sid, &text)) return std::wstring();
  std::wstring result = text;
  ::LocalFree(text);
  return result;
}

std::wstring SystemUserName(HANDLE process) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) return std::wstring();
  const toolkit::KernelHandle owned(token);
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
    return std::wstring();
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  if (!::IsValidSid(sid)) return std::wstring();
  // A machine has few accounts that run processes, and asking the account
  // database (a domain controller, on a domain) at every start would cost more
  // than the rest of the run's reading.
  static std::mutex lock;
  static std::map<std::vector<BYTE>, std::wstring> names;
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  std::vector<BYTE> key(bytes, bytes + ::GetLengthSid(sid));
  const std::lock_guard<std::mutex> hold(lock);
  auto it = names.find(key);
  if (it == names.end()) it = names.emplace(std::move(key), AccountOf(sid)).first;
  return it->second;
}

TRunProcessApi LoadSystemApi() {
  TRunProcessApi api;
  api.OpenProcess = &::OpenProcess;
  api.GetProcessTimes = &::GetProcessTimes;
  api.WaitForSingleObject = &::WaitForSingleObject;
  api.CloseHandle = &::CloseHandle;
  api.ImagePath = &SystemImagePath;
  api.UserName = &SystemUserName;
  return api;
}

}  // namespace

int64_t TRunEvent::Milliseconds() const { return Ms(Ended) - Ms(Started); }

const TRunProcessApi& TRunProcessApi::System() {
  static const TRunProcessApi api = LoadSystemApi();
  return api;
}

TRunTracker::TRunTracker(const TRunProcessApi& api) : api_(api) {}

TRunTracker::~TRunTracker() {
  for (auto& entry : runs_)
    if (entry.second.Process) api_.CloseHandle(entry.second.Process);
}

int TRunTracker::OpenHandles() const {
  return static_cast<int>(std::count_if(runs_.begin(), runs_.end(),
                                        [](const auto& entry) { return entry.second.Process; }));
}

TRunTracker::TRun TRunTracker::Begin(const TSeenProcess& p, const FILETIME& cycleTime) {
  TRun run;
  run.Seen = true;
  TRunEvent& start = run.Start;
  start.Kind = TRunEventKind::Start;
  start.Pid = p.Pid;
  start.ParentPid = p.ParentPid;
  start.Started = cycleTime;
  start.StartedFromCycle = true;
  run.Process = api_.OpenProcess(SYNCHRONIZE | kQueryLimited, FALSE, p.Pid);
  // Without SYNCHRONIZE the exit time still tells whether it ended.
  if (!run.Process) run.Process = api_.OpenProcess(kQueryLimited, FALSE, p.Pid);
  if (run.Process) {
    FILETIME created = {}, exited, kernel, user;
    if (api_.GetProcessTimes(run.Process, &created, &exited, &kernel, &user) && Ticks(created)) {
      start.Started = created;
      start.StartedFromCycle = false;
    }
    start.Path = api_.ImagePath(run.Process);
    start.User = api_.UserName(run.Process);
  }
  start.Name = start.Path.empty() ? toolkit::Widen(p.ExeName) : FileNameOf(start.Path);
  return run;
}

TRunEvent TRunTracker::End(TRun& run, const FILETIME& cycleTime) {
  TRunEvent end = run.Start;
  end.Kind = TRunEventKind::End;
  end.Ended = cycleTime;
  end.EndedFromCycle = true;
  FILETIME created, exited = {}, kernel, user;
  if (run.Process && api_.GetProcessTimes(run.Process, &created, &exited, &kernel, &user) &&
      Ticks(exited)) {
    end.Ended = exited;
    end.EndedFromCycle = false;
  }
  if (run.Process) api_.CloseHandle(run.Process);
  run.Process = nullptr;
  return end;
}

bool TRunTracker::HasEnded(const TRun& run) const {
  if (!run.Process) return false;
  const DWORD state = api_.WaitForSingleObject(run.Process, 0);
  if (state == WAIT_OBJECT_0) return true;
  if (state == WAIT_TIMEOUT) return false;
  FILETIME created, exited = {}, kernel, user;
  return api_.GetProcessTimes(run.Process, &created, &exited, &kernel, &user) && Ticks(exited);
}

const TJournalledRun* TRunTracker::JournalledAs(const TRunEvent& start) const {
  for (const TJournalledRun& j : journalled_) {
    if (j.Pid != start.Pid || j.StartedFromCycle != start.StartedFromCycle) continue;
    // Without a creation time, the identifier and the name are all there is.
    if (start.StartedFromCycle ? j.Name == start.Name : j.StartedMs == Ms(start.Started))
      return &j;
  }
  return nullptr;
}

std::wstring TRunTracker::ParentPathOf(const TRunEvent& start) const {
  // A child whose own creation time is not known cannot be told from a later
  // process that took its parent's identifier.
  if (start.StartedFromCycle) return std::wstring();
  auto parent = runs_.find(start.ParentPid);
  if (parent == runs_.end() || parent->first == start.Pid) return std::wstring();
  // A parent's time from the cycle is later than its real creation, so it
  // preceding the child proves the real one does too.
  if (Ticks(parent->second.Start.Started) > Ticks(start.Started)) return std::wstring();
  return parent->second.Start.Path;
}

std::vector<TRunEvent> TRunTracker::Cycle(const std::vector<TSeenProcess>& seen,
                                          const FILETIME& cycleTime) {
  std::vector<TRunEvent> events;
  if (seen.empty()) return events;
  for (auto& entry : runs_) entry.second.Seen = false;

  std::vector<DWORD> fresh;
  for (const TSeenProcess& p : seen) {
    if (p.Pid == 0) continue;  // the idle process: no program
    auto it = runs_.find(p.Pid);
    TRunEvent ended;
    bool endedHere = false;
    if (it != runs_.end()) {
      if (!HasEnded(it->second)) {
        it->second.Seen = true;
        continue;
      }
      // The identifier now names another process.
      ended = End(it->second, cycleTime);
      endedHere = true;
      events.push_back(ended);
      runs_.erase(it);
    }
    TRun run = Begin(p, cycleTime);
    if (endedHere && !run.Start.StartedFromCycle &&
        Ticks(run.Start.Started) == Ticks(ended.Started)) {
      // Not another process: the one that ended, still listed.
      if (run.Process) api_.CloseHandle(run.Process);
      continue;
    }
    runs_[p.Pid] = std::move(run);
    fresh.push_back(p.Pid);
  }

  // Parents once every new run is known: a parent may come after its child in
  // the walk.
  for (const DWORD pid : fresh) {
    TRunEvent& start = runs_[pid].Start;
    start.ParentPath = ParentPathOf(start);
    if (const TJournalledRun* journalled = JournalledAs(start)) {
      // An earlier session's cycle time stays the start, so that the end line
      // names the start the journal has.
      if (start.StartedFromCycle) start.Started = FileTimeOfMs(journalled->StartedMs);
    } else {
      events.push_back(start);
    }
  }
  journalled_.clear();  // only processes running at the first cycle can be in it

  // A new run may have ended already (between the walk and the opening), and a
  // run the walk did not list has ended unless its handle says it still runs.
  for (const DWORD pid : fresh) {
    auto it = runs_.find(pid);
    if (HasEnded(it->second)) {
      events.push_back(End(it->second, cycleTime));
      runs_.erase(it);
    }
  }
  for (auto it = runs_.begin(); it != runs_.end();) {
    TRun& run = it->second;
    if (run.Seen || (run.Process && !HasEnded(run))) {
      ++it;
      continue;
    }
    events.push_back(End(run, cycleTime));
    it = runs_.erase(it);
  }

  std::stable_sort(events.begin(), events.end(), [](const TRunEvent& a, const TRunEvent& b) {
    const FILETIME& at = a.Kind == TRunEventKind::Start ? a.Started : a.Ended;
    const FILETIME& bt = b.Kind == TRunEventKind::Start ? b.Started : b.Ended;
    return Ticks(at) < Ticks(bt);
  });
  return events;
}

}  // namespace monitor
