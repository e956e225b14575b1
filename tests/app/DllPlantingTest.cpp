// A DLL put beside Vantry.exe must never run inside it. Windows looks for a DLL
// that an executable imports by name in the executable's own folder before the
// system folder, unless Windows always takes that DLL from its own folder; and
// Vantry.exe starts at every log-on from a folder its user can write to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "TestSupport.h"

using programrun::Ended;
using programrun::Program;
using programrun::WaitForWindow;
using testsupport::Exists;
using testsupport::TempDir;

namespace {

// The DLLs Vantry.exe may import, and why no copy beside it can stand in for one:
// - These are KnownDLLs on Windows 7 to 11 (the KnownDLLs key under
//   HKLM\SYSTEM\CurrentControlSet\Control\Session Manager, and KnownDlls32 for
//   a 32-bit program on 64-bit Windows): Windows maps them from its own folder
//   for every process, before any folder is searched, and the DLLs they import
//   with them.
// - comctl32.dll is no KnownDLL. Version 6 is bound through the side-by-side
//   manifest in the program's resources (Common-Controls 6.0.0.0), and
//   side-by-side looks for that assembly in WinSxS first, where every Windows
//   since XP has it; the program's folder would only be searched for an assembly
//   missing there. Side-by-side redirection also comes before the program's
//   folder in the DLL search, and with a manifest Windows ignores a
//   Vantry.exe.local redirection. So comctl32 is allowed only while the manifest
//   names the assembly, which the test checks too.
// Every other DLL (version.dll, psapi.dll) is loaded at run time by its full
// path in the system folder, after the search has been narrowed to that folder.
const char* const kKnownDlls[] = {"advapi32.dll", "comdlg32.dll", "gdi32.dll",  "imm32.dll",
                                  "kernel32.dll", "msvcrt.dll",   "ole32.dll",  "oleaut32.dll",
                                  "psapi.dll",    "rpcrt4.dll",   "shell32.dll", "shlwapi.dll",
                                  "user32.dll",   "ws2_32.dll"};

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

template <typename T>
bool ReadAt(const std::string& image, size_t offset, T& out) {
  if (offset > image.size() || image.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, image.data() + offset, sizeof(T));
  return true;
}

// The DLLs named by the import table and the delay-load table of a 32-bit
// executable, read from its file; empty when it is not one.
std::vector<std::string> ImportedDlls(const std::string& path) {
  std::string image = testsupport::ReadFileBytes(path);
  IMAGE_DOS_HEADER dos;
  IMAGE_NT_HEADERS32 nt;
  if (!ReadAt(image, 0, dos) || !ReadAt(image, dos.e_lfanew, nt) ||
      nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
    return {};
  size_t sections = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                    nt.FileHeader.SizeOfOptionalHeader;
  auto fileOffset = [&](DWORD rva, size_t& offset) {
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section;
      if (!ReadAt(image, sections + i * sizeof section, section)) return false;
      DWORD size = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
      if (rva >= section.VirtualAddress && rva - section.VirtualAddress < size) {
        offset = rva - section.VirtualAddress + section.PointerToRawData;
        return true;
      }
    }
    return false;
  };
  auto nameAt = [&](DWORD rva) {
    size_t offset = 0;
    if (!fileOffset(rva, offset) || offset >= image.size()) return std::string();
    return std::string(image.c_str() + offset);
  };
  std::vector<std::string> dlls;
  const IMAGE_DATA_DIRECTORY& imports =
      nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  size_t at = 0;
  if (imports.VirtualAddress && fileOffset(imports.VirtualAddress, at)) {
    IMAGE_IMPORT_DESCRIPTOR entry;
    for (; ReadAt(image, at, entry) && entry.Name; at += sizeof entry)
      dlls.push_back(Lower(nameAt(entry.Name)));
  }
  const IMAGE_DATA_DIRECTORY& delayed =
      nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
  if (delayed.VirtualAddress && fileOffset(delayed.VirtualAddress, at)) {
    IMAGE_DELAYLOAD_DESCRIPTOR entry;
    for (; ReadAt(image, at, entry) && entry.DllNameRVA; at += sizeof entry)
      dlls.push_back(Lower(nameAt(entry.DllNameRVA)));
  }
  return dlls;
}

std::string ManifestOf(const std::string& exe) {
  toolkit::ModuleHandle module(::LoadLibraryExA(
      exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return {};
  HRSRC found = ::FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  HGLOBAL loaded = found ? ::LoadResource(module.get(), found) : nullptr;
  const char* text = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
  return text ? std::string(text, ::SizeofResource(module.get(), found)) : std::string();
}

// Wine loads its own builtin version.dll whatever lies beside a program, unless
// told to prefer a native one: the override of one program, in Wine's registry,
// for the life of this object. (On Windows the planted DLL would win unasked.)
class NativeVersionDllPreferred {
public:
  explicit NativeVersionDllPreferred(const std::string& exeName)
      : key_("Software\\Wine\\AppDefaults\\" + exeName) {
    HKEY overrides = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &overrides, nullptr) != ERROR_SUCCESS) {
      ADD_FAILURE() << "no key " << key_;
      return;
    }
    const char order[] = "native,builtin";
    ::RegSetValueExA(overrides, "version", 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                     sizeof order);
    ::RegCloseKey(overrides);
  }
  ~NativeVersionDllPreferred() {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
  }
  NativeVersionDllPreferred(const NativeVersionDllPreferred&) = delete;
  NativeVersionDllPreferred& operator=(const NativeVersionDllPreferred&) = delete;

private:
  std::string key_;
};

}  // namespace

