// The real paths behind the paths the program stores. The tables and the data
// files hold paths as CP932 text, as every earlier version wrote them; a
// character that CP932 lacks ("é", Hangul, an emoji) is stored as "?", so the
// stored text of such a path names no file at all, and "?" is a wildcard to a
// directory search. The snapshot reads every path in UTF-16 and, for each one
// whose stored text lost characters, remembers the real path here under that
// text, for the rest of the session. The file facts and the deletion check ask
// here first and look at the real file; a stored text with no real path known is
// never tested (see ListedFileState).
//
// Two real paths can lose characters into one stored text ("C:\김\a.exe" and
// "C:\이\a.exe" are both "C:\?\a.exe"): to the tables they are one program, and
// the latest seen is the one remembered.
#pragma once

#include <string>
#include <unordered_map>

namespace monitor {

class TRealPaths {
public:
  void Remember(const std::string& stored, const std::wstring& real) { real_[stored] = real; }
  // The real path last seen under that stored text, or null.
  const std::wstring* Find(const std::string& stored) const {
    auto it = real_.find(stored);
    return it == real_.end() ? nullptr : &it->second;
  }
  int Count() const { return static_cast<int>(real_.size()); }
  bool operator==(const TRealPaths& other) const { return real_ == other.real_; }
  bool operator!=(const TRealPaths& other) const { return !(*this == other); }

private:
  std::unordered_map<std::string, std::wstring> real_;
};

}  // namespace monitor
