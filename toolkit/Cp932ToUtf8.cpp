#include "toolkit/Cp932ToUtf8.h"

#include "toolkit/Cp932.h"

namespace toolkit {

const char kReplacementUtf8[] = "\xEF\xBF\xBD";

namespace {

bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
bool IsHalfWidthKatakana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

void AppendUtf8(std::string& out, char16_t unit) {
  if (unit < 0x80) {
    out += static_cast<char>(unit);
  } else if (unit < 0x800) {
    out += static_cast<char>(0xC0 | (unit >> 6));
    out += static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (unit >> 12));
    out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (unit & 0x3F));
  }
}

}  // namespace

std::string Cp932ToUtf8(std::string_view text, Cp932PairDecoder decode) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b >= 0x01 && b <= 0x7F) {
      out += static_cast<char>(b);
    } else if (IsHalfWidthKatakana(b)) {
      AppendUtf8(out, static_cast<char16_t>(0xFF61 + (b - 0xA1)));
    } else if (cp932::IsLeadByte(b) && i + 1 < text.size() &&
               IsTrail(static_cast<unsigned char>(text[i + 1]))) {
      const char16_t unit = decode(b, static_cast<unsigned char>(text[++i]));
      // A lone surrogate would make the whole file invalid UTF-8 to a strict reader.
      if (unit == 0 || (unit >= 0xD800 && unit <= 0xDFFF))
        out += kReplacementUtf8;
      else
        AppendUtf8(out, unit);
    } else {
      out += kReplacementUtf8;
    }
  }
  return out;
}

}  // namespace toolkit
