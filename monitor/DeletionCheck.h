// The deletion check: programs of the process list whose executable is gone are
// logged as deleted and dropped from the list.
//
// The files are tested on a worker thread, so that a list of a hundred thousand
// programs never holds up the window, the tray icon or the end of the session.
// A check has three steps. On the user-interface thread the paths of the list
// are taken, with a copy of the tables' real paths; only the rows that changed since the last check are read again (a
// row is known by its stamp, see toolkit::TListItem), so a check of a large list
// that hardly changes costs that thread next to nothing. A worker then tests the
// files (TProgramFiles: each distinct path once, grouped by folder, judged as
// ListedFileState judges it) and hands the
// findings back through the user-interface thread's message queue. There the
// rows found gone are logged and removed as a check on one thread does it, from
// the last row up, but only rows that are still there and unchanged since they
// were taken: meanwhile the user may have deleted, edited or sorted rows, and a
// row that changed was not what the worker tested. A cancelled check (the program
// ends) is never applied.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "monitor/ProgramFiles.h"
#include "monitor/Tables.h"

namespace monitor {

// The process list's paths as one check takes, tests and applies them. It
// belongs to one thread at a time: Take and Apply are the user-interface
// thread's, Test is the worker's, and none runs while another does.
class TListedFiles {
public:
  // Reads the stamps of the process list's rows, and the paths of the rows that
  // are new or changed since the last take (all of them when the real paths
  // behind stored texts changed); with a copy of those real paths.
  void Take(const toolkit::TListView& list, const TRealPaths& realPaths);
  // Tests the files of the rows taken; false when `stopped` said stop first.
  bool Test(const std::function<bool()>& stopped);
  // Logs as "削除" and removes each row of the list that was found gone
  // (ListedFileState) and is
  // still there, unchanged: the last row first, the detail its path followed by
  // "の削除を確認". Adds the number removed to Counts.Deleted and returns it. The
  // log is not trimmed here.
  int Apply(TTables& tables) const;

  TProgramFiles& Files() { return files_; }

private:
  std::vector<uint64_t> stamps_;  // each row's stamp at the take
  // The rows read again at the take and their paths, one after another in one
  // text: a first take of a hundred thousand rows is one copy, not as many.
  std::vector<int> changedRows_;
  std::vector<size_t> changedEnds_;
  std::string changedPaths_;
  std::vector<int> rowFile_;  // each row's path among the files
  TProgramFiles files_;
};

// Runs deletion checks one at a time, each on a worker of its own, for the tables
// it was made with.
class TDeletionCheck {
public:
  // `ready` runs on the thread that made this object, from its message loop,
  // when a check's findings are in; it calls Apply.
  TDeletionCheck(TTables& tables, std::function<void()> ready);
  // Cancels a check in flight and waits for its worker, which stops between two
  // folders.
  ~TDeletionCheck();
  TDeletionCheck(const TDeletionCheck&) = delete;
  TDeletionCheck& operator=(const TDeletionCheck&) = delete;

  // Takes the process list as it stands and starts a worker on it. Not while
  // Running.
  void Start();
  // From Start to Apply or Cancel.
  bool Running() const { return worker_ != nullptr || ready_; }
  // Applies the findings that are in (TListedFiles::Apply); 0 when none are.
  int Apply();
  // Drops the check in flight: its findings are never applied. Waits for nothing.
  void Cancel();

  // How the next checks read folders, and how the last one went (for tests and
  // the benchmark; 0 while a check runs).
  FolderReading Reading = FolderReading::kMeasured;
  int FoldersRead() const { return files_ ? files_->Files().FoldersRead() : 0; }
  int FilesAsked() const { return files_ ? files_->Files().FilesAsked() : 0; }

private:
  class TWorker;
  void Deliver(TWorker& worker);
  void Reap();

  TTables& tables_;
  std::function<void()> onReady_;
  std::unique_ptr<TListedFiles> files_;  // here between checks, with the worker during one
  std::unique_ptr<TWorker> worker_;
  // Workers done or cancelled, ended when they have finished: one may still be
  // handing its findings over, from inside its own call.
  std::vector<std::unique_ptr<TWorker>> retired_;
  bool ready_ = false;
};

}  // namespace monitor
