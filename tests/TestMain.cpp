#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

int main(int argc, char** argv) {
  // The shell and COM pieces expect an apartment on the thread that uses them.
  ::CoInitialize(nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  ::CoUninitialize();
  return result;
}
