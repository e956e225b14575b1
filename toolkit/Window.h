// A top-level window of the program's own: a window class per kind of window,
// messages dispatched to the C++ object, children that follow the edges of their
// parent (anchors), a minimum and maximum size, and a modal run for dialogs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Controls.h"

namespace toolkit {

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

// The program's font: "ＭＳ Ｐゴシック", 12 pixels, Shift-JIS; where that face is
// missing, the system's own user-interface font.
HFONT CreateProgramFont(int height = 12, bool bold = false, bool underline = false);

class TWindow {
public:
  TWindow() = default;
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND Handle() const { return hwnd_; }

  // Registers the class on first use and creates the window, hidden. The size is
  // the outer size, as designed.
  bool CreateTopLevel(const char* className, const std::string& caption, DWORD style,
                      DWORD exStyle, int left, int top, int width, int height, HWND owner,
                      HICON icon = nullptr);
  // The font of the window, given to every child made with CreateChild afterwards.
  void SetFont(HFONT font);

  // Records the control's distances to the edges of its parent's client area now,
  // and keeps the anchored ones when the window is resized. Controls are moved in
  // the order they were anchored: anchor a container before what it contains.
  void Anchor(HWND control, unsigned anchors);
  void SetMinSize(int width, int height) { minW_ = width; minH_ = height; }
  void SetMaxSize(int width, int height) { maxW_ = width; maxH_ = height; }

  void Show();
  void Hide();
  bool Visible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

  // Shows the window modally: the owner takes no input until EndModal or the close
  // box ends the run. Returns the modal result.
  int ShowModal();
  void EndModal(int result);
  bool InModalLoop() const { return modal_; }

  int Tag = 0;

protected:
  // The window's messages; the default handles anchors, the size limits and the
  // end of a modal run by the close box.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return ::DefWindowProcA(hwnd_, msg, wp, lp); }

private:
  struct Anchored {
    HWND hwnd;
    unsigned anchors;
    int left, top, right, bottom;  // distances to the parent's client edges
  };
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void ApplyAnchors();

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<Anchored> anchored_;
  int minW_ = 0, minH_ = 0, maxW_ = 0, maxH_ = 0;
  bool modal_ = false;
  int modalResult_ = mrNone;
};

// A plain child window that holds other controls (a page of a tab control, say)
// and passes their commands and notifications on to the top-level window.
HWND CreateContainer(HWND parent, const TControlArgs& args);

}  // namespace toolkit
