// Times a refresh of the current-process table, and the timed cycle's variant of
// it (no icons), against the bare ToolHelp walk they are built on, in one run, so
// the ratio says what the path resolution and the file facts cost on this machine.
#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "monitor/FileFacts.h"
#include "monitor/Snapshot.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double MillisecondsPerRun(int runs, F&& run) {
  run();  // warm-up: DLLs loaded, caches filled
  auto start = Clock::now();
  for (int i = 0; i < runs; ++i) run();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
}

int BareWalk() {
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = ::Process32First(snap, &entry); more; more = ::Process32Next(snap, &entry)) ++n;
  ::CloseHandle(snap);
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  monitor::TTables tables;
  toolkit::TImageList& images = tables.Icons;
  HICON fallback = ::LoadIconA(nullptr, IDI_APPLICATION);

  int processes = 0;
  double bare = MillisecondsPerRun(runs, [&] { processes = BareWalk(); });
  images.Tag = 0;
  double withIcons = MillisecondsPerRun(runs, [&] {
    monitor::RefreshCurrentProcesses(tables, fallback);
  });
  images.Tag = 1;  // in the tray: no icons
  double timed = MillisecondsPerRun(runs, [&] {
    monitor::RefreshCurrentProcesses(tables, fallback);
  });

  std::printf("processes in the snapshot: %d, rows admitted: %d, runs: %d\n", processes,
              tables.CurrentProcesses.Count(), runs);
  std::printf("bare ToolHelp walk:            %8.3f ms\n", bare);
  std::printf("refresh with icons:            %8.3f ms  (%.1f x the walk)\n", withIcons,
              withIcons / bare);
  std::printf("timed cycle refresh, no icons: %8.3f ms  (%.1f x the walk)\n", timed, timed / bare);
  std::printf("RESULT|refresh.walk|%.3f|ms\nRESULT|refresh.icons|%.3f|ms\n", bare, withIcons);
  std::printf("RESULT|refresh.icons.x_walk|%.3f|x\n", withIcons / bare);
  return 0;
}
