// Drives the real Vantry.exe from outside, as the user's machine runs it: a copy of
// the program in a folder of its own, beside a process list and a log as a long
// use leaves them, started, watched until it is ready, and closed the orderly way.
//
//   StartupBench [rows]              start-up and exit, with `rows` listed programs
//                                    (default 100,000) and with an empty list, the
//                                    window shown and started in the tray
//   StartupBench --idle seconds [rows] [sleepers] [spread]
//                                    started in the tray with the default interval,
//                                    its CPU time read over `seconds` once the first
//                                    cycle has run, with `sleepers` (default 30)
//                                    sleeping copies of this driver running, so the
//                                    cycle walks as many processes as a desktop has;
//                                    with `spread` (a folder of 5,000 folders of 20
//                                    programs, d0000\p00.exe ...), the list is those
//                                    100,000 programs and the deletion check is on
//   StartupBench --during-checks spread [rounds]
//                                    started in the tray with the deletion check on
//                                    and that list: how long the hidden window takes
//                                    to answer while a check runs, and how long the
//                                    orderly end takes when it comes during one
//
// Start-up is the time from CreateProcess until the program is ready: shown, the
// window is visible, the process list holds every row and the current processes are
// in; in the tray, the current processes are in (the delayed start has run) and,
// for the first cycle, the log has grown by the programs that cycle added (the bench
// sets an interval of 1 second for that). Exit is the time from WM_CLOSE on the main
// window (what "閉じる" in the tray menu posts) until the process has ended; the
// files it wrote are then counted. The list views are owner-data views whose item
// count the program keeps equal to its rows, so LVM_GETITEMCOUNT from here reads
// the size of its tables without touching its memory. A deletion check runs on a
// worker thread of its own, so a check is under way while the program has a thread
// more than between checks.
//
// Lines that begin with "RESULT|" are for scripts/bench.sh; the rest is for people.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "bench/Sleepers.h"

namespace {

using Clock = std::chrono::steady_clock;

// The main window's tables, by their place among its list views: the controls
// carry no identifiers, and each tab's page with its list is made in tab order.
constexpr int kListView1 = 0;  // current processes
constexpr int kListView2 = 1;  // the process list
constexpr int kListView3 = 2;  // the log

constexpr int kLogEntries = 100;  // a log at its default maximum

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Result(const std::string& name, double value, const char* unit) {
  std::printf("RESULT|%s|%.3f|%s\n", name.c_str(), value, unit);
  std::fflush(stdout);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

// The last-write time of a file, as comparable text ("" when there is none).
std::string LastWriteText(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "";
  return std::to_string(data.ftLastWriteTime.dwHighDateTime) + "." +
         std::to_string(data.ftLastWriteTime.dwLowDateTime);
}

// Records of a data file: lines after the version line, per `linesPerRecord`.
int Records(const std::string& bytes, int linesPerRecord) {
  if (bytes.compare(0, 9, "Ver1.00\r\n") != 0) return -1;
  size_t lines = 0;
  for (char c : bytes)
    if (c == '\n') ++lines;
  return static_cast<int>((lines - 1) / static_cast<size_t>(linesPerRecord));
}

std::string Time(int i, int salt) {
  int day = 1 + (i * 7 + salt) % 28, month = 1 + (i / 28 + salt) % 12;
  int hour = (i * 5 + salt) % 24, minute = (i * 13) % 60, second = (i * 2) % 60;
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d", 2019 + (i + salt) % 6, month, day,
                hour, minute, second);
  return text;
}

// A process list as years of use leave it: installers, tools, games, programs in
// the user's folders, some with Japanese folder names, a few commented.
std::string ProcessListText(int rows) {
  static const char* const kFolders[] = {
      "C:\\Program Files\\Vendor%d\\Product%d\\",
      "C:\\Program Files (x86)\\ソフトウェア%d\\ツール%d\\",
      "C:\\Users\\user\\AppData\\Local\\Temp\\is-%05d.tmp\\setup%d\\",
      "D:\\ゲーム\\タイトル%d\\bin%d\\",
      "C:\\Users\\user\\Downloads\\tool%d\\v%d\\"};
  std::string text = "Ver1.00\r\n";
  text.reserve(static_cast<size_t>(rows) * 140 + 16);
  char folder[160];
  for (int i = 0; i < rows; ++i) {
    std::snprintf(folder, sizeof folder, kFolders[i % 5], i / 5 % 997, i % 13);
    std::string name = (i % 5 == 2 ? "setup_" : "app") + std::to_string(i) + ".exe";
    text += name + "\r\n";
    text += folder + name + "\r\n";
    text += (i % 50 == 0 ? "" : Time(i, 0)) + "\r\n";  // some files are gone
    text += Time(i, 3) + "\r\n";
    text += Time(i, 5) + "\r\n";
    text += (i % 20 == 0 ? "よく使うプログラム" : "") + std::string("\r\n");
  }
  return text;
}

// The 100,000 programs of a spread folder (see --idle), all there.
std::string SpreadListText(const std::string& spread) {
  std::string text = "Ver1.00\r\n";
  text.reserve(100000 * 120);
  char row[512];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(row, sizeof row, "p%02d.exe\r\n%s\\d%04d\\p%02d.exe\r\n\r\n%s\r\n%s\r\n\r\n",
                  i % 20, spread.c_str(), i / 20, i % 20, Time(i, 3).c_str(), Time(i, 5).c_str());
    text += row;
  }
  return text;
}

