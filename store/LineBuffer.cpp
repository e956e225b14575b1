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

void TLineBuffer::SetText(const std::string& text) {
  lines_.clear();
  size_t start = 0;
  const size_t n = text.size();
  while (start < n) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines_.push_back(text.substr(start));
      break;
    }
    lines_.push_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') ? 2 : 1);
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
