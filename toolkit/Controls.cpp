#include "toolkit/Controls.h"

#include <commctrl.h>

#include <climits>
#include <cstdlib>

#include "toolkit/Window.h"

namespace toolkit {

HWND CreateChild(HWND parent, const char* className, const TControlArgs& args, DWORD style,
                 TChildEvents events) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE));
  HWND hwnd = ::CreateWindowExA(args.ExStyle, className, args.Caption.c_str(),
                                WS_CHILD | WS_VISIBLE | style | args.Style, args.Left, args.Top,
                                args.Width, args.Height, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(args.Id)), instance,
                                nullptr);
  if (hwnd) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(parent, WM_GETFONT, 0, 0));
    if (font) ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    AttachChild(hwnd, args, std::move(events));
  }
  return hwnd;
}

void AttachChild(HWND child, const TControlArgs& args, TChildEvents events) {
  TWindow* window = TWindow::Of(child);
  if (!window) return;
  // A control that keeps its place at the top left needs no moving.
  if (args.Anchors != (akLeft | akTop)) window->Anchor(child, args.Anchors);
  window->Bind(child, std::move(events));
}

bool ParseInteger(const std::string& text, int* value) {
  if (text.empty()) return false;
  size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (text[0] == '-') v = -v;
  if (v < INT_MIN || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

HWND TButton::Create(HWND parent, const TControlArgs& args, std::function<void()> onClick) {
  if (onClick) OnClick = std::move(onClick);
  hwnd_ = CreateChild(parent, "BUTTON", args, WS_TABSTOP | BS_PUSHBUTTON,
                      {[this](WORD code) {
                        if (code == BN_CLICKED) Click();
                      }});
  return hwnd_;
}

void TCheckBox::SetChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  if (hwnd_) ::SendMessageA(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  if (OnClick) OnClick();
}

HWND TCheckBox::Create(HWND parent, const TControlArgs& args, std::function<void()> onClick) {
  if (onClick) OnClick = std::move(onClick);
  hwnd_ = CreateChild(parent, "BUTTON", args, WS_TABSTOP | BS_AUTOCHECKBOX,
                      {[this](WORD code) { Command(code); }});
  if (hwnd_) ::SendMessageA(hwnd_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
  return hwnd_;
}

void TCheckBox::Command(WORD code) {
  if (code != BN_CLICKED) return;
  bool now = ::SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (now != checked_) {
    checked_ = now;
    if (OnClick) OnClick();
  }
}

TSpinEdit::TSpinEdit(int minValue, int maxValue, int value)
    : min_(minValue), max_(maxValue), text_(std::to_string(Clamp(value))) {}

int TSpinEdit::Value() const {
  int v = 0;
  return ParseInteger(text_, &v) ? v : min_;
}

void TSpinEdit::SetValue(int value) {
  text_ = std::to_string(Clamp(value));
  ShowText();
}

void TSpinEdit::SetText(std::string text) {
  text_ = std::move(text);
  ShowText();
}

void TSpinEdit::FocusLost() {
  int v = Value();
  if (v != Clamp(v) || text_ != std::to_string(v)) SetValue(v);
}

void TSpinEdit::ShowText() {
  if (!edit_) return;
  updating_ = true;
  ::SetWindowTextA(edit_, text_.c_str());
  updating_ = false;
}

HWND TSpinEdit::Create(HWND parent, const TControlArgs& args) {
  // The designed width holds the edit and the arrows beside it. A thin border and
  // narrow arrows leave three digits room.
  constexpr int kArrowsWidth = 13;
  TControlArgs editArgs = args;
  editArgs.Caption = text_;
  editArgs.Width = args.Width - kArrowsWidth;
  edit_ = CreateChild(parent, "EDIT", editArgs, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_NUMBER,
                      {[this](WORD code) { Command(code); }});
  if (!edit_) return nullptr;
  ::SendMessageA(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 0));
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE));
  updown_ = ::CreateWindowExA(0, UPDOWN_CLASSA, "",
                              WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                                  UDS_SETBUDDYINT,
                              args.Left + editArgs.Width, args.Top, kArrowsWidth, args.Height,
                              parent, nullptr, instance, nullptr);
  ::SendMessageA(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
  ::SendMessageA(updown_, UDM_SETRANGE32, min_, max_);
  ShowText();
  return edit_;
}

void TSpinEdit::Command(WORD code) {
  switch (code) {
    case EN_CHANGE:
      if (!updating_) {
        char buffer[64] = {};
        ::GetWindowTextA(edit_, buffer, sizeof buffer);
        text_ = buffer;
      }
      break;
    case EN_KILLFOCUS:
      FocusLost();
      break;
  }
}

}  // namespace toolkit
