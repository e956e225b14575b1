#include "ui/OKBottomDlg.h"

#include "res/resource.h"
#include "toolkit/Paths.h"

namespace ui {

namespace {

// Labels take the size of their text at the designed position, so a substitute
// for "ＭＳ Ｐゴシック" that runs wider never clips them.
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

void FitToText(HWND label) {
  char text[256] = {};
  ::GetWindowTextA(label, text, sizeof text);
  toolkit::WindowDC dc(label);
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0));
  HGDIOBJ old = ::SelectObject(dc.get(), font);
  RECT rc = {0, 0, 0, 0};
  ::DrawTextA(dc.get(), text, -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc.get(), old);
  ::SetWindowPos(label, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The program's icon at 48 pixels; the system's application icon when the
// executable carries none (the test programs).
HICON LoadLargeProgramIcon() {
  HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VANTRY),
                             IMAGE_ICON, 48, 48, 0);
  // 32512 is the system's application icon (IDI_APPLICATION, OIC_SAMPLE); loaded
  // without LR_SHARED, at the asked size, and owned like the program's own.
  if (!icon) icon = ::LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_ICON, 48, 48, 0);
  return static_cast<HICON>(icon);
}

}  // namespace

TOKBottomDlg::TOKBottomDlg(HWND owner) {
  RECT outer = {0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  int width = outer.right - outer.left;
  int height = outer.bottom - outer.top;
  int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  CreateTopLevel(kClassName, "バージョン", kStyle, kExStyle, left, top, width, height, owner);
  SetFont(toolkit::CreateProgramFont());
  titleFont_ = toolkit::CreateProgramFont(19, true);
  versionFont_ = toolkit::CreateProgramFont(12, true);
  linkFont_ = toolkit::CreateProgramFont(12, false, true);

  icon_.reset(LoadLargeProgramIcon());
  Image1 = toolkit::CreateChild(Handle(), "STATIC", kImage1, SS_ICON | SS_CENTERIMAGE);
  ::SendMessageA(Image1, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_.get()));

  Label1 = CreateLabel(kLabel1, titleFont_.get());
  Label2 = CreateLabel(kLabel2, versionFont_.get());
  Label3 = CreateLabel(kLabel3, nullptr);
  Label4 = CreateLabel(kLabel4, nullptr);
  // SS_NOTIFY makes the label answer the pointer: it reports clicks and is asked
  // for its cursor.
  Label5 = CreateLabel(kLabel5, linkFont_.get(), SS_NOTIFY,
                       {[click = Handler(&TOKBottomDlg::Label5Click)](WORD code) {
                         if (code == STN_CLICKED) click();
                       }});

  OKBtn.Create(Handle(), kOKBtn, Handler(&TOKBottomDlg::OKBtnClick));
}

HWND TOKBottomDlg::CreateLabel(const toolkit::TControlArgs& args, HFONT font, DWORD style,
                               toolkit::TChildEvents events) {
  HWND label = toolkit::CreateChild(Handle(), "STATIC", args, SS_LEFT | SS_NOPREFIX | style,
                                    std::move(events));
  if (label && font) ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (label) FitToText(label);
  return label;
}

void TOKBottomDlg::Label5Click() {
  ShellOpen(Handle(), "Open", kHomePage, "", toolkit::WithTrailingBackslash(toolkit::ProgramFolder()), SW_SHOWDEFAULT);
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
    case WM_ACTIVATE:
      // The only control that takes the keyboard is the default button.
      if (LOWORD(wp) != WA_INACTIVE && OKBtn.Handle()) {
        ::SetFocus(OKBtn.Handle());
        return 0;
      }
      break;
  }
  return TWindow::HandleMessage(msg, wp, lp);
}

}  // namespace ui
