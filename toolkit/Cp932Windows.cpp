// The system's table of code page 932, asked once for every two-byte character
// and then kept: a list of 100,000 rows holds millions of characters, and one
// conversion call for each would cost more than the whole rest of an export.
#include <windows.h>

#include <array>

#include "toolkit/Cp932.h"
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
        table[LeadIndex(static_cast<unsigned char>(lead)) * kTrailCount + trail - kTrailFirst] =
            static_cast<char16_t>(unit);
    }
  }
  return table;
}

}  // namespace

char16_t WindowsCp932Pair(unsigned char lead, unsigned char trail) {
  static const PairTable table = ReadPairTable();
  if (!cp932::IsLeadByte(lead) || trail < kTrailFirst || trail > 0xFC) return 0;
  return table[LeadIndex(lead) * kTrailCount + trail - kTrailFirst];
}

}  // namespace toolkit
