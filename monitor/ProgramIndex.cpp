#include "monitor/ProgramIndex.h"

#include <windows.h>

#include <vector>

#include "monitor/Tables.h"

namespace monitor {

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

int TProgramIndex::Find(const toolkit::TListView& list, const std::string& name,
                        const std::string& path) {
  if (!Fresh(list)) Rebuild(list);
  auto it = firstRow_.find(ProgramKey(name, path));
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
    // emplace keeps the first row of a key, as a search from the top would find it.
    firstRow_.emplace(ProgramKey(list.Cell(row, kProgramName), list.Cell(row, kProgramPath)), row);
  }
  list_ = &list;
  generation_ = list.Generation();
  built_ = true;
  ++rebuilds_;
}

}  // namespace monitor
