// Replacing a file while another program reads it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "TestSupport.h"
#include "store/TextFile.h"
#include "toolkit/Handle.h"

using testsupport::TempDir;

// An export started by a script reads the process list while the program saves
// it: the rename over the open file waits for the reader instead of failing.
TEST(TextFile, AReaderThatLetsGoWithinAMomentDoesNotCostTheSave) {
  TempDir dir;
  const std::string path = dir.file("ProcessList.dat");
  testsupport::WriteFileBytes(path, "old");
  toolkit::FileHandle reader(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  std::thread letGo([&reader] {
    ::Sleep(300);
    reader.reset();
  });
  EXPECT_NO_THROW(store::ReplaceWholeFile(path, "new", false));
  letGo.join();
  EXPECT_EQ("new", testsupport::ReadFileBytes(path));
  EXPECT_FALSE(testsupport::Exists(path + ".tmp"));
}
