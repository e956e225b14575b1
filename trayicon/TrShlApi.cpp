#include "trayicon/TrShlApi.h"

#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "toolkit/Cp932.h"
#include "toolkit/SystemLibrary.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace trayicon {

static_assert(offsetof(NOTIFYICONDATAA, guidItem) == IconDataSize,
              "the second form of the record ends where guidItem begins");
static_assert(NOTIFYICONDATAA_V1_SIZE == IconDataSizeV1, "the first form is 88 bytes");

const char* const TrayWindowClassName = "TaskTrayHandle";
const char* const NotifyIconRegisterError = "タスクトレイにアイコンを登録できません。";

std::unique_ptr<TTrayIconWinProcList> TrayIconWinProcList;

namespace {

constexpr UINT NormalFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::function<void(const std::exception&)> trayErrorHandler;

void ReportTrayError(const std::exception& error) {
  if (trayErrorHandler) {
    trayErrorHandler(error);
    return;
  }
  ::MessageBoxA(nullptr, error.what(), nullptr, MB_ICONERROR | MB_OK);
}

// The first `limit` bytes of `text` up to its first zero byte. A double-byte
// character that the limit would cut in two is left out whole: the shell would
// otherwise show its lead byte joined to the terminator as a broken character.
std::string CutText(const std::string& text, size_t limit) {
  std::string_view shown = text.c_str();
  return std::string(shown.substr(0, toolkit::cp932::CutAtCharBoundary(shown, limit)));
}

template <size_t N>
void StoreField(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

template <size_t N>
std::string ReadField(const char (&field)[N]) {
  size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return std::string(field, length);
}

// Restores uFlags when a balloon operation ends, also through an exception.
class FlagsRestorer {
public:
  explicit FlagsRestorer(NOTIFYICONDATAA& data) : data_(data) {}
  ~FlagsRestorer() { data_.uFlags = NormalFlags; }

private:
  NOTIFYICONDATAA& data_;
};

}  // namespace

// ---------------------------------------------------------------------------
// TTaskTrayIcon

TTaskTrayIcon::TTaskTrayIcon() {
  std::memset(&iconData_, 0, sizeof iconData_);
  RegisterTrayIcon(this);
  try {
    toolTipStyle_ = std::make_unique<TToolTipStyle>();
    shellVersion_ = Shell().ShellVersion();
  } catch (...) {
    UnregisterTrayIcon(this);
    throw;
  }
}

TTaskTrayIcon::~TTaskTrayIcon() {
  // The style goes first, so the messages of the window's own destruction no
  // longer reach it (and its poller is stopped before the window goes).
  toolTipStyle_.reset();
  Delete();
  handle_.reset();
  UnregisterTrayIcon(this);
}

HWND TTaskTrayIcon::GetHandle() {
  if (!handle_) {
    handle_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, TrayWindowClassName, "", WS_POPUP, 0, 0, 0,
                                    0, nullptr, nullptr, ModuleInstance(), nullptr));
    if (toolTipStyle_) toolTipStyle_->SetWnd(handle_.get());
  }
  return handle_.get();
}

bool TTaskTrayIcon::NotifyIcon(DWORD message) { return Shell().NotifyIcon(message, iconData_); }

void TTaskTrayIcon::AddSucceeded() {
  registered_ = true;
  shown_ = true;
  StopWaiting();
  if (toolTipStyle_) toolTipStyle_->ResetMouseRect();
}

std::string TTaskTrayIcon::Tip() const { return ReadField(iconData_.szTip); }

void TTaskTrayIcon::SetTip(const std::string& text) {
  std::string tip(text.c_str());
  if (IsShell5OrLater()) {
    tip = CutText(tip, sizeof iconData_.szTip - 1);
  } else {
    // The first form shows the tip on one line.
    for (size_t at = tip.find("\r\n"); at != std::string::npos; at = tip.find("\r\n", at + 1))
      tip.replace(at, 2, " ");
    tip = CutText(tip, 63);
  }
  StoreField(iconData_.szTip, tip);
}

std::string TTaskTrayIcon::BalloonTitle() const { return ReadField(iconData_.szInfoTitle); }

void TTaskTrayIcon::SetBalloonTitle(const std::string& text) {
  StoreField(iconData_.szInfoTitle, CutText(text, sizeof iconData_.szInfoTitle - 1));
}

std::string TTaskTrayIcon::BalloonText() const { return ReadField(iconData_.szInfo); }

void TTaskTrayIcon::SetBalloonText(const std::string& text) {
  StoreField(iconData_.szInfo, CutText(text, sizeof iconData_.szInfo - 1));
}

