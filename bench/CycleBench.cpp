// Times what one tick of the cycle timer costs while the program sits in the tray:
// TForm1::Timer1Timer itself (snapshot, file times, comparison, and the deletion
// check when it is on, until its findings are applied), on a real main window
// with a process list of the size the user has, against the bare ToolHelp walk
// that every cycle begins with; and beside each the way earlier versions did it
// (bench/OldWays.h): the tick that emptied the image list and read file times by
// directory search, and the deletion check that searched for every listed file on
// the user-interface thread. Copies of this program, started asleep, put some
// more processes on the machine so the walk has something to walk.
//
//   CycleBench [runs] [sleepers] [spread]
//       defaults: 20 runs, 30 sleeping copies; `spread` is a folder of 5,000
//       folders of 20 programs each (scripts/bench.sh makes it), for a list of
//       100,000 distinct programs; without it that list is left out
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

#include "bench/OldWays.h"
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

// A process list of 100,000 distinct programs, 20 in each of the 5,000 folders
// of `spread` (d0000\\p00.exe ...).
void FillSpreadList(toolkit::TListView& list, const std::string& spread) {
  toolkit::TListUpdate update(list);
  list.Clear();
  char name[48];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(name, sizeof name, "\\d%04d\\p%02d.exe", i / 20, i % 20);
    list.Add(toolkit::TListItem::WithCells({{kProgramName, name + 7},
                                            {kProgramPath, spread + name},
                                            {kProgramAdded, "2023/5/6 7:08:10"},
                                            {kProgramLastRun, "2024/6/7 8:09:10"}}));
  }
}

// Serves this thread's messages until the window's deletion check, and what
// waited for it, is done; the longest single message served is the longest the
// window could not answer meanwhile.
double FinishCheck(TForm1& form) {
  double longest = 0;
  while (form.DeletionCheck.Running()) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      longest = std::max(longest, Milliseconds([&] { ::DispatchMessageA(&msg); }));
  }
  return longest;
}

// The tick as earlier versions ran it, without the deletion check.
void OldTick(TForm1& form) {
  form.ListView1.Clear();
  form.ListBox1.Clear();
  form.GetProcessesList();
  monitor::ResetImageList(form.ImageList1, form.Image2.get());
  bench::OldListFileProperty(form.Tables);
  form.ListFileCompares();
  form.DeletedCount = 0;
}

// One deletion check through the window ("削除確認"), until its findings are
// applied. `uiMs` receives the longest the window's thread was busy with it.
double NewCheck(TForm1& form, double* uiMs = nullptr) {
  double start = 0, longest = 0;
  const double total = Milliseconds([&] {
    start = Milliseconds([&] { form.Button4Click(); });
    longest = FinishCheck(form);
  });
  if (uiMs) *uiMs = std::max(start, longest);
  return total;
}

struct CheckTimes {
  double first = 0;  // the first check of the list: every path is taken
  double steady = 0;  // the checks after it, median
  double ui = 0;      // the longest the window's thread was busy in one
  double old = 0;     // the old way, median
};

// The new check `runs` times after a first one, and the old one `oldRuns` times,
// on the list as it stands (every listed file exists, so nothing changes).
CheckTimes TimeChecks(TForm1& form, int runs, int oldRuns) {
  CheckTimes t;
  t.first = NewCheck(form, &t.ui);
  std::vector<double> news, olds;
  for (int i = 0; i < std::max(runs, oldRuns); ++i) {
    if (i < oldRuns) olds.push_back(Milliseconds([&] { bench::OldCheckDeletedPrograms(form.Tables); }));
    if (i < runs) {
      double ui = 0;
      news.push_back(NewCheck(form, &ui));
      t.ui = std::max(t.ui, ui);
    }
  }
  t.steady = Median(news);
  t.old = Median(olds);
  return t;
}

void ReportChecks(const std::string& key, const char* what, const CheckTimes& t, int listed) {
  std::printf("deletion check, %s: first %.1f ms, then %.1f ms (the window's thread busy %.1f ms "
              "at most); the old way %.1f ms: 1/%.1f of it\n",
              what, t.first, t.steady, t.ui, t.old, t.old / t.steady);
  Result(key + ".first", t.first, "ms");
  Result(key, t.steady, "ms");
  Result(key + ".ui", t.ui, "ms");
  Result(key + ".old", t.old, "ms");
  Result(key + ".new_per_old", t.steady / t.old, "x");
  if (listed < 100000 && key.find("spread") != std::string::npos)
    std::printf("unexpected: the list shrank to %d rows\n", listed);
}

}  // namespace

