// The small controls of the program's windows. Like the list view, each holds its
// value as data and works without a window, so the settings logic can be tested
// on controls that were never shown; Create gives it a window that mirrors the value.
//
// A control answers for itself: Create enters its window in the map of the
// program window above it (see TWindow) with what it does on a command, a
// notification and a change of size, and with the anchors of its row. So a
// window keeps no list of its controls and no identifiers to tell them apart;
// the row that creates a control is the only place that names it.
//
// The row gives the control's place as designed, for a 96-DPI screen; Create
// puts it there at the DPI of the window (see Dpi.h), and a change of DPI puts it
// there again. What a control measures (a label's text, a numeric box's digits)
// it measures in the font it shows, at that DPI.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace toolkit {

// Where a control sits in its parent, and which edges of the parent it follows.
enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

struct TControlArgs {
  int Left = 0;       // the place in the parent's client area, in designed pixels
  int Top = 0;
  int Width = 75;
  int Height = 25;
  std::string Caption;
  DWORD Style = 0;    // added to the kind's own styles
  DWORD ExStyle = 0;
  UINT Id = 0;        // for the dialog manager (IDOK, IDCANCEL): controls are known by handle
  unsigned Anchors = akLeft | akTop;
  // The place is in the screen's pixels, worked out by the control's owner (a
  // page laid over its tab control): used as it stands, and the owner places the
  // control again after a change of DPI.
  bool InPixels = false;
};

// The place a row gives, in the pixels of a DPI: left, top, right, bottom.
RECT PixelRect(const TControlArgs& args, int dpi);

// What a child control does with the messages its window receives about it. The
// window finds these by the handle of the control that sent the message, also
// when a container (a page) passed it on. Any member may be empty.
struct TChildEvents {
  std::function<void(WORD code)> Command;  // WM_COMMAND with its notification code
  // WM_NOTIFY; true when handled, with the answer in *result.
  std::function<bool(const NMHDR* header, LRESULT* result)> Notify;
  // The window's size changed and the anchors have moved every child.
  std::function<void()> Resized;
  // The window's DPI changed: the control stands at its designed place at the
  // new DPI with the new font it had; what it measured, it measures again.
  std::function<void(int oldDpi, int newDpi)> DpiChanged;
  // WM_CONTEXTMENU of the control: a point of the screen, or (-1, -1) when the
  // menu was asked for from the keyboard.
  std::function<void(int x, int y)> ContextMenu;
};

// Creates a child control of a window class with the parent's font at its place
// at the window's DPI, and enters it with its anchors and events in the map of
// the program window above it.
HWND CreateChild(HWND parent, const char* className, const TControlArgs& args, DWORD style,
                 TChildEvents events = {});
// Enters a child made otherwise (with a font of its own, say) in that map. A child
// of a window that is not one of the program's own is left alone: whoever made that
// window passes the messages on by hand.
void AttachChild(HWND child, const TControlArgs& args, TChildEvents events);

// A static text that takes the size of its text in its font (the given one, or
// the parent's) at its designed place, so that a face that runs wider or a
// scaled font is never clipped; it takes it again after a change of DPI.
HWND CreateLabel(HWND parent, const TControlArgs& args, DWORD style = SS_LEFT | SS_NOPREFIX,
                 HFONT font = nullptr, TChildEvents events = {});
// Gives a label the size of its text in its font.
void FitLabelToText(HWND label);

// A push button; BS_DEFPUSHBUTTON in the style makes it the default button.
class TButton {
public:
  std::function<void()> OnClick;
  // The click handler, if given, becomes OnClick.
  HWND Create(HWND parent, const TControlArgs& args, std::function<void()> onClick = nullptr);
  HWND Handle() const { return hwnd_; }
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

  // The click handler, if given, becomes OnClick.
  HWND Create(HWND parent, const TControlArgs& args, std::function<void()> onClick = nullptr);
  HWND Handle() const { return hwnd_; }

private:
  void Command(WORD code);

  bool checked_ = false;
  HWND hwnd_ = nullptr;
};

// A numeric box with up and down arrows. Its value is its text read as a whole
// number, and the range's minimum when the text is none. A value set by the
// program is brought into the range at once; a value typed by the user when the
// box loses the keyboard focus. The box is as wide as designed, or wider where
// the widest value of its range needs it in the font it shows.
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
  HWND Arrows() const { return updown_; }

private:
  void Command(WORD code);
  // Sizes the edit for the widest value of the range and puts the arrows beside it.
  void Fit();
  int Clamp(int v) const { return v < min_ ? min_ : (v > max_ ? max_ : v); }
  void ShowText();

  int min_;
  int max_;
  std::string text_;
  HWND edit_ = nullptr;
  HWND updown_ = nullptr;
  TControlArgs placement_;  // as designed, the arrows included
  bool updating_ = false;
};

// A static text whose caption the program sets.
class TLabel {
public:
  const std::string& Caption() const { return caption_; }
  // Repaints only when the caption changed.
  void SetCaption(std::string caption);
  HWND Create(HWND parent, const TControlArgs& args, DWORD style = SS_LEFT | SS_NOPREFIX);
  HWND Handle() const { return hwnd_; }

private:
  std::string caption_;
  HWND hwnd_ = nullptr;
};

// A one-line text box. Its text is data, as the other controls' values are: a
// text the program sets and one the user types both reach OnChange, at every
// change. A box for finding things (ClearOnEscape) is emptied by Esc, where a
// dialog would be closed by it and a plain window would beep.
class TEdit {
public:
  std::function<void()> OnChange;
  bool ClearOnEscape = false;

  const std::string& Text() const { return text_; }
  void SetText(std::string text);

  // The change handler, if given, becomes OnChange.
  HWND Create(HWND parent, const TControlArgs& args, std::function<void()> onChange = nullptr);
  HWND Handle() const { return hwnd_; }
  // The greyed hint the empty box shows, also while it has the keyboard.
  void SetCue(const std::string& cue);

private:
  static LRESULT CALLBACK KeyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                  DWORD_PTR self);
  void Command(WORD code);

  std::string text_;
  HWND hwnd_ = nullptr;
  bool updating_ = false;
};

// Reads a whole decimal number (optionally signed) that fills the whole text.
bool ParseInteger(const std::string& text, int* value);

}  // namespace toolkit
