#include "monitor/Comparison.h"

#include <windows.h>

#include <vector>

#include "toolkit/Cp932.h"
#include "toolkit/DateTimeText.h"

namespace monitor {

namespace {

const char kAdded[] = "追加";
const char kUpdated[] = "更新";
const char kArrow[] = ")→(";

void AppendLogEntry(toolkit::TListView& ListView3, const std::string& name, const char* kind,
                    std::string detail) {
  toolkit::TListItem& row = ListView3.Add(toolkit::NowText());
  row.SubItems = {name, kind, std::move(detail)};
}

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string IdentityKey(const std::string& text) {
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  // LCMapStringA refuses a length of 0; the terminated empty text has the key that
  // CompareStringA gives every text it finds equal to empty.
  const char* source = text.empty() ? "" : text.data();
  int length = text.empty() ? -1 : static_cast<int>(text.size());
  char local[512];
  int n = ::LCMapStringA(LOCALE_USER_DEFAULT, flags, source, length, local, sizeof local);
  if (n > 0) return std::string(local, static_cast<size_t>(n));
  n = ::LCMapStringA(LOCALE_USER_DEFAULT, flags, source, length, nullptr, 0);
  if (n <= 0) return std::string(1, '\0') + text;  // not expected; still a key of its own
  std::vector<char> key(static_cast<size_t>(n));
  n = ::LCMapStringA(LOCALE_USER_DEFAULT, flags, source, length, key.data(), n);
  return std::string(key.data(), static_cast<size_t>(n > 0 ? n : 0));
}

std::string ProgramKey(const std::string& name, const std::string& path) {
  return IdentityKey(name) + IdentityKey(path);
}

bool ContainsAtCharBoundary(const std::string& path, const std::string& entry) {
  if (entry.empty() || entry.size() > path.size()) return false;
  // Walk the path a character at a time: only the start of a character may start
  // a match, and the match must not end inside a double-byte character.
  size_t i = 0;
  while (i + entry.size() <= path.size()) {
    if (path.compare(i, entry.size(), entry) == 0) {
      size_t end = i + entry.size();
      size_t j = i;
      while (j < end) j += toolkit::cp932::CharSize(path, j);
      if (j == end) return true;
    }
    i += toolkit::cp932::CharSize(path, i);
  }
  return false;
}

bool IsIgnoredPath(const std::string& path, const toolkit::TListView& ListView4) {
  for (const toolkit::TListItem& folder : ListView4.Items())
    if (ContainsAtCharBoundary(path, folder.Caption)) return true;
  return false;
}

int TProgramIndex::Find(const toolkit::TListView& list, const std::string& name,
                        const std::string& path) {
  if (!Fresh(list)) Rebuild(list);
  auto it = firstRow_.find(ProgramKey(name, path));
  if (it == firstRow_.end()) return -1;
  int row = it->second;
  // Rows edited through operator[] without Changed() slip past the generation;
  // the row found must still be what the index says it is.
  if (row < list.Count()) {
    const toolkit::TListItem& item = list[row];
    const std::string& storedName = item.Cell(kProgramName);
    const std::string& storedPath = item.Cell(kProgramPath);
    if ((storedName == name || SameTextIgnoringCase(storedName, name)) &&
        (storedPath == path || SameTextIgnoringCase(storedPath, path)))
      return row;
  }
  Rebuild(list);
  it = firstRow_.find(ProgramKey(name, path));
  return it == firstRow_.end() ? -1 : it->second;
}

void TProgramIndex::Appended(const toolkit::TListView& list, const std::string& name,
                             const std::string& path) {
  if (!built_ || list_ != &list) return;
  firstRow_.emplace(ProgramKey(name, path), list.Count() - 1);
  generation_ = list.Generation();
}

void TProgramIndex::TouchedOtherCells(const toolkit::TListView& list) {
  if (built_ && list_ == &list) generation_ = list.Generation();
}

void TProgramIndex::Rebuild(const toolkit::TListView& list) {
  firstRow_.clear();
  firstRow_.reserve(static_cast<size_t>(list.Count()));
  for (int row = 0; row < list.Count(); ++row) {
    const toolkit::TListItem& item = list[row];
    // emplace keeps the first row of a key, as a search from the top would find it.
    firstRow_.emplace(ProgramKey(item.Cell(kProgramName), item.Cell(kProgramPath)), row);
  }
  list_ = &list;
  generation_ = list.Generation();
  built_ = true;
  ++rebuilds_;
}

void ListFileCompares(const toolkit::TListView& ListView1, const std::string& SnapshotTime,
                      const toolkit::TListView& ListView4, int maxLogRows,
                      toolkit::TListView& ListView2, toolkit::TListView& ListView3,
                      int& AddedCount, int& UpdatedCount, TProgramIndex& index) {
  AddedCount = 0;
  UpdatedCount = 0;
  {
    // Repainted once at the end; the scroll below needs the rows counted in again.
    toolkit::TListUpdate holdList(ListView2);
    toolkit::TListUpdate holdLog(ListView3);

    // The log is cut back to the maximum before anything is added, so entries that
    // the last deletion check or additions put over it go first.
    while (ListView3.Count() > maxLogRows) ListView3.Delete(0);

    for (const toolkit::TListItem& current : ListView1.Items()) {
      const std::string& path = current.Cell(1);
      if (IsIgnoredPath(path, ListView4)) continue;
      const std::string& name = current.Cell(0);
      const std::string& time = current.Cell(2);

      int row = index.Find(ListView2, name, path);
      if (row >= 0 && ListView2[row].Cell(kProgramModified) == time) {
        ListView2.SetCell(row, kProgramLastRun, SnapshotTime);
        index.TouchedOtherCells(ListView2);
      } else if (row >= 0) {
        std::string old = ListView2[row].Cell(kProgramModified);
        ListView2.SetCell(row, kProgramModified, time);
        ListView2.SetCell(row, kProgramLastRun, SnapshotTime);
        index.TouchedOtherCells(ListView2);
        // An update keeps the log at the maximum; only additions may take it over.
        if (ListView3.Count() > 0 && ListView3.Count() >= maxLogRows) ListView3.Delete(0);
        AppendLogEntry(ListView3, name, kUpdated, "(" + old + kArrow + time + ")");
        ++UpdatedCount;
      } else {
        // Appended before the next process is compared, so a second process of the
        // same new program finds this row and is not added again.
        toolkit::TListItem& added = ListView2.Add(name);
        added.SubItems = {path, time, toolkit::NowText(), SnapshotTime, std::string()};
        index.Appended(ListView2, name, path);
        AppendLogEntry(ListView3, name, kAdded, std::string());
        ++AddedCount;
      }
    }
  }
  if (ListView3.Count() > 0) ListView3.MakeVisible(ListView3.Count() - 1);
}

void ListFileCompares(const toolkit::TListView& ListView1, const std::string& SnapshotTime,
                      const toolkit::TListView& ListView4, int maxLogRows,
                      toolkit::TListView& ListView2, toolkit::TListView& ListView3,
                      int& AddedCount, int& UpdatedCount) {
  TProgramIndex index;
  ListFileCompares(ListView1, SnapshotTime, ListView4, maxLogRows, ListView2, ListView3,
                   AddedCount, UpdatedCount, index);
}

}  // namespace monitor
