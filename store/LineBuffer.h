// The line buffer through which the data files and the settings file are taken
// apart and assembled (the hidden multi-line text Memo2 of the main window). Only
// its behaviour matters, and that is plain text handling with no window behind it:
// CR LF, a lone CR and a lone LF each end a line; a text that ends with a break has
// no empty line after it; a line reads as its first 4,096 bytes at most; a line past
// the last one reads as empty text. Every line written ends with CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace store {

class TLineBuffer {
public:
  static constexpr size_t kMaxLineBytes = 4096;

  int Count() const { return static_cast<int>(lines_.size()); }
  // Empties the buffer and gives its memory back: after a file of millions of
  // lines it must not stay held for the rest of the run.
  void Clear() { std::vector<std::string>().swap(lines_); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Delete(int index);

  // Line `index`, counted from 0: its first 4,096 bytes, or empty text past the end.
  std::string operator[](int index) const;

  // Replaces the lines with those of a text. The lines are counted first, so a
  // text of more lines than the memory can hold fails at once (std::bad_alloc or
  // std::length_error), before it has taken that memory; the buffer is then empty.
  void SetText(const std::string& text);
  // The lines as a file holds them, each followed by CR LF.
  std::string Text() const;

private:
  std::vector<std::string> lines_;
};

}  // namespace store
