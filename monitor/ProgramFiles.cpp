#include "monitor/ProgramFiles.h"

#include <windows.h>

#include <algorithm>

#include "toolkit/FindFile.h"
#include "toolkit/Wow64.h"

namespace monitor {

namespace {

// Below this many listed files a folder is not read whole until its cost is
// known: the first reading of a large folder pays for itself, of a small one not.
constexpr size_t kFirstReadMinimum = 64;
// A folder whose reading lost to asking file by file is read again after this
// many tests, since its size and the machine's load change.
constexpr int kReadAgainAfter = 64;
// Files asked by themselves are asked in runs of this many between two looks at
// `stopped`.
constexpr size_t kStopCheckEvery = 16;
// Batches of fewer files than this say too little about the cost of one.
constexpr size_t kCostSampleMinimum = 8;
// Longer paths are made full before the system reads them (toolkit::LongPathForm).
constexpr size_t kPlainPathLimit = MAX_PATH - 12;

int64_t Ticks() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// Names the system takes for a device whatever the folder ("NUL", "com1.exe").
bool IsDeviceName(std::wstring_view name) {
  std::wstring base(name.substr(0, name.find(L'.')));
  for (wchar_t& c : base) c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c;
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (base == device) return true;
  return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
         base[3] >= L'0' && base[3] <= L'9';
}

// A folder or file name the system reads as it is written.
bool IsPlainName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  // The system drops dots and spaces at the end of a name.
  return name.back() != L'.' && name.back() != L' ' && !IsDeviceName(name);
}

struct Entry {
  DWORD attributes;
  FILETIME lastWrite;
};

}  // namespace

size_t PlainFileNameStart(std::wstring_view path) {
  if (path.size() < 4 || path.size() >= kPlainPathLimit) return 0;
  const wchar_t drive = static_cast<wchar_t>(path[0] | 0x20);
  if (drive < L'a' || drive > L'z' || path[1] != L':' || path[2] != L'\\') return 0;
  size_t nameStart = 3;
  for (size_t i = 3; i < path.size(); ++i) {
    const wchar_t c = path[i];
    if (c < 0x20 || std::wstring_view(L"/*?<>\":|").find(c) != std::wstring_view::npos) return 0;
    if (c != L'\\') continue;
    if (!IsPlainName(path.substr(nameStart, i - nameStart))) return 0;
    nameStart = i + 1;
  }
  return IsPlainName(path.substr(nameStart)) ? nameStart : 0;
}

bool TProgramFiles::UseRealPaths(const TRealPaths& realPaths) {
  if (realPaths == realPaths_) return false;
  realPaths_ = realPaths;
  Forget();
  return true;
}

int TProgramFiles::Intern(std::string_view stored) {
  if ((files_.size() + 1) * 2 > slots_.size()) Rehash(std::max<size_t>(1024, slots_.size() * 2));
  const size_t mask = slots_.size() - 1;
  size_t slot = std::hash<std::string_view>()(stored) & mask;
  for (; slots_[slot] >= 0; slot = (slot + 1) & mask)
    if (Stored(files_[static_cast<size_t>(slots_[slot])]) == stored) return slots_[slot];
  const int id = Count();
  slots_[slot] = id;
  File file;
  file.textStart = static_cast<uint32_t>(text_.size());
  file.textSize = static_cast<uint32_t>(stored.size());
  text_ += stored;
  const std::wstring path = PathToTest(StoredText(file), realPaths_);
  file.nameStart = static_cast<uint32_t>(PlainFileNameStart(path));
  if (file.nameStart > 0) {
    std::wstring folder = path.substr(0, file.nameStart);
    auto known = folderIds_.find(folder);
    if (known == folderIds_.end()) {
      known = folderIds_.emplace(folder, static_cast<int>(folders_.size())).first;
      folders_.emplace_back();
      folders_.back().path = std::move(folder);
    }
    file.folder = known->second;
    folders_[static_cast<size_t>(file.folder)].files.push_back(id);
  }
  files_.push_back(file);
  return id;
}

void TProgramFiles::Rehash(size_t slots) {
  slots_.assign(slots, -1);
  const size_t mask = slots - 1;
  for (size_t id = 0; id < files_.size(); ++id) {
    size_t slot = std::hash<std::string_view>()(Stored(files_[id])) & mask;
    while (slots_[slot] >= 0) slot = (slot + 1) & mask;
    slots_[slot] = static_cast<int>(id);
  }
}

const std::string& TProgramFiles::StoredText(const File& file) {
  scratch_.assign(Stored(file));
  return scratch_;
}