std::string LogText(int entries) {
  static const char* const kKinds[] = {"追加", "更新", "削除"};
  std::string text = "Ver1.00\r\n";
  for (int i = 0; i < entries; ++i) {
    const char* kind = kKinds[i % 3];
    text += Time(i, 7) + "\r\n";
    text += "app" + std::to_string(i * 37) + ".exe\r\n";
    text += std::string(kind) + "\r\n";
    text += (i % 3 == 1 ? "(" + Time(i, 1) + ")→(" + Time(i, 2) + ")" : "") + "\r\n";
  }
  return text;
}

struct FindArgs {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lp) {
  auto* args = reinterpret_cast<FindArgs*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  ::GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == args->pid && std::strcmp(cls, "TForm1") == 0) {
    args->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct FindChildArgs {
  int place;  // how many list views to pass over first
  HWND found;
};

BOOL CALLBACK FindChild(HWND hwnd, LPARAM lp) {
  auto* args = reinterpret_cast<FindChildArgs*>(lp);
  char cls[64] = {};
  ::GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, WC_LISTVIEWA) != 0 || args->place-- > 0) return TRUE;
  args->found = hwnd;
  return FALSE;
}

// A copy of Vantry.exe in a fresh folder with the data files and settings given.
class Installation {
public:
  Installation(const std::string& exe, const std::string& tag) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "vantry-" + tag + "-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    exe_ = folder_ + "\\Vantry.exe";
    ok_ = ::CopyFileA(exe.c_str(), exe_.c_str(), FALSE) != FALSE;
  }
  ~Installation() {
    for (const char* name : {"Vantry.exe", "ProcessList.dat", "Log.dat", "Inf.ini",
                             "ProcessList.dat.tmp", "Log.dat.tmp", "Inf.ini.tmp"})
      ::DeleteFileA(File(name).c_str());
    ::RemoveDirectoryA(folder_.c_str());
  }
  bool ok() const { return ok_; }
  std::string File(const char* name) const { return folder_ + "\\" + name; }
  const std::string& Folder() const { return folder_; }
  const std::string& Exe() const { return exe_; }

private:
  std::string folder_, exe_;
  bool ok_ = false;
};