int32_t TTaskTrayIcon::BalloonTimeOut() const {
  return static_cast<int32_t>(iconData_.uTimeout);
}

void TTaskTrayIcon::SetBalloonTimeOut(int32_t ms) { iconData_.uTimeout = static_cast<UINT>(ms); }

TBalloonIconType TTaskTrayIcon::BalloonIcon() const {
  switch (iconData_.dwInfoFlags) {
    case NIIF_INFO: return bitInfo;
    case NIIF_WARNING: return bitWarning;
    case NIIF_ERROR: return bitError;
    default: return bitNone;
  }
}

void TTaskTrayIcon::SetBalloonIcon(TBalloonIconType type) {
  switch (type) {
    case bitInfo: iconData_.dwInfoFlags = NIIF_INFO; break;
    case bitWarning: iconData_.dwInfoFlags = NIIF_WARNING; break;
    case bitError: iconData_.dwInfoFlags = NIIF_ERROR; break;
    default: iconData_.dwInfoFlags = NIIF_NONE; break;
  }
}

void TTaskTrayIcon::PrepareRecord() {
  if (IsShell5OrLater()) {
    iconData_.cbSize = IconDataSize;
    iconData_.dwState = NIS_SHAREDICON;
    iconData_.dwStateMask = 0;
    // Every add or re-show starts without a balloon icon.
    iconData_.dwInfoFlags = NIIF_NONE;
  } else {
    iconData_.cbSize = IconDataSizeV1;
  }
  iconData_.uID = 1;
  iconData_.hWnd = GetHandle();
  iconData_.uCallbackMessage = WM_TRAYICON;
  iconData_.uFlags = NormalFlags;
}

// The next modify also makes the icon visible, whatever state the shell holds
// it in. The first form has no state: its icons are never hidden.
void TTaskTrayIcon::PrepareUnhide() {
  if (!IsShell5OrLater()) return;
  iconData_.dwState = 0;
  iconData_.uFlags |= NIF_STATE;
  iconData_.dwStateMask = NIS_HIDDEN | NIS_SHAREDICON;
}

bool TTaskTrayIcon::Show() {
  if (shown_) return true;
  PrepareRecord();
  if (!iconData_.hIcon) return false;
  if (DoForegroundWindow) ::SetForegroundWindow(Handle());

  if (registered_) {
    // Hidden by state: un-hide it. A second add would give a second icon.
    PrepareUnhide();
    if (NotifyIcon(NIM_MODIFY)) shown_ = true;
  } else if (TryAdd()) {
    AddSucceeded();
  } else {
    WaitForShell();
  }
  return shown_;
}

// An add fails when the shell holds the icon already: one whose add timed out
// although the shell took it, or one the shell kept through a "TaskbarCreated".
// Adding it again can never succeed, so a modify asks whether it is there.
bool TTaskTrayIcon::TryAdd() {
  if (NotifyIcon(NIM_ADD)) return true;
  PrepareUnhide();
  return NotifyIcon(NIM_MODIFY);
}

// The shell has not taken the icon: it is not up yet (the taskbar starts after
// the program at log-on), or too busy to answer. Tried again on the timer and at
// "TaskbarCreated", without a word until AddGracePeriod has passed.
void TTaskTrayIcon::WaitForShell() {
  if (addPending_) return;
  addPending_ = true;
  pendingSince_ = Shell().TickCount();
  Shell().SetTimer(GetHandle(), AddRetryTimerId, AddRetryPeriod, nullptr);
}

void TTaskTrayIcon::StopWaiting() {
  if (!addPending_) return;
  addPending_ = false;
  if (handle_) Shell().KillTimer(handle_.get(), AddRetryTimerId);
}

void TTaskTrayIcon::RetryPendingAdd() {
  if (!addPending_ || Show()) return;
  if (missingReported_ || Shell().TickCount() - pendingSince_ < AddGracePeriod) return;
  // Set first: the error box runs a message loop in which the timer goes on.
  missingReported_ = true;
  ReportTrayError(ENotifyIconError(NotifyIconRegisterError));
}

bool TTaskTrayIcon::Hide() {
  StopWaiting();
  if (!IsShell5OrLater()) return Delete();  // the first form has no hidden state
  if (!registered_ || !shown_) return true;
  iconData_.uFlags = NIF_STATE;
  iconData_.dwState = NIS_HIDDEN;
  iconData_.dwStateMask = NIS_HIDDEN | NIS_SHAREDICON;
  bool ok = NotifyIcon(NIM_MODIFY);
  iconData_.dwState = 0;
  shown_ = false;
  return ok;
}

