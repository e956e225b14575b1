// The decisions of reading the current form of Inf.ini, apart from the profile
// functions that find the keys: the integer and flag rules, the fallback values,
// which "Path" + n keys a ListCout asks for and how many of them are read, and
// the "<>" of a missing one. The keys come from a profile source: the program's
// is GetPrivateProfileStringA and GetPrivateProfileSectionA on the file (in
// Settings.cpp); a native fuzzer gives one over arbitrary bytes. No window and
// no Win32 call here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace store {

// Where the keys of an INI file come from.
class TProfileSource {
public:
  virtual ~TProfileSource() = default;
  // The text of a key, at most kProfileTextBytes, or `fallback` when the key is
  // absent.
  virtual std::string ReadText(const char* section, const std::string& key,
                               const char* fallback) const = 0;
  // A whole section as GetPrivateProfileSectionA gives it: each line of it
  // followed by a NUL ("" for a missing or empty section); a further NUL at the
  // end does no harm.
  virtual std::string ReadSection(const char* section) const = 0;
};

// The longest text a key reads as; the profile functions keep one more byte for
// the terminating zero.
constexpr size_t kProfileTextBytes = 2047;
// The row of a "Path" + n key below ListCout that is missing.
extern const char kMissingFolder[];  // "<>"
// How many "<>" rows a ListCout may give between the "Path" + n keys present,
// and how many after the last of them.
constexpr int64_t kMaxMissingFolderRows = 1000;

// The settings of a current-form file, except the ignored folders themselves.
struct TCurrentSettings {
  bool StartInTray = false;
  bool StartUp = false;
  bool DeleteCheck = false;
  bool Notice = false;
  int Interval = 10;
  int Log = 100;
  int ListCount = 0;
};

// The run journal's settings, in a section of their own that older versions pass
// over: [RunJournal] Enabled (on unless it reads as 0) and MaxKB, the size in KiB
// past which the file is renamed and a new one begun (10,240 when absent or no
// integer, brought into 1 to 1,048,576 otherwise).
struct TJournalSettings {
  bool Enabled = true;
  int MaxKB = 10240;
  bool operator==(const TJournalSettings& o) const {
    return Enabled == o.Enabled && MaxKB == o.MaxKB;
  }
};
extern const char kJournalSection[];  // "RunJournal"
constexpr int kMinJournalKB = 1;
constexpr int kMaxJournalKB = 1024 * 1024;

// An integer key (ParseProfileInteger), or `fallback` when it is absent or no integer.
int ReadProfileInteger(const TProfileSource& source, const char* section, const char* key,
                       int fallback);
// A flag key: on when it reads as an integer that is not 0.
bool ReadProfileFlag(const TProfileSource& source, const char* section, const char* key);

// Every setting but the folders, in the order the keys are read.
TCurrentSettings ReadCurrentSettings(const TProfileSource& source);

TJournalSettings ReadJournalSettings(const TProfileSource& source);

// The n of a key named "Path" + n as the profile functions would find it when
// asked for "Path" + n: blanks around it and letter case not mattering, n in
// decimal without leading zeros. -1 for any other key.
int64_t PathKeyNumber(const std::string& key);

// The distinct n of the "Path" + n keys in a section's text that are below
// ListCout, in ascending order.
std::vector<int64_t> PathKeysBelow(const std::string& sectionText, int listCount);

// The ignored folders of a ListCout: row n is the text of "Path" + n, "<>" for a
// missing key. A count of 0 or less gives none. A file the program wrote has
// every key below its count and reads whole; a hand-edited one reads as it says
// as long as no more than 1,000 keys are missing between the keys present and
// no more than 1,000 after the last. Beyond that the count is absurd, not a list:
// further missing keys between keys present give no rows (the keys present are
// all read), and rows stop 1,000 past the last key. So the rows never exceed the
// keys present plus 2,000, whatever the count.
std::vector<std::string> ReadIgnoredFolders(const TProfileSource& source, int listCount);

}  // namespace store