// The started program: its process and, once it has one, its main window.
class Running {
public:
  explicit Running(const Installation& at) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string command = "\"" + at.Exe() + "\"";
    started_ = Clock::now();
    ok_ = ::CreateProcessA(at.Exe().c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                           at.Folder().c_str(), &si, &pi_) != FALSE;
  }
  ~Running() {
    if (!ok_) return;
    if (::WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi_.hProcess, 1);
    ::CloseHandle(pi_.hProcess);
    ::CloseHandle(pi_.hThread);
  }
  bool ok() const { return ok_; }
  Clock::time_point Started() const { return started_; }
  HANDLE Process() const { return pi_.hProcess; }
  bool Ended(DWORD ms) const { return ::WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }

  HWND Main() {
    if (!main_) {
      FindArgs args{pi_.dwProcessId, nullptr};
      ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&args));
      main_ = args.found;
    }
    return main_;
  }
  // Rows of one of the tables, or -1 while the program cannot answer (still in its
  // start-up before the message loop, or busy).
  int Rows(int place) {
    if (!Main()) return -1;
    FindChildArgs args{place, nullptr};
    ::EnumChildWindows(main_, &FindChild, reinterpret_cast<LPARAM>(&args));
    if (!args.found) return -1;
    DWORD_PTR count = 0;
    if (!::SendMessageTimeoutA(args.found, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 50, &count))
      return -1;
    return static_cast<int>(count);
  }

private:
  PROCESS_INFORMATION pi_ = {};
  Clock::time_point started_;
  HWND main_ = nullptr;
  bool ok_ = false;
};

template <typename Ready>
bool WaitUntil(Ready&& ready, DWORD ms) {
  for (auto start = Clock::now(); MillisecondsSince(start) < ms; ::Sleep(5))
    if (ready()) return true;
  return false;
}

std::string IgnoredFolder(int n) {
  return "C:\\Users\\user\\AppData\\Local\\Temp\\フォルダ" + std::to_string(n) + "\\";
}

// With `spread`, the list is the spread folder's programs and the deletion check is on.
void PrepareFiles(const Installation& at, int rows, bool inTray, int interval,
                  const std::string& spread = "", int ignoredFolders = 0) {
  WriteWholeFile(at.File("ProcessList.dat"), !spread.empty() ? SpreadListText(spread)
                                             : rows > 0      ? ProcessListText(rows)
                                                             : "Ver1.00\r\n");
  WriteWholeFile(at.File("Log.dat"), rows > 0 ? LogText(kLogEntries) : "Ver1.00\r\n");
  std::string ini = "[Information]\r\nVersion=1.30\r\n[Start]\r\nTaskTorrey=";
  ini += inTray ? "1" : "0";
  ini += "\r\nStartUp=0\r\n[Compare]\r\nDeleteCheck=";
  ini += spread.empty() ? "0" : "1";
  ini += "\r\nNotice=0\r\n[Integer]\r\n";
  if (interval > 0) ini += "Interval=" + std::to_string(interval) + "\r\n";
  ini += "Log=100\r\n[Ignore]\r\nListCout=" + std::to_string(ignoredFolders) + "\r\n";
  for (int n = 0; n < ignoredFolders; ++n)
    ini += "Path" + std::to_string(n) + "=" + IgnoredFolder(n) + "\r\n";
  WriteWholeFile(at.File("Inf.ini"), ini);
}

// Closes the program the orderly way and checks what it saved; the time from the
// close to the end of the process, or a negative number when something failed.
double CloseAndCheck(Running& program, const Installation& at, const std::string& label) {
  int listed = program.Rows(kListView2);
  int logged = program.Rows(kListView3);
  auto closing = Clock::now();
  ::PostMessageA(program.Main(), WM_CLOSE, 0, 0);
  if (!program.Ended(120000)) {
    std::printf("%s: the program did not end within 2 minutes of WM_CLOSE\n", label.c_str());
    return -1;
  }
  double exit = MillisecondsSince(closing);
  int savedList = Records(ReadWholeFile(at.File("ProcessList.dat")), 6);
  int savedLog = Records(ReadWholeFile(at.File("Log.dat")), 4);
  bool whole = savedList == listed && savedLog == logged;
  std::printf("%s: exit %.0f ms; saved %d programs (shown %d) and %d log entries (shown %d)%s\n",
              label.c_str(), exit, savedList, listed, savedLog, logged,
              whole ? "" : "  <-- NOT WHAT THE PROGRAM HELD");
  return whole ? exit : -1;
}