int main(int argc, char** argv) {
  if (bench::IsSleeperRun(argc, argv)) return bench::SleeperMain(argv);
  bench::CycleRun run(argc, argv, "vantry-cycle");
  const int runs = run.runs;
  const std::string spread = argc > 3 ? argv[3] : "";
  std::vector<std::string> existing = ExistingPrograms();
  if (existing.empty()) {
    std::printf("no executables in the system folder\n");
    return 1;
  }

  // A real main window, hidden, in the state of a start in the tray; its files are
  // never loaded or saved here (no FormCreate, no FormDestroy).
  auto form = std::make_unique<TForm1>(run.folder);
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
              processes, run.sleepers.Count(), rows, runs);
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

  // The whole tick, against lists of growing size, and the tick of earlier
  // versions beside it. Without the deletion check neither should grow with the
  // list.
  double flat[2] = {};
  for (int programs : {1000, 100000}) {
    FillProcessList(form->ListView2, programs, existing);
    form->ListView3.Clear();
    form->CheckBox5.SetChecked(false);
    Timing tick = TimeAgainstWalk(runs, [&] { form->Timer1Timer(); }, walk);
    Timing old = TimeAgainstWalk(runs, [&] { OldTick(*form); }, walk);
    // The tick's second half alone: the merge of the table as it stands ("比較").
    Timing merge = TimeAgainstWalk(runs, [&] { form->Button2Click(); }, walk);
    std::printf("Timer1Timer, list %6d: %9.3f ms (%.2f x the walk; of it the merge %.3f ms); "
                "the old tick %.3f ms (%.2f x the walk)\n",
                programs, tick.work, tick.Ratio(), merge.work, old.work, old.Ratio());
    const std::string name = "cycle.tick." + std::to_string(programs);
    Result(name, tick.work, "ms");
    Result(name + ".merge", merge.work, "ms");
    Result(name + ".x_walk", tick.Ratio(), "x");
    Result(name + ".old.x_walk", old.Ratio(), "x");
    flat[programs == 1000 ? 0 : 1] = tick.Ratio();
  }
  // Against the walk of its own seconds, so a busier machine in one case than in
  // the other does not pass for growth.
  std::printf("ratio of a tick, 100,000 / 1,000 programs (deletion check off): %.2f\n",
              flat[1] / flat[0]);
  Result("cycle.tick.ratio_100k_1k", flat[1] / flat[0], "x");

  // With the deletion check, on a list of programs in System32 (many rows for
  // each file there): the tick until the check is applied, the check alone, and
  // the old check.
  double checkTick[2] = {}, checkAlone[2] = {};
  form->CheckBox5.SetChecked(true);
  for (int programs : {1000, 10000, 100000}) {
    FillProcessList(form->ListView2, programs, existing);
    form->ListView3.Clear();
    const int oldRuns = programs == 100000 ? std::max(1, runs / 10) : std::max(1, runs / 4);
    CheckTimes checks = TimeChecks(*form, runs, oldRuns);
    Timing tick = TimeAgainstWalk(runs, [&] {
      form->Timer1Timer();
      FinishCheck(*form);
    }, walk);
    const std::string name = "cycle.deletioncheck.system32." + std::to_string(programs);
    ReportChecks(name, ("System32 list " + std::to_string(programs)).c_str(), checks,
                 form->ListView2.Count());
    std::printf("  the tick with it: %.3f ms (%.2f x the walk)\n", tick.work, tick.Ratio());
    Result(name + ".tick", tick.work, "ms");
    Result(name + ".tick.x_walk", tick.Ratio(), "x");
    if (programs != 10000) {
      checkTick[programs == 1000 ? 0 : 1] = tick.Ratio();
      checkAlone[programs == 1000 ? 0 : 1] = checks.steady;
    }
    if (form->ListView2.Count() < programs) {
      std::printf("unexpected: the list shrank to %d rows\n", form->ListView2.Count());
      return 1;
    }
  }
  std::printf("System32 list, 100,000 / 1,000 programs: the tick with the check %.2f, the check "
              "alone %.2f\n",
              checkTick[1] / checkTick[0], checkAlone[1] / checkAlone[0]);
  Result("cycle.deletioncheck.system32.tick.ratio_100k_1k", checkTick[1] / checkTick[0], "x");
  Result("cycle.deletioncheck.system32.ratio_100k_1k", checkAlone[1] / checkAlone[0], "x");

  // 100,000 distinct programs in 5,000 folders.
  if (!spread.empty()) {
    FillSpreadList(form->ListView2, spread);
    form->ListView3.Clear();
    CheckTimes checks = TimeChecks(*form, std::max(3, runs / 4), 1);
    ReportChecks("cycle.deletioncheck.spread.100000", "100,000 programs in 5,000 folders", checks,
                 form->ListView2.Count());
    std::printf("  folders read whole at the last check: %d; files asked one by one: %d\n",
                form->DeletionCheck.FoldersRead(), form->DeletionCheck.FilesAsked());
    // Both fixed ways beside the measured choice, so the table shows what it chose
    // against.
    for (FolderReading reading : {FolderReading::kAlways, FolderReading::kNever}) {
      form->DeletionCheck.Reading = reading;
      std::vector<double> times;
      for (int i = 0; i < 3; ++i) times.push_back(NewCheck(*form));
      const bool whole = reading == FolderReading::kAlways;
      std::printf("  every folder %s: %.1f ms\n", whole ? "read whole" : "asked file by file",
                  Median(times));
      Result(std::string("cycle.deletioncheck.spread.100000.") + (whole ? "listing" : "each_file"),
             Median(times), "ms");
    }
    form->DeletionCheck.Reading = FolderReading::kMeasured;
  }

  form.reset();
  return 0;
}
