// Times the file test that the snapshot's file times and the deletion check make
// for every path: the attribute read the program makes now against the directory
// search of earlier versions (kept here as it was, ANSI call and all), over the
// same paths in the same run. The paths are real files of one folder, names
// missing from that folder (a deleted program), and the programs of System32.
// Under Wine a missing name costs both ways a scan of its folder, since the
// file system there is case-sensitive and the name is looked for in any case.
// Each is timed as the deletion check asks (existence alone) and as the file
// times are read (existence and the time's text, whose locale formatting costs
// the same both ways).
//
//   FileTestBench [runs] [files]      defaults: 20 runs, 2,000 files
//
// Each time is the median of its runs, taken in turns. Lines that begin with
// "RESULT|" are for scripts/bench.sh; the rest is for people.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/OldWays.h"
#include "bench/Timing.h"
#include "monitor/FileFacts.h"
#include "toolkit/AnsiText.h"

namespace {

using bench::Median;
using bench::OldFileExists;
using bench::Milliseconds;
using bench::Result;

struct Paths {
  std::vector<std::string> narrow;
  std::vector<std::wstring> wide;
  void Add(const std::string& path) {
    narrow.push_back(path);
    wide.push_back(toolkit::Widen(path));
  }
};

// `files` files in a new folder; `missing` receives one name for every ten that
// is not there.
Paths MadeFolder(int files, std::string* folder, Paths* missing) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  *folder = std::string(temp) + "vantry-filetest-" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(folder->c_str(), nullptr);
  Paths paths;
  for (int i = 0; i < files; ++i) {
    const std::string path = *folder + "\\program" + std::to_string(i) + ".exe";
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    paths.Add(path);
    if (i % 10 == 0) missing->Add(*folder + "\\missing" + std::to_string(i) + ".exe");
  }
  return paths;
}

void RemoveFolder(const std::string& folder, const Paths& paths) {
  for (const std::string& path : paths.narrow) ::DeleteFileA(path.c_str());
  ::RemoveDirectoryA(folder.c_str());
}

Paths System32Programs() {
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  Paths paths;
  WIN32_FIND_DATAA data = {};
  const std::string pattern = std::string(system) + "\\*.exe";
  HANDLE search = ::FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return paths;
  do paths.Add(std::string(system) + "\\" + data.cFileName);
  while (::FindNextFileA(search, &data));
  ::FindClose(search);
  return paths;
}

// Times both ways over the paths and checks that they agree on every one.
bool Compare(const char* name, const Paths& paths, int runs) {
  int agreed = 0, existing = 0;
  for (size_t i = 0; i < paths.narrow.size(); ++i) {
    std::string oldTime, newTime;
    const bool oldExists = OldFileExists(paths.narrow[i], &oldTime);
    const bool newExists = monitor::FileExists(paths.wide[i], &newTime);
    if (oldExists == newExists && oldTime == newTime) ++agreed;
    if (newExists) ++existing;
  }
  std::printf("%s: %d paths, %d of them existing files; the two ways agree on %d\n", name,
              static_cast<int>(paths.narrow.size()), existing, agreed);
  for (const bool withTime : {false, true}) {
    std::vector<double> olds, news;
    for (int run = 0; run < runs; ++run) {
      olds.push_back(Milliseconds([&] {
        std::string time;
        for (const std::string& path : paths.narrow) OldFileExists(path, withTime ? &time : nullptr);
      }));
      news.push_back(Milliseconds([&] {
        std::string time;
        for (const std::wstring& path : paths.wide)
          monitor::FileExists(path, withTime ? &time : nullptr);
      }));
    }
    const double perPath = 1000.0 / static_cast<double>(paths.narrow.size());
    const double oldUs = Median(olds) * perPath, newUs = Median(news) * perPath;
    std::printf("  %s\n", withTime ? "existence and time's text:" : "existence:");
    std::printf("    directory search (old): %8.2f us a path\n", oldUs);
    std::printf("    attribute read (new):   %8.2f us a path  (1/%.1f of the old way)\n", newUs,
                oldUs / newUs);
    const std::string key = std::string("filetest.") + name + (withTime ? ".time" : ".exists");
    Result(key + ".search", oldUs, "us");
    Result(key + ".attributes", newUs, "us");
    Result(key + ".search_x", oldUs / newUs, "x");
  }
  if (agreed != static_cast<int>(paths.narrow.size()))
    std::printf("!! the two ways disagree on %d paths\n",
                static_cast<int>(paths.narrow.size()) - agreed);
  return agreed == static_cast<int>(paths.narrow.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  const int files = argc > 2 ? std::atoi(argv[2]) : 2000;
  std::string folder;
  Paths missing;
  const Paths made = MadeFolder(files, &folder, &missing);
  bool same = Compare("folder", made, runs);
  same = Compare("missing", missing, runs) && same;
  RemoveFolder(folder, made);
  same = Compare("system32", System32Programs(), runs) && same;
  return same ? 0 : 1;
}
