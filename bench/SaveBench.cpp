// Times what keeping the files costs while the program runs.
//
// A cycle of the timer (TForm1::Timer1Timer) on a real main window, hidden as in
// the tray, with a periodic write due after it (ui::TFileKeeper::Check with a
// clock moved on past the nine minutes of last-run times), against the same
// cycle with no write, at 1,000 and 100,000 listed programs: what the
// user-interface thread spends (the cycle, then composing the text and handing
// it to the worker), and what the worker then spends writing it. For contrast,
// the same write done on the user-interface thread, as a periodic save without
// the worker would hold the window and the cycle.
//
// Inf.ini with 5,000 ignored folders written whole as the program does now,
// against the earlier way kept as the baseline: the file emptied, then the
// profile function key by key, each call rewriting the whole file.
//
//   SaveBench [runs]      default 10 runs of each cycle case
//
// Each time is the median of its runs. Lines that begin with "RESULT|" are for
// scripts/bench.sh; the rest is for people.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "store/DataFiles.h"
#include "store/Settings.h"
#include "tests/SettingsByKey.h"
#include "ui/FileKeeper.h"
#include "ui/Form1.h"

namespace {

using bench::Median;
using bench::Milliseconds;
using bench::Result;

constexpr uint64_t kTenMinutes = 10 * 60 * 1000;

std::string TempFolder(const char* tag) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "vantry-" + tag + "-" +
                       std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void RemoveFolder(const std::string& folder) {
  for (const char* name : {"ProcessList.dat", "Log.dat", "Inf.ini", "ByKey.ini"})
    ::DeleteFileA((folder + "\\" + name).c_str());
  ::RemoveDirectoryA(folder.c_str());
}

// A process list as years of use leave it.
void FillProcessList(toolkit::TListView& list, int programs) {
  toolkit::TListUpdate update(list);
  list.Clear();
  for (int i = 0; i < programs; ++i) {
    const std::string name = "Program" + std::to_string(i) + ".exe";
    list.Add(toolkit::TListItem::WithCells(
        {{monitor::kProgramName, name},
         {monitor::kProgramPath,
          "C:\\Program Files\\Vendor " + std::to_string(i % 997) + "\\アプリ\\" + name},
         {monitor::kProgramModified, "2024/1/2 3:04:06"},
         {monitor::kProgramAdded, "2023/5/6 7:08:10"},
         {monitor::kProgramLastRun, "2024/6/7 8:09:10"},
         {monitor::kProgramComment, i % 10 == 0 ? "よく使う" : ""}}));
  }
}

store::TSettingsControls SettingsOf(TForm1& f) {
  return {f.CheckBox3, f.CheckBox4, f.CheckBox5, f.CheckBox1, f.SpinEdit1, f.SpinEdit2, f.ListView4};
}

struct CycleTimes {
  double cycle = 0;        // the cycle alone
  double withWrite = 0;    // the cycle, then the write composed and handed over
  double worker = 0;       // the worker's write, from the hand-over to its end
  double onUiThread = 0;   // the cycle, then the same write done on this thread
};

CycleTimes TimeCycles(TForm1& form, ui::TFileKeeper& keeper, int runs) {
  uint64_t now = kTenMinutes;
  keeper.Loaded(now);
  form.Timer1Timer();  // warm-up: the running programs added, the index built
  keeper.SaveChanged();
  std::vector<double> cycles, withWrites, workers, onUi;
  for (int r = 0; r < runs; ++r) {
    cycles.push_back(Milliseconds([&] { form.Timer1Timer(); }));
    keeper.SaveChanged();  // nothing left over for the next case
    withWrites.push_back(Milliseconds([&] {
      form.Timer1Timer();
      now += kTenMinutes;
      keeper.Check(now, nullptr);
    }));
    if (!keeper.Writing()) std::printf("unexpected: no write was due\n");
    workers.push_back(Milliseconds([&] { keeper.Finish(); }));
    onUi.push_back(Milliseconds([&] {
      form.Timer1Timer();
      keeper.SaveChanged();
    }));
  }
  return {Median(cycles), Median(withWrites), Median(workers), Median(onUi)};
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const std::string folder = TempFolder("save");

  auto form = std::make_unique<TForm1>(folder);
  form->Hooks.ShowError = [](HWND, const std::string& m) { std::printf("error: %s\n", m.c_str()); };
  if (!form->CreateWindowed()) {
    std::printf("cannot create the main window\n");
    return 1;
  }
  form->SetTrayMonitoring(true);
  ui::TFileKeeper keeper(folder, form->Tables, SettingsOf(*form));

  std::printf("%d runs per case; each time is the median of its runs\n", runs);
  for (int programs : {1000, 100000}) {
    FillProcessList(form->ListView2, programs);
    form->ListView3.Clear();
    const CycleTimes t = TimeCycles(*form, keeper, runs);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExA(store::ProcessListPath(folder).c_str(), GetFileExInfoStandard, &data);
    std::printf("list %6d (%lu bytes): cycle %8.3f ms; with a periodic write %8.3f ms on the "
                "window's thread (+%.3f), then %8.3f ms on the worker; the same write on the "
                "window's thread: %8.3f ms (+%.3f)\n",
                programs, static_cast<unsigned long>(data.nFileSizeLow), t.cycle, t.withWrite,
                t.withWrite - t.cycle, t.worker, t.onUiThread, t.onUiThread - t.cycle);
    std::vector<double> composes;
    size_t bytes = 0;
    for (int r = 0; r < runs; ++r)
      composes.push_back(Milliseconds(
          [&] { bytes = store::RecordsText(form->ListView2, store::kProgramFields).size(); }));
    std::printf("list %6d: its text composed alone %.3f ms (%lu bytes)\n", programs,
                Median(composes), static_cast<unsigned long>(bytes));
    const std::string key = "save.cycle." + std::to_string(programs);
    Result(key + ".compose", Median(composes), "ms");
    Result(key, t.cycle, "ms");
    Result(key + ".with_write", t.withWrite, "ms");
    Result(key + ".with_write.added", t.withWrite - t.cycle, "ms");
    Result(key + ".worker", t.worker, "ms");
    Result(key + ".on_ui_thread.added", t.onUiThread - t.cycle, "ms");
  }

  // Inf.ini with 5,000 ignored folders.
  {
    toolkit::TListUpdate update(form->ListView4);
    for (int n = 0; n < 5000; ++n)
      form->ListView4.Add("C:\\Users\\user\\AppData\\Local\\Temp\\フォルダ" + std::to_string(n) + "\\");
  }
  store::TSettingsFileState state;
  state.Loaded = true;
  const std::string ini = store::SettingsPath(folder);
  const std::string byKey = folder + "\\ByKey.ini";
  std::vector<double> wholes;
  for (int r = 0; r < runs; ++r)
    wholes.push_back(Milliseconds([&] { store::WriteSettings(ini, SettingsOf(*form), state); }));
  bool ok = true;
  const double keyByKey = Milliseconds(
      [&] { ok = testsupport::WriteSettingsKeyByKey(byKey, SettingsOf(*form), state.Journal); });
  const double whole = Median(wholes);
  std::printf("Inf.ini with 5,000 ignored folders: whole %.3f ms, key by key (before) %.0f ms, "
              "%.0f times as long%s\n",
              whole, keyByKey, keyByKey / whole, ok ? "" : " (a key failed)");
  Result("save.inf.5000.whole", whole, "ms");
  Result("save.inf.5000.keybykey", keyByKey, "ms");
  Result("save.inf.5000.ratio", keyByKey / whole, "x");

  form.reset();
  RemoveFolder(folder);
  return ok ? 0 : 1;
}