// One start with the window shown; returns false when it did not come up.
bool StartShown(const std::string& exe, int rows) {
  std::string label = "shown, list " + std::to_string(rows);
  Installation at(exe, "shown");
  if (!at.ok()) return false;
  PrepareFiles(at, rows, false, 0);
  Running program(at);
  if (!program.ok()) return false;
  bool ready = WaitUntil(
      [&] {
        return program.Main() && ::IsWindowVisible(program.Main()) &&
               program.Rows(kListView2) == rows && program.Rows(kListView1) > 0;
      },
      120000);
  if (!ready) {
    std::printf("%s: not ready within 2 minutes\n", label.c_str());
    return false;
  }
  double start = MillisecondsSince(program.Started());
  std::printf("%s: start-up %.0f ms (window shown, %d programs listed, %d processes)\n",
              label.c_str(), start, program.Rows(kListView2), program.Rows(kListView1));
  ::Sleep(500);
  double exit = CloseAndCheck(program, at, label);
  std::string key = "startup." + std::to_string(rows) + ".shown";
  Result(key + ".start", start, "ms");
  if (exit >= 0) Result(key + ".exit", exit, "ms");
  return exit >= 0;
}

// The exit with 5,000 ignored folders, the window shown and the lists empty:
// the settings file is most of what the end writes. (Written key by key with
// the profile function, as before, it took over ten seconds under Wine; the
// save benchmark times that way beside the present one.)
bool ExitWithIgnoredFolders(const std::string& exe, int folders) {
  std::string label = "shown, " + std::to_string(folders) + " ignored folders";
  Installation at(exe, "folders");
  if (!at.ok()) return false;
  PrepareFiles(at, 0, false, 0, "", folders);
  Running program(at);
  if (!program.ok()) return false;
  if (!WaitUntil([&] { return program.Main() && ::IsWindowVisible(program.Main()) &&
                              program.Rows(kListView1) > 0; },
                 120000)) {
    std::printf("%s: not ready within 2 minutes\n", label.c_str());
    return false;
  }
  ::Sleep(500);
  double exit = CloseAndCheck(program, at, label);
  char last[256] = {};
  ::GetPrivateProfileStringA("Ignore", ("Path" + std::to_string(folders - 1)).c_str(), "", last,
                             sizeof last, at.File("Inf.ini").c_str());
  if (IgnoredFolder(folders - 1) != last) {
    std::printf("%s: the settings file lost its folders  <-- NOT WHAT THE PROGRAM HELD\n",
                label.c_str());
    return false;
  }
  if (exit >= 0) Result("startup.exit." + std::to_string(folders) + "folders", exit, "ms");
  return exit >= 0;
}

// One start in the tray with an interval of 1 second.
bool StartInTray(const std::string& exe, int rows) {
  std::string label = "tray, list " + std::to_string(rows);
  Installation at(exe, "tray");
  if (!at.ok()) return false;
  PrepareFiles(at, rows, true, 1);
  const int logAtStart = rows > 0 ? kLogEntries : 0;
  Running program(at);
  if (!program.ok()) return false;
  bool refreshed = WaitUntil(
      [&] { return program.Rows(kListView2) == rows && program.Rows(kListView1) > 0; }, 120000);
  double refresh = MillisecondsSince(program.Started());
  bool cycled =
      refreshed && WaitUntil([&] { return program.Rows(kListView3) > logAtStart; }, 120000);
  double cycle = MillisecondsSince(program.Started());
  if (!cycled) {
    std::printf("%s: no first cycle within 2 minutes\n", label.c_str());
    return false;
  }
  std::printf("%s: in the tray with the processes taken %.0f ms, first cycle done %.0f ms "
              "(interval 1 s)\n",
              label.c_str(), refresh, cycle);
  double exit = CloseAndCheck(program, at, label);
  std::string key = "startup." + std::to_string(rows) + ".tray";
  Result(key + ".start", refresh, "ms");
  Result(key + ".firstcycle", cycle, "ms");
  if (exit >= 0) Result(key + ".exit", exit, "ms");
  return exit >= 0;
}

double CpuMilliseconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ms = [](const FILETIME& t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

// Sits in the tray with the default interval for `seconds`; prints the program's
// CPU time as GetProcessTimes reports it, and lines scripts/bench.sh waits for to
// read the same from /proc.
int Idle(const std::string& exe, int seconds, int rows, int sleeperCount,
         const std::string& spread) {
  bench::Sleepers sleepers(sleeperCount, 3600);
  Installation at(exe, "idle");
  if (!at.ok()) return 1;
  PrepareFiles(at, rows, true, 0, spread);
  const int logAtStart = rows > 0 ? kLogEntries : 0;
  Running program(at);
  if (!program.ok()) return 1;
  // The first cycle comes one interval (10 s) after the start; it adds the
  // programs the list does not know, and they are written within seconds: a
  // one-time cost, waited out. (Later, last-run times alone are written every
  // nine minutes; the save benchmark times such a write.)
  const std::string written = LastWriteText(at.File("ProcessList.dat"));
  if (!WaitUntil([&] { return program.Rows(kListView3) > logAtStart; }, 120000)) {
    std::printf("idle: no first cycle within 2 minutes\n");
    return 1;
  }
  if (!WaitUntil([&] { return LastWriteText(at.File("ProcessList.dat")) != written; }, 30000))
    std::printf("idle: what the first cycle found was not written within 30 s\n");
  ::Sleep(2000);
  double before = CpuMilliseconds(program.Process());
  std::printf("current processes in the program's table: %d\n", program.Rows(kListView1));
  std::printf("IDLE-BEGIN|%s\n", at.Folder().c_str());
  std::fflush(stdout);
  ::Sleep(static_cast<DWORD>(seconds) * 1000);
  double after = CpuMilliseconds(program.Process());
  std::printf("IDLE-END|%s\n", at.Folder().c_str());
  std::fflush(stdout);
  if (before >= 0 && after >= 0) {
    // Under Wine 8 these figures for another process do not follow its use (they
    // stay put for minutes), so scripts/bench.sh reads /proc for the table.
    std::printf("idle in the tray, list %d%s, %d more processes, %d s: GetProcessTimes %.0f ms -> "
                "%.0f ms, %.3f %% of one core\n",
                rows, spread.empty() ? "" : " (deletion check on)", sleepers.Count(), seconds,
                before, after, (after - before) / (seconds * 10.0));
  } else {
    std::printf("idle: GetProcessTimes on the program failed (error %lu)\n", ::GetLastError());
  }
  ::Sleep(1500);  // the script reads /proc on the END line before the program goes
  return CloseAndCheck(program, at, "idle, list " + std::to_string(rows)) >= 0 ? 0 : 1;
}

// The threads of a process now.
int Threads(DWORD pid) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
    n += entry.th32OwnerProcessID == pid ? 1 : 0;
  ::CloseHandle(snapshot);
  return n;
}

