// The captions over the columns of the process list and of the log: what their
// list views head the columns with, and the header record of their CSV files, so
// that a file saved from the window and one exported by a script name their
// columns alike. The columns are the fields of a record of the data file, in order.
#pragma once

#include <string>
#include <vector>

namespace ui {

// File name, full path, modified, added, last run, comment.
const std::vector<std::string>& ProcessListCaptions();

// Time, file name, kind, detail.
const std::vector<std::string>& LogCaptions();

}  // namespace ui
