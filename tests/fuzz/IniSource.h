// A profile source over the bytes of an INI text, for the fuzzer: small, and
// only good enough to drive the settings reader's own decisions. It is not a
// model of the platform's profile functions. What it does: lines end at CR LF, a
// lone CR or a lone LF, and a NUL ends the text of its line; blanks around a line,
// a key and a value are dropped; "[name]" opens a section; "key=value" (or a bare
// "key", whose value is empty) is a key of the section above it; a line beginning
// with ";" is a comment. Sections and keys are found by their names, ASCII letter
// case not mattering, the first of equal names winning. What it leaves out:
// quotes around values, and anything before the first section.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "store/SettingsForm.h"

namespace fuzzini {

struct Key {
  std::string Name;
  std::string Value;
};

struct Section {
  std::string Name;
  std::vector<Key> Keys;
  std::unordered_map<std::string, size_t> First;  // lower-case name -> first key of it
};

class IniSource : public store::TProfileSource {
public:
  explicit IniSource(const std::string& text);

  std::string ReadText(const char* section, const std::string& key,
                       const char* fallback) const override;
  std::string ReadSection(const char* section) const override;

  // The section of that name, or null.
  const Section* Find(const std::string& name) const;

private:
  static void Add(Section& section, const std::string& name, const std::string& value);
  std::vector<Section> sections_;
};

bool SameName(const std::string& a, const std::string& b);
std::string Trimmed(const std::string& text);

}  // namespace fuzzini
