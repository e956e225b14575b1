// Times what one tick of the cycle timer costs while the program sits in the tray:
// TForm1::Timer1Timer itself (snapshot, file times, comparison, and the deletion
// check when it is on), on a real main window with a process list of the size the
// user has, against the bare ToolHelp walk that every cycle begins with. Copies of
// this program, started asleep, put some more processes on the machine so the
// walk has something to walk.
//
//   CycleBench [runs] [sleepers]      defaults: 20 runs, 30 sleeping copies
//
// Each time is the median of its runs. Lines that begin with "RESULT|" are for
// scripts/bench.sh; the rest is for people.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/Sleepers.h"
#include "bench/Timing.h"
#include "monitor/FileFacts.h"
#include "monitor/Snapshot.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Handle.h"
#include "ui/Form1.h"

namespace {

using namespace monitor;
using bench::Median;
using bench::Milliseconds;
using bench::Result;

// The medians of `runs` timed runs of `work` and of the bare walk, taken in turns:
// the machine is shared, so a run that another program interrupts says nothing
// about ours, and a ratio holds only between times taken in the same seconds.
struct Timing {
  double work = 0;
  double walk = 0;
  double Ratio() const { return work / walk; }
};

template <typename F, typename W>
Timing TimeAgainstWalk(int runs, F&& work, W&& walk) {
  work();  // warm-up: DLLs loaded, the comparison's index built, new programs added
  std::vector<double> works, walks;
  for (int i = 0; i < runs; ++i) {
    walks.push_back(Milliseconds(walk));
    works.push_back(Milliseconds(work));
  }
  return {Median(works), Median(walks)};
}

int BareWalk() {
  toolkit::FileHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = ::Process32First(snap.get(), &entry); more;
       more = ::Process32Next(snap.get(), &entry))
    ++n;
  return n;
}

// Executables that exist, so a deletion check finds every listed program still
// there and the list keeps its size from one cycle to the next.
std::vector<std::string> ExistingPrograms() {
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  std::vector<std::string> paths;
  WIN32_FIND_DATAA data = {};
  std::string pattern = std::string(system) + "\\*.exe";
  HANDLE search = ::FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return paths;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string path = std::string(system) + "\\" + data.cFileName;
    // The listing goes through the redirection to the 32-bit folder, the existence
    // test does not: a 32-bit-only stub counts as gone, and would be dropped.
    if (monitor::FileExists(toolkit::Widen(path))) paths.push_back(path);
  } while (::FindNextFileA(search, &data));
  ::FindClose(search);
  return paths;
}

