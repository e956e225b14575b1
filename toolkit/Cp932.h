// Characters of CP932 text. The program's texts (paths, names, comments, the three
// files, the tray's tips and balloons) are CP932 whatever the machine's code page,
// so a character is told from its bytes by CP932's own lead bytes, never by
// IsDBCSLeadByte and the system's ANSI code page. A double-byte character may
// have any byte as its second, the backslash 0x5C included; a lead byte with no
// byte after it (a text cut in the middle of a character) is a character of its
// own. No Win32 here, so that it is tested and fuzzed natively too.
#pragma once

#include <cstddef>
#include <string_view>

namespace toolkit::cp932 {

// Whether the byte starts a double-byte character.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The bytes of the character that starts at `i` (1 or 2); 0 at or past the end.
constexpr size_t CharSize(std::string_view text, size_t i) {
  if (i >= text.size()) return 0;
  return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// The length of the longest beginning of the text that has at most `maxBytes`
// bytes and does not end in half a character.
constexpr size_t CutAtCharBoundary(std::string_view text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size() && end + CharSize(text, end) <= maxBytes) end += CharSize(text, end);
  return end;
}

// Where the text's last character begins; the text's size when it is empty.
constexpr size_t LastCharStart(std::string_view text) {
  size_t last = text.size();
  for (size_t i = 0; i < text.size(); i += CharSize(text, i)) last = i;
  return last;
}

}  // namespace toolkit::cp932
