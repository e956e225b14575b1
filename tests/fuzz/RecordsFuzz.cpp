// The data files' records over arbitrary bytes, for the six lines of a program
// and the four of a log entry: no more rows than the lines can fill, each with
// exactly its fields taken in order, and a save of what was read reads back the
// same and writes the same bytes again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "store/LineBuffer.h"
#include "store/Records.h"

namespace {

void Check(const std::string& text, const store::TLineBuffer& lines, int linesPerRecord) {
  std::vector<store::TRecord> rows;
  const bool recognised = store::RecordsOf(lines, linesPerRecord, rows);
  const bool versioned = lines.Count() > 0 && lines[0] == "Ver1.00";
  FUZZ_CHECK(recognised == versioned);
  if (!recognised) {
    FUZZ_CHECK(rows.empty());
    return;
  }
  const size_t recordLines = static_cast<size_t>(lines.Count() - 1);
  FUZZ_CHECK(rows.size() == (recordLines + linesPerRecord - 1) / linesPerRecord);
  FUZZ_CHECK(rows.size() <= text.size());
  for (size_t k = 0; k < rows.size(); ++k) {
    FUZZ_CHECK(rows[k].size() == static_cast<size_t>(linesPerRecord));
    for (int field = 0; field < linesPerRecord; ++field) {
      const size_t line = 1 + k * linesPerRecord + field;
      const std::string expected = line < static_cast<size_t>(lines.Count()) ? lines[static_cast<int>(line)] : "";
      FUZZ_CHECK(rows[k][field] == expected);
      FUZZ_CHECK(rows[k][field].size() <= store::TLineBuffer::kMaxLineBytes);
    }
  }

  // Save, load, save: the second load gives the same rows, the second save the
  // same bytes (a short last record is filled out by the first save).
  store::TLineBuffer saved;
  store::RecordsToLines(rows, saved);
  const std::string bytes = saved.Text();
  FUZZ_CHECK(bytes.compare(0, 9, "Ver1.00\r\n") == 0);
  store::TLineBuffer loaded;
  loaded.SetText(bytes);
  std::vector<store::TRecord> again;
  FUZZ_CHECK(store::RecordsOf(loaded, linesPerRecord, again));
  FUZZ_CHECK(again == rows);
  store::TLineBuffer resaved;
  store::RecordsToLines(again, resaved);
  FUZZ_CHECK(resaved.Text() == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  store::TLineBuffer lines;
  lines.SetText(text);
  Check(text, lines, 6);
  Check(text, lines, 4);
  return 0;
}
