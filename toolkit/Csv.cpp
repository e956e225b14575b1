#include "toolkit/Csv.h"

namespace toolkit {

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

namespace {

void AppendCp932Record(std::string& out, const std::vector<std::string>& cells,
                       Cp932PairDecoder decode) {
  std::vector<std::string> fields;
  fields.reserve(cells.size());
  for (const std::string& cell : cells) fields.push_back(Cp932ToUtf8(cell, decode));
  AppendCsvRecord(out, fields);
}

}  // namespace

void AppendCsvField(std::string& out, const std::string& field, bool quote) {
  if (!quote && field.find_first_of(",\"\r\n") == std::string::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendCsvRecord(std::string& out, const std::vector<std::string>& utf8Fields) {
  if (utf8Fields.size() == 1 && utf8Fields[0].empty()) {
    out += "\"\"\r\n";
    return;
  }
  for (size_t n = 0; n < utf8Fields.size(); ++n) {
    if (n > 0) out += ',';
    AppendCsvField(out, utf8Fields[n]);
  }
  out += "\r\n";
}

std::string Cp932TableToCsv(const std::vector<std::string>& captions,
                            const std::vector<std::vector<std::string>>& rows,
                            Cp932PairDecoder decode) {
  std::string out = kUtf8ByteOrderMark;
  AppendCp932Record(out, captions, decode);
  for (const std::vector<std::string>& row : rows) AppendCp932Record(out, row, decode);
  return out;
}

}  // namespace toolkit
