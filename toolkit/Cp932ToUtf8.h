// CP932 text as UTF-8, for files that other programs read (a spreadsheet takes
// UTF-8 and knows nothing of the Japanese ANSI code page). The stored texts are
// CP932 whatever the machine's code page, and a damaged file can hold any bytes:
// a lead byte cut from its trail byte, a lead byte before a byte that cannot
// follow it, NUL bytes. Which bytes form a character is decided here, byte by
// byte and the same on every machine, so one broken byte never takes a good
// character after it with it: every byte that is not part of a character, and
// every two-byte character that has no Unicode counterpart, becomes one U+FFFD.
//
// A pair here is stricter than a character of cp932::CharSize, which keeps a lead
// byte and whatever follows it together so that no cut ever splits what the
// system draws as one: converted, a byte that cannot be a trail byte is read on
// its own, and nothing that converts is taken into a replacement.
//
// Which Unicode character a well-formed two-byte character stands for is the
// system's table, asked through a decoder; the splitting and the single bytes need
// no Win32 call, so this is fuzzed natively with a decoder of the fuzzer's own.
#pragma once

#include <string>
#include <string_view>

namespace toolkit {

// The UTF-16 unit of the two-byte character (lead, trail), or 0 when it has none.
// Every CP932 character lies in the Basic Multilingual Plane.
using Cp932PairDecoder = char16_t (*)(unsigned char lead, unsigned char trail);

// The decoder of the system's code page 932 (MultiByteToWideChar(932), whatever
// the machine's ANSI code page), read once into a table at first use.
char16_t WindowsCp932Pair(unsigned char lead, unsigned char trail);

// U+FFFD, REPLACEMENT CHARACTER, in UTF-8.
extern const char kReplacementUtf8[];

// The text in UTF-8. Characters: 0x01-0x7F as themselves, 0xA1-0xDF as half-width
// katakana, a lead byte (0x81-0x9F, 0xE0-0xFC) with a trail byte (0x40-0x7E,
// 0x80-0xFC) as the decoder says. One U+FFFD for each other byte (NUL, 0x80, 0xA0,
// 0xFD-0xFF, a lead byte at the end or before a byte that is no trail byte; that
// byte is then read on its own) and for each pair that the decoder has no
// character for (or answers with a surrogate).
std::string Cp932ToUtf8(std::string_view text, Cp932PairDecoder decode);

}  // namespace toolkit
