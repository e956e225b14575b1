// A program is known by its file name and full path, each compared without regard
// to letter case by the user locale (CompareStringA, NORM_IGNORECASE). The process
// list can hold a hundred thousand programs and the timed cycle compares every few
// seconds, so the first row of a program is not searched for row by row:
// TProgramIndex maps the locale's case-blind sort key of (name, path) to the first
// row that has it. The sort key of a text is equal to another's exactly when
// CompareStringA finds the two texts equal, so the index finds the very row a
// search from the top would.
#pragma once

#include <string>
#include <unordered_map>

#include "toolkit/ListView.h"

namespace monitor {

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

// The first process-list row of each program identity. The list view counts every
// change of its rows, and the index follows that count: any change it did not make
// itself (rows added, deleted, sorted or edited elsewhere, a reload) makes it
// rebuild itself at the next lookup, which costs one pass over the list; the
// comparison's own changes keep it valid.
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

}  // namespace monitor
