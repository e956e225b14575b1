// The CSV writer over tables of arbitrary CP932 bytes: the file opens with the
// byte-order mark, is valid UTF-8 throughout, and a strict RFC 4180 reader gets
// back exactly the rows and fields that went in, each field the characters a
// byte-by-byte reference makes of its cell (U+FFFD for every byte that is not
// part of a character and every pair the decoder has no character for). The
// decoder is the fuzzer's own: it maps pairs all over the Basic Multilingual Plane,
// onto commas, quotes and line breaks too, onto surrogates, and leaves some
// unmapped, so that the quoting and the replacement rule meet all of them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "toolkit/Csv.h"

namespace {

using Codes = std::vector<char32_t>;
using Table = std::vector<std::vector<std::string>>;

char16_t FuzzPair(unsigned char lead, unsigned char trail) {
  const unsigned v = (lead * 0x9E37u + trail * 0x79B9u) & 0xFFFFu;
  return v % 13 == 0 ? 0 : static_cast<char16_t>(v);
}

// What the cell should read as, written from the byte classes of the code page
// as a table of ranges rather than as the converter's tests.
Codes ReferenceCharacters(const std::string& cell) {
  enum Class { Single, Katakana, Lead, Invalid };
  auto classOf = [](unsigned b) {
    if (b == 0) return Invalid;
    if (b < 0x80) return Single;
    if (b >= 0xA1 && b < 0xE0) return Katakana;
    if ((b > 0x80 && b < 0xA0) || (b >= 0xE0 && b < 0xFD)) return Lead;
    return Invalid;
  };
  auto trail = [](unsigned b) { return b >= 0x40 && b != 0x7F && b < 0xFD; };
  Codes codes;
  size_t i = 0;
  while (i < cell.size()) {
    const unsigned b = static_cast<unsigned char>(cell[i]);
    switch (classOf(b)) {
      case Single: codes.push_back(b); i += 1; break;
      case Katakana: codes.push_back(0xFF61 + b - 0xA1); i += 1; break;
      case Invalid: codes.push_back(0xFFFD); i += 1; break;
      case Lead: {
        const bool paired = i + 1 < cell.size() && trail(static_cast<unsigned char>(cell[i + 1]));
        if (!paired) { codes.push_back(0xFFFD); i += 1; break; }
        const char32_t unit = FuzzPair(static_cast<unsigned char>(b),
                                       static_cast<unsigned char>(cell[i + 1]));
        const bool mapped = unit != 0 && !(unit >= 0xD800 && unit < 0xE000);
        codes.push_back(mapped ? unit : 0xFFFD);
        i += 2;
        break;
      }
    }
  }
  return codes;
}

// Strict UTF-8: no overlong form, no surrogate, nothing past U+10FFFF.
bool DecodeUtf8(const std::string& text, Codes& codes) {
  codes.clear();
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    int more = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (more < 0 || i + more >= text.size()) return false;
    char32_t c = more == 0 ? b : b & (0x3F >> more);
    for (int k = 1; k <= more; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    static const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[more] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return false;
    codes.push_back(c);
    i += 1 + more;
  }
  return true;
}

struct Field {
  std::string text;
  bool quoted;
};

// A strict RFC 4180 reader: records end with CR LF, fields are split by commas,
// a quoted field doubles its quotes, an unquoted one holds no comma, quote, CR or
// LF. False for anything else.
bool ParseCsv(const std::string& text, std::vector<std::vector<Field>>& records) {
  size_t i = 0;
  while (i < text.size()) {
    std::vector<Field> record;
    for (;;) {
      Field field{"", false};
      if (i < text.size() && text[i] == '"') {
        field.quoted = true;
        for (++i;; ++i) {
          if (i >= text.size()) return false;
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field.text += '"';
              ++i;
            } else {
              ++i;
              break;
            }
          } else {
            field.text += text[i];
          }
        }
      } else {
        while (i < text.size() && text[i] != ',' && text[i] != '\r') {
          if (text[i] == '"' || text[i] == '\n') return false;
          field.text += text[i++];
        }
      }
      record.push_back(field);
      if (i < text.size() && text[i] == ',') {
        ++i;
        continue;
      }
      if (text.compare(i, 2, "\r\n") != 0) return false;
      i += 2;
      break;
    }
    records.push_back(record);
  }
  return true;
}

void CheckRecord(const std::vector<Field>& record, const std::vector<std::string>& cells) {
  if (cells.empty()) {  // an empty record reads as one empty field
    FUZZ_CHECK(record.size() == 1 && record[0].text.empty());
    return;
  }
  FUZZ_CHECK(record.size() == cells.size());
  for (size_t n = 0; n < cells.size(); ++n) {
    Codes got;
    FUZZ_CHECK(DecodeUtf8(record[n].text, got));
    FUZZ_CHECK(got == ReferenceCharacters(cells[n]));
    const bool special = record[n].text.find_first_of(",\"\r\n") != std::string::npos;
    const bool loneEmpty = cells.size() == 1 && record[n].text.empty();
    FUZZ_CHECK(record[n].quoted == (special || loneEmpty));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const size_t columns = input.ConsumeIntegralInRange<size_t>(0, 6);
  std::vector<std::string> captions;
  for (size_t n = 0; n < columns; ++n) captions.push_back(input.ConsumeRandomLengthString(64));
  Table rows;
  while (input.remaining_bytes() > 0 && rows.size() < 200) {
    // Rows mostly as wide as the captions, now and then shorter or longer.
    const size_t width = input.ConsumeBool() ? columns : input.ConsumeIntegralInRange<size_t>(0, 8);
    std::vector<std::string> row;
    for (size_t n = 0; n < width; ++n) row.push_back(input.ConsumeRandomLengthString(64));
    rows.push_back(row);
  }

  const std::string csv = toolkit::Cp932TableToCsv(captions, rows, &FuzzPair);
  FUZZ_CHECK(csv.compare(0, 3, "\xEF\xBB\xBF") == 0);
  const std::string body = csv.substr(3);
  Codes all;
  FUZZ_CHECK(DecodeUtf8(body, all));
  std::vector<std::vector<Field>> records;
  FUZZ_CHECK(ParseCsv(body, records));
  FUZZ_CHECK(records.size() == rows.size() + 1);
  CheckRecord(records[0], captions);
  for (size_t k = 0; k < rows.size(); ++k) CheckRecord(records[k + 1], rows[k]);
  return 0;
}
