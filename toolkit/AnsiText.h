// The program's texts are ANSI code page text (CP932 on the machines it is made
// for); a few Win32 calls speak only UTF-16: the command line as the user typed
// it, a console, file names compared as the file system compares them. Texts the
// system gives in UTF-16 and that no code page holds (paths, account names) go
// to the files other programs read as UTF-8.
#pragma once

#include <string>

namespace toolkit {

// The text in UTF-16.
std::wstring Widen(const std::string& text);

// The text in the ANSI code page. A character the code page does not hold becomes
// "?", never a look-alike ("é" is not "e"): a file name that changed its meaning
// would name another file.
std::string Narrow(const wchar_t* text);
// The same for the whole of `text`, NUL characters too (a list of NUL-ended texts).
std::string Narrow(const std::wstring& text);

// UTF-16 as UTF-8, and back. A sequence that does not convert (a lone
// surrogate, a cut UTF-8 sequence) becomes U+FFFD, and the rest of the text stays.
std::string Utf8Of(const std::wstring& text);
std::wstring WidenUtf8(const std::string& utf8);

// Whether two file names are the same, letter case aside: compared by
// character as the file system compares them, not by the user's sorting rules.
bool SameFileName(const std::string& a, const std::string& b);

}  // namespace toolkit
