// What the fuzz targets share: a check that stops the run with its reason (so
// libFuzzer keeps the input as a crash), and the references the readers are
// checked against. The references are written for clarity, not speed, and in a
// different way from the code under test, so that the two do not share a fault.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                        \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

namespace fuzzref {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A whole, optionally signed decimal number within 32 bits.
inline bool Decimal(const std::string& text, int* value) {
  std::string digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.erase(0, 1);
  }
  if (digits.empty()) return false;
  for (char c : digits)
    if (!IsDigit(c)) return false;
  const size_t first = digits.find_first_not_of('0');
  digits = first == std::string::npos ? "0" : digits.substr(first);
  if (digits.size() > 10) return false;
  long long v = std::stoll(digits);
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

// The integer rule of the settings file's current form: "0x" or "0X" and one to
// eight hexadecimal digits taken as the 32 bits of the value, else decimal.
inline bool ProfileInteger(const std::string& text, int* value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const std::string digits = text.substr(2);
    if (digits.size() > 8) return false;
    for (char c : digits)
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    *value = static_cast<int>(static_cast<uint32_t>(std::stoul(digits, nullptr, 16)));
    return true;
  }
  return Decimal(text, value);
}

}  // namespace fuzzref
