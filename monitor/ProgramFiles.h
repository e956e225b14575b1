// The files of the process list as the deletion check tests them, kept apart from
// the list so that a worker thread can test them while the list goes on changing.
// A list gathered over years names the same file in many rows and the same
// folder in thousands, so each distinct path is held, and tested, once, and the
// paths are grouped by their folder. A folder that holds many listed files may be
// read whole in one directory listing instead of being asked once per file; which
// of the two is cheaper depends on the system (under Wine a listing costs more
// per entry than asking for one file; on Windows far less), so it is measured
// here, folder by folder, as the tests run.
//
// Each path is judged by the deletion check's one decision, ListedFileState
// (FileFacts.h). A file found in a listing counts as that decision would count it;
// whatever the listing cannot answer exactly (a name it does not hold as written,
// a link, a folder that cannot be listed) is given to the decision, so both ways
// give the same findings. A path of any other form than a plain local one (a
// relative path, a wildcard, a network path, a stream, a path that cannot be
// tested) is always given to the decision alone.
//
// The object belongs to one thread at a time: the user-interface thread fills it
// between checks, a worker tests it during one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "monitor/FileFacts.h"
#include "monitor/RealPaths.h"

namespace monitor {

// Where the file name begins in a path to test that the grouping by folder takes:
// a local path ("C:\...\name") of plain names, none of them "." or "..", none
// ending in a dot or a space, no device name, no wildcard, stream or other
// character that the system reads in a special way, short enough to be read as
// it is written. 0 for any other path, which is tested alone.
size_t PlainFileNameStart(std::wstring_view path);

// How a folder's listed files are tested.
enum class FolderReading {
  kMeasured,  // read whole where that was measured to be cheaper
  kNever,     // every file asked by itself
  kAlways,    // every folder with a listed file read whole
};

class TProgramFiles {
public:
  // The real paths to test stored texts by (see PathToTest). When they differ
  // from those held, every path is forgotten, since where each leads may have
  // changed; true then, and identifiers given before are void.
  bool UseRealPaths(const TRealPaths& realPaths);
  // The identifier of a stored path (a row's full path), added when it is new.
  int Intern(std::string_view stored);
  int Count() const { return static_cast<int>(files_.size()); }
  std::string_view Path(int id) const { return Stored(files_[static_cast<size_t>(id)]); }

  // Marks a path for the next test; a test tests only the paths marked since the
  // test before, and clears the marks.
  void Use(int id) { files_[static_cast<size_t>(id)].used = true; }
  // Forgets every path and folder when more than half the paths held were not
  // marked for the last test: a list that shrank or was replaced keeps nothing it
  // no longer names. Identifiers given before are then void; true when it did.
  bool ForgetWhenMostlyUnused();

  // Tests every marked path. Worker side: touches nothing but this object and the
  // file system. `stopped` is asked now and then; false when it said stop, and the
  // findings are then incomplete.
  bool Test(const std::function<bool()>& stopped);
  // The finding of the last test for a path marked for it (NotTestable for one
  // that was not marked).
  TListedFile State(int id) const { return files_[static_cast<size_t>(id)].state; }
  // Whether the last test found any path gone.
  bool AnyGone() const { return anyGone_; }

  FolderReading Reading = FolderReading::kMeasured;
  // Folders read whole, and paths given to the decision one by one, at the last test.
  int FoldersRead() const { return foldersRead_; }
  int FilesAsked() const { return filesAsked_; }

private:
  // A hundred thousand paths are a hundred thousand texts: they are kept one after
  // another in one text, and found through one table, so that holding them, and
  // letting them go at the end of the program, costs a few allocations, not
  // hundreds of thousands.
  struct File {
    uint32_t textStart = 0;  // the stored text, in text_
    uint32_t textSize = 0;
    int folder = -1;         // -1: tested alone
    uint32_t nameStart = 0;  // in the path to test
    bool used = false;
    TListedFile state = TListedFile::NotTestable;
  };
  struct Folder {
    std::wstring path;  // with its trailing backslash
    std::vector<int> files;
    // What reading it whole cost the last time, in performance-counter ticks,
    // and the tests since then: a folder that lost is read again now and then,
    // since folders and the machine's load change.
    int64_t readCost = -1;
    int testsSinceRead = 0;
  };

  std::string_view Stored(const File& file) const {
    return std::string_view(text_).substr(file.textStart, file.textSize);
  }
  // The stored text as the decision takes it, in a text kept for the purpose.
  const std::string& StoredText(const File& file);
  void Rehash(size_t slots);
  void Forget();
  bool ReadWhole(const Folder& folder, int testedFiles) const;
  // Both false when `stopped` said stop.
  bool TestEachFile(const std::vector<int>& ids);
  bool TestByListing(Folder& folder, const std::vector<int>& ids);

  TRealPaths realPaths_;
  std::string text_;          // every stored text, one after another
  std::vector<File> files_;
  std::vector<int> slots_;    // open addressing by the stored text's hash: a file, or -1
  std::string scratch_;
  std::vector<Folder> folders_;
  std::unordered_map<std::wstring, int> folderIds_;
  // What asking for one file costs, in performance-counter ticks, averaged over
  // the tests so far; -1 before the first.
  double fileCost_ = -1;
  const std::function<bool()>* stopped_ = nullptr;  // during Test
  size_t usedAtLastTest_ = 0;
  bool anyGone_ = false;
  int foldersRead_ = 0;
  int filesAsked_ = 0;
};

}  // namespace monitor
