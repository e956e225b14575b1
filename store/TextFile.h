// Whole-file reading and writing for the program's own files beside the executable.
//
// A file is never rewritten in place. The new content goes to a temporary file in
// the same folder, is flushed to the disk, and only then takes the old file's name
// in one rename; a crash, a full disk or a power cut during the save leaves the
// previous file as it was. A file that the program did not manage to load (an
// unknown version line) is copied aside before it is replaced, so that its
// content is never lost without a trace; a data file or Inf.ini that it could
// not read at all is not replaced (store/DataFiles.h, store/Settings.h).
//
// A path here is text as the messages show it; the calls on the file are the
// wide ones on its toolkit::FileSystemPath, so the program's folder may have a
// name the code page cannot hold and may lie deeper than MAX_PATH.
//
// Other programs take the files for a moment: a virus scanner or a backup or
// sync tool opens a file without sharing it, most often right after it changed
// or at log-on, when this program starts. A read that meets such a lock waits
// for it, a few seconds at most, before the file counts as unreadable.
#pragma once

#include <stdexcept>
#include <string>

namespace store {

// How long a read waits for a file that another program holds.
constexpr unsigned long kLockedFilePatienceMs = 10000;

// A file too large to be held in memory: over 2 GB, or more than the memory of
// the process takes. Its message names the file (CannotOpenMessage).
class TFileTooLarge : public std::runtime_error {
public:
  explicit TFileTooLarge(const std::string& path);
};

// Whether there is a file (not a folder) at the path.
bool IsExistingFile(const std::string& path);
// Whether anything at all, a file or a folder, is at the path.
bool IsTakenPath(const std::string& path);

// Reads the whole file. A file that another program holds without sharing it is
// tried again for up to `patienceMs`. Throws "ファイル %s は開けません" when it
// cannot be read, TFileTooLarge for a file of more than 2 GB, and std::bad_alloc
// when there is no memory for it.
std::string ReadWholeFile(const std::string& path,
                          unsigned long patienceMs = kLockedFilePatienceMs);

// Replaces the file with `bytes` through a flushed temporary file (path + ".tmp"),
// renamed over it; a reader holding the file for a moment is waited for. With
// `keepOld`, an existing file is first copied to the first free name of
// path + ".bak", ".bak2", ".bak3", ... and that name is returned. Throws
// "ファイル %s を作成できません" when any step fails; the previous file is then
// left as it was.
std::string ReplaceWholeFile(const std::string& path, const std::string& bytes, bool keepOld);

// One file for ReplaceWholeFile, composed now and written now or later.
struct TFileWrite {
  std::string Path;
  std::string Bytes;
  bool KeepOld = false;
};

// Renames the file to the first free name of path + ".bak", ".bak2", ... and
// returns that name; "" when it could not be renamed (the file is then as it was).
std::string MoveAside(const std::string& path);

// Removes a file; one that is not there, or cannot be removed, is left alone.
void RemoveFile(const std::string& path);

// The message of a file that cannot be created, of one that cannot be opened, and
// of one whose first line is not what this version writes.
std::string CannotCreateMessage(const std::string& path);
std::string CannotOpenMessage(const std::string& path);
std::string UnknownFormatMessage(const std::string& path);

}  // namespace store
