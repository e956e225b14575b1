// The processes a ToolHelp walk sees, as the run tracker takes them.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "monitor/RunTracker.h"
#include "toolkit/Handle.h"

namespace testsupport {

inline std::vector<monitor::TSeenProcess> SeenProcesses() {
  std::vector<monitor::TSeenProcess> seen;
  toolkit::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry))
    seen.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
  return seen;
}

inline FILETIME Now() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return now;
}

}  // namespace testsupport
