// The comparison merges the current-process table into the process list: a program
// seen for the first time is added, one whose executable changed is updated, every
// one seen gets its last-run time, and each addition and update goes into the log.
//
// A program is known by its file name and full path, each compared without regard
// to letter case by the user locale (CompareStringA, NORM_IGNORECASE). The list can
// hold a hundred thousand programs and the timed cycle compares every few seconds,
// so the first matching row is not searched for row by row: TProgramIndex maps the
// locale's case-blind sort key of (name, path) to the first row that has it. The
// sort key of a text is equal to another's exactly when CompareStringA finds the
// two texts equal, so the index finds the very row a search from the top would.
#pragma once

#include <string>
#include <unordered_map>

#include "toolkit/ListView.h"

namespace monitor {

// Columns of the process list (ListView2).
enum ProgramColumn {
  kProgramName = 0,
  kProgramPath = 1,
  kProgramModified = 2,
  kProgramAdded = 3,
  kProgramLastRun = 4,
  kProgramComment = 5,
};

// Columns of the event log (ListView3). The fifth, caption-less column stays empty.
enum LogColumn { kLogTime = 0, kLogName = 1, kLogKind = 2, kLogDetail = 3 };

// The user locale's case-blind equality of two texts (CompareStringA with
// NORM_IGNORECASE under LOCALE_USER_DEFAULT).
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

// The user locale's case-blind sort key of a text (LCMapStringA with LCMAP_SORTKEY |
// NORM_IGNORECASE): equal for two texts exactly when SameTextIgnoringCase holds.
std::string IdentityKey(const std::string& text);

// The key of a program's identity: the keys of its file name and its full path.
// A sort key holds no zero byte but its terminating one, so the pair cannot be
// confused with another pair whose texts split differently.
std::string ProgramKey(const std::string& name, const std::string& path);

// Whether an ignored-folder text occurs in a path: case-sensitive, anywhere in the
// path, but only where it starts and ends on a character boundary of the CP932
// text, so a trail byte of a double-byte character is never taken as the start of
// a match. An empty text matches nothing.
bool ContainsAtCharBoundary(const std::string& path, const std::string& entry);

// Whether any row of the ignored-folder list (ListView4) occurs in the path.
bool IsIgnoredPath(const std::string& path, const toolkit::TListView& ListView4);

// The first process-list row of each program identity. It follows the list through
// the list's generation: any change it did not make itself (rows added, deleted,
// sorted or edited elsewhere, a reload) makes it rebuild itself at the next lookup,
// which costs one pass over the list; the comparison's own changes keep it valid.
class TProgramIndex {
public:
  // The first row of `list` whose file name and full path equal `name` and `path`
  // without regard to letter case, or -1: the row a search from the top finds.
  int Find(const toolkit::TListView& list, const std::string& name, const std::string& path);

  // Records a row just appended to `list` by the caller, whose Find for its identity
  // came just before and found none; the caller vouches that the list changed in
  // nothing else since.
  void Appended(const toolkit::TListView& list, const std::string& name, const std::string& path);

  // Tells the index that, since its last Find, the caller changed only cells of
  // `list` that are no part of a program's identity: no rebuild is called for.
  void TouchedOtherCells(const toolkit::TListView& list);

  // How many times the index has been built from the whole list (for tests and the
  // benchmark).
  int Rebuilds() const { return rebuilds_; }

private:
  void Rebuild(const toolkit::TListView& list);
  bool Fresh(const toolkit::TListView& list) const {
    return built_ && list_ == &list && generation_ == list.Generation();
  }

  std::unordered_map<std::string, int> firstRow_;
  const toolkit::TListView* list_ = nullptr;
  unsigned generation_ = 0;
  bool built_ = false;
  int rebuilds_ = 0;
};

// Merges the current-process table (ListView1) into the process list (ListView2)
// and the event log (ListView3); rows whose path lies in an ignored folder
// (ListView4) are passed over. `maxLogRows` is the maximum number of log rows
// (SpinEdit2). Sets AddedCount and UpdatedCount to the numbers of this run.
void ListFileCompares(const toolkit::TListView& ListView1, const std::string& SnapshotTime,
                      const toolkit::TListView& ListView4, int maxLogRows,
                      toolkit::TListView& ListView2, toolkit::TListView& ListView3,
                      int& AddedCount, int& UpdatedCount, TProgramIndex& index);

// The same with an index of its own for this one run.
void ListFileCompares(const toolkit::TListView& ListView1, const std::string& SnapshotTime,
                      const toolkit::TListView& ListView4, int maxLogRows,
                      toolkit::TListView& ListView2, toolkit::TListView& ListView3,
                      int& AddedCount, int& UpdatedCount);

}  // namespace monitor
