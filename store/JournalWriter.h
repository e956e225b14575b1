// The run journal written away from the user interface. A flush waits for the
// disk: a millisecond or less on an idle one, tens of milliseconds on a busy
// disk or a spinning one, and the monitoring cycle runs in the user interface's
// thread. So the cycle only hands its lines over, and a worker thread of its own
// appends them in one write and flushes them (TRunJournal), at once; lines that
// come while it is at the disk go in its next write. The file and everything
// about it (the cut line of a crash, rotation, lines kept back while another
// program holds the file) belong to the worker alone.
//
// A crash loses what the worker has not written yet: the lines handed over in
// the last milliseconds. The end of the program writes everything handed over
// before the worker ends.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "store/RunJournal.h"
#include "toolkit/Thread.h"

namespace store {

class TJournalWriter : private toolkit::TThread {
public:
  // The worker begins with the first lines.
  TJournalWriter(std::wstring path, uint64_t limitBytes);
  // Writes what was handed over, then ends the worker.
  ~TJournalWriter() override;

  // Hands the lines over and returns at once.
  void Append(std::vector<TJournalLine> lines);
  // Waits until every line handed over so far has been written, or kept back
  // because the file could not be written.
  void Drain() const;

  const std::wstring& Path() const { return path_; }
  // Lines kept back for a later write (the file could not be written), as of
  // the last write.
  size_t Waiting() const;

  // How long the worker waits before it tries kept-back lines again when no new
  // ones come.
  static constexpr DWORD kRetryMs = 1000;

private:
  void Execute() override;

  const std::wstring path_;
  TRunJournal journal_;  // the worker's alone once it runs
  mutable std::mutex lock_;
  mutable std::condition_variable written_;
  std::vector<TJournalLine> handed_;
  bool writing_ = false;
  size_t waiting_ = 0;
};

}  // namespace store
