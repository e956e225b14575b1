#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

// One directory search for a path, closed when it goes out of scope.
class TFindFile {
public:
  explicit TFindFile(const std::string& path)
      : handle_(::FindFirstFileA(path.c_str(), &data_)) {}
  ~TFindFile() {
    if (found()) ::FindClose(handle_);
  }
  TFindFile(const TFindFile&) = delete;
  TFindFile& operator=(const TFindFile&) = delete;

  bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Moves on to the next entry; false when there is none.
  bool next() { return found() && ::FindNextFileA(handle_, &data_); }
  const WIN32_FIND_DATAA& data() const { return data_; }

private:
  WIN32_FIND_DATAA data_ = {};
  HANDLE handle_;
};

}  // namespace toolkit