bool TTaskTrayIcon::Delete() {
  StopWaiting();
  if (!registered_) return true;
  bool ok = NotifyIcon(NIM_DELETE);
  registered_ = false;
  shown_ = false;
  return ok;
}

bool TTaskTrayIcon::Modify() {
  // An icon waiting for the shell takes the new fields at its next try.
  if (!shown_) return addPending_ ? false : Show();
  if (!iconData_.hIcon) return false;
  if (DoForegroundWindow) ::SetForegroundWindow(Handle());
  if (!NotifyIcon(NIM_MODIFY) && Shell().LastError() != ERROR_TIMEOUT) {
    // The shell has lost the icon (it was restarted, say): add it again, quietly.
    registered_ = false;
    shown_ = false;
    Show();
  }
  return shown_;
}

bool TTaskTrayIcon::ClearBalloon() {
  if (!IsShell5OrLater() || !shown_) return false;
  std::string kept = BalloonText();
  FlagsRestorer restore(iconData_);
  struct TextRestorer {
    TTaskTrayIcon& icon;
    const std::string& text;
    ~TextRestorer() { icon.SetBalloonText(text); }
  } restoreText{*this, kept};
  iconData_.uFlags = NIF_INFO;
  SetBalloonText("");
  return Modify();
}

bool TTaskTrayIcon::SendBalloon() {
  if (!IsShell5OrLater() || !shown_) return false;
  FlagsRestorer restore(iconData_);
  iconData_.uFlags = NIF_INFO;
  return Modify();
}

bool TTaskTrayIcon::ShowBalloon(const std::string& title, const std::string& text,
                                int32_t timeOut, TBalloonIconType iconType) {
  if (!IsShell5OrLater()) return false;
  SetBalloonTitle(title);
  SetBalloonText(text);
  SetBalloonTimeOut(timeOut);
  SetBalloonIcon(iconType);
  // An empty balloon first takes away one still on screen; the shell would
  // otherwise queue the new one behind it.
  ClearBalloon();
  return SendBalloon();
}

void TTaskTrayIcon::HandleMessage(TMessage& message) {
  if (message.Msg == WM_TIMER && message.WParam == AddRetryTimerId) {
    RetryPendingAdd();
    return;
  }
  if (TrayIconWinProcList && message.Msg == TrayIconWinProcList->TaskbarCreatedMessage()) {
    if (registered_ || addPending_) {
      bool wanted = shown_ || addPending_;
      registered_ = false;
      shown_ = false;
      // A visible icon goes onto the new taskbar, or is found on the old one if
      // the shell kept it; one that waited for a taskbar gets it now. A hidden
      // one waits for Show.
      if (wanted) Show();
    }
    if (OnMessage) {
      message.Msg = WM_TRAYRESTART;
      OnMessage(message);
      message.Msg = TrayIconWinProcList->TaskbarCreatedMessage();
    }
  }
  if (toolTipStyle_) toolTipStyle_->TrackMessage(message);
  if (OnMessage)
    OnMessage(message);
  else
    message.Result = ::DefWindowProcA(GetHandle(), message.Msg, message.WParam, message.LParam);
}

// ---------------------------------------------------------------------------
// Routing

TTrayIconWinProcList::TTrayIconWinProcList() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TrayWndProc;
  wc.hInstance = ModuleInstance();
  wc.hIcon = ::LoadIconA(ModuleInstance(), "MAINICON");
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = TrayWindowClassName;
  ::RegisterClassA(&wc);
  taskbarCreatedMessage_ = ::RegisterWindowMessageA("TaskbarCreated");
}

TTrayIconWinProcList::~TTrayIconWinProcList() {
  ::UnregisterClassA(TrayWindowClassName, ModuleInstance());
}

void TTrayIconWinProcList::Remove(TTaskTrayIcon* icon) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (*it == icon) {
      items_.erase(it);
      return;
    }
  }
}

bool TTrayIconWinProcList::DeliverMessage(HWND window, TMessage& message) {
  // Found first, handled after: the handler may create or destroy icons, which
  // changes the list under a running walk.
  TTaskTrayIcon* target = nullptr;
  for (TTaskTrayIcon* icon : items_) {
    if (icon->Handle() == window) {
      target = icon;
      break;
    }
  }
  if (!target) return false;
  target->HandleMessage(message);
  return true;
}

void RegisterTrayIcon(TTaskTrayIcon* icon) {
  if (!TrayIconWinProcList) TrayIconWinProcList = std::make_unique<TTrayIconWinProcList>();
  TrayIconWinProcList->Add(icon);
}