bool TProgramFiles::ForgetWhenMostlyUnused() {
  if (usedAtLastTest_ * 2 >= files_.size()) return false;
  Forget();
  return true;
}

void TProgramFiles::Forget() {
  slots_.clear();
  text_.clear();
  files_.clear();
  folderIds_.clear();
  folders_.clear();
  usedAtLastTest_ = 0;
}

bool TProgramFiles::Test(const std::function<bool()>& stopped) {
  foldersRead_ = 0;
  filesAsked_ = 0;
  stopped_ = &stopped;
  // The paths of 64-bit programs name the real System32 (see FileExists); a
  // listing made through the redirection would miss them.
  toolkit::TWow64RedirectionOff realSystem32;
  std::vector<int> alone;
  usedAtLastTest_ = 0;
  for (size_t id = 0; id < files_.size(); ++id) {
    File& file = files_[id];
    file.state = TListedFile::NotTestable;
    usedAtLastTest_ += file.used ? 1 : 0;
    if (file.used && file.folder < 0) alone.push_back(static_cast<int>(id));
  }
  if (!TestEachFile(alone)) return false;
  std::vector<int> tested;
  for (Folder& folder : folders_) {
    if (stopped()) return false;
    tested.clear();
    for (int id : folder.files)
      if (files_[static_cast<size_t>(id)].used) tested.push_back(id);
    if (tested.empty()) continue;
    const bool whole = ReadWhole(folder, static_cast<int>(tested.size()));
    if (!whole) ++folder.testsSinceRead;
    if (!(whole ? TestByListing(folder, tested) : TestEachFile(tested))) return false;
  }
  anyGone_ = false;
  for (File& file : files_) {
    file.used = false;
    anyGone_ = anyGone_ || file.state == TListedFile::Gone;
  }
  return true;
}

bool TProgramFiles::ReadWhole(const Folder& folder, int testedFiles) const {
  switch (Reading) {
    case FolderReading::kNever: return false;
    case FolderReading::kAlways: return true;
    case FolderReading::kMeasured: break;
  }
  if (folder.readCost < 0) return static_cast<size_t>(testedFiles) >= kFirstReadMinimum;
  if (fileCost_ < 0) return false;
  return folder.readCost < testedFiles * fileCost_ || folder.testsSinceRead >= kReadAgainAfter;
}

bool TProgramFiles::TestEachFile(const std::vector<int>& ids) {
  const int64_t start = Ticks();
  for (size_t i = 0; i < ids.size(); ++i) {
    // The end of the program waits for this: a folder of many files is no reason
    // to keep it waiting.
    if (i % kStopCheckEvery == 0 && i > 0 && (*stopped_)()) return false;
    File& file = files_[static_cast<size_t>(ids[i])];
    file.state = ListedFileState(StoredText(file), realPaths_);
  }
  filesAsked_ += static_cast<int>(ids.size());
  if (ids.empty() || (ids.size() < kCostSampleMinimum && fileCost_ >= 0)) return true;
  const double sample = static_cast<double>(Ticks() - start) / static_cast<double>(ids.size());
  fileCost_ = fileCost_ < 0 ? sample : fileCost_ + (sample - fileCost_) / 4;
  return true;
}

bool TProgramFiles::TestByListing(Folder& folder, const std::vector<int>& ids) {
  const int64_t start = Ticks();
  std::unordered_map<std::wstring, Entry> entries;
  {
    toolkit::TFindFile listing(folder.path + L"*");
    // A folder that is gone, or that may be passed through but not listed: the
    // files are given to the decision one by one.
    if (!listing.found()) return TestEachFile(ids);
    do {
      const WIN32_FIND_DATAW& data = listing.data();
      entries.emplace(data.cFileName, Entry{data.dwFileAttributes, data.ftLastWriteTime});
    } while (listing.next());
  }
  ++foldersRead_;
  std::vector<int> askLater;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i % kStopCheckEvery == 0 && i > 0 && (*stopped_)()) return false;
    File& file = files_[static_cast<size_t>(ids[i])];
    auto found = entries.find(PathToTest(StoredText(file), realPaths_).substr(file.nameStart));
    // Only a name listed exactly as written is taken from the listing: another
    // letter case, a short name, a link (which the file test follows) are for
    // the decision to judge. A file the listing has is on a drive that is there.
    if (found == entries.end() || (found->second.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      askLater.push_back(ids[i]);
      continue;
    }
    file.state = CountsAsExistingFile(found->second.attributes, found->second.lastWrite)
                     ? TListedFile::Exists
                     : TListedFile::Gone;
  }
  folder.readCost = Ticks() - start;
  folder.testsSinceRead = 0;
  return TestEachFile(askLater);
}

}  // namespace monitor
