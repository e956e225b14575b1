#include "store/LineBuffer.h"

namespace store {

void TLineBuffer::Delete(int index) {
  if (index >= 0 && index < Count()) lines_.erase(lines_.begin() + index);
}

std::string TLineBuffer::operator[](int index) const {
  if (index < 0 || index >= Count()) return std::string();
  const std::string& line = lines_[static_cast<size_t>(index)];
  return line.size() > kMaxLineBytes ? line.substr(0, kMaxLineBytes) : line;
}

namespace {

// Where the line that begins at `start` ends, and where the next one begins.
size_t LineEnd(const std::string& text, size_t start, size_t& next) {
  const size_t end = text.find_first_of("\r\n", start);
  if (end == std::string::npos) {
    next = text.size();
    return text.size();
  }
  next = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  return end;
}

}  // namespace

void TLineBuffer::SetText(const std::string& text) {
  Clear();
  size_t count = 0;
  for (size_t start = 0, next = 0; start < text.size(); start = next) {
    LineEnd(text, start, next);
    ++count;
  }
  try {
    lines_.reserve(count);
    for (size_t start = 0, next = 0; start < text.size(); start = next) {
      const size_t end = LineEnd(text, start, next);
      lines_.push_back(text.substr(start, end - start));
    }
  } catch (...) {
    Clear();
    throw;
  }
}

std::string TLineBuffer::Text() const {
  size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace store
