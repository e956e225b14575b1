// The run journal file, RunJournal.csv beside the executable (JournalLine.h has
// its lines). Unlike the three data files it is never rewritten: the lines
// given together (a cycle's) are appended in one write and flushed to the disk at
// once, so a crash or a power cut loses at most the lines being written and never
// touches the lines before them. (One flush for the lines of a cycle, not one a
// line: the first cycle writes a line for every running process, and each flush
// waits for the disk. The program's writes go through a thread of their own,
// JournalWriter.h.)
// A session that finds the file ending without a line break (the last line of a
// crashed one) ends that line first, so that its own lines are whole.
//
// The file is kept open while the program runs; others may read it (a
// spreadsheet opens it read-only) but not write it. When a line would take it
// past its size limit it is renamed RunJournal.1.csv, the older ones move up a
// number (.2 to .5; what was .5 is dropped) and a new file begins with its
// header. A rename that fails (another program holds the file) leaves the file
// growing and is tried again at the next line; a file is never dropped other
// than as the sixth.
//
// Paths are UTF-16 throughout: the program's folder may hold any character.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "store/JournalLine.h"
#include "toolkit/Handle.h"

namespace store {

extern const wchar_t kRunJournalFileName[];  // L"RunJournal.csv"
// How many earlier files are kept beside it.
constexpr int kJournalFilesKept = 5;
constexpr uint64_t kDefaultJournalLimitBytes = 10 * 1024 * 1024;

std::wstring RunJournalPath(const std::wstring& folder);
// RunJournal.n.csv beside the journal at `path`, 1 to kJournalFilesKept.
std::wstring RotatedJournalPath(const std::wstring& path, int n);

class TRunJournal {
public:
  TRunJournal(std::wstring path, uint64_t limitBytes);
  TRunJournal(const TRunJournal&) = delete;
  TRunJournal& operator=(const TRunJournal&) = delete;

  // Appends the lines in one write and flushes them to the disk. Lines that
  // cannot be written (a full disk, the file taken by another program) are kept,
  // up to kMaxWaitingLines, and written before the next ones, or by an Append of
  // none; false then.
  bool Append(const std::vector<TJournalLine>& lines);
  bool Append(const TJournalLine& line);
  // Lines kept for a later Append, and lines given up because there were too many.
  size_t Waiting() const { return waiting_.size(); }
  uint64_t Dropped() const { return dropped_; }
  static constexpr size_t kMaxWaitingLines = 10000;

  const std::wstring& Path() const { return path_; }

private:
  bool Open();
  bool Rotate();
  // The bytes written; the file is closed when not all of them were, or the
  // flush failed.
  size_t Write(const std::string& bytes);
  bool WriteWaiting();

  std::wstring path_;
  uint64_t limit_;
  toolkit::FileHandle file_;
  uint64_t size_ = 0;
  std::deque<std::string> waiting_;
  uint64_t dropped_ = 0;
};

// The whole lines of a journal file (ParseJournal); none when there is no file
// or it cannot be read. At most the last `tailBytes` of the file are read.
std::vector<TJournalLine> ReadJournalFile(const std::wstring& path,
                                          uint64_t tailBytes = UINT64_MAX);

// The whole lines of the journal at `path` and of the files rotation made of it,
// oldest first, the newest files only: an older file is read while the newer ones
// hold fewer than `starts` start lines. (A rotation between two reads may show a
// file's lines twice or not at all; the next read is whole again.)
std::vector<TJournalLine> ReadRecentJournal(const std::wstring& path, size_t starts);

}  // namespace store
