// The small controls of the program's windows. Like the list view, each holds its
// value as data and works without a window, so the settings logic can be tested
// on controls that were never shown; Create gives it a window that mirrors the value.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace toolkit {

// Where a control sits in its parent, and which edges of the parent it follows.
enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

struct TControlArgs {
  int Left = 0;
  int Top = 0;
  int Width = 75;
  int Height = 25;
  std::string Caption;
  DWORD Style = 0;    // added to the kind's own styles
  DWORD ExStyle = 0;
  UINT Id = 0;
  unsigned Anchors = akLeft | akTop;
};

// Creates a child control of a window class with the parent's font.
HWND CreateChild(HWND parent, const char* className, const TControlArgs& args, DWORD style);

class TButton {
public:
  std::function<void()> OnClick;
  HWND Create(HWND parent, const TControlArgs& args, bool isDefault = false);
  HWND Handle() const { return hwnd_; }
  // The parent passes its WM_COMMAND here; true when it was this button's.
  bool HandleCommand(WPARAM wp, LPARAM lp);
  void Click() { if (OnClick) OnClick(); }

private:
  HWND hwnd_ = nullptr;
};

// A check box whose state the program changes runs its click handler exactly as
// a click of the user does.
class TCheckBox {
public:
  std::function<void()> OnClick;

  bool Checked() const { return checked_; }
  void SetChecked(bool on);

  HWND Create(HWND parent, const TControlArgs& args);
  HWND Handle() const { return hwnd_; }
  bool HandleCommand(WPARAM wp, LPARAM lp);

private:
  bool checked_ = false;
  HWND hwnd_ = nullptr;
};

// A numeric box with up and down arrows. Its value is its text read as a whole
// number, and the range's minimum when the text is none. A value set by the
// program is brought into the range at once; a value typed by the user when the
// box loses the keyboard focus.
class TSpinEdit {
public:
  TSpinEdit(int minValue, int maxValue, int value);

  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  int Value() const;
  void SetValue(int value);
  const std::string& Text() const { return text_; }
  // What the user typed, taken as it stands until the focus leaves.
  void SetText(std::string text);
  void FocusLost();

  HWND Create(HWND parent, const TControlArgs& args);  // the edit; the arrows sit beside it
  HWND Handle() const { return edit_; }
  bool HandleCommand(WPARAM wp, LPARAM lp);

private:
  int Clamp(int v) const { return v < min_ ? min_ : (v > max_ ? max_ : v); }
  void ShowText();

  int min_;
  int max_;
  std::string text_;
  HWND edit_ = nullptr;
  HWND updown_ = nullptr;
  bool updating_ = false;
};

// Reads a whole decimal number (optionally signed) that fills the whole text.
bool ParseInteger(const std::string& text, int* value);

}  // namespace toolkit
