#include "store/JournalWriter.h"

namespace store {

TJournalWriter::TJournalWriter(std::wstring path, uint64_t limitBytes)
    : path_(path), journal_(std::move(path), limitBytes) {}

TJournalWriter::~TJournalWriter() {
  // A worker told to end before it has looked at its lines would not write them.
  Drain();
  Terminate();
  WaitFor();
}

void TJournalWriter::Append(std::vector<TJournalLine> lines) {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    // Beyond the file's own bound only when the worker is stuck at the disk.
    for (TJournalLine& line : lines) {
      if (handed_.size() >= TRunJournal::kMaxWaitingLines) handed_.erase(handed_.begin());
      handed_.push_back(std::move(line));
    }
  }
  Resume();
}

void TJournalWriter::Drain() const {
  std::unique_lock<std::mutex> hold(lock_);
  written_.wait(hold, [this] { return handed_.empty() && !writing_; });
}

size_t TJournalWriter::Waiting() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return waiting_;
}

void TJournalWriter::Execute() {
  auto idle = [this] {
    const std::lock_guard<std::mutex> hold(lock_);
    return handed_.empty() && waiting_ == 0;
  };
  for (;;) {
    std::vector<TJournalLine> lines;
    {
      const std::lock_guard<std::mutex> hold(lock_);
      lines.swap(handed_);
      writing_ = true;
    }
    journal_.Append(lines);  // also what was kept back before
    {
      const std::lock_guard<std::mutex> hold(lock_);
      writing_ = false;
      waiting_ = journal_.Waiting();
    }
    written_.notify_all();
    // Kept-back lines are tried again after a while, or with the next ones.
    if (journal_.Waiting() > 0 && !Wait(kRetryMs)) break;
    if (!PauseWhen(idle)) break;
  }
}

}  // namespace store