// A process list of `programs` rows whose paths are real files: the name and path
// pairs are made distinct by the row number, as a list gathered over years is.
void FillProcessList(toolkit::TListView& list, int programs,
                     const std::vector<std::string>& existing) {
  toolkit::TListUpdate update(list);
  list.Clear();
  for (int i = 0; i < programs; ++i) {
    const std::string& path = existing[static_cast<size_t>(i) % existing.size()];
    std::string modified;
    monitor::FileExists(toolkit::Widen(path), &modified);
    list.Add(toolkit::TListItem::WithCells({{kProgramName, "Program" + std::to_string(i) + ".exe"},
                                            {kProgramPath, path},
                                            {kProgramModified, modified},
                                            {kProgramAdded, "2023/5/6 7:08:10"},
                                            {kProgramLastRun, "2024/6/7 8:09:10"},
                                            {kProgramComment, i % 10 == 0 ? "よく使う" : ""}}));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (bench::IsSleeperRun(argc, argv)) return bench::SleeperMain(argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const int sleeperCount = argc > 2 ? std::atoi(argv[2]) : 30;
  bench::Sleepers sleepers(sleeperCount, 900);
  ::Sleep(1000);  // let the copies finish starting

  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "vantry-cycle-" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> existing = ExistingPrograms();
  if (existing.empty()) {
    std::printf("no executables in the system folder\n");
    return 1;
  }

  // A real main window, hidden, in the state of a start in the tray; its files are
  // never loaded or saved here (no FormCreate, no FormDestroy).
  auto form = std::make_unique<TForm1>(folder);
  form->Hooks.ShowError = [](HWND, const std::string& m) {
    std::printf("error: %s\n", m.c_str());
  };
  if (!form->CreateWindowed()) {
    std::printf("cannot create the main window\n");
    return 1;
  }
  form->SetTrayMonitoring(true);
  form->CheckBox1.SetChecked(false);  // no balloon: there is no tray icon here

  int processes = 0;
  auto walk = [&] { processes = BareWalk(); };
  Timing snapshot = TimeAgainstWalk(runs, [&] {
    form->ListView1.Clear();
    form->ListBox1.Clear();
    form->GetProcessesList();
  }, walk);
  Timing facts = TimeAgainstWalk(runs, [&] {
    form->ListView1.Clear();
    form->ListBox1.Clear();
    form->GetProcessesList();
    monitor::ResetImageList(form->ImageList1, form->Image2.get());
    form->ListFileProperty();
  }, walk);
  const int rows = form->ListView1.Count();

  std::printf("processes in the snapshot: %d (%d sleeping copies started), rows admitted: %d, "
              "runs: %d; each time is the median of its runs, each ratio against the walk "
              "timed in turn with it\n",
              processes, sleepers.Count(), rows, runs);
  std::printf("bare ToolHelp walk:                  %9.3f ms\n", snapshot.walk);
  std::printf("snapshot (walk, open, path):         %9.3f ms  (%.1f x the walk)\n",
              snapshot.work, snapshot.Ratio());
  std::printf("snapshot and file times:             %9.3f ms  (%.1f x the walk)\n", facts.work,
              facts.Ratio());
  Result("cycle.processes", processes, "");
  Result("cycle.rows", rows, "");
  Result("cycle.walk", snapshot.walk, "ms");
  Result("cycle.snapshot", snapshot.work, "ms");
  Result("cycle.snapshot.x_walk", snapshot.Ratio(), "x");
  Result("cycle.snapshot+filetimes", facts.work, "ms");
  Result("cycle.snapshot+filetimes.x_walk", facts.Ratio(), "x");

  // The whole tick, against lists of growing size. Without the deletion check it
  // should not grow with the list; the deletion check looks at every listed file,
  // so it does, and is timed with fewer runs.
  struct Case {
    int programs;
    bool deletionCheck;
    int runs;
  };
  const Case cases[] = {{1000, false, runs},
                        {100000, false, runs},
                        {1000, true, runs},
                        {10000, true, std::max(1, runs / 4)},
                        {100000, true, std::max(1, runs / 10)}};
  double flat[2] = {};
  for (const Case& c : cases) {
    FillProcessList(form->ListView2, c.programs, existing);
    form->ListView3.Clear();
    form->CheckBox5.SetChecked(c.deletionCheck);
    Timing tick = TimeAgainstWalk(c.runs, [&] { form->Timer1Timer(); }, walk);
    // The tick's second half alone: the merge of the table as it stands ("比較").
    Timing merge = TimeAgainstWalk(c.runs, [&] { form->Button2Click(); }, walk);
    int listed = form->ListView2.Count();
    std::printf("Timer1Timer, list %6d, deletion check %-3s: %9.3f ms  (%.1f x the walk; "
                "of it the merge %.3f ms; %d runs; list now %d, log %d)\n",
                c.programs, c.deletionCheck ? "on" : "off", tick.work, tick.Ratio(), merge.work, c.runs,
                listed, form->ListView3.Count());
    std::string name = "cycle.tick." + std::to_string(c.programs) +
                       (c.deletionCheck ? ".deletioncheck" : "");
    Result(name.c_str(), tick.work, "ms");
    Result((name + ".merge").c_str(), merge.work, "ms");
    Result((name + ".x_walk").c_str(), tick.Ratio(), "x");
    if (!c.deletionCheck) flat[c.programs == 1000 ? 0 : 1] = tick.Ratio();
    if (listed < c.programs) {
      std::printf("unexpected: the list shrank to %d rows\n", listed);
      return 1;
    }
  }
  // Against the walk of its own seconds, so a busier machine in one case than in
  // the other does not pass for growth.
  std::printf("ratio of a tick, 100,000 / 1,000 programs (deletion check off): %.2f\n",
              flat[1] / flat[0]);
  Result("cycle.tick.ratio_100k_1k", flat[1] / flat[0], "x");

  form.reset();
  ::RemoveDirectoryA(folder.c_str());
  return 0;
}
