// Letter case in CP932 text, for finding what a user types in the lists whatever
// its case. What is a letter and what its small form is, is the system's case
// mapping, the one the sort's keys are lowered by, asked once for each two-byte
// character and then kept; which bytes form a character is CP932's own rule
// (cp932::CharSize). So a trail byte is never taken for the letter it shares its
// value with (ア is 83 41, and 41 is "A"), a full-width Ａ finds ａ as A finds a,
// and a find only counts where a character of the text begins. Lowering keeps
// every character's size, so a text and its lowered form have their characters
// at the same places.
//
// No Win32 here: the lowering of two-byte characters is the caller's, so this is
// tested natively with a lowering of the test's own as well.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace toolkit {

// The small form of the two-byte character (lead, trail), as lead << 8 | trail,
// or 0 when it has none other than itself.
using Cp932PairLowering = uint16_t (*)(unsigned char lead, unsigned char trail);

// The system's lowering of code page 932 (CharLowerBuffW between
// MultiByteToWideChar(932) and back), read once into a table at first use. A
// character whose small form code page 932 does not hold keeps its own.
uint16_t WindowsCp932LowerPair(unsigned char lead, unsigned char trail);

// Lowers A to Z and every two-byte character the lowering names, in place. The
// single bytes of CP932 beyond ASCII (half-width katakana) have no case.
void LowerCp932(std::string& text, Cp932PairLowering lower);

// A text to look for, letter case aside.
class TCp932Finder {
public:
  TCp932Finder() = default;
  TCp932Finder(std::string_view needle, Cp932PairLowering lower);

  bool Empty() const { return needle_.empty(); }
  const std::string& Needle() const { return needle_; }  // lowered

  // Whether the text holds the needle, letter case aside, from the start of one
  // of its characters. The empty needle is found in every text.
  bool FoundIn(std::string_view text) const;

private:
  // Whether the text, lowered, holds the needle from `at` on.
  bool MatchesAt(std::string_view text, size_t at) const;

  std::string needle_;
  Cp932PairLowering lower_ = nullptr;
};

}  // namespace toolkit
