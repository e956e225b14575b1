#include "toolkit/Paths.h"

#include <windows.h>

namespace toolkit {

namespace {
bool IsLead(const std::string& text, size_t i) {
  return ::IsDBCSLeadByteEx(932, static_cast<BYTE>(text[i])) && i + 1 < text.size();
}
}  // namespace

size_t LastCharStart(const std::string& text) {
  size_t last = text.size();
  for (size_t i = 0; i < text.size(); i += IsLead(text, i) ? 2 : 1) last = i;
  return last;
}

bool EndsWithBackslash(const std::string& text) {
  size_t last = LastCharStart(text);
  return last < text.size() && last == text.size() - 1 && text[last] == '\\';
}

std::string WithTrailingBackslash(const std::string& folder) {
  return EndsWithBackslash(folder) ? folder : folder + "\\";
}

std::string FolderOf(const std::string& path) {
  size_t cut = std::string::npos;
  for (size_t i = 0; i < path.size(); i += IsLead(path, i) ? 2 : 1)
    if (path[i] == '\\') cut = i;
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string ExecutablePath() {
  char buffer[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::string(buffer, n <= MAX_PATH ? n : 0);
}

std::string ProgramFolder() { return FolderOf(ExecutablePath()); }

}  // namespace toolkit
