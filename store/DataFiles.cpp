#include "store/DataFiles.h"

#include <exception>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "store/Records.h"
#include "store/TextFile.h"

namespace store {

const char kProcessListFileName[] = "ProcessList.dat";
const char kLogFileName[] = "Log.dat";

namespace {

// Reads a data file into the line buffer and its rows into the list. A record cut
// short by the end of the file reads its missing lines as empty fields.
LoadResult LoadRecords(const std::string& path, TLineBuffer& Memo2, toolkit::TListView& list,
                       int linesPerRecord, bool& loaded) {
  if (!IsExistingFile(path)) {
    // A folder of that name is no first run: seeding a list that no save can
    // ever write would cost the user every session without a word until its end.
    // It is a file that cannot be read, reported now.
    if (IsTakenPath(path)) throw std::runtime_error(CannotOpenMessage(path));
    loaded = true;  // nothing there that a save could destroy
    return LoadResult::Missing;
  }
  Memo2.Clear();
  Memo2.SetText(ReadWholeFile(path));
  std::vector<TRecord> records;
  const bool recognised = RecordsOf(Memo2, linesPerRecord, records);
  toolkit::TListUpdate hold(list);
  list.Clear();
  if (!recognised) return LoadResult::Unrecognised;
  for (TRecord& record : records) {
    std::vector<std::string> cells(std::make_move_iterator(record.begin() + 1),
                                   std::make_move_iterator(record.end()));
    list.Add(toolkit::TListItem(std::move(record[0]), std::move(cells)));
    // Given back as the rows grow: a file of nothing but line breaks is millions
    // of records, and the list and its copy must not both be whole at once.
    TRecord().swap(record);
  }
  loaded = true;
  return LoadResult::Loaded;
}

void SaveRecords(const std::string& path, TLineBuffer& Memo2, const toolkit::TListView& list,
                 int linesPerRecord, bool& loaded) {
  Memo2.Clear();
  Memo2.Add(kDataVersion);
  for (const toolkit::TListItem& row : list.Items())
    for (int column = 0; column < linesPerRecord; ++column) Memo2.Add(row.Cell(column));
  ReplaceWholeFile(path, Memo2.Text(), !loaded);
  // The file now holds the list: a second save needs no copy of it.
  loaded = true;
}

}  // namespace

std::string ProcessListPath(const std::string& folder) {
  return folder + "\\" + kProcessListFileName;
}

std::string LogPath(const std::string& folder) { return folder + "\\" + kLogFileName; }

LoadResult LoadProcessList(const std::string& folder, TLineBuffer& Memo2,
                           toolkit::TListView& ListView2, DataFilesState& state) {
  return LoadRecords(ProcessListPath(folder), Memo2, ListView2, kProgramFields,
                     state.ProcessListLoaded);
}

LoadResult LoadLog(const std::string& folder, TLineBuffer& Memo2, toolkit::TListView& ListView3,
                   DataFilesState& state) {
  return LoadRecords(LogPath(folder), Memo2, ListView3, kLogFields, state.LogLoaded);
}

void LoadDataFiles(const std::string& folder, TLineBuffer& Memo2, const TDataLists& lists,
                   DataFilesState& state, const std::function<void()>& seedFirstRun) {
  // A process list that cannot be read counts as an empty list, not as a first
  // run. Its error waits until the log is loaded: one unreadable file must not
  // cost the other, and start-up goes on from the error box.
  std::exception_ptr listError;
  LoadResult list = LoadResult::Loaded;
  try {
    list = LoadProcessList(folder, Memo2, lists.ProcessList, state);
  } catch (const std::runtime_error&) {
    listError = std::current_exception();
  }
  if (list == LoadResult::Missing && seedFirstRun) seedFirstRun();
  // A log file replaces the entries the seeding has just written.
  try {
    LoadLog(folder, Memo2, lists.Log, state);
  } catch (const std::runtime_error&) {
    if (!listError) throw;
  }
  if (listError) std::rethrow_exception(listError);
}

void SaveProcessList(const std::string& folder, TLineBuffer& Memo2,
                     const toolkit::TListView& ListView2, DataFilesState& state) {
  SaveRecords(ProcessListPath(folder), Memo2, ListView2, kProgramFields, state.ProcessListLoaded);
}

void SaveLog(const std::string& folder, TLineBuffer& Memo2, const toolkit::TListView& ListView3,
             DataFilesState& state) {
  SaveRecords(LogPath(folder), Memo2, ListView3, kLogFields, state.LogLoaded);
}

void SaveDataFiles(const std::string& folder, TLineBuffer& Memo2, const TDataLists& lists,
                   DataFilesState& state) {
  SaveProcessList(folder, Memo2, lists.ProcessList, state);
  SaveLog(folder, Memo2, lists.Log, state);
}

}  // namespace store
