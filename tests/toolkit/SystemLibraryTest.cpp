#include <gtest/gtest.h>

#include "TestSupport.h"
#include "toolkit/Handle.h"
#include "toolkit/SystemLibrary.h"

TEST(SystemLibrary, LoadsFromTheSystemDirectory) {
  toolkit::ModuleHandle psapi(toolkit::LoadSystemLibrary("psapi.dll"));
  ASSERT_TRUE(psapi);
  char path[MAX_PATH] = {};
  char system[MAX_PATH] = {};
  ::GetModuleFileNameA(psapi.get(), path, MAX_PATH);
  ::GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(0, _strnicmp(path, system, strlen(system))) << path;
}

// A DLL planted beside the program must never be the one loaded.
TEST(SystemLibrary, IgnoresADllBesideTheProgram) {
  std::string planted = testsupport::TestBinDir() + "\\vantry-planted.dll";
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  ASSERT_TRUE(::CopyFileA((std::string(system) + "\\psapi.dll").c_str(), planted.c_str(), FALSE));
  toolkit::ModuleHandle module(toolkit::LoadSystemLibrary("vantry-planted.dll"));
  ::DeleteFileA(planted.c_str());
  EXPECT_FALSE(module);
  // The same name through the ordinary search order would have found it.
  ASSERT_TRUE(::CopyFileA((std::string(system) + "\\psapi.dll").c_str(), planted.c_str(), FALSE));
  {
    toolkit::ModuleHandle ordinary(::LoadLibraryA("vantry-planted.dll"));
    EXPECT_TRUE(ordinary);
  }  // let go of the file before it is deleted
  ::DeleteFileA(planted.c_str());
}

// Last in this file: the narrowed search stays for the life of the process.
TEST(SystemLibrary, ANarrowedSearchTakesABareNameFromTheSystemFolderOnly) {
  std::string planted = testsupport::TestBinDir() + "\\vantry-planted.dll";
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  ASSERT_TRUE(::CopyFileA((std::string(system) + "\\psapi.dll").c_str(), planted.c_str(), FALSE));
  EXPECT_TRUE(toolkit::RestrictDllSearchPath());
  {
    toolkit::ModuleHandle fromBeside(::LoadLibraryA("vantry-planted.dll"));
    EXPECT_FALSE(fromBeside);
    toolkit::ModuleHandle byName(::LoadLibraryA("version.dll"));
    EXPECT_TRUE(byName);
    toolkit::ModuleHandle byPath(toolkit::LoadSystemLibrary("version.dll"));
    EXPECT_TRUE(byPath);
  }
  ::DeleteFileA(planted.c_str());
}
