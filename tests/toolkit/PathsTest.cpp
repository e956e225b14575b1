#include <gtest/gtest.h>

#include "toolkit/AnsiText.h"
#include "toolkit/Paths.h"

// "ソ" is 83 5C and "表" 95 5C in CP932: their trailing byte is the backslash's.
TEST(Paths, ABackslashIsACharacterNotAByte) {
  EXPECT_TRUE(toolkit::EndsWithBackslash("C:\\"));
  EXPECT_FALSE(toolkit::EndsWithBackslash("C:\\ソ"));
  EXPECT_TRUE(toolkit::EndsWithBackslash("C:\\ソ\\"));
  EXPECT_FALSE(toolkit::EndsWithBackslash(""));
  EXPECT_EQ("C:\\表\\", toolkit::WithTrailingBackslash("C:\\表"));
  EXPECT_EQ("C:\\", toolkit::WithTrailingBackslash("C:\\"));
}

TEST(Paths, TheFolderOfAPathEndsAtItsLastRealBackslash) {
  EXPECT_EQ("C:\\ソフト", toolkit::FolderOf("C:\\ソフト\\Vantry.exe"));
  EXPECT_EQ("C:\\tools", toolkit::FolderOf("C:\\tools\\ソ.exe"));
  EXPECT_EQ("", toolkit::FolderOf("Vantry.exe"));
}

TEST(Paths, TheProgramFolderHoldsTheProgram) {
  std::string exe = toolkit::ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(toolkit::ProgramFolder() + "\\", exe.substr(0, toolkit::ProgramFolder().size() + 1));
}

TEST(Paths, TheFileNameIsWhatFollowsTheLastRealBackslash) {
  EXPECT_EQ("Vantry.exe", toolkit::FileNameOf("C:\\ソフト\\Vantry.exe"));
  EXPECT_EQ("表.exe", toolkit::FileNameOf("C:\\tools\\表.exe"));
  EXPECT_EQ("bare.exe", toolkit::FileNameOf("bare.exe"));
  EXPECT_EQ("", toolkit::FileNameOf("C:\\tools\\"));
}

TEST(Paths, AnAbsolutePathHasADriveAndABackslashOrBeginsWithTwo) {
  for (const wchar_t* path : {L"C:\\", L"z:\\a.exe", L"\\\\server\\share\\a.exe", L"\\\\?\\C:\\a"})
    EXPECT_TRUE(toolkit::IsAbsolutePath(std::wstring(path))) << toolkit::Utf8Of(path);
  for (const wchar_t* path : {L"", L"C:", L"C:a.exe", L"\\a.exe", L"a.exe", L"Registry", L"1:\\a"})
    EXPECT_FALSE(toolkit::IsAbsolutePath(std::wstring(path))) << toolkit::Utf8Of(path);
  EXPECT_TRUE(toolkit::IsAbsolutePath(std::string("C:\\ソフト\\a.exe")));
  EXPECT_FALSE(toolkit::IsAbsolutePath(std::string("ソフト.exe")));
}

TEST(Paths, OnlyAPathTooLongForThePlainFormTakesTheLongForm) {
  const std::wstring shortPath = L"C:\\tools\\a.exe.";
  EXPECT_EQ(shortPath, toolkit::LongPathForm(shortPath)) << "read as the plain form reads it";
  const std::wstring folders = L"\\" + std::wstring(100, L'a') + L"\\" + std::wstring(100, L'b') +
                               L"\\" + std::wstring(100, L'c');
  EXPECT_EQ(L"\\\\?\\C:" + folders + L"\\x.exe",
            toolkit::LongPathForm(L"C:" + folders + L"\\.\\d\\..\\x.exe"));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share" + folders,
            toolkit::LongPathForm(L"\\\\server\\share" + folders));
  const std::wstring already = L"\\\\?\\C:" + folders;
  EXPECT_EQ(already, toolkit::LongPathForm(already));
}
