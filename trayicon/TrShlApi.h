// The shell layer of the tray icon: one notification-area icon, the hidden window
// that receives its callback messages, and the record exchanged with
// Shell_NotifyIconA.
//
// Every TTaskTrayIcon has a hidden window of its own, of the class
// "TaskTrayHandle". The class has one window procedure for all of them,
// TrayWndProc, which finds the owning object through the process-wide list
// TrayIconWinProcList; the list lives from the first icon object to the last and
// registers the class (and learns the "TaskbarCreated" message) with it.
//
// The shell's record comes in two sizes. From shell 5.0 on it is the 488-byte
// second form with balloons, a 128-byte tip and a hidden state; before that it is
// the 88-byte first form with a 64-byte tip, where hiding can only mean deleting.
//
// An add the shell refuses is not an error at once: at log-on the program may
// start before the taskbar does, and a busy shell may time out although it took
// the icon. Such an icon waits for the shell: it is tried again every
// AddRetryPeriod and at "TaskbarCreated", quietly, and only an icon still
// missing after AddGracePeriod is reported, once in the icon's life. Since a
// failed add may also mean that the shell holds the icon already (a time-out
// that took it after all, or an icon kept through a "TaskbarCreated", which
// Windows sends in other cases than a new taskbar), every failed add is
// followed by a modify, and an icon the modify finds counts as added.
//
// Each icon owns a TToolTipStyle that sees every message before the owner does:
// it learns the icon's screen rectangle from the mouse callbacks, reports the
// mouse entering and leaving (the shell tells only of movement, so a worker,
// TMouseEventMaker, polls the cursor while it is over the icon), tells single
// clicks from double clicks, and can recolour the taskbar's tooltip.
//
// Everything except the poller's sleep runs on the user-interface thread.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/Handle.h"
#include "toolkit/Thread.h"
#include "trayicon/ShellSeam.h"

namespace trayicon {

// Callback message of the icon; also carries the component's own notifications.
constexpr UINT WM_TRAYICON = WM_USER + 200;      // 1224
// Msg under which the owner learns that the taskbar was re-created.
constexpr UINT WM_TRAYRESTART = WM_USER + 220;   // 1244

// LParam of WM_TRAYICON for the notifications made here (WParam 0, or the
// button number for a click).
constexpr LPARAM TRAYN_MOUSEENTER = 1234;
constexpr LPARAM TRAYN_MOUSEEXIT = 1235;
constexpr LPARAM TRAYN_CLICK = 1236;

constexpr UINT_PTR ClickTimerId = 7;
// The timer of an icon that waits for the shell, and how often it tries again.
constexpr UINT_PTR AddRetryTimerId = 8;
constexpr DWORD AddRetryPeriod = 5000;
// A taskbar still missing this long after the first try is not just late.
constexpr DWORD AddGracePeriod = 120000;
// The icon is about 16 pixels; a rectangle grown beyond this is the mouse
// having gone elsewhere between two callbacks.
constexpr LONG MouseRectLimit = 32;
constexpr DWORD MousePollPeriod = 100;

constexpr DWORD ShellVersion5 = 5u << 16;            // packed major << 16 | minor
constexpr DWORD IconDataSize = 488;                  // second form, shell 5 or later
constexpr DWORD IconDataSizeV1 = 88;                 // first form

extern const char* const TrayWindowClassName;        // "TaskTrayHandle"

enum TBalloonIconType { bitNone, bitInfo, bitWarning, bitError };

// Buttons by number: left 0, right 1, middle 2.
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A colour: an RGB value, or a system colour index with the top bit set.
using TColor = int32_t;
constexpr TColor clBlack = 0;
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
// The RGB value of a colour, resolving a system colour.
COLORREF ColorToRGB(TColor color);

// One message of the hidden window; the window procedure returns Result.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

class ENotifyIconError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
// The message of an icon the shell has not taken after AddGracePeriod.
extern const char* const NotifyIconRegisterError;   // "タスクトレイにアイコンを登録できません。"

class TCustomToolTipStyle;

// Polls the cursor every MousePollPeriod while the mouse is over the icon, by
// asking the user-interface thread to run CheckMouseLeave; pauses itself while
// the mouse is away.
class TMouseEventMaker : public toolkit::TThread {
public:
  explicit TMouseEventMaker(TCustomToolTipStyle& style);
  ~TMouseEventMaker() override;

protected:
  void Execute() override;

private:
  TCustomToolTipStyle& style_;
};

class TCustomToolTipStyle {
public:
  TCustomToolTipStyle();
  virtual ~TCustomToolTipStyle();
  TCustomToolTipStyle(const TCustomToolTipStyle&) = delete;
  TCustomToolTipStyle& operator=(const TCustomToolTipStyle&) = delete;

