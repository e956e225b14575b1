// Copies of the running benchmark that only sleep, so that a measurement sees a
// machine with a realistic number of processes. A benchmark's main begins with
// `if (IsSleeperRun(argc, argv)) return SleeperMain(argv);`. The benchmarks of
// the cycle share their start (CycleRun): the same arguments, the same copies,
// a folder of their own.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <algorithm>
#include <vector>

namespace bench {

inline bool IsSleeperRun(int argc, char** argv) {
  return argc > 2 && std::strcmp(argv[1], "--sleep") == 0;
}

inline int SleeperMain(char** argv) {
  ::Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
  return 0;
}

// Starts `count` copies of this program, each asleep for at most `seconds`; they
// are ended when this goes away.
class Sleepers {
public:
  Sleepers(int count, int seconds) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (int i = 0; i < count; ++i) {
      std::string command = "\"" + std::string(self) + "\" --sleep " + std::to_string(seconds);
      STARTUPINFOA si = {};
      si.cb = sizeof si;
      PROCESS_INFORMATION pi = {};
      if (!::CreateProcessA(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
        continue;
      ::CloseHandle(pi.hThread);
      processes_.push_back(pi.hProcess);
    }
  }
  ~Sleepers() {
    for (HANDLE p : processes_) {
      ::TerminateProcess(p, 0);
      ::CloseHandle(p);
    }
  }
  Sleepers(const Sleepers&) = delete;
  Sleepers& operator=(const Sleepers&) = delete;
  int Count() const { return static_cast<int>(processes_.size()); }

private:
  std::vector<HANDLE> processes_;
};

// What a benchmark of the cycle begins with: "[runs] [sleepers]" from its
// command line (defaults 20 and 30), that many sleeping copies, settled, and an
// empty folder of its own in the temporary folder, named `name` and the process
// identifier, removed at the end (whatever is left in it stays).
struct CycleRun {
  CycleRun(int argc, char** argv, const std::string& name)
      : runs(argc > 1 ? std::max(1, std::atoi(argv[1])) : 20),
        sleepers(argc > 2 ? std::atoi(argv[2]) : 30, 900) {
    ::Sleep(1000);  // let the copies finish starting
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + name + "-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
  }
  ~CycleRun() { ::RemoveDirectoryA(folder.c_str()); }
  CycleRun(const CycleRun&) = delete;
  CycleRun& operator=(const CycleRun&) = delete;

  const int runs;
  Sleepers sleepers;
  std::string folder;
};

}  // namespace bench
