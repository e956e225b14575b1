#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "toolkit/AnsiText.h"
#include "ui/OKBottomDlg.h"

using testsupport::TDialogDriver;
using ui::TOKBottomDlg;

namespace {

struct TShellCall {
  HWND Owner;
  std::wstring Operation, File, Parameters, Directory;
  int Show;
};

std::string Text(HWND w) {
  char text[256] = {};
  ::GetWindowTextA(w, text, sizeof text);
  return text;
}

}  // namespace

TEST(AboutDialog, IsCentredWithItsDesignedClientArea) {
  TOKBottomDlg dialog;
  HWND w = dialog.Handle();
  ASSERT_NE(nullptr, w);
  EXPECT_FALSE(::IsWindowVisible(w));
  EXPECT_EQ("バージョン", Text(w));
  RECT client, outer;
  ::GetClientRect(w, &client);
  EXPECT_EQ(262, client.right);
  EXPECT_EQ(168, client.bottom);
  ::GetWindowRect(w, &outer);
  EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), outer.left + outer.right);
  EXPECT_LE(std::abs(::GetSystemMetrics(SM_CYSCREEN) - (outer.top + outer.bottom)), 1);
  LONG style = ::GetWindowLongA(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST(AboutDialog, ShowsTheVersionAndTheHomePageLabel) {
  TOKBottomDlg dialog;
  HWND w = dialog.Handle();
  EXPECT_NE(nullptr, ::FindWindowExA(w, nullptr, "STATIC", "Vantry"));
  EXPECT_NE(nullptr, ::FindWindowExA(w, nullptr, "STATIC", "Ver1.20"));
  // ホームページ, U+3000 (81 40 in CP932), an ordinary space, U+FF1A (81 46).
  EXPECT_NE(nullptr, ::FindWindowExA(w, nullptr, "STATIC",
                                     "\x83\x7A\x81\x5B\x83\x80\x83\x79\x81\x5B\x83\x57\x81\x40 \x81\x46"));
  HWND ok = dialog.OKBtnHandle();
  EXPECT_EQ("OK", Text(ok));
  EXPECT_EQ(BS_DEFPUSHBUTTON, ::GetWindowLongA(ok, GWL_STYLE) & 0x0F);
}

TEST(AboutDialog, TheLinkIsBlueUnderlinedWithAHandPointer) {
  TOKBottomDlg dialog;
  HWND link = dialog.Label5Handle();
  LOGFONTA font = {};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(link, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_TRUE(font.lfUnderline);

  toolkit::WindowDC dc(link);
  ::SendMessageA(dialog.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(link));
  EXPECT_EQ(RGB(0, 0, 255), ::GetTextColor(dc.get()));

  EXPECT_TRUE(::SendMessageA(dialog.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(::LoadCursorA(nullptr, IDC_HAND), ::GetCursor());
}

TEST(AboutDialogKeys, EnterClosesAndEscapeDoesNot) {
  TOKBottomDlg dialog;
  TDialogDriver driver(TOKBottomDlg::kClassName,
                       {[](HWND) { TDialogDriver::PressKey(nullptr, VK_ESCAPE); },
                        [](HWND) { TDialogDriver::PressKey(nullptr, VK_RETURN); }});
  EXPECT_EQ(toolkit::mrOk, dialog.ShowModal());
  EXPECT_TRUE(driver.Finished());  // Esc left it open for the Enter
  EXPECT_FALSE(driver.LeftOpen());
  EXPECT_FALSE(::IsWindowVisible(dialog.Handle()));
}

TEST(AboutDialogLink, EachClickOpensTheHomePageAndTheDialogStaysOpen) {
  TOKBottomDlg dialog;
  std::vector<TShellCall> calls;
  dialog.ShellOpen = [&](HWND owner, const std::wstring& operation, const std::wstring& file,
                         const std::wstring& parameters, const std::wstring& directory, int show) {
    calls.push_back({owner, operation, file, parameters, directory, show});
  };
  HWND link = dialog.Label5Handle();
  TDialogDriver driver(TOKBottomDlg::kClassName,
                       {[&](HWND) { TDialogDriver::Click(link); },
                        [&](HWND) { TDialogDriver::Click(link); },
                        [&](HWND) { TDialogDriver::Click(dialog.OKBtnHandle()); }});
  EXPECT_EQ(toolkit::mrOk, dialog.ShowModal());
  EXPECT_TRUE(driver.Finished());
  ASSERT_EQ(2u, calls.size());
  for (const TShellCall& call : calls) {
    EXPECT_EQ(dialog.Handle(), call.Owner);
    EXPECT_EQ(L"Open", call.Operation);
    EXPECT_EQ(TOKBottomDlg::kHomePage, call.File);
    EXPECT_EQ(L"", call.Parameters);
    EXPECT_EQ(toolkit::Widen(testsupport::TestBinDir()) + L"\\", call.Directory);
    EXPECT_EQ(SW_SHOWDEFAULT, call.Show);
    EXPECT_EQ(10, call.Show);
  }
}

TEST(AboutDialog, TheCloseBoxClosesIt) {
  TOKBottomDlg dialog;
  TDialogDriver driver(TOKBottomDlg::kClassName,
                       {[](HWND w) { ::PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }});
  dialog.ShowModal();
  EXPECT_TRUE(driver.Finished());
  EXPECT_FALSE(driver.LeftOpen());
  EXPECT_FALSE(::IsWindowVisible(dialog.Handle()));
}