  // Copies UseDefault and BackGroundColor; TextColor and CheckSingleDoubleClick
  // stay as they are.
  void Assign(const TCustomToolTipStyle& source);

  HWND Wnd() const { return wnd_; }
  void SetWnd(HWND window) { wnd_ = window; }
  HWND ToolTipWnd() const { return toolTipWnd_; }
  void SetToolTipWnd(HWND window) { toolTipWnd_ = window; }

  // Sees every message of the hidden window before the owner; never changes
  // Result.
  void TrackMessage(const TMessage& message);
  void ResetMouseRect();
  // User-interface thread, on behalf of the poller.
  void CheckMouseLeave();

  bool CheckSingleDoubleClick() const { return checkSingleDoubleClick_; }
  void SetCheckSingleDoubleClick(bool on) { checkSingleDoubleClick_ = on; }

  // Index 1 is BackGroundColor, 2 TextColor; others read 0 and ignore writes.
  TColor GetColor(int index) const;
  void SetColor(int index, TColor color);

  // The state, for the owner and for tests.
  RECT MouseRect() const { return mouseRect_; }
  bool Inside() const;
  bool Marked(TMouseButton button) const;
  bool ClickPending() const { return clickPending_; }
  const TMouseEventMaker* MouseEventMaker() const { return mouseEventMaker_.get(); }

protected:
  bool UseDefault() const { return useDefault_; }
  void SetUseDefault(bool on) { useDefault_ = on; }
  TColor BackGroundColor() const { return GetColor(1); }
  void SetBackGroundColor(TColor color) { SetColor(1, color); }
  TColor TextColor() const { return GetColor(2); }
  void SetTextColor(TColor color) { SetColor(2, color); }

private:
  enum : uint8_t { InsideFlag = 1u << 3 };

  void TrackMouseMove();
  void MouseEnter();
  void MouseExit();
  void ButtonDown(TMouseButton button, WPARAM wParam);
  void ButtonUp(TMouseButton button);
  void DoubleClick(TMouseButton button);
  void FireClick(TMouseButton button);
  TMouseButton PressedButton() const;
  void ApplyColors();
  void RestoreColors();
  void Mark(TMouseButton button);
  void Unmark(TMouseButton button);

  HWND wnd_ = nullptr;
  HWND toolTipWnd_ = nullptr;
  RECT mouseRect_ = {};
  std::unique_ptr<TMouseEventMaker> mouseEventMaker_;
  // Buttons 0..2 and Inside in one byte; the poller reads Inside from its thread.
  std::atomic<uint8_t> mouseState_{0};
  bool clickPending_ = false;
  bool checkSingleDoubleClick_ = true;
  bool useDefault_ = true;
  TColor textColor_ = clWindowText;   // the colour of the style's font
  TColor backGroundColor_ = clBlack;
};

class TToolTipStyle : public TCustomToolTipStyle {
public:
  using TCustomToolTipStyle::UseDefault;
  using TCustomToolTipStyle::SetUseDefault;
  using TCustomToolTipStyle::BackGroundColor;
  using TCustomToolTipStyle::SetBackGroundColor;
  using TCustomToolTipStyle::TextColor;
  using TCustomToolTipStyle::SetTextColor;
};

// Grows R to take in P; an all-zero R is empty and becomes the point P.
void ExtendMouseRect(RECT& r, POINT p);
// Edges count as inside.
bool InMouseRect(const RECT& r, POINT p);
// The taskbar's shared tooltip window, 0 when there is none.
HWND FindTrayToolTip();

class TTaskTrayIcon {
public:
  TTaskTrayIcon();
  virtual ~TTaskTrayIcon();
  TTaskTrayIcon(const TTaskTrayIcon&) = delete;
  TTaskTrayIcon& operator=(const TTaskTrayIcon&) = delete;

  DWORD ShellVersion() const { return shellVersion_; }
  bool IsShell5OrLater() const { return shellVersion_ >= ShellVersion5; }

  // The hidden window, created at the first call.
  HWND GetHandle();
  HWND Handle() const { return handle_.get(); }

  // The icon is the owner's: it is neither loaded nor destroyed here.
  void SetIconHandle(HICON icon) { iconData_.hIcon = icon; }
  HICON IconHandle() const { return iconData_.hIcon; }

