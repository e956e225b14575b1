// Tables as CSV files that a spreadsheet opens as they are: UTF-8 with a
// byte-order mark (without it a Japanese spreadsheet takes the file for its ANSI
// code page), records ended by CR LF, and fields quoted as RFC 4180 says: a field
// that holds a comma, a double quote, CR or LF is written in double quotes, each
// double quote in it doubled; every other field is written as it is, an empty
// one as nothing. A record of one empty field is written as "" so that it is not
// an empty line, which readers skip.
//
// The program's tables are CP932 text; Cp932TableToCsv converts every cell with
// Cp932ToUtf8, so a damaged byte costs one U+FFFD and nothing else of its row. No
// Win32 call here: the decoder of two-byte characters is the caller's.
#pragma once

#include <string>
#include <vector>

#include "toolkit/Cp932ToUtf8.h"

namespace toolkit {

// EF BB BF, the byte-order mark that opens a UTF-8 file.
extern const char kUtf8ByteOrderMark[];

// Appends one UTF-8 field, quoted as needed or when `quote` asks for it (a file
// whose lines must show where they end quotes its last field always).
void AppendCsvField(std::string& out, const std::string& utf8Field, bool quote = false);

// Appends one record of UTF-8 fields, quoted as needed, and its CR LF.
void AppendCsvRecord(std::string& out, const std::vector<std::string>& utf8Fields);

// A whole CSV file of CP932 text: the byte-order mark, a record of the captions,
// then one record for each row, in order, each with the cells it has.
std::string Cp932TableToCsv(const std::vector<std::string>& captions,
                            const std::vector<std::vector<std::string>>& rows,
                            Cp932PairDecoder decode);

}  // namespace toolkit
