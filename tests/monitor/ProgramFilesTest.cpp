// The listed files apart from the list: which paths are grouped by folder, each
// distinct path held once, and a folder read whole giving what asking file by
// file gives.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "monitor/ProgramFiles.h"
#include "toolkit/AnsiText.h"

using monitor::FolderReading;
using monitor::PlainFileNameStart;
using monitor::TListedFile;
using monitor::TProgramFiles;
using testsupport::TempDir;

TEST(ProgramFiles, OnlyPlainLocalPathsAreGroupedByFolder) {
  EXPECT_EQ(3u, PlainFileNameStart(L"C:\\a.exe"));
  EXPECT_EQ(12u, PlainFileNameStart(L"d:\\Tools\\v2\\tool.exe"));
  EXPECT_EQ(10u, PlainFileNameStart(L"C:\\P. r o\\a"));  // inner dots and spaces are plain
  EXPECT_EQ(5u, PlainFileNameStart(L"C:\\\uD45C\\\uAE40.exe"));
  EXPECT_EQ(7u, PlainFileNameStart(L"C:\\dir\\com10.exe"));
  for (const wchar_t* alone :
       {L"", L"a.exe", L"[不明]", L"C:a.exe", L"C:\\", L"\\\\server\\share\\a.exe",
        L"\\\\?\\C:\\a.exe", L"C:/dir/a.exe", L"C:\\dir\\a*.exe", L"C:\\dir\\a?.exe",
        L"C:\\dir\\a.exe:stream", L"C:\\dir\\a.exe.", L"C:\\dir\\a.exe ", L"C:\\dir.\\a.exe",
        L"C:\\dir\\\\a.exe", L"C:\\dir\\..\\a.exe", L"C:\\dir\\.\\a.exe", L"C:\\dir\\NUL",
        L"C:\\dir\\com1.exe", L"C:\\dir\\a<b.exe", L"C:\\dir\\tab\t.exe", L"1:\\a.exe",
        L"C:\\dir\\"}) {
    EXPECT_EQ(0u, PlainFileNameStart(alone)) << toolkit::Utf8Of(alone);
  }
  // Past this length the system makes a path full before it reads it.
  EXPECT_EQ(3u, PlainFileNameStart(L"C:\\" + std::wstring(MAX_PATH - 16, L'a')));
  EXPECT_EQ(0u, PlainFileNameStart(L"C:\\" + std::wstring(MAX_PATH - 15, L'a')));
}

TEST(ProgramFiles, EachDistinctPathIsHeldOnce) {
  TProgramFiles files;
  int a = files.Intern("C:\\dir\\a.exe");
  int b = files.Intern("C:\\dir\\b.exe");
  EXPECT_NE(a, b);
  EXPECT_EQ(a, files.Intern("C:\\dir\\a.exe"));
  EXPECT_NE(a, files.Intern("C:\\DIR\\a.exe"));  // the letter case is the system's to judge
  EXPECT_EQ(3, files.Count());
  EXPECT_EQ("C:\\dir\\b.exe", files.Path(b));
}