  // Writing these never calls the shell; Modify or ShowBalloon pushes them.
  std::string Tip() const;
  void SetTip(const std::string& text);
  std::string BalloonTitle() const;
  void SetBalloonTitle(const std::string& text);
  std::string BalloonText() const;
  void SetBalloonText(const std::string& text);
  int32_t BalloonTimeOut() const;
  void SetBalloonTimeOut(int32_t ms);
  TBalloonIconType BalloonIcon() const;
  void SetBalloonIcon(TBalloonIconType type);

  // Adds the icon, or makes a hidden one visible. An icon the shell does not
  // take now waits for it (AddPending) and false is returned; nothing raises.
  bool Show();
  // Both end the waiting for the shell.
  bool Hide();
  bool Delete();
  // Pushes the icon, tip and balloon fields; adds the icon when it is not shown
  // (an icon that waits for the shell gets them at its next try).
  bool Modify();
  bool ShowBalloon(const std::string& title, const std::string& text, int32_t timeOut,
                   TBalloonIconType iconType);

  // Called by TrayWndProc for each message of the hidden window.
  void HandleMessage(TMessage& message);

  bool Registered() const { return registered_; }
  bool Shown() const { return shown_; }
  // Wanted in the notification area, but not taken by the shell yet.
  bool AddPending() const { return addPending_; }
  const NOTIFYICONDATAA& IconData() const { return iconData_; }
  // 0 only while the object is being destroyed.
  TToolTipStyle* ToolTipStyle() const { return toolTipStyle_.get(); }

  std::function<void(TMessage&)> OnMessage;
  bool DoForegroundWindow = false;

private:
  bool NotifyIcon(DWORD message);
  void PrepareRecord();
  void PrepareUnhide();
  bool TryAdd();
  void AddSucceeded();
  void WaitForShell();
  void StopWaiting();
  void RetryPendingAdd();
  bool ClearBalloon();
  bool SendBalloon();

  DWORD shellVersion_ = 0;
  toolkit::WindowHandle handle_;
  // The second form's size and layout; only the first cbSize bytes go to the shell.
  NOTIFYICONDATAA iconData_;
  bool registered_ = false;
  bool shown_ = false;
  bool addPending_ = false;
  DWORD pendingSince_ = 0;        // the shell's tick count at the first failed try
  bool missingReported_ = false;
  std::unique_ptr<TToolTipStyle> toolTipStyle_;
};

// The routing list: every live TTaskTrayIcon, in creation order.
class TTrayIconWinProcList {
public:
  // Registers the window class and the "TaskbarCreated" message.
  TTrayIconWinProcList();
  // Unregisters the window class.
  ~TTrayIconWinProcList();
  TTrayIconWinProcList(const TTrayIconWinProcList&) = delete;
  TTrayIconWinProcList& operator=(const TTrayIconWinProcList&) = delete;

  UINT TaskbarCreatedMessage() const { return taskbarCreatedMessage_; }
  void Add(TTaskTrayIcon* icon) { items_.push_back(icon); }
  void Remove(TTaskTrayIcon* icon);
  int Count() const { return static_cast<int>(items_.size()); }
  // Hands the message to the icon that owns the window; false when none does.
  bool DeliverMessage(HWND window, TMessage& message);

private:
  UINT taskbarCreatedMessage_;
  std::vector<TTaskTrayIcon*> items_;
};

// Exists from the first TTaskTrayIcon to the last; none before and after.
extern std::unique_ptr<TTrayIconWinProcList> TrayIconWinProcList;

void RegisterTrayIcon(TTaskTrayIcon* icon);
void UnregisterTrayIcon(TTaskTrayIcon* icon);

// The window procedure of "TaskTrayHandle", and the timer procedure of the
// click timer.
LRESULT CALLBACK TrayWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// An error that escapes the handling of a tray message cannot travel on through
// the system's window-procedure frames: TrayWndProc catches it and hands it to
// this handler (the application puts its error box here), and so does an icon
// that is still missing after AddGracePeriod. Without a handler it is shown in a
// plain error box.
void SetTrayErrorHandler(std::function<void(const std::exception&)> handler);

// Packed major << 16 | minor of shell32.dll; 0 when it cannot be determined.
DWORD GetShellVersion();
DWORD GetShellFileVersion();
// The same, read from the version resource of any file.
DWORD GetFileVersionOf(const std::string& path);
// The packed version of a "FileVersion" text such as "4.72.3110.6"; 0 when it
// does not start with two numbers.
DWORD ParseFileVersionText(const std::string& text);

}  // namespace trayicon
