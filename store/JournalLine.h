// The lines of the run journal, RunJournal.csv: one line when a cycle first sees
// a process ("開始") and one when it sees it gone ("終了"). The file is for other
// programs as much as for this one, so it is CSV as spreadsheets read it: UTF-8
// after a byte-order mark, CR LF, a header row of the column captions, RFC 4180
// quoting. Every text here is UTF-8.
//
// The file is only ever appended to, a line at a time, so a crash can cut its
// last line. The reader has to tell such a line from a whole one, also after the
// next session ended the damage with a line break. Two rules make that exact:
// no field holds a line break (the writer puts U+FFFD for any control character,
// which no path or account name holds), so a record is one physical line; and
// the last field, the user, is always quoted and holds no quote itself (U+FFFD
// again; no account name has one), so a line is whole only when it ends in a
// closing quote followed by CR LF. A line cut anywhere before that lacks the
// quote, has an open quote or too few fields, and is skipped.
//
// No Win32 call here; the reader is fuzzed natively.
#pragma once

#include <string>
#include <vector>

namespace store {

// The event texts, UTF-8.
extern const char kJournalStart[];  // "開始"
extern const char kJournalEnd[];    // "終了"
// Where a time came from: the system's own record of the process, or the cycle
// that noticed it (when the process could not be opened).
extern const char kTimeFromSystem[];  // "システム"
extern const char kTimeFromCycle[];   // "取得時"

// One line, each field as text. Times are IsoTimeText; a start line has no end
// time, source or length.
struct TJournalLine {
  std::string Event;          // kJournalStart or kJournalEnd
  std::string Started;        // the process's creation time
  std::string StartedSource;  // kTimeFromSystem or kTimeFromCycle
  std::string Ended;          // its exit time
  std::string EndedSource;
  std::string Seconds;        // the run's length, "12.345"
  std::string Pid;
  std::string ParentPid;
  std::string ParentPath;     // empty when the parent is not known for sure
  std::string Name;           // file name
  std::string Path;           // full path
  std::string User;           // DOMAIN\user, empty when it could not be read

  bool operator==(const TJournalLine& o) const;
};

constexpr int kJournalColumns = 12;

// The byte-order mark and the header row, CR LF at its end: how a file begins.
std::string JournalHeader();

// One line, CR LF at its end.
std::string FormatJournalLine(const TJournalLine& line);

// A line without its CR LF as FormatJournalLine writes it (another program may
// quote more or less; the last field must be quoted). False for the header and
// for anything else.
bool ParseJournalLine(const std::string& text, TJournalLine* line);

// Every whole line of a file's bytes, in order: the byte-order mark and the
// header, a last line without CR LF and lines that do not parse are left out.
std::vector<TJournalLine> ParseJournal(const std::string& bytes);

// The length of a run as the journal writes it: whole seconds, a point and
// three digits of milliseconds; 0 when the end is before the start.
std::string SecondsText(long long milliseconds);

}  // namespace store
