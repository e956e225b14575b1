// When the files are written while the program runs. Nothing of a session may
// wait for the orderly end: a crash, an end from a task manager, a power cut or a
// forced shutdown would lose it. So a check every few seconds looks at what the
// tables hold that the files do not:
// - changes (a program added, updated or removed, a log entry, a comment, a
//   setting): written at the first check that sees them, then at most every 30
//   seconds while more keep coming, so each is on the disk within a minute;
// - last-run times alone (every cycle stamps every running program): written
//   when nine minutes have passed since the last write, so that a long list is
//   not rewritten every few seconds for times that only moved on.
// A write that fails is tried again on the same terms. Times are milliseconds of
// a steady clock (GetTickCount64). No Win32 call here.
#pragma once

#include <cstdint>

namespace store {

// What the tables hold that the files lack.
enum class TUnsaved { Nothing, LastRunTimes, Changes };

class TSaveSchedule {
public:
  static constexpr uint64_t kCheckMs = 5 * 1000;
  static constexpr uint64_t kChangesApartMs = 30 * 1000;
  static constexpr uint64_t kLastRunTimesApartMs = 9 * 60 * 1000;

  explicit TSaveSchedule(uint64_t startMs) : last_(startMs) {}

  // Whether a write is due at `nowMs` for what is unsaved.
  bool Due(TUnsaved unsaved, uint64_t nowMs) const {
    switch (unsaved) {
      case TUnsaved::Changes:
        return !written_ || nowMs - last_ >= kChangesApartMs;
      case TUnsaved::LastRunTimes:
        return nowMs - last_ >= kLastRunTimesApartMs;
      default:
        return false;
    }
  }
  // A write began at `nowMs`.
  void Began(uint64_t nowMs) {
    written_ = true;
    last_ = nowMs;
  }

private:
  bool written_ = false;  // no write yet: the first change goes at once
  uint64_t last_;         // the last write began, or the start
};

}  // namespace store
