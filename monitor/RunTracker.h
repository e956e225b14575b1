// Runs: a process from its start to its end, as the run journal records them. A
// process is one run for its whole life, known by its identifier and creation
// time together, since Windows gives a freed identifier to a later process.
//
// At each cycle the tracker takes the processes the walk saw and tells which runs
// began and which ended. A new run is opened at once with SYNCHRONIZE and limited
// query access and the handle is kept while it runs: the process object then
// outlives the process, so its real exit time can still be read at the cycle
// that finds it gone, and its identifier cannot be given to another process
// meanwhile. Handles of runs that ended are closed in the cycle that sees the end.
// A process that cannot be opened (another user's service, when not elevated)
// gets the cycle's times, marked as such, and is known by its identifier alone.
//
// The parent's path is given only when the parent's run is known and began no
// later than the child: the parent identifier of a process is whatever it was
// when the child started, and may name a later process by now.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "monitor/SeenProcess.h"

namespace monitor {

enum class TRunEventKind { Start, End };

struct TRunEvent {
  TRunEventKind Kind = TRunEventKind::Start;
  FILETIME Started = {};  // the creation time, UTC
  bool StartedFromCycle = false;  // the cycle's time: the creation time could not be read
  FILETIME Ended = {};    // the exit time, for an end
  bool EndedFromCycle = false;
  DWORD Pid = 0;
  DWORD ParentPid = 0;
  std::wstring ParentPath;  // empty when the parent is not known for sure
  std::wstring Name;
  std::wstring Path;        // empty when it could not be read
  std::wstring User;        // DOMAIN\user, empty when it could not be read

  // The run's length in milliseconds, for an end.
  int64_t Milliseconds() const;
};

// A run that an earlier session journalled as started and not as ended. The
// first cycle does not journal the start of such a run again.
struct TJournalledRun {
  DWORD Pid = 0;
  int64_t StartedMs = 0;  // FILETIME / 10,000
  bool StartedFromCycle = false;
  std::wstring Name;      // compared only for runs with the cycle's time
};

// The calls the tracker makes on processes. The real ones are the system's; a
// test puts in others where Wine cannot do what a case needs (hand an
// identifier to a new process on demand).
struct TRunProcessApi {
  HANDLE(WINAPI* OpenProcess)(DWORD access, BOOL inherit, DWORD pid) = nullptr;
  BOOL(WINAPI* GetProcessTimes)(HANDLE, LPFILETIME created, LPFILETIME exited, LPFILETIME kernel,
                                LPFILETIME user) = nullptr;
  DWORD(WINAPI* WaitForSingleObject)(HANDLE, DWORD milliseconds) = nullptr;
  BOOL(WINAPI* CloseHandle)(HANDLE) = nullptr;
  // The full Win32 path of the executable, and DOMAIN\user of the process; empty
  // when they cannot be read.
  std::wstring (*ImagePath)(HANDLE process) = nullptr;
  std::wstring (*UserName)(HANDLE process) = nullptr;

  static const TRunProcessApi& System();
};

class TRunTracker {
public:
  explicit TRunTracker(const TRunProcessApi& api = TRunProcessApi::System());
  ~TRunTracker();
  TRunTracker(const TRunTracker&) = delete;
  TRunTracker& operator=(const TRunTracker&) = delete;

  // The runs an earlier session left open in the journal.
  void SetJournalled(std::vector<TJournalledRun> runs) { journalled_ = std::move(runs); }

  // One cycle: every process the walk saw, and the time of the walk (UTC). The
  // events are in the order of their times (a start's is the creation, an end's
  // the exit). An empty walk is a walk that failed: nothing happens.
  std::vector<TRunEvent> Cycle(const std::vector<TSeenProcess>& seen, const FILETIME& cycleTime);

  int Runs() const { return static_cast<int>(runs_.size()); }
  int OpenHandles() const;

private:
  struct TRun {
    HANDLE Process = nullptr;  // null when it could not be opened
    TRunEvent Start;           // as it was (or would have been) journalled
    bool Seen = false;
  };

  TRun Begin(const TSeenProcess& p, const FILETIME& cycleTime);
  TRunEvent End(TRun& run, const FILETIME& cycleTime);
  bool HasEnded(const TRun& run) const;
  const TJournalledRun* JournalledAs(const TRunEvent& start) const;
  std::wstring ParentPathOf(const TRunEvent& start) const;

  const TRunProcessApi& api_;
  std::unordered_map<DWORD, TRun> runs_;
  std::vector<TJournalledRun> journalled_;
};

}  // namespace monitor