void UnregisterTrayIcon(TTaskTrayIcon* icon) {
  if (!TrayIconWinProcList) return;
  TrayIconWinProcList->Remove(icon);
  if (TrayIconWinProcList->Count() == 0) TrayIconWinProcList.reset();
}

LRESULT CALLBACK TrayWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!TrayIconWinProcList) return ::DefWindowProcA(window, msg, wParam, lParam);
  TMessage message = {msg, wParam, lParam, 0};
  try {
    if (TrayIconWinProcList->DeliverMessage(window, message)) return message.Result;
  } catch (const std::exception& error) {
    // No C++ exception may unwind through the system's dispatch frames.
    ReportTrayError(error);
    return message.Result;
  }
  return ::DefWindowProcA(window, msg, wParam, lParam);
}

void SetTrayErrorHandler(std::function<void(const std::exception&)> handler) {
  trayErrorHandler = std::move(handler);
}

// ---------------------------------------------------------------------------
// Shell version

DWORD GetShellVersion() {
  DWORD result = GetShellFileVersion();
  UINT oldMode = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
  toolkit::ModuleHandle shell32(toolkit::LoadSystemLibrary("shell32.dll"));
  ::SetErrorMode(oldMode);
  if (!shell32) return result;
  auto dllGetVersion = toolkit::ProcAddress<DLLGETVERSIONPROC>(shell32.get(), "DllGetVersion");
  if (dllGetVersion) {
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    if (dllGetVersion(&info) >= 0)
      result = (LOWORD(info.dwMajorVersion) << 16) | LOWORD(info.dwMinorVersion);
  }
  return result;
}

DWORD GetShellFileVersion() {
  char dir[MAX_PATH] = {};
  UINT length = ::GetSystemDirectoryA(dir, sizeof dir);
  if (length == 0 || length >= sizeof dir) return 0;
  return GetFileVersionOf(std::string(dir, length) + "\\shell32.dll");
}

// version.dll is not among the DLLs Windows always takes from its own folder, so
// a static import would run a version.dll put beside the program, at every
// log-on: it is loaded from the system folder by its full path instead.
DWORD GetFileVersionOf(const std::string& path) {
  toolkit::ModuleHandle version(toolkit::LoadSystemLibrary("version.dll"));
  auto infoSize = toolkit::ProcAddress<decltype(&::GetFileVersionInfoSizeA)>(
      version.get(), "GetFileVersionInfoSizeA");
  auto info = toolkit::ProcAddress<decltype(&::GetFileVersionInfoA)>(version.get(),
                                                                      "GetFileVersionInfoA");
  auto query = toolkit::ProcAddress<decltype(&::VerQueryValueA)>(version.get(), "VerQueryValueA");
  if (!infoSize || !info || !query) return 0;

  DWORD ignored = 0;
  DWORD size = infoSize(path.c_str(), &ignored);
  if (size == 0) return 0;
  std::vector<char> data(size);
  if (!info(path.c_str(), 0, size, data.data())) return 0;

  void* value = nullptr;
  UINT valueLength = 0;
  if (!query(data.data(), "\\VarFileInfo\\Translation", &value, &valueLength) ||
      valueLength < sizeof(DWORD))
    return 0;
  DWORD translation;
  std::memcpy(&translation, value, sizeof translation);
  char block[64];
  std::snprintf(block, sizeof block, "\\StringFileInfo\\%04X%04X\\FileVersion",
                static_cast<unsigned>(LOWORD(translation)),
                static_cast<unsigned>(HIWORD(translation)));
  if (!query(data.data(), block, &value, &valueLength) || !value) return 0;
  const char* text = static_cast<const char*>(value);
  return ParseFileVersionText(std::string(text, strnlen(text, valueLength)));
}

// Reads the leading two numbers of the text, whatever their widths: "6.1" is
// 6.1 and "10.0" is 10.0, not the first digit and the two characters after it.
DWORD ParseFileVersionText(const std::string& text) {
  size_t at = 0;
  auto number = [&](DWORD& out) {
    while (at < text.size() && text[at] == ' ') ++at;
    size_t start = at;
    DWORD value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 5)
      value = value * 10 + static_cast<DWORD>(text[at++] - '0');
    out = value;
    return at > start && value <= 0xFFFF;
  };
  DWORD major = 0, minor = 0;
  if (!number(major)) return 0;
  if (at >= text.size() || (text[at] != '.' && text[at] != ',')) return 0;
  ++at;
  if (!number(minor)) return 0;
  return (major << 16) | minor;
}

}  // namespace trayicon
