// Paths as the program meets them: CP932 text, in which the trailing byte of a
// double-byte character can be 0x5C, the backslash. So a backslash is looked for
// character by character, never by byte.
#pragma once

#include <string>

namespace toolkit {

// Whether the text's last character is a backslash.
bool EndsWithBackslash(const std::string& text);

// The folder with exactly one separator at its end ("C:\" stays as it is).
std::string WithTrailingBackslash(const std::string& folder);

// The folder part of a path, without the separator: "C:\a\b.exe" gives "C:\a".
std::string FolderOf(const std::string& path);

// The full path of the running program, and its folder (without the separator).
std::string ExecutablePath();
std::string ProgramFolder();

// The same folder in UTF-16, whole whatever characters and length it has: the
// files that hold Unicode paths are opened with it.
std::wstring ProgramFolderWide();

}  // namespace toolkit
