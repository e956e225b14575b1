// Inf.ini written the way earlier versions wrote it: the file emptied, then each
// key in order through WritePrivateProfileStringA, every call rewriting the
// whole file. The program now composes the whole text at once; this is the
// reference its text must equal byte for byte, and the baseline its benchmark
// is timed against.
#pragma once

#include <windows.h>

#include <string>

#include "store/Settings.h"

namespace testsupport {

// False at the first key that could not be written.
inline bool WriteSettingsKeyByKey(const std::string& path, const store::TSettingsControls& c,
                                  const store::TJournalSettings& journal) {
  HANDLE emptied = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (emptied == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(emptied);
  auto put = [&path](const char* section, const std::string& key, const std::string& value) {
    return ::WritePrivateProfileStringA(section, key.c_str(), value.c_str(), path.c_str()) != FALSE;
  };
  auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  bool ok = put("Information", "Version", "1.30") &&
            put("Start", "TaskTorrey", flag(c.CheckBox3.Checked())) &&
            put("Start", "StartUp", flag(c.CheckBox4.Checked())) &&
            put("Compare", "DeleteCheck", flag(c.CheckBox5.Checked())) &&
            put("Compare", "Notice", flag(c.CheckBox1.Checked())) &&
            put("Integer", "Interval", std::to_string(c.SpinEdit1.Value())) &&
            put("Integer", "Log", std::to_string(c.SpinEdit2.Value())) &&
            put("Ignore", "ListCout", std::to_string(c.ListView4.Count()));
  for (int n = 0; ok && n < c.ListView4.Count(); ++n)
    ok = put("Ignore", "Path" + std::to_string(n), c.ListView4[n].Caption);
  return ok && put(store::kJournalSection, "Enabled", flag(journal.Enabled)) &&
         put(store::kJournalSection, "MaxKB", std::to_string(journal.MaxKB));
}

}  // namespace testsupport
