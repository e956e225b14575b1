#include "ui/Sorting.h"

#include <windows.h>

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

int CompareRows(const toolkit::TListItem& a, const toolkit::TListItem& b, int column) {
  return CompareSortKeys(a.Cell(column), b.Cell(column));
}

}  // namespace

int CompareSortKeys(const std::string& a, const std::string& b) {
  std::string x = Lowered(a);
  std::string y = Lowered(b);
  if (x == y) return 0;  // the sort is stable: equal keys keep their order
  // Cut both after the first byte where they differ; a key that ends before it
  // stays whole.
  size_t i = 0;
  while (i < x.size() && i < y.size() && x[i] == y[i]) ++i;
  x.resize(std::min(x.size(), i + 1));
  y.resize(std::min(y.size(), i + 1));
  for (size_t k = 0; k < x.size() && k < y.size(); ++k) {
    unsigned char p = Folded(x[k]);
    unsigned char q = Folded(y[k]);
    if (p != q) return p < q ? -1 : 1;
  }
  if (x.size() == y.size()) return 0;
  return x.size() < y.size() ? -1 : 1;
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
  ListView1.Sort([column](const toolkit::TListItem& a, const toolkit::TListItem& b) {
    return CompareRows(a, b, column);
  });
  for (int i = 0; i < ListView1.Count(); ++i) {
    int n = std::stoi(ListView1[i].Cell(kSpareColumn));
    CurrentPids[i] = n < ListBox2.Count() ? ListBox2[n] : std::string();
    ListView1[i].SetCell(kSpareColumn, std::string());
  }
  ListView1.Changed();
}

void SortProcessList(toolkit::TListView& ListView2, int column) {
  ListView2.Sort([column](const toolkit::TListItem& a, const toolkit::TListItem& b) {
    return CompareRows(a, b, column);
  });
}

}  // namespace ui
