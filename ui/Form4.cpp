#include "ui/Form4.h"

#include "res/resource.h"

namespace ui {

namespace {

// Neither button takes IDOK or IDCANCEL: the dialog manager turns Enter and Esc
// into clicks of the buttons with those identifiers, and in this window they are
// to press nothing.
const toolkit::TControlArgs kLabel1{8, 4, 221, 12, "フォルダを選択してください"};
const toolkit::TControlArgs kShellTreeView1{4, 20, 225, 237, "", 0, WS_EX_CLIENTEDGE};
const toolkit::TControlArgs kButton1{8, 264, 75, 25, "OK"};
const toolkit::TControlArgs kButton2{88, 264, 75, 25, "キャンセル"};

// The class icon: the program's own, or the system's application icon when the
// executable carries none (the test programs). Both are shared icons.
HICON ProgramClassIcon() {
  HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VANTRY));
  return icon ? icon : ::LoadIconA(nullptr, IDI_APPLICATION);
}

}  // namespace

TForm4::TForm4(HWND owner) {
  CreateTopLevel(kClassName, "Form4", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                 WS_EX_CONTROLPARENT, 465, 101, 240, 330, owner, ProgramClassIcon());
  SetIcons(MAKEINTRESOURCEA(IDI_VANTRY));
  SetMinSize(240, 330);
  SetMaxSize(240, 330);
  SetProgramFont();

  // The label names no control, so '&' and the like are shown as they stand.
  toolkit::CreateLabel(Handle(), kLabel1, SS_LEFT | SS_NOPREFIX);
  ShellTreeView1.OnEditing = Handler(&TForm4::ShellTreeView1Editing);
  ShellTreeView1.OnChange = Handler(&TForm4::ShellTreeView1Change);
  ShellTreeView1.Create(Handle(), kShellTreeView1);
  Button1.Create(Handle(), kButton1, Handler(&TForm4::Button1Click));
  Button2.Create(Handle(), kButton2, Handler(&TForm4::Button2Click));
  KeepInWorkArea();
  // The tree selected its root before OK was there to follow it.
  ShellTreeView1Change(ShellTreeView1.Selected());
}

std::string TForm4::SelectedPath() const {
  return ShellTreeView1.FolderPathOf(ShellTreeView1.Selected());
}

void TForm4::Button1Click() {
  if (SelectedPath().empty()) return;
  Tag = kPickerConfirmed;
  EndModal(toolkit::mrOk);
}

void TForm4::Button2Click() { EndModal(toolkit::mrCancel); }

bool TForm4::ShellTreeView1Editing(HTREEITEM) { return false; }

void TForm4::ShellTreeView1Change(HTREEITEM node) {
  if (Button1.Handle())
    ::EnableWindow(Button1.Handle(), !ShellTreeView1.FolderPathOf(node).empty());
}

}  // namespace ui
