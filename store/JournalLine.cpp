#include "store/JournalLine.h"

#include <cstring>

#include "toolkit/Csv.h"

namespace store {

const char kJournalStart[] = u8"開始";
const char kJournalEnd[] = u8"終了";
const char kTimeFromSystem[] = u8"システム";
const char kTimeFromCycle[] = u8"取得時";

namespace {

using Field = std::string TJournalLine::*;
// The columns in file order.
const Field kFields[kJournalColumns] = {
    &TJournalLine::Event,     &TJournalLine::Started,    &TJournalLine::StartedSource,
    &TJournalLine::Ended,     &TJournalLine::EndedSource, &TJournalLine::Seconds,
    &TJournalLine::Pid,       &TJournalLine::ParentPid,  &TJournalLine::ParentPath,
    &TJournalLine::Name,      &TJournalLine::Path,       &TJournalLine::User};
const char* const kCaptions[kJournalColumns] = {
    u8"種類",       u8"開始時刻",     u8"開始時刻の出所", u8"終了時刻",
    u8"終了時刻の出所", u8"実行秒数",   u8"プロセスID",    u8"親プロセスID",
    u8"親のパス",     u8"ファイル名",   u8"フルパス",      u8"ユーザー"};
const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// A field as the journal may hold it: no control character (a line break would
// split the record) and, in the last field, no quote (no account name has one):
// a line cut after a doubled quote there would end in what looks like its
// closing quote.
std::string JournalField(const std::string& text, bool last) {
  std::string field;
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || (last && c == '"')) field += kReplacement;
    else field += c;
  }
  return field;
}

// The fields as they are, NUL bytes included.
template <typename TextOf>
std::string FormatFields(TextOf textOf) {
  std::string out;
  for (int i = 0; i < kJournalColumns; ++i) {
    if (i > 0) out += ',';
    const bool last = i == kJournalColumns - 1;
    toolkit::AppendCsvField(out, JournalField(textOf(i), last), last);
  }
  out += "\r\n";
  return out;
}

}  // namespace

bool TJournalLine::operator==(const TJournalLine& o) const {
  for (const Field f : kFields)
    if (this->*f != o.*f) return false;
  return true;
}

std::string JournalHeader() {
  return toolkit::kUtf8ByteOrderMark +
         FormatFields([](int i) { return std::string(kCaptions[i]); });
}

std::string FormatJournalLine(const TJournalLine& line) {
  return FormatFields([&line](int i) -> const std::string& { return line.*kFields[i]; });
}

namespace {

// One line in [at, end): a file of the default size is read at every start, so
// fields are taken a run of bytes at a time.
bool ParseLine(const char* at, const char* const end, TJournalLine* line) {
  TJournalLine parsed;
  for (int i = 0; i < kJournalColumns; ++i) {
    std::string& field = parsed.*kFields[i];
    if (at < end && *at == '"') {
      for (++at;;) {
        const char* quote = static_cast<const char*>(std::memchr(at, '"', end - at));
        if (!quote) return false;  // the quote never closes: cut
        field.append(at, quote);
        at = quote + 1;
        if (at == end || *at != '"') break;
        field += '"';  // a doubled quote
        ++at;
      }
    } else {
      if (i == kJournalColumns - 1) return false;  // the user is always quoted
      const char* comma = static_cast<const char*>(std::memchr(at, ',', end - at));
      const char* fieldEnd = comma ? comma : end;
      if (std::memchr(at, '"', fieldEnd - at)) return false;
      field.assign(at, fieldEnd);
      at = fieldEnd;
    }
    if (i < kJournalColumns - 1) {
      if (at == end || *at != ',') return false;
      ++at;
    }
  }
  if (at != end) return false;
  if (parsed.Event != kJournalStart && parsed.Event != kJournalEnd) return false;
  *line = std::move(parsed);
  return true;
}

}  // namespace

bool ParseJournalLine(const std::string& text, TJournalLine* line) {
  return ParseLine(text.data(), text.data() + text.size(), line);
}

std::vector<TJournalLine> ParseJournal(const std::string& bytes) {
  std::vector<TJournalLine> lines;
  size_t at = bytes.compare(0, 3, toolkit::kUtf8ByteOrderMark) == 0 ? 3 : 0;
  for (;;) {
    const size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) break;  // a last line without CR LF was cut
    TJournalLine line;
    if (ParseLine(bytes.data() + at, bytes.data() + end, &line)) lines.push_back(std::move(line));
    at = end + 2;
  }
  return lines;
}

std::string SecondsText(long long milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  std::string fraction = std::to_string(milliseconds % 1000);
  return std::to_string(milliseconds / 1000) + "." + std::string(3 - fraction.size(), '0') +
         fraction;
}

}  // namespace store
