// The records of a data file as plain rows, taken out of the line buffer: the
// version line first, then a fixed number of lines for each record (six for a
// program, four for a log entry). No window and no Win32 call, so that the same
// code can be fed arbitrary bytes by a native fuzzer.
#pragma once

#include <string>
#include <vector>

#include "store/LineBuffer.h"

namespace store {

extern const char kDataVersion[];  // "Ver1.00"

// The fields of a record: a program of ProcessList.dat (name, path, modified,
// added, last run, comment) and an entry of Log.dat (time, name, kind, detail).
constexpr int kProgramFields = 6;
constexpr int kLogFields = 4;
// The fields of a program that a merge of two lists looks at.
constexpr int kProgramNameField = 0;
constexpr int kProgramPathField = 1;
constexpr int kProgramModifiedField = 2;
constexpr int kProgramLastRunField = 4;
constexpr int kProgramCommentField = 5;

// One record: its fields in line order, always `linesPerRecord` of them.
using TRecord = std::vector<std::string>;

// Takes the records out of the lines of a data file. False, with no rows, when
// the first line is not exactly the version line. A record cut short by the end
// of the text reads its missing lines as empty fields; every field is at most
// the line buffer's 4,096 bytes.
bool RecordsOf(const TLineBuffer& lines, int linesPerRecord, std::vector<TRecord>& rows);

// The lines of a data file for the records: the version line, then each field.
void RecordsToLines(const std::vector<TRecord>& rows, TLineBuffer& lines);

}  // namespace store
