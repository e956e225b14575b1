#include "toolkit/Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "toolkit/AnsiText.h"
#include "toolkit/Window.h"

namespace toolkit {

RECT PixelRect(const TControlArgs& args, int dpi) {
  if (args.InPixels) return {args.Left, args.Top, args.Left + args.Width, args.Top + args.Height};
  // Place and size are scaled each on its own, so that controls designed alike
  // stay alike.
  const int left = ScaleToDpi(args.Left, dpi);
  const int top = ScaleToDpi(args.Top, dpi);
  return {left, top, left + ScaleToDpi(args.Width, dpi), top + ScaleToDpi(args.Height, dpi)};
}

HWND CreateChild(HWND parent, const char* className, const TControlArgs& args, DWORD style,
                 TChildEvents events) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE));
  const RECT rc = PixelRect(args, DpiOf(parent));
  HWND hwnd = ::CreateWindowExA(args.ExStyle, className, args.Caption.c_str(),
                                WS_CHILD | WS_VISIBLE | style | args.Style, rc.left, rc.top,
                                rc.right - rc.left, rc.bottom - rc.top, parent,
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
  window->Bind(child, std::move(events), args);
}

void FitLabelToText(HWND label) {
  char text[256] = {};
  ::GetWindowTextA(label, text, sizeof text);
  WindowDC dc(label);
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0));
  HGDIOBJ old = ::SelectObject(dc.get(), font);
  RECT rc = {0, 0, 0, 0};
  ::DrawTextA(dc.get(), text, -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc.get(), old);
  ::SetWindowPos(label, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateLabel(HWND parent, const TControlArgs& args, DWORD style, HFONT font,
                 TChildEvents events) {
  HWND label = CreateChild(parent, "STATIC", args, style);
  if (!label) return nullptr;
  if (font) ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  FitLabelToText(label);
  events.DpiChanged = [label, then = std::move(events.DpiChanged)](int oldDpi, int newDpi) {
    FitLabelToText(label);
    if (then) then(oldDpi, newDpi);
  };
  AttachChild(label, args, std::move(events));
  return label;
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

namespace {

// The designed width of the arrows, within the designed width of the box.
constexpr int kArrowsWidth = 13;

int DigitCount(long long value) {
  int digits = 1;
  for (value = value < 0 ? -value : value; value >= 10; value /= 10) ++digits;
  return digits;
}

int TextWidth(HDC dc, const char* text) {
  SIZE size = {0, 0};
  ::GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
  return size.cx;
}

}  // namespace

HWND TSpinEdit::Create(HWND parent, const TControlArgs& args) {
  placement_ = args;
  TControlArgs editArgs = args;
  editArgs.Caption = text_;
  editArgs.Width = args.Width - kArrowsWidth;
  TChildEvents events;
  events.Command = [this](WORD code) { Command(code); };
  events.DpiChanged = [this](int, int) { Fit(); };
  edit_ = CreateChild(parent, "EDIT", editArgs, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_NUMBER,
                      std::move(events));
  if (!edit_) return nullptr;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE));
  updown_ = ::CreateWindowExA(0, UPDOWN_CLASSA, "",
                              WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                                  UDS_SETBUDDYINT,
                              0, 0, 0, 0, parent, nullptr, instance, nullptr);
  ::SendMessageA(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
  ::SendMessageA(updown_, UDM_SETRANGE32, min_, max_);
  Fit();
  ShowText();
  return edit_;
}

void TSpinEdit::Fit() {
  if (!edit_) return;
  const int dpi = DpiOf(edit_);
  // A thin margin before the text: the edit takes the designed width with its
  // arrows beside it, and three digits are a tight fit.
  ::SendMessageA(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELPARAM(ScaleToDpi(1, dpi), 0));
  const RECT designed = PixelRect(placement_, dpi);
  const int arrows = ScaleToDpi(kArrowsWidth, dpi);
  const int height = designed.bottom - designed.top;
  int editWidth = (designed.right - designed.left) - arrows;
  ::SetWindowPos(edit_, nullptr, designed.left, designed.top, editWidth, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  // What the widest value of the range takes in the edit's own font: no value
  // has more digits than the larger end of the range, and none has wider digits
  // than the widest digit.
  int textWidth = 0;
  {
    WindowDC dc(edit_);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(edit_, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? ::SelectObject(dc.get(), font) : nullptr;
    int digit = 0;
    for (char d = '0'; d <= '9'; ++d) {
      const char text[2] = {d, '\0'};
      digit = std::max(digit, TextWidth(dc.get(), text));
    }
    textWidth = digit * std::max(DigitCount(min_), DigitCount(max_));
    if (min_ < 0) textWidth += TextWidth(dc.get(), "-");
    if (old) ::SelectObject(dc.get(), old);
  }
  // The edit shows its text in its formatting rectangle, inside its border and
  // margins, and scrolls it as soon as the caret at its end has no room there.
  RECT format = {0, 0, 0, 0};
  ::SendMessageA(edit_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  DWORD caret = 1;
  ::SystemParametersInfoA(SPI_GETCARETWIDTH, 0, &caret, 0);
  const int needed = textWidth + static_cast<int>(std::max<DWORD>(caret, 1));
  const int shown = format.right - format.left;
  if (needed > shown) {
    editWidth += needed - shown;
    ::SetWindowPos(edit_, nullptr, 0, 0, editWidth, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SetWindowPos(updown_, nullptr, designed.left + editWidth, designed.top, arrows, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
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

void TLabel::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  if (hwnd_) ::SetWindowTextA(hwnd_, caption_.c_str());
}

HWND TLabel::Create(HWND parent, const TControlArgs& args, DWORD style) {
  TControlArgs labelArgs = args;
  labelArgs.Caption = caption_;
  hwnd_ = CreateChild(parent, "STATIC", labelArgs, style);
  return hwnd_;
}

void TEdit::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  if (hwnd_) {
    updating_ = true;
    ::SetWindowTextA(hwnd_, text_.c_str());
    updating_ = false;
  }
  if (OnChange) OnChange();
}

HWND TEdit::Create(HWND parent, const TControlArgs& args, std::function<void()> onChange) {
  if (onChange) OnChange = std::move(onChange);
  TControlArgs editArgs = args;
  editArgs.Caption = text_;
  editArgs.ExStyle |= WS_EX_CLIENTEDGE;
  hwnd_ = CreateChild(parent, "EDIT", editArgs, WS_TABSTOP | ES_AUTOHSCROLL, {[this](WORD code) {
                        Command(code);
                      }});
  if (hwnd_) ::SetWindowSubclass(hwnd_, &TEdit::KeyProc, 0, reinterpret_cast<DWORD_PTR>(this));
  return hwnd_;
}

void TEdit::SetCue(const std::string& cue) {
  if (!hwnd_) return;
  const std::wstring wide = Widen(cue);
  ::SendMessageW(hwnd_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void TEdit::Command(WORD code) {
  if (code != EN_CHANGE || updating_) return;
  const int length = ::GetWindowTextLengthA(hwnd_);
  std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(hwnd_, &text[0], length + 1)));
  if (text == text_) return;
  text_ = std::move(text);
  if (OnChange) OnChange();
}

LRESULT CALLBACK TEdit::KeyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                DWORD_PTR self) {
  auto* edit = reinterpret_cast<TEdit*>(self);
  const bool escape = edit->ClearOnEscape;
  switch (msg) {
    case WM_GETDLGCODE: {
      // The dialog manager would take Esc for the window's cancel.
      const auto* key = reinterpret_cast<const MSG*>(lp);
      if (escape && key && key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE)
        return ::DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTMESSAGE;
      break;
    }
    case WM_KEYDOWN:
      if (escape && wp == VK_ESCAPE) {
        edit->SetText(std::string());
        return 0;
      }
      break;
    case WM_CHAR:
      if (escape && wp == VK_ESCAPE) return 0;  // the box has no use for it: no beep
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, &TEdit::KeyProc, id);
      edit->hwnd_ = nullptr;
      break;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace toolkit