TEST(DllPlanting, TheProgramImportsOnlyDllsWindowsTakesFromItsOwnFolder) {
  std::string exe = testsupport::TestBinDir() + "\\..\\Vantry.exe";
  std::vector<std::string> dlls = ImportedDlls(exe);
  ASSERT_FALSE(dlls.empty()) << "no import table read from " << exe;
  EXPECT_NE(dlls.end(), std::find(dlls.begin(), dlls.end(), "kernel32.dll"));
  for (const std::string& dll : dlls) {
    if (dll == "comctl32.dll") continue;
    EXPECT_NE(std::end(kKnownDlls), std::find(std::begin(kKnownDlls), std::end(kKnownDlls), dll))
        << dll << " is imported, and Windows would look for it beside the program first";
  }
  if (std::find(dlls.begin(), dlls.end(), "comctl32.dll") != dlls.end()) {
    std::string manifest = ManifestOf(exe);
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\""))
        << "comctl32.dll is imported without the side-by-side manifest that binds it";
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
  }
}

// Under Wine the planted DLL is loaded into the program all the same, and into
// any program with windows: Wine's own user32.dll imports version.dll, and told
// to prefer a native one, Wine takes it from the program's folder. Windows' user32
// is a KnownDLL, which imports no version.dll, and whose imports never come from
// a program's folder. So the test asks whether the program ever calls into the
// planted DLL, which it would through an import of its own.
TEST(DllPlanting, AVersionDllBesideTheProgramIsNeverCalledByIt) {
  TempDir dir;
  Program program(dir);
  std::string planted = testsupport::TestBinDir() + "\\planted\\version.dll";
  ASSERT_TRUE(::CopyFileA(planted.c_str(), dir.file("version.dll").c_str(), FALSE));
  std::string called = dir.file("planted-dll-called.txt");

  // The proof that the trap works: a program importing version.dll calls the one
  // beside it.
  {
    NativeVersionDllPreferred preferred("ImportsVersion.exe");
    std::string importer = dir.file("ImportsVersion.exe");
    ASSERT_TRUE(::CopyFileA((testsupport::TestBinDir() + "\\ImportsVersion.exe").c_str(),
                            importer.c_str(), FALSE));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessA(importer.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                 dir.path().c_str(), &si, &pi));
    testsupport::StartedProcess started(pi);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(started.process.get(), 20000));
    ASSERT_TRUE(Exists(called)) << "the planted DLL was not called even where it should be";
    ASSERT_TRUE(::DeleteFileA(called.c_str()));
  }

  NativeVersionDllPreferred preferred("Vantry.exe");
  PROCESS_INFORMATION pi = program.Start();
  HWND main = WaitForWindow(pi.dwProcessId, "TForm1");
  ASSERT_NE(nullptr, main);
  // Shown, it has read the shell's version and put up its icon.
  ASSERT_TRUE(programrun::BecomesVisible(main));
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(pi));
  EXPECT_FALSE(Exists(called)) << "Vantry.exe called the version.dll beside it";
}
