// The run journal's reader over arbitrary bytes: only lines ended by CR LF are
// read, each reads back the same once written again (control characters, and
// quotes in the last field, become U+FFFD), the whole file written again reads as the same lines, and the last of
// them cut anywhere before its closing quote and ended by a later line break is
// skipped while the line after it is read. The start times that parse name the
// same instant once written again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "store/JournalLine.h"
#include "toolkit/IsoTime.h"

namespace {

// Written in another way than the writer's: byte by byte into a new string.
std::string Sanitized(const std::string& text, bool last) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F || (last && c == '"')) out.append("\xEF\xBF\xBD");
    else out.push_back(static_cast<char>(c));
  }
  return out;
}

store::TJournalLine SanitizedLine(store::TJournalLine l) {
  for (std::string* f : {&l.Event, &l.Started, &l.StartedSource, &l.Ended, &l.EndedSource,
                         &l.Seconds, &l.Pid, &l.ParentPid, &l.ParentPath, &l.Name, &l.Path})
    *f = Sanitized(*f, false);
  l.User = Sanitized(l.User, true);
  return l;
}

size_t CompleteLines(const std::string& bytes) {
  size_t n = 0;
  for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2))
    ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<store::TJournalLine> lines = store::ParseJournal(bytes);
  FUZZ_CHECK(lines.size() <= CompleteLines(bytes));

  std::vector<store::TJournalLine> clean;
  std::string file = store::JournalHeader();
  for (const store::TJournalLine& line : lines) {
    FUZZ_CHECK(line.Event == store::kJournalStart || line.Event == store::kJournalEnd);
    const std::string text = store::FormatJournalLine(line);
    FUZZ_CHECK(CompleteLines(text) == 1 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    store::TJournalLine back;
    FUZZ_CHECK(store::ParseJournalLine(text.substr(0, text.size() - 2), &back));
    clean.push_back(SanitizedLine(line));
    FUZZ_CHECK(back == clean.back());
    file += text;

    toolkit::TUtcMilliseconds ms = 0, again = 0;
    if (toolkit::ParseIsoTime(line.Started, &ms)) {
      const std::string utc = toolkit::IsoTimeText(toolkit::CivilTimeAt(ms, 0), 0);
      FUZZ_CHECK(toolkit::ParseIsoTime(utc, &again) && again == ms);
    }
  }
  FUZZ_CHECK(store::ParseJournal(file) == clean);

  if (!lines.empty()) {
    const std::string last = store::FormatJournalLine(lines.back());
    const size_t cut = size % last.size();
    std::string part = last.substr(0, cut);
    part += !part.empty() && part.back() == '\r' ? "\n" : "\r\n";
    store::TJournalLine next;
    next.Event = store::kJournalStart;
    const std::vector<store::TJournalLine> read =
        store::ParseJournal(file.substr(0, file.size() - last.size()) + part +
                            store::FormatJournalLine(next));
    std::vector<store::TJournalLine> expected = clean;
    if (cut < last.size() - 2) expected.pop_back();
    expected.push_back(next);
    FUZZ_CHECK(read == expected);
  }
  return 0;
}
