// Paths as the program meets them: CP932 text, in which the trailing byte of a
// double-byte character can be 0x5C, the backslash. So a backslash is looked for
// character by character, never by byte.
//
// The file system's own paths are UTF-16 and may be longer than MAX_PATH; the
// wide forms below are what the program hands to the wide file functions.
#pragma once

#include <string>

namespace toolkit {

// Whether the text's last character is a backslash.
bool EndsWithBackslash(const std::string& text);

// The folder with exactly one separator at its end ("C:\" stays as it is).
std::string WithTrailingBackslash(const std::string& folder);
std::wstring WithTrailingBackslash(const std::wstring& folder);

// The folder part of a path, without the separator: "C:\a\b.exe" gives "C:\a".
std::string FolderOf(const std::string& path);
// The part after the last separator: "C:\a\b.exe" gives "b.exe".
std::string FileNameOf(const std::string& path);

// The full path of the running program and its folder (without the separator),
// in UTF-16, whole whatever characters and length they have.
std::wstring ExecutablePathWide();
std::wstring ProgramFolderWide();

// The same as text (Narrow: "?" for each character the code page lacks), the
// form in which the program names its files to the user and to its store.
std::string ExecutablePath();
std::string ProgramFolder();

// The file a path text names, in UTF-16. The program's own folder is the one
// folder whose real name the program always knows: a text that begins with that
// folder as ProgramFolder gives it stands for the real folder even where the text
// lost characters ("C:\Users\Jos?" for "C:\Users\José"). No file has "?" in its
// name, so no other path can be meant. Any other text is only widened.
std::wstring WidePath(const std::string& path);

// WidePath in the form the wide file functions take at any length (LongPathForm).
std::wstring FileSystemPath(const std::string& path);

// Whether a path is absolute: a drive letter, a colon and a backslash ("C:\..."),
// or two backslashes (a network path or a device path). The same test serves
// CP932 text, where no trail byte can stand in the first two places.
template <typename Char>
bool IsAbsolutePath(const std::basic_string<Char>& path) {
  if (path.size() >= 2 && path[0] == Char('\\') && path[1] == Char('\\')) return true;
  if (path.size() < 3 || path[1] != Char(':') || path[2] != Char('\\')) return false;
  const Char letter = path[0];
  return (letter >= Char('A') && letter <= Char('Z')) || (letter >= Char('a') && letter <= Char('z'));
}

// The form of a path that the wide file functions take at any length. A path too
// long for the plain form (MAX_PATH, less the room CreateDirectory keeps for an
// 8.3 name) is made full and given the "\\?\" prefix ("\\?\UNC\" for a
// network path), which bypasses the limit and also the plain form's clean-up, so
// that clean-up is done first. A shorter path is returned unchanged: it is read
// exactly as the plain form always read it (trailing dots and blanks dropped,
// "." and ".." resolved).
std::wstring LongPathForm(const std::wstring& path);

}  // namespace toolkit
