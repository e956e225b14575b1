// A process as a walk of the machine's processes saw it, whether or not the
// current-process table admitted it: what the run journal follows.
#pragma once

#include <cstdint>
#include <string>

namespace monitor {

struct TSeenProcess {
  uint32_t Pid = 0;
  uint32_t ParentPid = 0;  // as the walk gives it: the parent may have ended since
  std::string ExeName;     // the walk's file name (ANSI), for a process whose path is unknown
};

}  // namespace monitor
