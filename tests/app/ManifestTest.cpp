// The manifest of the built program, read the way Windows reads it at start: an
// activation context made from the executable's manifest resource, asked for the
// settings Windows takes the process's DPI awareness from.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestSupport.h"

namespace {

// An activation context of the executable's own manifest (resource 1), released
// with the object.
class ManifestContext {
public:
  explicit ManifestContext(const std::string& exe) {
    ACTCTXA context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = exe.c_str();
    context.lpResourceName = MAKEINTRESOURCEA(1);
    handle_ = ::CreateActCtxA(&context);
  }
  ~ManifestContext() {
    if (handle_ != INVALID_HANDLE_VALUE) ::ReleaseActCtx(handle_);
  }
  ManifestContext(const ManifestContext&) = delete;
  ManifestContext& operator=(const ManifestContext&) = delete;

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // A setting of the windowsSettings element in the namespace, or "" without one.
  std::wstring Setting(const wchar_t* nameSpace, const wchar_t* name) const {
    wchar_t buffer[256] = {};
    SIZE_T written = 0;
    if (!::QueryActCtxSettingsW(0, handle_, nameSpace, name, buffer, 256, &written)) return {};
    return buffer;
  }

private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

// Windows 10 from 1607 reads dpiAwareness and, knowing it, ignores dpiAware;
// Windows 7 and 8 read only dpiAware, and take "true" for the system's DPI.
TEST(Manifest, DeclaresEachMonitorsDpiWithTheSystemsAsTheFallback) {
  ManifestContext manifest(testsupport::TestBinDir() + "\\..\\Vantry.exe");
  ASSERT_TRUE(manifest.Valid()) << ::GetLastError();
  EXPECT_EQ(L"PerMonitorV2, PerMonitor",
            manifest.Setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                             L"dpiAwareness"));
  EXPECT_EQ(L"true", manifest.Setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                      L"dpiAware"));
}
