#include "toolkit/Dialogs.h"

#include "toolkit/Cp932.h"
#include "toolkit/Window.h"

namespace toolkit {

const char kApplicationTitle[] = "Vantry";

void ShowMessage(HWND owner, const std::string& text) {
  ::MessageBoxA(owner, text.c_str(), kApplicationTitle, MB_OK);
}

std::string ErrorBoxText(const std::string& message) {
  // The last character, not the last byte: a trailing byte can take any value.
  size_t last = cp932::LastCharStart(message);
  if (last >= message.size() || static_cast<unsigned char>(message[last]) <= '.') return message;
  return message + ".";
}

void ShowError(HWND owner, const std::string& message) {
  ::MessageBoxA(owner, ErrorBoxText(message).c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

bool AskWarningYesNo(HWND owner, const std::string& title, const std::string& text) {
  return ::MessageBoxA(owner, text.c_str(), title.c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON1) == IDYES;
}

namespace {

class TInputBox : public TWindow {
public:
  TInputBox(HWND owner, const std::string& caption, const std::string& prompt,
            const std::string& value, int maxBytes) {
    CreateTopLevel("VantryInputBox", caption, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 0, 0, 330, 130, owner);
    SetProgramFont();
    TControlArgs label{12, 10, 300, 14, prompt};
    CreateChild(Handle(), "STATIC", label, SS_LEFT);
    TControlArgs editArgs{12, 30, 300, 21, value};
    editArgs.ExStyle = WS_EX_CLIENTEDGE;
    edit_ = CreateChild(Handle(), "EDIT", editArgs, WS_TABSTOP | ES_AUTOHSCROLL);
    ::SendMessageA(edit_, EM_LIMITTEXT, maxBytes, 0);
    // Enter and Esc arrive from the dialog manager as clicks of the buttons that
    // carry IDOK and IDCANCEL.
    ok_.Create(Handle(), {156, 64, 75, 25, "OK", BS_DEFPUSHBUTTON, 0, IDOK}, Handler([this] {
                 char buffer[1024] = {};
                 ::GetWindowTextA(edit_, buffer, sizeof buffer);
                 text_ = buffer;
                 EndModal(mrOk);
               }));
    cancel_.Create(Handle(), {237, 64, 75, 25, "キャンセル", 0, 0, IDCANCEL},
                   Handler([this] { EndModal(mrCancel); }));
    Center(owner);
    ::SetFocus(edit_);
    ::SendMessageA(edit_, EM_SETSEL, 0, -1);
  }
  const std::string& Text() const { return text_; }
  HWND Edit() const { return edit_; }

private:
  void Center(HWND owner) {
    RECT area, rc;
    if (owner && ::IsWindowVisible(owner)) ::GetWindowRect(owner, &area);
    else ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(Handle(), &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    ::SetWindowPos(Handle(), nullptr, area.left + (area.right - area.left - w) / 2,
                   area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    KeepInWorkArea();
  }

  HWND edit_ = nullptr;
  TButton ok_;
  TButton cancel_;
  std::string text_;
};

}  // namespace

bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt,
                std::string& value, int maxBytes) {
  TInputBox box(owner, caption, prompt, value, maxBytes);
  if (box.ShowModal() != mrOk) return false;
  value = box.Text();
  return true;
}

}  // namespace toolkit
