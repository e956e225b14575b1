#include "store/FileWriter.h"

#include <stdexcept>
#include <utility>

namespace store {

TWriteOutcome WriteFiles(const std::vector<TFileWrite>& batch) {
  TWriteOutcome outcome;
  for (const TFileWrite& file : batch) {
    try {
      ReplaceWholeFile(file.Path, file.Bytes, file.KeepOld);
    } catch (const std::exception& e) {
      outcome.Error = e.what();
      break;
    }
    ++outcome.Written;
  }
  return outcome;
}

TFileWriter::~TFileWriter() {
  // A batch handed over is written before the worker is told to end.
  TWriteOutcome unread;
  Take(unread, true);
  Terminate();
  WaitFor();
}

bool TFileWriter::Busy() const {
  std::lock_guard<std::mutex> guard(lock_);
  return stage_ != Stage::Idle;
}

void TFileWriter::Write(std::vector<TFileWrite> batch) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (stage_ != Stage::Idle) throw std::logic_error("TFileWriter::Write while busy");
    batch_ = std::move(batch);
    stage_ = Stage::HandedOver;
  }
  Resume();
}

bool TFileWriter::Take(TWriteOutcome& outcome, bool wait) {
  std::unique_lock<std::mutex> guard(lock_);
  if (stage_ == Stage::Idle) return false;
  if (wait) written_.wait(guard, [this] { return stage_ == Stage::Written; });
  if (stage_ != Stage::Written) return false;
  outcome = std::move(outcome_);
  outcome_ = TWriteOutcome();
  stage_ = Stage::Idle;
  return true;
}

void TFileWriter::Execute() {
  while (PauseWhen([this] {
    std::lock_guard<std::mutex> guard(lock_);
    return stage_ != Stage::HandedOver;
  })) {
    std::vector<TFileWrite> batch;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (stage_ != Stage::HandedOver) continue;
      batch = std::move(batch_);
      stage_ = Stage::Writing;
    }
    TWriteOutcome outcome = WriteFiles(batch);
    // The texts may be megabytes: gone before the outcome is taken.
    std::vector<TFileWrite>().swap(batch);
    {
      std::lock_guard<std::mutex> guard(lock_);
      outcome_ = std::move(outcome);
      stage_ = Stage::Written;
    }
    written_.notify_all();
  }
}

}  // namespace store
