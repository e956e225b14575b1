#include "monitor/DeletionCheck.h"

#include <stdexcept>
#include <unordered_set>

#include "toolkit/Thread.h"

namespace monitor {

void TListedFiles::Take(const toolkit::TListView& list, const TRealPaths& realPaths) {
  if (files_.UseRealPaths(realPaths) || files_.ForgetWhenMostlyUnused()) {
    stamps_.clear();
    rowFile_.clear();
  }
  const size_t rows = static_cast<size_t>(list.Count());
  // A new position reads as changed: no row has the stamp 0.
  stamps_.resize(rows, 0);
  changedRows_.clear();
  changedEnds_.clear();
  changedPaths_.clear();
  for (size_t i = 0; i < rows; ++i) {
    const toolkit::TListItem& row = list[static_cast<int>(i)];
    if (stamps_[i] == row.Stamp()) continue;
    stamps_[i] = row.Stamp();
    changedRows_.push_back(static_cast<int>(i));
    changedPaths_ += row.Cell(kProgramPath);
    changedEnds_.push_back(changedPaths_.size());
  }
}

bool TListedFiles::Test(const std::function<bool()>& stopped) {
  rowFile_.resize(stamps_.size(), -1);
  const std::string_view paths = changedPaths_;
  size_t begin = 0;
  for (size_t i = 0; i < changedRows_.size(); ++i) {
    // A first check of a long list reads every path here: the end of the program
    // does not wait for that either.
    if (i % 1024 == 1023 && stopped()) return false;
    rowFile_[static_cast<size_t>(changedRows_[i])] =
        files_.Intern(paths.substr(begin, changedEnds_[i] - begin));
    begin = changedEnds_[i];
  }
  changedRows_.clear();
  changedEnds_.clear();
  changedPaths_.clear();
  changedPaths_.shrink_to_fit();
  for (int id : rowFile_) files_.Use(id);
  return files_.Test(stopped);
}

int TListedFiles::Apply(TTables& tables) const {
  if (!files_.AnyGone()) return 0;
  std::unordered_set<uint64_t> gone;
  for (size_t i = 0; i < rowFile_.size(); ++i)
    if (files_.State(rowFile_[i]) == TListedFile::Gone) gone.insert(stamps_[i]);
  toolkit::TListView& list = tables.ProcessList;
  toolkit::TListUpdate listUpdate(list);
  toolkit::TListUpdate logUpdate(tables.Log);
  int removed = 0;
  for (int i = list.Count() - 1; i >= 0 && !gone.empty(); --i) {
    // A row deleted, edited or sorted away since the take has no stamp of the
    // set here, and a row that moved is found where it is now.
    if (gone.erase(list[i].Stamp()) == 0) continue;
    const std::string path = list.Cell(i, kProgramPath);
    AppendLogEntry(tables.Log, list.Cell(i, kProgramName), "削除", path + "の削除を確認");
    ++tables.Counts.Deleted;
    list.Delete(i);
    ++removed;
  }
  return removed;
}

class TDeletionCheck::TWorker : public toolkit::TThread {
public:
  TWorker(TDeletionCheck& owner, std::unique_ptr<TListedFiles> files)
      : owner_(owner), files_(std::move(files)) {}
  ~TWorker() override {
    Terminate();
    WaitFor();
  }

  std::unique_ptr<TListedFiles> TakeFiles() { return std::move(files_); }

protected:
  void Execute() override {
    if (!files_->Test([this] { return Terminated(); })) return;
    // Skipped when the check is cancelled before the user-interface thread takes
    // the call up.
    Synchronize([this] { owner_.Deliver(*this); });
  }

private:
  TDeletionCheck& owner_;
  std::unique_ptr<TListedFiles> files_;
};

TDeletionCheck::TDeletionCheck(TTables& tables, std::function<void()> ready)
    : tables_(tables), onReady_(std::move(ready)), files_(std::make_unique<TListedFiles>()) {}

TDeletionCheck::~TDeletionCheck() {
  Cancel();
  retired_.clear();
}

void TDeletionCheck::Start() {
  if (Running()) throw std::logic_error("a deletion check is running");
  Reap();
  // After a cancelled check the paths went with its worker: all are read afresh.
  if (!files_) files_ = std::make_unique<TListedFiles>();
  files_->Take(tables_.ProcessList, tables_.RealPaths);
  files_->Files().Reading = Reading;
  worker_ = std::make_unique<TWorker>(*this, std::move(files_));
  worker_->Resume();
}

void TDeletionCheck::Deliver(TWorker& worker) {
  if (&worker != worker_.get()) return;
  files_ = worker.TakeFiles();
  ready_ = true;
  // The worker is inside this call: it is ended later, not here.
  retired_.push_back(std::move(worker_));
  if (onReady_) onReady_();
}

int TDeletionCheck::Apply() {
  if (!ready_) return 0;
  ready_ = false;
  return files_->Apply(tables_);
}

void TDeletionCheck::Cancel() {
  ready_ = false;
  if (worker_) {
    worker_->Terminate();
    retired_.push_back(std::move(worker_));
  }
  Reap();
}

void TDeletionCheck::Reap() {
  for (auto it = retired_.begin(); it != retired_.end();)
    it = (*it)->Finished() ? retired_.erase(it) : it + 1;
}

}  // namespace monitor