// Every kind of entry a listing holds, in a folder of its own; the findings of a
// reading of the whole folder against those of asking for each file.
TEST(ProgramFiles, AFolderReadWholeGivesWhatAskingEachFileGives) {
  TempDir dir;
  const std::string folder = dir.path() + "\\表示";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  auto in = [&](const std::string& name) { return folder + "\\" + name; };
  testsupport::WriteFileBytes(in("alive.exe"), "x");
  testsupport::WriteFileBytes(in("Upper.EXE"), "x");
  testsupport::WriteFileBytes(in("old.exe"), "x");
  testsupport::SetLocalWriteTime(in("old.exe"), testsupport::LocalTime(1979, 12, 31, 23, 0, 0));
  testsupport::WriteFileBytes(in("new.exe"), "x");
  testsupport::SetLocalWriteTime(in("new.exe"), testsupport::LocalTime(1980, 1, 1, 12, 0, 0));
  ::CreateDirectoryA(in("sub.exe").c_str(), nullptr);
  testsupport::WriteFileBytes(in("ソフト.exe"), "x");
  testsupport::WriteFileBytes(in("a rather long name.exe"), "x");
  // The short name of a long one, which the listing does not hold.
  char shortPath[MAX_PATH] = {};
  ::GetShortPathNameA(in("a rather long name.exe").c_str(), shortPath, MAX_PATH);
  const std::string shortName = std::string(shortPath).substr(std::string(shortPath).rfind('\\') + 1);
  const std::string paths[] = {in("alive.exe"), in("upper.exe"), in("old.exe"),  in("new.exe"),
                               in("sub.exe"),   in("gone.exe"),  in("ソフト.exe"), in(shortName),
                               in("\x81")};  // a lead byte with nothing after it

  TListedFile each[std::size(paths)];
  for (FolderReading reading : {FolderReading::kNever, FolderReading::kAlways}) {
    TProgramFiles files;
    files.Reading = reading;
    for (const std::string& path : paths) files.Use(files.Intern(path));
    ASSERT_TRUE(files.Test([] { return false; }));
    for (size_t i = 0; i < std::size(paths); ++i) {
      SCOPED_TRACE(paths[i]);
      TListedFile state = files.State(files.Intern(paths[i]));
      EXPECT_EQ(monitor::ListedFileState(paths[i], monitor::TRealPaths()), state);
      if (reading == FolderReading::kNever) each[i] = state;
      else EXPECT_EQ(each[i], state);
    }
    EXPECT_EQ(reading == FolderReading::kAlways ? 1 : 0, files.FoldersRead());
  }
  EXPECT_EQ(TListedFile::Exists, each[0]);
  EXPECT_EQ(TListedFile::Exists, each[1]);
  EXPECT_EQ(TListedFile::Gone, each[2]);
  EXPECT_EQ(TListedFile::Exists, each[3]);
  EXPECT_EQ(TListedFile::Gone, each[4]);
  EXPECT_EQ(TListedFile::Gone, each[5]);
  EXPECT_EQ(TListedFile::Exists, each[6]);
}

TEST(ProgramFiles, AFolderThatCannotBeListedIsAskedFileByFile) {
  TempDir dir;
  TProgramFiles files;
  files.Reading = FolderReading::kAlways;
  int gone = files.Intern(dir.file("no folder\\a.exe"));
  files.Use(gone);
  ASSERT_TRUE(files.Test([] { return false; }));
  EXPECT_EQ(TListedFile::Gone, files.State(gone));
  EXPECT_EQ(0, files.FoldersRead());
  EXPECT_EQ(1, files.FilesAsked());
  EXPECT_TRUE(files.AnyGone());
}

// Measured: a folder of many listed files is read whole once to learn what that
// costs; a folder of few is not, until then.
TEST(ProgramFiles, OnlyAFolderOfManyListedFilesIsReadToLearnItsCost) {
  TempDir dir;
  TProgramFiles files;
  for (int i = 0; i < 64; ++i) files.Use(files.Intern(dir.file("p" + std::to_string(i) + ".exe")));
  ::CreateDirectoryA(dir.file("few").c_str(), nullptr);
  for (int i = 0; i < 63; ++i)
    files.Use(files.Intern(dir.file("few\\p" + std::to_string(i) + ".exe")));
  int network = files.Intern("\\\\server\\share\\a.exe");
  files.Use(network);
  ASSERT_TRUE(files.Test([] { return false; }));
  EXPECT_EQ(1, files.FoldersRead());
  EXPECT_EQ(TListedFile::NotTestable, files.State(network));
  // Unmarked paths are not tested.
  ASSERT_TRUE(files.Test([] { return false; }));
  EXPECT_EQ(0, files.FoldersRead());
  EXPECT_EQ(0, files.FilesAsked());
  EXPECT_EQ(TListedFile::NotTestable, files.State(0));
  EXPECT_FALSE(files.AnyGone());
}
