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
#pragma once

#include <windows.h>

#include <deque>
#include <exception>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/Handle.h"

namespace toolkit {

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

// The program's font: "ＭＳ Ｐゴシック", 12 pixels, Shift-JIS; where that face is
// missing, the system's own user-interface font.
FontHandle CreateProgramFont(int height = 12, bool bold = false, bool underline = false);

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
  // Enters a child in the map: its commands and notifications reach `events`, and
  // Resized runs after every change of this window's size. The entry lasts as long
  // as the window; binding the same child again replaces it.
  void Bind(HWND child, TChildEvents events);

  // Shows an error that escaped a handler; the default is the error box over
  // this window.
  virtual void ReportError(const std::string& message);

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

  // Registers the class on first use and creates the window, hidden. The size is
  // the outer size, as designed.
  bool CreateTopLevel(const char* className, const std::string& caption, DWORD style,
                      DWORD exStyle, int left, int top, int width, int height, HWND owner,
                      HICON icon = nullptr);
  // The font of the window, given to every child made with CreateChild afterwards
  // and kept until the window and its children are gone.
  void SetFont(FontHandle font);

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
  // The window's messages; the default passes the children's commands and
  // notifications to them, and handles anchors, the size limits and the end of a
  // modal run by the close box.
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
  const TChildEvents* EventsOf(HWND child) const;

  HWND hwnd_ = nullptr;
  FontHandle font_;
  std::vector<Anchored> anchored_;
  // The map of children, in the order they were made: a window holds a few dozen
  // controls at most, so a look along the list is as quick as any map. A deque,
  // so that a handler may make a control while its own entry runs.
  std::deque<std::pair<HWND, TChildEvents>> children_;
  int minW_ = 0, minH_ = 0, maxW_ = 0, maxH_ = 0;
  bool modal_ = false;
  int modalResult_ = mrNone;
};

// A plain child window that holds other controls (a page of a tab control, say)
// and passes their commands and notifications on to the top-level window, whose
// map finds the control that sent them.
HWND CreateContainer(HWND parent, const TControlArgs& args);

}  // namespace toolkit
