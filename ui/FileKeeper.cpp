#include "ui/FileKeeper.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace ui {

TFileKeeper::TFileKeeper(std::string folder, monitor::TTables& tables,
                         const store::TSettingsControls& settings)
    : folder_(std::move(folder)), tables_(tables), settings_(settings) {}

void TFileKeeper::Loaded(uint64_t nowMs) {
  list_ = DataFiles.ProcessList.InStep ? MarkNow(TFile::ProcessList) : TListMark();
  log_ = DataFiles.Log.InStep ? MarkNow(TFile::Log) : TListMark();
  settingsText_ = store::SettingsText(settings_, SettingsFile);
  settingsValid_ = true;
  schedule_ = store::TSaveSchedule(nowMs);
}

TFileKeeper::TListMark TFileKeeper::MarkNow(TFile file) const {
  if (file == TFile::ProcessList)
    return {true, tables_.ProcessList.Generation(), tables_.LastRunStamps};
  return {true, tables_.Log.Generation(), 0};
}

store::TUnsaved TFileKeeper::UnsavedOf(TFile file) const {
  using store::TUnsaved;
  if (file == TFile::Settings) {
    if (SettingsFile.Unreadable) return TUnsaved::Nothing;  // never written in this run
    return settingsValid_ && store::SettingsText(settings_, SettingsFile) == settingsText_
               ? TUnsaved::Nothing
               : TUnsaved::Changes;
  }
  const TListMark& mark = file == TFile::ProcessList ? list_ : log_;
  const TListMark now = MarkNow(file);
  if (!mark.Valid) return TUnsaved::Changes;
  if (now.Generation == mark.Generation) return TUnsaved::Nothing;
  // Each stamp of a last-run time is one change of the list; any other change
  // makes the two counts part.
  return now.Generation - mark.Generation == now.Stamps - mark.Stamps ? TUnsaved::LastRunTimes
                                                                      : TUnsaved::Changes;
}

store::TUnsaved TFileKeeper::Unsaved() const {
  store::TUnsaved most = store::TUnsaved::Nothing;
  for (TFile file : {TFile::ProcessList, TFile::Log, TFile::Settings}) {
    const store::TUnsaved unsaved = UnsavedOf(file);
    if (unsaved > most) most = unsaved;
  }
  return most;
}

void TFileKeeper::Plan(TFile file, std::vector<store::TFileWrite>& batch) {
  TPlanned planned{file, {}, {}};
  if (file == TFile::Settings) {
    store::TFileWrite write =
        store::SettingsWrite(store::SettingsPath(folder_), settings_, SettingsFile);
    if (write.Path.empty()) return;  // a file that could not be read is never replaced
    planned.SettingsText = write.Bytes;
    batch.push_back(std::move(write));
  } else {
    const bool isList = file == TFile::ProcessList;
    try {
      batch.push_back(store::DataFileWrite(
          folder_, isList ? store::TDataFile::ProcessList : store::TDataFile::Log,
          isList ? tables_.ProcessList : tables_.Log, DataFiles));
    } catch (const std::bad_alloc&) {
      // The text of a list near the memory's end may not fit beside it.
      throw std::runtime_error(store::CannotCreateMessage(
          isList ? store::ProcessListPath(folder_) : store::LogPath(folder_)));
    }
    planned.Mark = MarkNow(file);
  }
  planned_.push_back(std::move(planned));
}

std::vector<store::TFileWrite> TFileKeeper::Compose(std::initializer_list<TFile> files, bool all,
                                                    std::string& composeError) {
  planned_.clear();
  std::vector<store::TFileWrite> batch;
  for (TFile file : files) {
    if (!all && UnsavedOf(file) == store::TUnsaved::Nothing) continue;
    try {
      Plan(file, batch);
    } catch (const std::exception& e) {
      // A settings file made read-only, or no memory for a text: the other
      // files go all the same.
      if (composeError.empty()) composeError = e.what();
    }
  }
  return batch;
}

void TFileKeeper::Commit(const store::TWriteOutcome& outcome) {
  for (size_t i = 0; i < outcome.Written && i < planned_.size(); ++i) {
    const TPlanned& planned = planned_[i];
    switch (planned.File) {
      case TFile::ProcessList:
        list_ = planned.Mark;
        store::DataFileWritten(folder_, store::TDataFile::ProcessList, DataFiles);
        break;
      case TFile::Log:
        log_ = planned.Mark;
        store::DataFileWritten(folder_, store::TDataFile::Log, DataFiles);
        break;
      case TFile::Settings:
        settingsText_ = planned.SettingsText;
        settingsValid_ = true;
        SettingsFile.Loaded = true;
        break;
    }
  }
  planned_.clear();
}

void TFileKeeper::Check(uint64_t nowMs,
                        const std::function<void(const std::string&)>& report) {
  // One box for a failing disk or a read-only settings file, not one every half
  // minute: each is told again only after it went away.
  auto tell = [&report](const std::string& error, bool& told) {
    if (error.empty()) {
      told = false;
    } else if (!told) {
      told = true;
      if (report) report(error);
    }
  };
  store::TWriteOutcome outcome;
  if (writer_.Take(outcome, false)) {
    Commit(outcome);
    tell(outcome.Error, writeToldFailing_);
  }
  if (writer_.Busy() || !schedule_.Due(Unsaved(), nowMs)) return;
  schedule_.Began(nowMs);
  std::string composeError;
  std::vector<store::TFileWrite> batch =
      Compose({TFile::ProcessList, TFile::Log, TFile::Settings}, false, composeError);
  if (!batch.empty()) writer_.Write(std::move(batch));
  tell(composeError, composeToldFailing_);
}

void TFileKeeper::Finish() {
  store::TWriteOutcome outcome;
  if (writer_.Take(outcome, true)) Commit(outcome);
}

void TFileKeeper::WriteNow(std::initializer_list<TFile> files, bool all) {
  std::string composeError;
  const store::TWriteOutcome outcome = store::WriteFiles(Compose(files, all, composeError));
  Commit(outcome);
  if (!outcome.Error.empty()) throw std::runtime_error(outcome.Error);
  if (!composeError.empty()) throw std::runtime_error(composeError);
}

void TFileKeeper::SaveChanged() {
  Finish();
  WriteNow({TFile::ProcessList, TFile::Log, TFile::Settings}, false);
}

void TFileKeeper::SaveDataFiles() {
  Finish();
  WriteNow({TFile::ProcessList, TFile::Log}, true);
}

void TFileKeeper::SaveSettings() {
  Finish();
  WriteNow({TFile::Settings}, true);
}

}  // namespace ui
