#include "store/RunJournal.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

namespace store {

const wchar_t kRunJournalFileName[] = L"RunJournal.csv";

namespace {

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadAt(HANDLE file, uint64_t offset, size_t count, std::string* bytes) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
  bytes->assign(count, '\0');
  size_t done = 0;
  while (done < count) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1 << 20));
    if (!::ReadFile(file, &(*bytes)[done], chunk, &read, nullptr)) return false;
    if (read == 0) break;
    done += read;
  }
  bytes->resize(done);
  return true;
}

toolkit::FileHandle OpenForAppending(const std::wstring& path, DWORD disposition) {
  // Append access alone puts every write at the end of the file, wherever a
  // read left the file pointer. Readers are welcome; another writer is not.
  return toolkit::FileHandle(::CreateFileW(path.c_str(), FILE_READ_DATA | FILE_APPEND_DATA,
                                           FILE_SHARE_READ, nullptr, disposition,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

std::wstring RunJournalPath(const std::wstring& folder) {
  return folder + L"\\" + kRunJournalFileName;
}

std::wstring RotatedJournalPath(const std::wstring& path, int n) {
  const size_t dot = path.find_last_of(L'.');
  const size_t slash = path.find_last_of(L'\\');
  const size_t cut = (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
                         ? path.size()
                         : dot;
  return path.substr(0, cut) + L"." + std::to_wstring(n) + path.substr(cut);
}

TRunJournal::TRunJournal(std::wstring path, uint64_t limitBytes)
    : path_(std::move(path)), limit_(limitBytes) {}

bool TRunJournal::Open() {
  file_ = OpenForAppending(path_, OPEN_ALWAYS);
  if (!file_) return false;
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file_.get(), &size)) {
    file_.reset();
    return false;
  }
  size_ = static_cast<uint64_t>(size.QuadPart);
  const std::string header = JournalHeader();
  std::string tail;
  if (size_ > 0 && size_ < header.size() && ReadAt(file_.get(), 0, size_, &tail) &&
      header.compare(0, tail.size(), tail) == 0) {
    // A crash while the header was written: begin again.
    file_.reset();
    file_ = OpenForAppending(path_, CREATE_ALWAYS);
    if (!file_) return false;
    size_ = 0;
  }
  if (size_ == 0) return Write(header) == header.size() && file_;
  if (!ReadAt(file_.get(), size_ - std::min<uint64_t>(size_, 2), 2, &tail)) {
    file_.reset();
    return false;
  }
  // The last line of a session that crashed while writing it: end it, so that it
  // reads as the damaged line it is and the next line as a whole one.
  if (tail.size() == 2 && tail == "\r\n") return true;
  Write(!tail.empty() && tail.back() == '\r' ? "\n" : "\r\n");
  return static_cast<bool>(file_);
}

size_t TRunJournal::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!::WriteFile(file_.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
      break;
    done += written;
  }
  size_ += done;
  if (done < bytes.size() || !::FlushFileBuffers(file_.get())) {
    // Part of a line may be in the file: open afresh, which ends it, before the
    // next write.
    file_.reset();
  }
  return done;
}

bool TRunJournal::Rotate() {
  file_.reset();
  // From the oldest down, so that no file is replaced before it has moved on.
  // The first rename that fails stops the rest: going on would replace the file
  // that could not move.
  bool moved = true;
  for (int n = kJournalFilesKept - 1; n >= 1 && moved; --n) {
    const std::wstring from = RotatedJournalPath(path_, n);
    if (Exists(from))
      moved = ::MoveFileExW(from.c_str(), RotatedJournalPath(path_, n + 1).c_str(),
                            MOVEFILE_REPLACE_EXISTING) != FALSE;
  }
  if (moved)
    moved = ::MoveFileExW(path_.c_str(), RotatedJournalPath(path_, 1).c_str(),
                          MOVEFILE_REPLACE_EXISTING) != FALSE;
  return Open() && moved;
}

bool TRunJournal::WriteWaiting() {
  const uint64_t headerBytes = JournalHeader().size();
  while (!waiting_.empty()) {
    if (!file_ && !Open()) return false;
    // A file holding only its header takes any line, so that a limit below one
    // line cannot make a new file at every line.
    if (size_ > headerBytes && size_ + waiting_.front().size() > limit_ && !Rotate() && !file_)
      return false;
    // The lines that fit, in one write and one flush.
    std::string bytes;
    size_t lines = 0;
    while (lines < waiting_.size() &&
           (lines == 0 || size_ + bytes.size() + waiting_[lines].size() <= limit_))
      bytes += waiting_[lines++];
    size_t done = Write(bytes);
    // Lines that reached the file are not written again, flushed or not.
    while (!waiting_.empty() && done >= waiting_.front().size()) {
      done -= waiting_.front().size();
      waiting_.pop_front();
    }
    if (!file_) return false;
  }
  return true;
}

bool TRunJournal::Append(const std::vector<TJournalLine>& lines) {
  for (const TJournalLine& line : lines) {
    waiting_.push_back(FormatJournalLine(line));
    if (waiting_.size() > kMaxWaitingLines) {
      waiting_.pop_front();
      ++dropped_;
    }
  }
  return WriteWaiting();
}

bool TRunJournal::Append(const TJournalLine& line) {
  return Append(std::vector<TJournalLine>{line});
}

std::vector<TJournalLine> ReadRecentJournal(const std::wstring& path, size_t starts) {
  std::vector<std::vector<TJournalLine>> files;  // newest first
  size_t found = 0;
  for (int n = 0; n <= kJournalFilesKept && found < starts; ++n) {
    files.push_back(ReadJournalFile(n == 0 ? path : RotatedJournalPath(path, n)));
    for (const TJournalLine& line : files.back()) found += line.Event == kJournalStart;
  }
  std::vector<TJournalLine> lines;
  for (auto file = files.rbegin(); file != files.rend(); ++file)
    lines.insert(lines.end(), std::make_move_iterator(file->begin()),
                 std::make_move_iterator(file->end()));
  return lines;
}

std::vector<TJournalLine> ReadJournalFile(const std::wstring& path, uint64_t tailBytes) {
  // The program's own writer keeps the file open while it runs.
  toolkit::FileHandle file(::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !::GetFileSizeEx(file.get(), &size)) return {};
  const uint64_t total = static_cast<uint64_t>(size.QuadPart);
  // A tail begins two bytes early, so that a line beginning exactly at its start
  // is seen to follow a line break.
  const uint64_t over = total > tailBytes ? total - tailBytes : 0;
  const uint64_t from = over - std::min<uint64_t>(over, 2);
  std::string bytes;
  if (total - from > 0x40000000 ||
      !ReadAt(file.get(), from, static_cast<size_t>(total - from), &bytes))
    return {};
  if (from > 0) {
    const size_t next = bytes.find("\r\n");
    bytes.erase(0, next == std::string::npos ? bytes.size() : next + 2);
  }
  return ParseJournal(bytes);
}

}  // namespace store
