// A top-level window of the program's own: a window class per kind of window,
// messages dispatched to the C++ object, children that follow the edges of their
// parent (anchors), a minimum and maximum size, and a modal run for dialogs.
//
// The window keeps a map from each child control's handle to what that control
// does with its messages, filled by the control's Create (see Controls.h). A
// command or notification from a child, sent here directly or passed on by a
// container, goes to the control that sent it, so no window routes by hand. The
// handlers the window binds to events all go through Handler, which runs them
// guarded: an error that escapes a handler reaches ReportError, whatever the
// event, and the program goes on.
//
// A window and its controls are designed for a 96-DPI screen (see Dpi.h) and
// shown at the window's DPI: the window scales its designed size, its minimum
// and maximum, its fonts and the place of every control. The map keeps each
// control's designed place, so that a change of DPI (the window moved to a
// monitor of another scale) lays the window out again as if it had been made at
// the new DPI, and then takes the size Windows suggests.
//
// The keyboard belongs to a control, never to the window itself: a window
// notes which of its controls had the focus when it was left (for a box of its
// own, a menu of another window, the tray) and gives the focus back to it when
// it is active again, as a dialog does. Every message loop of the program
// serves its messages through ServeMessage, so the keys a window takes from any
// of its controls (PreTranslateMessage) and the dialog manager's Tab and arrows
// work alike in the main window, in a modal box and under a test.
#pragma once

#include <windows.h>

#include <deque>
#include <exception>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/Dpi.h"
#include "toolkit/Handle.h"

namespace toolkit {

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

// A font of the program as designed: its height in pixels at 96 DPI.
struct TFontLook {
  int Height = 12;
  bool Bold = false;
  bool Underline = false;
  bool operator==(const TFontLook& o) const {
    return Height == o.Height && Bold == o.Bold && Underline == o.Underline;
  }
};

// The program's font at a DPI: "ＭＳ Ｐゴシック", Shift-JIS; where that face is
// missing, the system's own user-interface font.
FontHandle CreateProgramFont(const TFontLook& look = {}, int dpi = kDesignDpi);

// The DPI the controls of a window are laid out for: its program window's, or
// the window's own when it belongs to no window of the program.
int DpiOf(HWND window);

class TWindow {
public:
  TWindow() = default;
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND Handle() const { return hwnd_; }

  // The TWindow at the top of a window's ancestors (through containers), or null
  // when that is not a window of the program's own.
  static TWindow* Of(HWND hwnd);
  // Enters a child in the map: its commands and notifications reach `events`,
  // Resized runs after every change of this window's size, and `placement` (its
  // designed place, see TControlArgs) is where a change of DPI puts it again. The
  // entry lasts as long as the window; binding the same child again replaces it.
  void Bind(HWND child, TChildEvents events, const TControlArgs& placement);

  // Shows an error that escaped a handler; the default is the error box over
  // this window.
  virtual void ReportError(const std::string& message);

  // Sees a message of the thread's loop meant for this window or any of its
  // controls before the dialog manager does (a key the window takes whichever
  // control has the focus); true when it took the message. The default takes
  // none.
  virtual bool PreTranslateMessage(const MSG& msg);

  // Runs code as every handler runs: an error that escapes it is reported and the
  // program goes on. Where the code gives a result, an error gives an empty one.
  template <class F>
  auto Guarded(F&& body) -> decltype(body()) {
    try {
      return body();
    } catch (const std::exception& e) {
      ReportError(e.what());
    }
    if constexpr (!std::is_void_v<decltype(body())>) return {};
  }

  // The one way to bind a handler to an event: a method of this window
  // (Handler(&TForm1::Button1Click)) or any callable, run Guarded. The event's
  // arguments are passed on when the handler takes them, and dropped when it
  // takes none (a menu item's sender, say).
  template <class F>
  auto Handler(F handler) {
    return [this, handler = std::move(handler)](auto&&... args) {
      return Guarded([&]() -> decltype(auto) {
        if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
          return handler(std::forward<decltype(args)>(args)...);
        else
          return handler();
      });
    };
  }
  template <class Owner, class R, class... Params>
  auto Handler(R (Owner::*method)(Params...)) {
    static_assert(std::is_base_of_v<TWindow, Owner>, "a handler is a method of its window");
    Owner* self = static_cast<Owner*>(this);
    return Handler([self, method](Params... params) -> R { return (self->*method)(params...); });
  }

  // Registers the class on first use and creates the window, hidden, at its
  // designed place. The size is the designed outer size at 96 DPI: at another DPI
  // the client area is scaled and the frame is the one Windows draws at that DPI.
  bool CreateTopLevel(const char* className, const std::string& caption, DWORD style,
                      DWORD exStyle, int left, int top, int width, int height, HWND owner,
                      HICON icon = nullptr);

