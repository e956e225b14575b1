#include "toolkit/Cp932Case.h"

#include "toolkit/Cp932.h"

namespace toolkit {

namespace {

unsigned char LowerSingle(unsigned char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

void LowerInto(std::string_view text, std::string& out, Cp932PairLowering lower) {
  out.assign(text.data(), text.size());
  for (size_t i = 0; i < out.size();) {
    const auto byte = static_cast<unsigned char>(out[i]);
    const size_t size = cp932::CharSize(out, i);
    if (size == 1) {
      out[i] = static_cast<char>(LowerSingle(byte));
    } else if (const uint16_t pair = lower(byte, static_cast<unsigned char>(out[i + 1]))) {
      out[i] = static_cast<char>(pair >> 8);
      out[i + 1] = static_cast<char>(pair & 0xFF);
    }
    i += size;
  }
}

}  // namespace

void LowerCp932(std::string& text, Cp932PairLowering lower) {
  std::string lowered;
  LowerInto(text, lowered, lower);
  text.swap(lowered);
}

TCp932Finder::TCp932Finder(std::string_view needle, Cp932PairLowering lower) : lower_(lower) {
  LowerInto(needle, needle_, lower);
}

bool TCp932Finder::FoundIn(std::string_view text) const {
  const size_t n = needle_.size();
  if (n == 0) return true;
  // The text is lowered as it is read, character by character, and never
  // copied: a filter reads every cell of 100,000 rows at every key. A needle that
  // begins with a single byte never begins at a two-byte character, whose first
  // byte, lowered or not, is a lead byte.
  const auto first = static_cast<unsigned char>(needle_[0]);
  const bool firstIsSingle = !cp932::IsLeadByte(first);
  for (size_t at = 0; at + n <= text.size(); at += cp932::CharSize(text, at)) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (firstIsSingle && (cp932::CharSize(text, at) != 1 || LowerSingle(byte) != first)) continue;
    if (MatchesAt(text, at)) return true;
  }
  return false;
}

bool TCp932Finder::MatchesAt(std::string_view text, size_t at) const {
  size_t k = 0;
  while (k < needle_.size() && at < text.size()) {
    const size_t size = cp932::CharSize(text, at);
    char lowered[2] = {text[at], size == 2 ? text[at + 1] : '\0'};
    if (size == 1) {
      lowered[0] = static_cast<char>(LowerSingle(static_cast<unsigned char>(text[at])));
    } else if (const uint16_t pair = lower_(static_cast<unsigned char>(text[at]),
                                            static_cast<unsigned char>(text[at + 1]))) {
      lowered[0] = static_cast<char>(pair >> 8);
      lowered[1] = static_cast<char>(pair & 0xFF);
    }
    for (size_t m = 0; m < size && k < needle_.size(); ++m, ++k)
      if (lowered[m] != needle_[k]) return false;
    at += size;
  }
  return k == needle_.size();
}

}  // namespace toolkit
