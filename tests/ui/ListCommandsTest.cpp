#include <gtest/gtest.h>

#include <vector>

#include "toolkit/AnsiText.h"
#include "ui/ListCommands.h"

namespace {

struct OpenCall {
  HWND owner;
  std::wstring operation, file, parameters, directory;
  int show;
};

ui::TShellOpen Recorder(std::vector<OpenCall>& calls) {
  return [&calls](HWND owner, const std::wstring& operation, const std::wstring& file,
                  const std::wstring& parameters, const std::wstring& directory, int show) {
    calls.push_back({owner, operation, file, parameters, directory, show});
  };
}

std::string ClipboardText() {
  std::string text;
  if (!::OpenClipboard(nullptr)) return "<no clipboard>";
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

}  // namespace

TEST(OpenFolder, PassesThePathWithSpacesUnquotedAfterSelect) {
  std::vector<OpenCall> calls;
  ui::OpenContainingFolder(Recorder(calls), nullptr, L"C:\\Program Files\\My App\\app.exe",
                           L"C:\\Vantry\\");
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(L"Open", calls[0].operation);
  EXPECT_EQ(L"Explorer", calls[0].file);
  EXPECT_EQ(L" /select,C:\\Program Files\\My App\\app.exe", calls[0].parameters);
  EXPECT_EQ(L"C:\\Vantry\\", calls[0].directory);
  EXPECT_EQ(SW_SHOWDEFAULT, calls[0].show);
}

TEST(OpenFolder, TheUnknownPathMarkerOpensNothing) {
  std::vector<OpenCall> calls;
  ui::OpenContainingFolder(Recorder(calls), nullptr, toolkit::Widen("[不明]"), L"C:\\Vantry\\");
  EXPECT_TRUE(calls.empty());
}

TEST(FileProperties, AsksForThePropertiesVerbWithoutErrorInterface) {
  SHELLEXECUTEINFOW seen = {};
  std::wstring file;
  ui::ShowFileProperties(
      [&](SHELLEXECUTEINFOW& info) {
        seen = info;
        file = info.lpFile;
      },
      nullptr, toolkit::Widen("[不明]"));
  EXPECT_EQ(60u, seen.cbSize);
  EXPECT_EQ(0x44Cu, seen.fMask);
  EXPECT_STREQ(L"Properties", seen.lpVerb);
  EXPECT_EQ(toolkit::Widen("[不明]"), file);  // handed over unchanged; the shell shows nothing for it
  EXPECT_EQ(nullptr, seen.lpParameters);
  EXPECT_EQ(nullptr, seen.lpDirectory);
  EXPECT_EQ(nullptr, seen.lpIDList);
}

TEST(Clipboard, HoldsExactlyTheCopiedTextWithoutALineBreak) {
  ASSERT_TRUE(ui::CopyTextToClipboard(nullptr, "first.exe"));
  ASSERT_TRUE(ui::CopyTextToClipboard(nullptr, "C:\\新しい フォルダ\\second.exe"));
  EXPECT_EQ("C:\\新しい フォルダ\\second.exe", ClipboardText());
}