  // --- Display scaling ---
  int Dpi() const { return dpi_; }
  // A designed length at the window's DPI.
  int Scale(int designed) const { return ScaleToDpi(designed, dpi_); }
  // The font of a look at the window's DPI, made on first use and kept as long as
  // the window. A change of DPI makes each anew and gives it to every control that
  // had the old one.
  HFONT ProgramFont(const TFontLook& look = {});
  // The window's own font, given to every child made with CreateChild afterwards.
  void SetProgramFont(const TFontLook& look = {});
  // The window's small and large icons from an icon resource of the executable,
  // at the sizes the window's DPI asks for, and loaded again at a change of DPI.
  // The system's application icon stands in where the executable carries no such
  // icon (the test programs).
  void SetIcons(LPCSTR resource);
  // Keeps the window wholly inside the work area of its monitor (see Placement.h),
  // at its minimum size at the least.
  void KeepInWorkArea();

  // Records the control's distances to the edges of its parent's client area now,
  // and keeps the anchored ones when the window is resized. Controls are moved in
  // the order they were anchored: anchor a container before what it contains.
  // Anchoring a control again measures it again, in its first place in the order.
  void Anchor(HWND control, unsigned anchors);
  // The size limits, as the designed outer size at 96 DPI (see CreateTopLevel).
  void SetMinSize(int width, int height) { minSize_ = {width, height}; }
  void SetMaxSize(int width, int height) { maxSize_ = {width, height}; }
  // A designed outer size at the window's DPI.
  SIZE OuterSize(SIZE designed) const;

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
  // The window's messages; the default passes the children's commands and
  // notifications to them, and handles anchors, the size limits and the end of a
  // modal run by the close box.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return ::DefWindowProcA(hwnd_, msg, wp, lp); }
  // After a change of DPI has laid the controls out again, before the window takes
  // its new size: what the window holds beyond its controls and fonts (images,
  // say) is made for the new DPI here.
  virtual void DpiChanged(int oldDpi) {}

private:
  // Gives the keyboard back to the control that had it, or to the first control
  // the Tab key reaches when that one is gone, hidden or disabled.
  void RestoreFocus();

  struct Anchored {
    HWND hwnd;
    unsigned anchors;
    int left, top, right, bottom;  // distances to the parent's client edges
  };
  struct Child {
    HWND hwnd;
    TChildEvents events;
    TControlArgs placement;
  };
  struct Font {
    TFontLook look;
    FontHandle handle;
  };
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static void Measure(Anchored& a);
  void ApplyAnchors();
  // The anchors, then each control's own answer to the new size.
  void Resized();
  void ChangeDpi(int dpi, const RECT& suggested);
  void LoadIcons();
  const TChildEvents* EventsOf(HWND child) const;

  HWND hwnd_ = nullptr;
  int dpi_ = kDesignDpi;
  SIZE designedSize_ = {0, 0};  // the outer size at 96 DPI
  // Every font the window made, each for its look at the window's DPI; the window
  // gives them back when it goes, after its children.
  std::deque<Font> fonts_;
  HFONT font_ = nullptr;  // the window's own, one of fonts_
  LPCSTR iconResource_ = nullptr;
  IconHandle smallIcon_, largeIcon_;
  std::vector<Anchored> anchored_;
  // The map of children, in the order they were made: a window holds a few dozen
  // controls at most, so a look along the list is as quick as any map. A deque,
  // so that a handler may make a control while its own entry runs.
  std::deque<Child> children_;
  SIZE minSize_ = {0, 0}, maxSize_ = {0, 0};  // designed, at 96 DPI
  bool relayingOut_ = false;  // a change of DPI moves the controls itself
  bool modal_ = false;
  int modalResult_ = mrNone;
  HWND focus_ = nullptr;  // the control that had the keyboard when the window was left
};

// Serves one message of the thread's loop as every loop of the program does: the
// window of the program's own it is meant for sees it first, then that window's
// dialog manager; anything else is translated and dispatched.
void ServeMessage(MSG& msg);

// A plain child window that holds other controls (a page of a tab control, say)
// and passes their commands and notifications on to the top-level window, whose
// map finds the control that sent them.
HWND CreateContainer(HWND parent, const TControlArgs& args);

// Makes a container paint its background under its children too, as a dialog
// does; for a container of group boxes, which draw their frame and caption only
// and leave their inside to the parent: one that clips its children never paints
// there, and the inside shows whatever the screen held before (after a trip to
// the tray, Wine's fresh window surface: black).
void PaintUnderChildren(HWND container);

}  // namespace toolkit
