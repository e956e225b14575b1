#include "store/Records.h"

namespace store {

const char kDataVersion[] = "Ver1.00";

bool RecordsOf(const TLineBuffer& lines, int linesPerRecord, std::vector<TRecord>& rows) {
  rows.clear();
  if (linesPerRecord <= 0 || lines[0] != kDataVersion) return false;
  const int count = lines.Count();
  rows.reserve(static_cast<size_t>((count - 1 + linesPerRecord - 1) / linesPerRecord));
  for (int n = 1; n < count; n += linesPerRecord) {
    TRecord record;
    record.reserve(static_cast<size_t>(linesPerRecord));
    for (int field = 0; field < linesPerRecord; ++field) record.push_back(lines[n + field]);
    rows.push_back(std::move(record));
  }
  return true;
}

void RecordsToLines(const std::vector<TRecord>& rows, TLineBuffer& lines) {
  lines.Clear();
  lines.Add(kDataVersion);
  for (const TRecord& record : rows)
    for (const std::string& field : record) lines.Add(field);
}

}  // namespace store
