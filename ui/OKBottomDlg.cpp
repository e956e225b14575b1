#include "ui/OKBottomDlg.h"

#include "res/resource.h"
#include "toolkit/Paths.h"

namespace ui {

namespace {

// Labels take the size of their text at the designed position, so a substitute
// for "ＭＳ Ｐゴシック" that runs wider, or a scaled font, never clips them.
const toolkit::TControlArgs kImage1{24, 12, 49, 49};
const toolkit::TControlArgs kLabel1{96, 16, 139, 19, "Vantry"};
const toolkit::TControlArgs kLabel2{96, 44, 45, 12, "Ver1.20"};
const toolkit::TControlArgs kLabel3{48, 76, 138, 12, "作者：Vantry 開発チーム"};
// ホームページ, an ideographic space, an ordinary space and a full-width colon.
const toolkit::TControlArgs kLabel4{48, 100, 87, 12, "ホームページ\u3000 \uFF1A"};
const toolkit::TControlArgs kLabel5{148, 100, 60, 12, "Vantry のページ"};
// Enter is the default button's: the dialog manager clicks the button with IDOK.
// Esc finds no button with IDCANCEL and does nothing.
const toolkit::TControlArgs kOKBtn{99, 128, 75, 25, "OK", BS_DEFPUSHBUTTON, 0, IDOK};

constexpr int kClientWidth = 262;
constexpr int kClientHeight = 168;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The program's icon at the size of the picture (48 pixels as designed); the
// system's application icon when the executable carries none (the test programs).
HICON LoadLargeProgramIcon(int size) {
  HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VANTRY),
                             IMAGE_ICON, size, size, 0);
  // 32512 is the system's application icon (IDI_APPLICATION, OIC_SAMPLE); loaded
  // without LR_SHARED, at the asked size, and owned like the program's own.
  if (!icon) icon = ::LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_ICON, size, size, 0);
  return static_cast<HICON>(icon);
}

}  // namespace

TOKBottomDlg::TOKBottomDlg(HWND owner) {
  // The designed outer size: the client area in the frame of a 96-DPI screen.
  RECT frame = toolkit::FrameForDpi(kStyle, kExStyle, toolkit::kDesignDpi);
  CreateTopLevel(kClassName, "バージョン", kStyle, kExStyle, 0, 0,
                 kClientWidth + frame.right - frame.left, kClientHeight + frame.bottom - frame.top,
                 owner);
  SetProgramFont();

  Image1 = toolkit::CreateChild(Handle(), "STATIC", kImage1, SS_ICON | SS_CENTERIMAGE);
  ShowIcon();
  Label1 = CreateLabel(kLabel1, {19, true});
  Label2 = CreateLabel(kLabel2, {12, true});
  Label3 = CreateLabel(kLabel3);
  Label4 = CreateLabel(kLabel4);
  // SS_NOTIFY makes the label answer the pointer: it reports clicks and is asked
  // for its cursor.
  Label5 = CreateLabel(kLabel5, {12, false, true}, SS_NOTIFY,
                       {[click = Handler(&TOKBottomDlg::Label5Click)](WORD code) {
                         if (code == STN_CLICKED) click();
                       }});

  OKBtn.Create(Handle(), kOKBtn, Handler(&TOKBottomDlg::OKBtnClick));

  // In the middle of the screen, at the size of its DPI.
  RECT rc;
  ::GetWindowRect(Handle(), &rc);
  ::SetWindowPos(Handle(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - (rc.bottom - rc.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  KeepInWorkArea();
}

HWND TOKBottomDlg::CreateLabel(const toolkit::TControlArgs& args, const toolkit::TFontLook& font,
                               DWORD style, toolkit::TChildEvents events) {
  return toolkit::CreateLabel(Handle(), args, SS_LEFT | SS_NOPREFIX | style, ProgramFont(font),
                              std::move(events));
}

void TOKBottomDlg::ShowIcon() {
  // The picture is as large as its static at the DPI, less the designed pixel;
  // the static lets go of the old one before it is destroyed.
  toolkit::IconHandle icon(LoadLargeProgramIcon(Scale(kImage1.Width - 1)));
  ::SendMessageA(Image1, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
  icon_ = std::move(icon);
}

void TOKBottomDlg::DpiChanged(int) { ShowIcon(); }

void TOKBottomDlg::Label5Click() {
  ShellOpen(Handle(), L"Open", kHomePage, L"",
            toolkit::WithTrailingBackslash(toolkit::ProgramFolderWide()), SW_SHOWDEFAULT);
}

void TOKBottomDlg::OKBtnClick() { EndModal(toolkit::mrOk); }

LRESULT TOKBottomDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == Label5) {
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, RGB(0, 0, 255));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (Label5 && reinterpret_cast<HWND>(wp) == Label5) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
  }
  return TWindow::HandleMessage(msg, wp, lp);
}

}  // namespace ui
