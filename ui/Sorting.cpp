#include "ui/Sorting.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace ui {

namespace {

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

}  // namespace

// Lowering is done once per row, not once per comparison: on a list of 100,000
// rows that is the bulk of the work.
std::vector<int> OrderByColumn(const toolkit::TListView& view, int column, bool descending) {
  std::vector<std::string> keys;
  keys.reserve(static_cast<size_t>(view.Count()));
  for (const toolkit::TListItem& row : view.Items()) keys.push_back(Lowered(row.Cell(column)));
  std::vector<int> order(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&keys, descending](int x, int y) {
    const int c = CompareLowered(keys[static_cast<size_t>(x)], keys[static_cast<size_t>(y)]);
    return descending ? c > 0 : c < 0;
  });
  return order;
}

int CompareSortKeys(const std::string& a, const std::string& b) {
  return CompareLowered(Lowered(a), Lowered(b));
}

void SortCurrentProcesses(monitor::TTables& tables, toolkit::TStringList& ListBox2, int column) {
  if (column == monitor::kCurrentSpare) return;
  std::vector<int> order = OrderByColumn(tables.CurrentProcesses, column);
  tables.CurrentProcesses.Reorder(order);
  // Each identifier goes where its row went.
  ListBox2.Clear();
  for (const std::string& pid : tables.CurrentPids.Items()) ListBox2.Add(pid);
  tables.CurrentPids.Clear();
  for (int from : order)
    tables.CurrentPids.Add(from < ListBox2.Count() ? ListBox2[from] : std::string());
}

void SortProcessList(toolkit::TListView& processList, int column) {
  processList.Reorder(OrderByColumn(processList, column));
}

}  // namespace ui
