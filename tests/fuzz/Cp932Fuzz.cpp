// The CP932 character helpers over arbitrary bytes, against a reference that marks
// every byte as the start of a character or not in one pass from the front: the
// cut is the last start at or below the limit (or the whole text), the last
// character begins at the last start, and sizes reach exactly from one start to
// the next.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "toolkit/Cp932.h"

namespace cp932 = toolkit::cp932;

namespace {

// starts[i]: byte i begins a character; starts[size] stands for the end.
std::vector<bool> CharacterStarts(std::string_view text) {
  std::vector<bool> starts(text.size() + 1, true);
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned b = static_cast<unsigned char>(text[i]);
    const bool lead = (0x81 <= b && b <= 0x9F) || (0xE0 <= b && b <= 0xFC);
    if (starts[i] && lead && i + 1 < text.size()) starts[i + 1] = false;
  }
  return starts;
}

size_t ReferenceCut(const std::vector<bool>& starts, size_t limit) {
  size_t n = std::min(limit, starts.size() - 1);
  while (!starts[n]) --n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<bool> starts = CharacterStarts(text);

  size_t last = size;
  for (size_t i = 0; i < size; ++i) {
    if (!starts[i]) continue;
    last = i;
    size_t next = i + 1;
    while (!starts[next]) ++next;
    FUZZ_CHECK(cp932::CharSize(text, i) == next - i);
  }
  FUZZ_CHECK(cp932::CharSize(text, size) == 0);
  FUZZ_CHECK(cp932::LastCharStart(text) == last);

  // Every limit for short texts; for long ones the ends and a limit the input picks.
  std::vector<size_t> limits = {0, 1, size / 2, size - (size > 0), size, size + 1};
  if (size >= 2) limits.push_back((data[0] << 8 | data[1]) % (size + 1));
  if (size <= 64)
    for (size_t n = 0; n <= size; ++n) limits.push_back(n);
  for (size_t limit : limits) {
    const size_t cut = cp932::CutAtCharBoundary(text, limit);
    FUZZ_CHECK(cut == ReferenceCut(starts, limit));
    // What was cut is whole characters: cutting it again changes nothing.
    FUZZ_CHECK(cp932::CutAtCharBoundary(text.substr(0, cut), limit) == cut);
  }
  return 0;
}
