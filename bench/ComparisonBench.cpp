// Times the comparison of 300 running processes against process lists of 1,000,
// 10,000 and 100,000 programs, and the loading and saving of a 100,000-row list.
// A comparison should cost about the same whatever the size of the list: the ratio
// of the largest list's time to the smallest's says whether it does. For contrast
// it also times, once per size, a search of the list from the top for every process.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "monitor/Comparison.h"
#include "store/DataFiles.h"
#include "bench/Timing.h"
#include "store/LineBuffer.h"
#include "store/TextFile.h"

namespace {

using namespace monitor;
using bench::Milliseconds;

constexpr int kProcesses = 300;

std::string Name(int i) { return "Program" + std::to_string(i) + ".exe"; }
std::string Path(int i) {
  return "C:\\Program Files\\Vendor " + std::to_string(i % 997) + "\\アプリ\\" + Name(i);
}

void FillList(toolkit::TListView& list, int programs) {
  list.Clear();
  for (int i = 0; i < programs; ++i) {
    list.Add(toolkit::TListItem::WithCells({{kProgramName, Name(i)},
                                            {kProgramPath, Path(i)},
                                            {kProgramModified, "2024/01/02 3:04:06"},
                                            {kProgramAdded, "2023/05/06 7:08:10"},
                                            {kProgramLastRun, "2024/06/07 8:09:10"},
                                            {kProgramComment, i % 10 == 0 ? "よく使う" : ""}}));
  }
}

// Running processes spread over the whole list, in the letter case the snapshot
// may report, and all known and unchanged: a steady cycle in the tray.
void FillCurrent(toolkit::TListView& current, int programs) {
  current.Clear();
  for (int k = 0; k < kProcesses; ++k) {
    int i = static_cast<int>((static_cast<long long>(k) * programs) / kProcesses) + (programs / kProcesses) - 1;
    std::string path = Path(i);
    ::CharLowerBuffA(&path[0], 16);  // "c:\program files"
    current.Add(toolkit::TListItem::WithCells(
        {{kCurrentName, Name(i)}, {kCurrentPath, path}, {kCurrentModified, "2024/01/02 3:04:06"}}));
  }
}

// A search from the top for every process, as the comparison would do without an index.
int SearchFromTheTop(const toolkit::TListView& current, const toolkit::TListView& list) {
  int found = 0;
  for (const toolkit::TListItem& p : current.Items())
    for (const toolkit::TListItem& row : list.Items())
      if (monitor::SameTextIgnoringCase(row.Cell(kProgramName), p.Cell(kCurrentName)) &&
          monitor::SameTextIgnoringCase(row.Cell(kProgramPath), p.Cell(kCurrentPath))) {
        ++found;
        break;
      }
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  const bool contrast = !(argc > 2 && std::string(argv[2]) == "--no-linear");
  const int sizes[] = {1000, 10000, 100000};
  double steady[3] = {};

  std::printf("%d processes, %d timed runs per size\n", kProcesses, runs);
  for (int s = 0; s < 3; ++s) {
    monitor::TTables tables;
    toolkit::TListView& list = tables.ProcessList;
    FillList(list, sizes[s]);
    FillCurrent(tables.CurrentProcesses, sizes[s]);
    tables.SnapshotTime = "2024/06/08 9:10:11";
    const int& added = tables.Counts.Added;
    auto compare = [&] { monitor::ListFileCompares(tables, 100); };
    double first = Milliseconds(compare);  // builds the index
    double total = Milliseconds([&] {
      for (int r = 0; r < runs; ++r) compare();
    });
    steady[s] = total / runs;
    if (added != 0 || list.Count() != sizes[s]) {
      std::printf("unexpected: %d added, %d rows\n", added, list.Count());
      return 1;
    }
    std::printf("list %6d: first comparison (index built) %9.3f ms, each further one %8.3f ms",
                sizes[s], first, steady[s]);
    if (contrast) {
      int found = 0;
      double linear =
          Milliseconds([&] { found = SearchFromTheTop(tables.CurrentProcesses, list); });
      std::printf(", search from the top %10.1f ms (%d found)", linear, found);
    }
    std::printf("\n");
    std::printf("RESULT|comparison.%d.first|%.3f|ms\n", sizes[s], first);
    std::printf("RESULT|comparison.%d|%.3f|ms\n", sizes[s], steady[s]);
  }
  std::printf("ratio of a comparison, 100,000 / 1,000 programs: %.2f\n", steady[2] / steady[0]);
  std::printf("RESULT|comparison.ratio_100k_1k|%.3f|x\n", steady[2] / steady[0]);

  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "vantry-bench-" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(folder.c_str(), nullptr);
  toolkit::TListView list, loaded;
  FillList(list, 100000);
  store::TLineBuffer memo;
  store::DataFilesState state;
  state.ProcessList.Loaded = true;
  double save = Milliseconds([&] { store::SaveProcessList(folder, list, state); });
  double load = Milliseconds([&] { store::LoadProcessList(folder, memo, loaded, state); });
  std::string path = store::ProcessListPath(folder);
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  std::printf("100,000-row ProcessList.dat (%lu bytes): save %.1f ms, load %.1f ms (%d rows)\n",
              static_cast<unsigned long>(data.nFileSizeLow), save, load, loaded.Count());
  std::printf("RESULT|datafile.100000.save|%.3f|ms\nRESULT|datafile.100000.load|%.3f|ms\n", save,
              load);
  ::DeleteFileA(path.c_str());
  ::RemoveDirectoryA(folder.c_str());
  return loaded.Count() == 100000 ? 0 : 1;
}
