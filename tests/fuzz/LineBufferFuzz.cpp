// The line buffer over arbitrary bytes: the lines it makes hold no line break,
// read as 4,096 bytes at most, are no more than the bytes can hold, and come out
// again as the text with every break made CR LF; that text reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "store/LineBuffer.h"

namespace {

// The text as the buffer should write it back: CR LF, lone CR and lone LF each
// become CR LF, and a last line without a break gets one.
std::string Normalised(const std::string& text) {
  std::string out;
  bool inLine = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      inLine = false;
    } else {
      out += c;
      inLine = true;
    }
  }
  if (inLine) out += "\r\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  store::TLineBuffer lines;
  lines.SetText(text);

  FUZZ_CHECK(static_cast<size_t>(lines.Count()) <= size);
  size_t total = 0;
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string line = lines[i];
    FUZZ_CHECK(line.size() <= store::TLineBuffer::kMaxLineBytes);
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    total += line.size();
  }
  FUZZ_CHECK(total <= size);
  FUZZ_CHECK(lines[lines.Count()].empty());
  FUZZ_CHECK(lines[-1].empty());

  const std::string written = lines.Text();
  FUZZ_CHECK(written == Normalised(text));

  // What was written reads back as the same lines and is written the same again.
  store::TLineBuffer again;
  again.SetText(written);
  FUZZ_CHECK(again.Count() == lines.Count());
  for (int i = 0; i < lines.Count(); ++i) FUZZ_CHECK(again[i] == lines[i]);
  FUZZ_CHECK(again.Text() == written);

  // A line given to the buffer is kept whole; only its reading is cut.
  if (lines.Count() > 0) {
    const std::string first = lines[0];
    lines.Delete(0);
    FUZZ_CHECK(lines.Count() == again.Count() - 1);
    lines.Add(first);
    FUZZ_CHECK(lines[lines.Count() - 1] == first);
  }
  return 0;
}