// Started in the tray with the deletion check on over 100,000 programs in 5,000
// folders and an interval of 3 s: for `rounds` runs, probes of the hidden window
// (WM_NULL, sent with a time-out, one after the other) for 15 s, the slowest
// answer among those sent while a check was under way; then the orderly end sent
// the moment a check is under way, timed to the end of the process, and the files
// it wrote counted.
bool DuringChecks(const std::string& exe, const std::string& spread, int rounds) {
  bool ok = true;
  for (int round = 1; round <= rounds; ++round) {
    const std::string label = "deletion check on, list 100000, round " + std::to_string(round);
    Installation at(exe, "checks");
    if (!at.ok()) return false;
    PrepareFiles(at, 100000, true, 3, spread);
    Running program(at);
    if (!program.ok()) return false;
    DWORD pid = ::GetProcessId(program.Process());
    if (!WaitUntil([&] { return program.Rows(kListView3) > kLogEntries; }, 120000)) {
      std::printf("%s: no first cycle within 2 minutes\n", label.c_str());
      return false;
    }
    // Between two checks the program runs one thread less than during one.
    int idleThreads = 1 << 30;
    for (auto start = Clock::now(); MillisecondsSince(start) < 7000; ::Sleep(5)) {
      const int n = Threads(pid);
      if (n > 0) idleThreads = std::min(idleThreads, n);
    }
    auto checking = [&] { return Threads(pid) > idleThreads; };
    double slowest = 0, slowestAny = 0;
    int probes = 0, probesInCheck = 0;
    for (auto start = Clock::now(); MillisecondsSince(start) < 15000;) {
      const bool inCheck = checking();
      DWORD_PTR result = 0;
      auto sent = Clock::now();
      if (!::SendMessageTimeoutA(program.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) {
        std::printf("%s: a probe got no answer within 10 s\n", label.c_str());
        ok = false;
      }
      const double answer = MillisecondsSince(sent);
      const bool stillInCheck = inCheck && checking();
      ++probes;
      slowestAny = std::max(slowestAny, answer);
      if (stillInCheck) {
        ++probesInCheck;
        slowest = std::max(slowest, answer);
      }
    }
    std::printf("%s: %d probes of the hidden window, %d of them during a check; slowest answer "
                "during a check %.1f ms, at any time %.1f ms\n",
                label.c_str(), probes, probesInCheck, slowest, slowestAny);
    if (probesInCheck > 0) Result("checks.probe.slowest", slowest, "ms");
    Result("checks.probe.slowest_any", slowestAny, "ms");
    if (!WaitUntil(checking, 30000)) {
      std::printf("%s: no check under way within 30 s\n", label.c_str());
      ok = false;
      continue;
    }
    const double exit = CloseAndCheck(program, at, label + ", closed during a check");
    if (exit >= 0) Result("checks.exit_during_check", exit, "ms");
    ok = exit >= 0 && ok;
  }
  return ok;
}

std::string DefaultExe() {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  path = path.substr(0, path.find_last_of('\\'));  // bench
  path = path.substr(0, path.find_last_of('\\'));  // the build folder
  return path + "\\Vantry.exe";
}

}  // namespace

int main(int argc, char** argv) {
  if (bench::IsSleeperRun(argc, argv)) return bench::SleeperMain(argv);
  const std::string exe = DefaultExe();
  if (::GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::printf("no %s\n", exe.c_str());
    return 1;
  }
  if (argc > 2 && std::strcmp(argv[1], "--idle") == 0)
    return Idle(exe, std::atoi(argv[2]), argc > 3 ? std::atoi(argv[3]) : 100000,
                argc > 4 ? std::atoi(argv[4]) : 30, argc > 5 ? argv[5] : "");
  if (argc > 2 && std::strcmp(argv[1], "--during-checks") == 0)
    return DuringChecks(exe, argv[2], argc > 3 ? std::atoi(argv[3]) : 3) ? 0 : 1;

  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  bool ok = true;
  for (int n : {0, rows}) {
    ok = StartShown(exe, n) && ok;
    ok = StartInTray(exe, n) && ok;
  }
  ok = ExitWithIgnoredFolders(exe, 5000) && ok;
  return ok ? 0 : 1;
}
