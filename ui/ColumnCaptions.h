// The captions over the columns of the three lists: what their list views head
// the columns with, and the header record of their CSV files, so that a file
// saved from the window and one exported by a script name their columns alike.
// The columns of the process list and of the log are the fields of a record of
// their data file, in order; the caption-less spare column at the end of the
// current processes and of the log is no column of a file.
#pragma once

#include <string>
#include <vector>

namespace ui {

// File name, full path, modified.
const std::vector<std::string>& CurrentProcessCaptions();

// File name, full path, modified, added, last run, comment.
const std::vector<std::string>& ProcessListCaptions();

// Time, file name, kind, detail.
const std::vector<std::string>& LogCaptions();

}  // namespace ui
