#include "IniSource.h"

namespace fuzzini {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerName(const std::string& name) {
  std::string lower = name;
  for (char& c : lower) c = Lower(c);
  return lower;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

IniSource::IniSource(const std::string& text) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);

    const size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    line = Trimmed(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      sections_.emplace_back();
      sections_.back().Name =
          Trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      continue;
    }
    if (sections_.empty()) continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      Add(sections_.back(), line, std::string());
    } else {
      const std::string name = Trimmed(line.substr(0, equals));
      if (!name.empty()) Add(sections_.back(), name, Trimmed(line.substr(equals + 1)));
    }
  }
}

void IniSource::Add(Section& section, const std::string& name, const std::string& value) {
  section.First.emplace(LowerName(name), section.Keys.size());
  section.Keys.push_back({name, value});
}

const Section* IniSource::Find(const std::string& name) const {
  for (const Section& section : sections_)
    if (SameName(section.Name, name)) return &section;
  return nullptr;
}

std::string IniSource::ReadText(const char* section, const std::string& key,
                                const char* fallback) const {
  if (const Section* found = Find(section)) {
    auto at = found->First.find(LowerName(Trimmed(key)));
    if (at != found->First.end())
      return found->Keys[at->second].Value.substr(0, store::kProfileTextBytes);
  }
  return fallback;
}

std::string IniSource::ReadSection(const char* section) const {
  std::string text;
  if (const Section* found = Find(section))
    for (const Key& k : found->Keys) {
      text += k.Name + "=" + k.Value;
      text += '\0';
    }
  return text;
}

}  // namespace fuzzini
