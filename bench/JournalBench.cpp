// Times what the run journal adds to a timed cycle: the tracker's look at each
// process the walk saw, the opening and reading of new ones, and the handing of
// its lines to the writer thread that appends and flushes them, against the cycle's own snapshot and file times (the
// timed cycle's refresh of the current-process table), each pair timed in turn
// in one run. Two cases: a quiet machine, where the journal only checks that its
// runs still run, and churn, where before every timed cycle one copy of this
// program ends and another starts, so each cycle with the journal writes a start
// line and an end line.
//
//   JournalBench [runs] [sleepers]      defaults: 20 runs, 30 sleeping copies
//
// Lines that begin with "RESULT|" are for scripts/bench.sh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Sleepers.h"
#include "bench/Timing.h"
#include "monitor/RunTracker.h"
#include "monitor/Snapshot.h"
#include "store/RunJournal.h"
#include "tests/SeenProcesses.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Handle.h"
#include "ui/RunJournalling.h"

namespace {

using bench::Median;
using bench::Milliseconds;
using bench::Result;
// The walk's processes as the tracker takes them. In the program the cycle's
// own walk gives them; here a walk of their own, outside the timing.
using testsupport::SeenProcesses;

// One copy of this program at a time: each Next() ends the last and starts another.
class Churn {
public:
  ~Churn() { End(); }
  void Next() {
    End();
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" --sleep 60";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (::CreateProcessA(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                         &pi)) {
      ::CloseHandle(pi.hThread);
      process_.reset(pi.hProcess);
      ::WaitForInputIdle(pi.hProcess, 2000);
    }
  }

private:
  void End() {
    if (!process_) return;
    ::TerminateProcess(process_.get(), 0);
    ::WaitForSingleObject(process_.get(), 5000);
    process_.reset();
  }
  toolkit::KernelHandle process_;
};


}  // namespace

int main(int argc, char** argv) {
  if (bench::IsSleeperRun(argc, argv)) return bench::SleeperMain(argv);
  bench::CycleRun run(argc, argv, "vantry-journal");
  const int runs = run.runs;
  const std::wstring folder = toolkit::Widen(run.folder);

  monitor::TTables tables;
  tables.Icons.Tag = 1;  // in the tray: no icons, as in the timed cycle
  const HICON fallback = ::LoadIconA(nullptr, IDI_APPLICATION);
  auto cycle = [&] { monitor::RefreshCurrentProcesses(tables, fallback); };

  std::printf("processes: %zu (%d sleeping copies), runs: %d; each time the median of its runs, "
              "the cycle with and without the journal timed in turn\n",
              SeenProcesses().size(), run.sleepers.Count(), runs);
  for (const bool churn : {false, true}) {
    ::DeleteFileW(store::RunJournalPath(folder).c_str());
    ui::TRunJournalling journalling(folder, store::TJournalSettings());
    Churn copies;
    cycle();
    // The first cycle: every running process is a new run.
    const std::vector<monitor::TSeenProcess> all = SeenProcesses();
    const double first = Milliseconds([&] { journalling.Cycle(all); });
    std::printf("%-6s first cycle's journal part, %zu start lines: %.3f ms\n",
                churn ? "churn" : "quiet", all.size(), first);
    if (!churn) Result("journal.first", first, "ms");
    journalling.Journal().Drain();
    const uint64_t linesBefore = store::ReadJournalFile(journalling.Journal().Path()).size();
    std::vector<double> without, with, part;
    for (int i = 0; i < runs; ++i) {
      if (churn) copies.Next();
      // The same walk before either timing: a cycle right after a walk of its own
      // is not timed against one that is not.
      SeenProcesses();
      without.push_back(Milliseconds(cycle));
      if (churn) copies.Next();
      const std::vector<monitor::TSeenProcess> seen = SeenProcesses();
      with.push_back(Milliseconds([&] {
        cycle();
        part.push_back(Milliseconds([&] { journalling.Cycle(seen); }));
      }));
    }
    journalling.Journal().Drain();  // its writer's lines all in the file
    const uint64_t lines = store::ReadJournalFile(journalling.Journal().Path()).size() - linesBefore;
    const double off = Median(without), on = Median(with);
    const char* name = churn ? "churn" : "quiet";
    std::printf("%-6s cycle without the journal %8.3f ms, with it %8.3f ms: %.2f x; the "
                "journal's part %.3f ms (%.1f lines a cycle, %d runs followed)\n",
                name, off, on, on / off, Median(part), static_cast<double>(lines) / runs,
                journalling.Tracker().Runs());
    Result(std::string("journal.") + name + ".off", off, "ms");
    Result(std::string("journal.") + name + ".on", on, "ms");
    Result(std::string("journal.") + name + ".part", Median(part), "ms");
    Result(std::string("journal.") + name + ".x_off", on / off, "x");
    // The journal's own part against the cycle of the same seconds: what the ratio
    // of the whole cycles, which a busy machine moves by more than that, is made of.
    Result(std::string("journal.") + name + ".part.x_off", (off + Median(part)) / off, "x");
  }
  ::DeleteFileW(store::RunJournalPath(folder).c_str());
  return 0;
}
