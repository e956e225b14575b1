// Whole files written on a worker thread, so that a save of a long list holds
// neither the window nor the monitoring cycle while the disk takes it (a flush
// to a busy disk can take far longer than composing the text did). The
// user-interface thread composes the bytes from its tables, which only it
// touches, and hands over a batch; the worker writes the files in order through
// ReplaceWholeFile (temporary file, flush, rename) and stops at the first that
// fails. The user-interface thread takes the outcome back when it next looks, or
// waits for it. One batch at a time; a batch handed over is written even when
// the writer is destroyed meanwhile, so an end never cuts a write short.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "store/TextFile.h"
#include "toolkit/Thread.h"

namespace store {

// How a batch went: how many of its files were written, in order, and the
// message of the one that failed ("" when none did).
struct TWriteOutcome {
  size_t Written = 0;
  std::string Error;
};

// Writes the batch in order on the calling thread, stopping at the first file
// that cannot be written.
TWriteOutcome WriteFiles(const std::vector<TFileWrite>& batch);

class TFileWriter : private toolkit::TThread {
public:
  TFileWriter() = default;
  ~TFileWriter() override;

  // Whether a batch was handed over and its outcome has not been taken back.
  bool Busy() const;
  // Hands a batch over; only when not Busy.
  void Write(std::vector<TFileWrite> batch);
  // The outcome of the batch handed over, once it has been written; with `wait`,
  // waits for that. False when there is no outcome (yet).
  bool Take(TWriteOutcome& outcome, bool wait);

protected:
  void Execute() override;

private:
  enum class Stage { Idle, HandedOver, Writing, Written };

  mutable std::mutex lock_;
  std::condition_variable written_;
  Stage stage_ = Stage::Idle;
  std::vector<TFileWrite> batch_;
  TWriteOutcome outcome_;
};

}  // namespace store
