#include <gtest/gtest.h>

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
