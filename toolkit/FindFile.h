#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

// One directory search for a path, closed when it goes out of scope. Wide, so that
// a name no code page holds is found and handed back whole.
class TFindFile {
public:
  explicit TFindFile(const std::wstring& path)
      : handle_(::FindFirstFileW(path.c_str(), &data_)) {}
  ~TFindFile() {
    if (found()) ::FindClose(handle_);
  }
  TFindFile(const TFindFile&) = delete;
  TFindFile& operator=(const TFindFile&) = delete;

  bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Moves on to the next entry; false when there is none.
  bool next() { return found() && ::FindNextFileW(handle_, &data_); }
  const WIN32_FIND_DATAW& data() const { return data_; }

private:
  WIN32_FIND_DATAW data_ = {};
  HANDLE handle_;
};

}  // namespace toolkit
