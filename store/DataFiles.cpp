#include "store/DataFiles.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "store/Records.h"
#include "store/TextFile.h"

namespace store {

const char kProcessListFileName[] = "ProcessList.dat";
const char kLogFileName[] = "Log.dat";
const char kPendingSuffix[] = ".pending";

namespace {

// The texts of what a start could not load, and what became of it.
std::string KeptUnreadMessage(const std::string& pending) {
  return "このファイルは書き換えません。今回の記録は " + pending +
         " に保存し、次に起動したときに取り込みます";
}

std::string TooLargeMessage(const std::string& path, const std::string& keptAs) {
  return "ファイル " + path + " は大きすぎて読み込めません\r\n" + keptAs +
         " として残し、新しいリストで始めます";
}

std::string NotMergedMessage() { return "このファイルは取り込まずに残します"; }

void Tell(std::string& report, const std::string& paragraph) {
  if (!report.empty()) report += "\r\n";
  report += paragraph;
}

// Reads the records of a data file; false for a first line that is not the
// version line. Memory that runs out on the way (a file of more lines than
// the process can hold) makes the file too large, not the program's end.
bool ReadRecords(const std::string& path, TLineBuffer& Memo2, int linesPerRecord,
                 std::vector<TRecord>& records, unsigned long patienceMs) {
  try {
    Memo2.Clear();
    Memo2.SetText(ReadWholeFile(path, patienceMs));
    const bool recognised = RecordsOf(Memo2, linesPerRecord, records);
    Memo2.Clear();
    return recognised;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  Memo2.Clear();
  std::vector<TRecord>().swap(records);
  throw TFileTooLarge(path);
}

void AppendRecord(toolkit::TListView& list, TRecord& record) {
  std::vector<std::string> cells(std::make_move_iterator(record.begin() + 1),
                                 std::make_move_iterator(record.end()));
  list.Add(toolkit::TListItem(std::move(record[0]), std::move(cells)));
  // Given back as the rows grow: a file of nothing but line breaks is millions
  // of records, and the list and its copy must not both be whole at once.
  TRecord().swap(record);
}

// Reads a data file into the list. A record cut short by the end of the file
// reads its missing lines as empty fields.
LoadResult LoadRecords(const std::string& path, TLineBuffer& Memo2, toolkit::TListView& list,
                       int linesPerRecord, unsigned long patienceMs) {
  if (!IsExistingFile(path)) {
    // A folder of that name is no first run: seeding a list that no save can
    // ever write would cost the user every session without a word until its end.
    // It is a file that cannot be read, reported now.
    if (IsTakenPath(path)) throw std::runtime_error(CannotOpenMessage(path));
    return LoadResult::Missing;
  }
  std::vector<TRecord> records;
  try {
    const bool recognised = ReadRecords(path, Memo2, linesPerRecord, records, patienceMs);
    toolkit::TListUpdate hold(list);
    list.Clear();
    if (!recognised) return LoadResult::Unrecognised;
    for (TRecord& record : records) AppendRecord(list, record);
  } catch (const TFileTooLarge&) {
    list.Clear();
    throw;
  } catch (const std::bad_alloc&) {
    std::vector<TRecord>().swap(records);
    list.Clear();
    throw TFileTooLarge(path);
  }
  return LoadResult::Loaded;
}

// The programs of a pending file come into the list: a program the list knows
// (the same file name and full path) takes the pending file's modification and
// last-run times, which are the later ones, and its comment when it has one;
// it keeps the time it was first added. A program the list lacks is appended,
// every row of the pending file as it is.
void MergePrograms(toolkit::TListView& list, std::vector<TRecord>& pending) {
  std::map<std::pair<std::string, std::string>, int> rows;
  for (int row = 0; row < list.Count(); ++row)
    rows.emplace(std::make_pair(list.Cell(row, kProgramNameField),
                                list.Cell(row, kProgramPathField)),
                 row);
  toolkit::TListUpdate hold(list);
  for (TRecord& record : pending) {
    auto found = rows.find(std::make_pair(record[kProgramNameField], record[kProgramPathField]));
    if (found == rows.end()) {
      AppendRecord(list, record);
      continue;
    }
    const int row = found->second;
    list.SetCell(row, kProgramModifiedField, record[kProgramModifiedField]);
    list.SetCell(row, kProgramLastRunField, record[kProgramLastRunField]);
    if (!record[kProgramCommentField].empty())
      list.SetCell(row, kProgramCommentField, record[kProgramCommentField]);
  }
}

// The entries of a pending file follow the log's, being the later ones. A log
// that holds them already (a start ended between writing the log and removing
// the pending file) does not take them twice.
void MergeLog(toolkit::TListView& log, std::vector<TRecord>& pending) {
  auto same = [](const toolkit::TListItem& row, const TRecord& record) {
    for (int field = 0; field < kLogFields; ++field)
      if (row.Cell(field) != record[field]) return false;
    return true;
  };
  const std::vector<toolkit::TListItem>& rows = log.Items();
  if (!pending.empty() &&
      std::search(rows.begin(), rows.end(), pending.begin(), pending.end(), same) != rows.end())
    return;
  toolkit::TListUpdate hold(log);
  for (TRecord& record : pending) AppendRecord(log, record);
}

struct TFileKind {
  const char* Name;
  int Fields;
  TDataFileState DataFilesState::*State;
  void (*Merge)(toolkit::TListView&, std::vector<TRecord>&);
};

constexpr TFileKind kProcessListKind = {kProcessListFileName, kProgramFields,
                                        &DataFilesState::ProcessList, &MergePrograms};
constexpr TFileKind kLogKind = {kLogFileName, kLogFields, &DataFilesState::Log, &MergeLog};

const TFileKind& KindOf(TDataFile file) {
  return file == TDataFile::ProcessList ? kProcessListKind : kLogKind;
}

std::string PathOf(const std::string& folder, const TFileKind& kind) {
  return folder + "\\" + kind.Name;
}

// Loads the data file itself into the list, noting what that made of it.
LoadResult LoadMain(const std::string& folder, const TFileKind& kind, TLineBuffer& Memo2,
                    toolkit::TListView& list, DataFilesState& states, unsigned long patienceMs) {
  TDataFileState& state = states.*kind.State;
  state = TDataFileState();
  const LoadResult result = LoadRecords(PathOf(folder, kind), Memo2, list, kind.Fields, patienceMs);
  state.Loaded = result != LoadResult::Unrecognised;
  state.InStep = result != LoadResult::Missing;
  return result;
}

void SaveDataFile(const std::string& folder, TDataFile file, const toolkit::TListView& list,
                  DataFilesState& state) {
  const TFileWrite write = DataFileWrite(folder, file, list, state);
  ReplaceWholeFile(write.Path, write.Bytes, write.KeepOld);
  DataFileWritten(folder, file, state);
}

// Loads a data file and its pending file into the list; what the user must be
// told goes into the report. The result tells a missing file that nothing took
// the place of (a first run, for the process list).
LoadResult LoadDataFile(const std::string& folder, const TFileKind& kind, TLineBuffer& Memo2,
                        toolkit::TListView& list, DataFilesState& states,
                        unsigned long patienceMs, std::string& report) {
  TDataFileState& state = states.*kind.State;
  const std::string path = PathOf(folder, kind);
  const std::string pending = PendingPath(path);
  LoadResult result = LoadResult::Unrecognised;
  try {
    result = LoadMain(folder, kind, Memo2, list, states, patienceMs);
  } catch (const TFileTooLarge&) {
    // It can never be loaded by this program, and its name is wanted for the
    // list that goes on: it moves aside, whole, under a name the user is told.
    const std::string keptAs = MoveAside(path);
    if (keptAs.empty()) {
      state.ToPending = true;
      Tell(report, TooLargeMessage(path, path) + "\r\n" + KeptUnreadMessage(pending));
    } else {
      state.Loaded = true;
      Tell(report, TooLargeMessage(path, keptAs));
    }
  } catch (const std::runtime_error& e) {
    state.ToPending = true;
    Tell(report, std::string(e.what()) + "\r\n" + KeptUnreadMessage(pending));
  }

  if (state.ToPending) {
    // The session goes on from what earlier sessions kept in the pending file
    // (and from what a first run has just seeded, if anything).
    const bool empty = list.Count() == 0;
    state.Loaded = true;
    state.InStep = empty;
    if (!IsTakenPath(pending)) return LoadResult::Unrecognised;
    try {
      std::vector<TRecord> records;
      state.Loaded = ReadRecords(pending, Memo2, kind.Fields, records, patienceMs);
      if (state.Loaded) kind.Merge(list, records);
      state.InStep = state.Loaded && empty;
    } catch (const std::exception& e) {
      // Neither can be read: the pending file is copied aside before it is replaced.
      state.Loaded = false;
      state.InStep = false;
      Tell(report, e.what());
    }
    return LoadResult::Unrecognised;
  }

  if (!IsTakenPath(pending)) return result;
  try {
    std::vector<TRecord> records;
    // A pending file of another form is not ours to merge; it stays as it is.
    if (!ReadRecords(pending, Memo2, kind.Fields, records, patienceMs)) return result;
    kind.Merge(list, records);
    state.PendingMerged = true;
    state.InStep = false;
    if (result == LoadResult::Missing) result = LoadResult::Loaded;  // no first run after all
  } catch (const std::exception& e) {  // unreadable, too large, or no memory to merge
    Tell(report, CannotOpenMessage(pending) + "\r\n" + NotMergedMessage());
  }
  return result;
}

}  // namespace

std::string ProcessListPath(const std::string& folder) { return PathOf(folder, kProcessListKind); }

std::string LogPath(const std::string& folder) { return PathOf(folder, kLogKind); }

std::string PendingPath(const std::string& path) { return path + kPendingSuffix; }

LoadResult LoadProcessList(const std::string& folder, TLineBuffer& Memo2,
                           toolkit::TListView& ListView2, DataFilesState& state,
                           unsigned long patienceMs) {
  return LoadMain(folder, kProcessListKind, Memo2, ListView2, state, patienceMs);
}

LoadResult LoadLog(const std::string& folder, TLineBuffer& Memo2, toolkit::TListView& ListView3,
                   DataFilesState& state, unsigned long patienceMs) {
  return LoadMain(folder, kLogKind, Memo2, ListView3, state, patienceMs);
}

std::string LoadDataFiles(const std::string& folder, TLineBuffer& Memo2, const TDataLists& lists,
                          DataFilesState& state, const std::function<void()>& seedFirstRun,
                          unsigned long patienceMs) {
  // A process list that cannot be read counts as an empty list, not as a first
  // run, and costs the log nothing.
  std::string report;
  const LoadResult list = LoadDataFile(folder, kProcessListKind, Memo2, lists.ProcessList, state,
                                       patienceMs, report);
  if (list == LoadResult::Missing && seedFirstRun) seedFirstRun();
  // A log file replaces the entries the seeding has just written.
  LoadDataFile(folder, kLogKind, Memo2, lists.Log, state, patienceMs, report);
  return report;
}

std::string RecordsText(const toolkit::TListView& list, int fields) {
  // Sized first and filled by copies: a list of 100,000 programs is megabytes,
  // composed on the user-interface thread at every periodic write.
  static const char kBreak[] = "\r\n";
  const size_t versionBytes = std::char_traits<char>::length(kDataVersion);
  size_t size = versionBytes + 2;
  for (const toolkit::TListItem& row : list.Items())
    for (int field = 0; field < fields; ++field) size += row.Cell(field).size() + 2;
  std::string text(size, '\0');
  char* out = &text[0];
  auto line = [&out](const char* bytes, size_t count) {
    std::memcpy(out, bytes, count);
    out += count;
    std::memcpy(out, kBreak, 2);
    out += 2;
  };
  line(kDataVersion, versionBytes);
  for (const toolkit::TListItem& row : list.Items())
    for (int field = 0; field < fields; ++field) {
      const std::string& cell = row.Cell(field);
      line(cell.data(), cell.size());
    }
  return text;
}

TFileWrite DataFileWrite(const std::string& folder, TDataFile file,
                         const toolkit::TListView& list, const DataFilesState& state) {
  const TFileKind& kind = KindOf(file);
  const TDataFileState& fileState = state.*kind.State;
  const std::string path = PathOf(folder, kind);
  return {fileState.ToPending ? PendingPath(path) : path, RecordsText(list, kind.Fields),
          !fileState.Loaded};
}

void DataFileWritten(const std::string& folder, TDataFile file, DataFilesState& state) {
  const TFileKind& kind = KindOf(file);
  TDataFileState& fileState = state.*kind.State;
  // The file now holds the list: a second save needs no copy of it.
  fileState.Loaded = true;
  if (fileState.PendingMerged && !fileState.ToPending) {
    RemoveFile(PendingPath(PathOf(folder, kind)));
    fileState.PendingMerged = false;
  }
}

void SaveProcessList(const std::string& folder, const toolkit::TListView& ListView2,
                     DataFilesState& state) {
  SaveDataFile(folder, TDataFile::ProcessList, ListView2, state);
}

void SaveLog(const std::string& folder, const toolkit::TListView& ListView3,
             DataFilesState& state) {
  SaveDataFile(folder, TDataFile::Log, ListView3, state);
}

void SaveDataFiles(const std::string& folder, const TDataLists& lists, DataFilesState& state) {
  SaveProcessList(folder, lists.ProcessList, state);
  SaveLog(folder, lists.Log, state);
}

}  // namespace store
