// The system's tables of code page 932, asked once for every two-byte character
// and then kept: a list of 100,000 rows holds millions of characters, and one
// conversion call for each would cost more than the whole rest of an export, or
// of a filter at every key the user types.
#include <windows.h>

#include <array>

#include "toolkit/Cp932.h"
#include "toolkit/Cp932Case.h"
#include "toolkit/Cp932ToUtf8.h"

namespace toolkit {

namespace {

constexpr int kTrailFirst = 0x40;
constexpr int kTrailCount = 0xFC - kTrailFirst + 1;
constexpr int kLeadCount = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);

int LeadIndex(unsigned char lead) {
  return lead <= 0x9F ? lead - 0x81 : 0x9F - 0x81 + 1 + lead - 0xE0;
}

using PairTable = std::array<char16_t, kLeadCount * kTrailCount>;
using LowerTable = std::array<uint16_t, kLeadCount * kTrailCount>;

size_t PairIndex(unsigned char lead, unsigned char trail) {
  return static_cast<size_t>(LeadIndex(lead) * kTrailCount + trail - kTrailFirst);
}

bool IsPair(unsigned char lead, unsigned char trail) {
  return cp932::IsLeadByte(lead) && trail >= kTrailFirst && trail <= 0xFC;
}

PairTable ReadPairTable() {
  PairTable table{};
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = kTrailFirst; trail <= 0xFC; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      wchar_t unit = 0;
      // Without MB_ERR_INVALID_CHARS an unmapped pair comes back as the code
      // page's default character, U+30FB, which is also a real character (81 45).
      if (::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, pair, 2, &unit, 1) == 1)
        table[PairIndex(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail))] =
            static_cast<char16_t>(unit);
    }
  }
  return table;
}

// CharLowerBuffW is what CharLowerBuffA, and so the sort, lowers by once the text
// is in UTF-16.
LowerTable ReadLowerTable() {
  LowerTable table{};
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = kTrailFirst; trail <= 0xFC; ++trail) {
      const auto l = static_cast<unsigned char>(lead);
      const auto t = static_cast<unsigned char>(trail);
      const wchar_t unit = static_cast<wchar_t>(WindowsCp932Pair(l, t));
      if (unit == 0) continue;
      wchar_t lowered = unit;
      ::CharLowerBuffW(&lowered, 1);
      if (lowered == unit) continue;
      char bytes[2] = {};
      BOOL lossy = FALSE;
      if (::WideCharToMultiByte(932, 0, &lowered, 1, bytes, 2, nullptr, &lossy) == 2 && !lossy)
        table[PairIndex(l, t)] = static_cast<uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                                       static_cast<unsigned char>(bytes[1]));
    }
  }
  return table;
}

}  // namespace

char16_t WindowsCp932Pair(unsigned char lead, unsigned char trail) {
  static const PairTable table = ReadPairTable();
  return IsPair(lead, trail) ? table[PairIndex(lead, trail)] : 0;
}

uint16_t WindowsCp932LowerPair(unsigned char lead, unsigned char trail) {
  static const LowerTable table = ReadLowerTable();
  return IsPair(lead, trail) ? table[PairIndex(lead, trail)] : 0;
}

}  // namespace toolkit
