#include "app/SoakProbe.h"

#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "toolkit/ResourceCounts.h"
#include "ui/Form1.h"

namespace app {

namespace {

struct TSoakProbe {
  TForm1& form;
  std::FILE* log = nullptr;  // kept open for the run: opening it each time would count
  std::string stopPath;
  long cycle = 0;
  DWORD tickStart = 0;
  bool closing = false;

  void Write(DWORD cycleMs) {
    toolkit::TResourceCounts counts = toolkit::CountResources();
    // The run journal keeps a handle on each running process: counted apart, as
    // they come and go with the load's processes.
    const ui::TRunJournalling* journal = form.RunJournal();
    const int followed = journal ? journal->Tracker().OpenHandles() : 0;
    std::fprintf(log, "%ld %ld %ld %ld %" PRId64 " %d %d %d %d %d %d %lu %d\n", cycle,
                 counts.Handles, counts.Gdi, counts.User, counts.PrivateBytes, form.AddedCount,
                 form.UpdatedCount, form.DeletedCount, form.ListView1.Count(),
                 form.ListView2.Count(), form.ListView3.Count(),
                 static_cast<unsigned long>(cycleMs), followed);
    std::fflush(log);
  }

  void AfterCycle(DWORD cycleMs) {
    ++cycle;
    Write(cycleMs);
    if (!closing && ::GetFileAttributesA(stopPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
      closing = true;
      std::fprintf(log, "# closing after cycle %ld\n", cycle);
      std::fflush(log);
      form.Close1Click();
    }
  }
};

}  // namespace

void InstallSoakProbe(TForm1& form) {
  // Lives until the process ends; the counts of the last cycle are the figure.
  static TSoakProbe probe{form};
  probe.stopPath = form.Folder() + "\\soak.stop";
  std::string logPath = form.Folder() + "\\soak.log";
  probe.log = std::fopen(logPath.c_str(), "a");
  if (!probe.log) return;
  std::fprintf(probe.log, "# methods: %s\n", toolkit::ResourceCountMethods().c_str());
  std::fprintf(probe.log,
               "# cycle handles gdi user private_bytes added updated deleted current programs "
               "log cycle_ms journal_handles\n");
  probe.Write(0);
  // A cycle ends when its deletion check is applied, which may be a moment after
  // the tick's handler returned.
  std::function<void()> tick = std::move(form.Timer1.OnTimer);
  form.Timer1.OnTimer = [tick] {
    probe.tickStart = ::GetTickCount();
    tick();
  };
  form.OnCycleEnd = [] { probe.AfterCycle(::GetTickCount() - probe.tickStart); };
}

}  // namespace app
