// A list of texts: the hidden list boxes of the main window that hold state
// (the process identifiers beside the current-process rows) are no more than this.
#pragma once

#include <string>
#include <vector>

namespace toolkit {

class TStringList {
public:
  int Count() const { return static_cast<int>(items_.size()); }
  void Add(std::string s) { items_.push_back(std::move(s)); }
  void Clear() { items_.clear(); }
  void Delete(int i) { items_.erase(items_.begin() + i); }
  std::string& operator[](int i) { return items_.at(static_cast<size_t>(i)); }
  const std::string& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
  const std::vector<std::string>& Items() const { return items_; }

private:
  std::vector<std::string> items_;
};

}  // namespace toolkit
