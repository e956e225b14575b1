// Sorting the current-process list and the process list by a clicked column. Every
// click sorts ascending by the column's text, without regard to letter case, with
// rows of equal keys kept in their order; the identifiers beside the current-process
// rows follow their rows.
#pragma once

#include <string>
#include <vector>

#include "monitor/Tables.h"
#include "toolkit/ListView.h"
#include "toolkit/StringList.h"

namespace ui {

// The order of two key texts: lower-cased by the system code page's rules
// (CharLowerBuffA), cut after their first difference, then compared byte by byte
// with a to z counted as A to Z, a prefix first. Negative, zero or positive.
int CompareSortKeys(const std::string& a, const std::string& b);

// The order of the rows by the text of a column as CompareSortKeys orders it,
// ascending or descending, rows of equal keys in their order: new row i is old
// row order[i].
std::vector<int> OrderByColumn(const toolkit::TListView& view, int column,
                               bool descending = false);

// Sorts the current processes by a column (the spare column sorts nothing),
// carrying CurrentPids along through the scratch list ListBox2.
void SortCurrentProcesses(monitor::TTables& tables, toolkit::TStringList& ListBox2, int column);

// Sorts the process list by a column.
void SortProcessList(toolkit::TListView& processList, int column);

}  // namespace ui
