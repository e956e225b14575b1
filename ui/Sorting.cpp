#include "ui/Sorting.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace ui {

namespace {

constexpr int kSpareColumn = 3;

std::string Lowered(const std::string& text) {
  std::string lowered = text;
  if (!lowered.empty()) ::CharLowerBuffA(&lowered[0], static_cast<DWORD>(lowered.size()));
  return lowered;
}

unsigned char Folded(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 0x20) : b;
}

int CompareLowered(const std::string& x, const std::string& y) {
  if (x == y) return 0;  // the sort is stable: equal keys keep their order
  // Only the bytes up to and including the first difference count; a key that
  // ends before it stays whole.
  size_t i = 0;
  while (i < x.size() && i < y.size() && x[i] == y[i]) ++i;
  size_t xn = std::min(x.size(), i + 1);
  size_t yn = std::min(y.size(), i + 1);
  for (size_t k = 0; k < xn && k < yn; ++k) {
    unsigned char p = Folded(x[k]);
    unsigned char q = Folded(y[k]);
    if (p != q) return p < q ? -1 : 1;
  }
  if (xn == yn) return 0;
  return xn < yn ? -1 : 1;
}

// Sorts the rows by the lowered text of a column. Lowering is done once per row,
// not once per comparison: on a list of 100,000 rows that is the bulk of the work.
void SortByColumn(toolkit::TListView& view, int column) {
  std::vector<std::string> keys;
  keys.reserve(static_cast<size_t>(view.Count()));
  for (int i = 0; i < view.Count(); ++i) keys.push_back(Lowered(view[i].Cell(column)));
  std::vector<int> order(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&keys](int x, int y) {
    return CompareLowered(keys[static_cast<size_t>(x)], keys[static_cast<size_t>(y)]) < 0;
  });
  view.Reorder(order);
}

}  // namespace

int CompareSortKeys(const std::string& a, const std::string& b) {
  return CompareLowered(Lowered(a), Lowered(b));
}

void SortCurrentProcesses(toolkit::TListView& ListView1, toolkit::TStringList& CurrentPids,
                          toolkit::TStringList& ListBox2, int column) {
  if (column == kSpareColumn) return;
  ListBox2.Clear();
  for (const std::string& pid : CurrentPids.Items()) ListBox2.Add(pid);
  CurrentPids.Clear();
  // Each row carries its old index in the spare cell through the sort, so its
  // identifier can be found again afterwards.
  for (int i = 0; i < ListView1.Count(); ++i) {
    ListView1[i].SetCell(kSpareColumn, std::to_string(i));
    CurrentPids.Add(std::string());
  }
  SortByColumn(ListView1, column);
  for (int i = 0; i < ListView1.Count(); ++i) {
    int n = std::stoi(ListView1[i].Cell(kSpareColumn));
    CurrentPids[i] = n < ListBox2.Count() ? ListBox2[n] : std::string();
    ListView1[i].SetCell(kSpareColumn, std::string());
  }
  ListView1.Changed();
}

void SortProcessList(toolkit::TListView& ListView2, int column) {
  SortByColumn(ListView2, column);
}

}  // namespace ui
