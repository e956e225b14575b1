// The tray icon component a window places among its components to get a
// notification-area icon. It owns one TTaskTrayIcon and turns the raw callback
// messages of the icon into events, opens the popup menus on a button-down,
// decides which picture is shown (an explicit Icon, else the frame chosen from
// ResourceIconList, else the application's icon), follows the application's
// minimise and restore when asked to, passes balloons through, and drives the
// icon animation.
//
// Properties are set from the form's stored values while the form loads; during
// that time setters only store, and Loaded adds the icon if it is wanted. The
// component installs its own application minimise and restore handlers at
// construction and puts the previous ones back when it goes.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/Icon.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/StringList.h"
#include "trayicon/TrShlApi.h"

namespace trayicon {

class TIconAnimation;

// The key and button flags of a mouse event; the component passes only the flag
// of the pressed button, or none.
using TShiftState = uint8_t;
constexpr TShiftState ssShift = 1u << 0;
constexpr TShiftState ssAlt = 1u << 1;
constexpr TShiftState ssCtrl = 1u << 2;
constexpr TShiftState ssLeft = 1u << 3;
constexpr TShiftState ssRight = 1u << 4;
constexpr TShiftState ssMiddle = 1u << 5;

using TMouseEvent = std::function<void(toolkit::TComponent* Sender, TMouseButton Button,
                                       TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent =
    std::function<void(toolkit::TComponent* Sender, TShiftState Shift, int X, int Y)>;

class TTrayIcon : public toolkit::TComponent {
public:
  explicit TTrayIcon(toolkit::TComponent* owner);
  ~TTrayIcon() override;

  void Loaded() override;
  void Notification(toolkit::TComponent* component, toolkit::TOperation operation) override;

  // Adds the icon (or shows a hidden one); when it is shown, or waits for the
  // shell to take it, Visible becomes true and the animation runs if it should.
  void ShowIcon();
  // Pauses the animation and hides the icon.
  bool HideIcon();
  // Pushes the current picture and tip to the shell when the icon is wanted.
  bool UpdateIcon();
  bool ShowBalloon(const std::string& title, const std::string& text, int32_t timeOut,
                   TBalloonIconType iconType);
  // Visible, and either not Minimized or the application minimised.
  bool IsIconWanted() const;
  // The explicit Icon, else the resource frame, else the application's icon.
  HICON GetCurrentIcon();

  // Published properties.
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool on) { autoPopup_ = on; }
  toolkit::TIcon& Icon() { return icon_; }
  void SetIcon(const toolkit::TIcon* picture);  // a copy; nullptr empties
  std::string TipHelp() const { return taskTrayIcon_->Tip(); }
  void SetTipHelp(const std::string& text);
  bool Minimized() const { return minimized_; }
  void SetMinimized(bool on);
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  bool HideOnTaskBar() const { return hideOnTaskBar_; }
  void SetHideOnTaskBar(bool on) { hideOnTaskBar_ = on; }
  // Reading an index at or beyond the list's end stores and gives 0.
  int32_t ResourceIconID();
  void SetResourceIconID(int32_t index);
  const toolkit::TStringList& ResourceIconList() const { return resourceIconList_; }
  void SetResourceIconList(const toolkit::TStringList& names);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t ms);
  bool DoForegroundWindow() const { return taskTrayIcon_->DoForegroundWindow; }
  void SetDoForegroundWindow(bool on) { taskTrayIcon_->DoForegroundWindow = on; }
  bool CheckSingleDoubleClick() const;
  void SetCheckSingleDoubleClick(bool on);
  std::string BalloonHelpTitle() const { return taskTrayIcon_->BalloonTitle(); }
  void SetBalloonHelpTitle(const std::string& text) { taskTrayIcon_->SetBalloonTitle(text); }
  std::string BalloonHelpText() const { return taskTrayIcon_->BalloonText(); }
  void SetBalloonHelpText(const std::string& text) { taskTrayIcon_->SetBalloonText(text); }
  int32_t BalloonHelpTimeOut() const { return taskTrayIcon_->BalloonTimeOut(); }
  void SetBalloonHelpTimeOut(int32_t ms) { taskTrayIcon_->SetBalloonTimeOut(ms); }
  TBalloonIconType BalloonHelpIcon() const { return taskTrayIcon_->BalloonIcon(); }
  void SetBalloonHelpIcon(TBalloonIconType type) { taskTrayIcon_->SetBalloonIcon(type); }
  TToolTipStyle& ToolTipStyle() { return *taskTrayIcon_->ToolTipStyle(); }
  void SetToolTipStyle(const TCustomToolTipStyle& style) { ToolTipStyle().Assign(style); }
  toolkit::TPopupMenu* LButtonPopupMenu() const { return lButtonPopupMenu_; }
  void SetLButtonPopupMenu(toolkit::TPopupMenu* menu) { lButtonPopupMenu_ = menu; }
  toolkit::TPopupMenu* RButtonPopupMenu() const { return rButtonPopupMenu_; }
  void SetRButtonPopupMenu(toolkit::TPopupMenu* menu) { rButtonPopupMenu_ = menu; }

  // Events; the component is the Sender of each.
  toolkit::TNotifyEvent OnDblClick;
  toolkit::TNotifyEvent OnRDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  toolkit::TNotifyEvent OnMouseEnter;
  toolkit::TNotifyEvent OnMouseExit;
  TMouseEvent OnMouseClick;
  toolkit::TNotifyEvent OnRestartTaskbar;
  // One animation step; runs on the user-interface thread.
  toolkit::TNotifyEvent OnIconAnimation;

  // The messages of the icon's hidden window, after the tooltip style has seen
  // them.
  void HandleTrayMessage(TMessage& message);
  // Installed as the application's handlers; each runs the one it replaced first.
  void ApplicationMinimize(toolkit::TComponent* Sender);
  void ApplicationRestore(toolkit::TComponent* Sender);

  // Animation.
  void UpdateAnimation();
  void PauseAnimation();
  void NextFrame();

  TTaskTrayIcon& TaskTrayIcon() { return *taskTrayIcon_; }
  const TIconAnimation* AnimationThread() const { return animationThread_.get(); }

private:
  friend class TIconAnimation;

  void IconChanged();
  void OpenMenu(toolkit::TPopupMenu& menu, POINT at);
  bool Quiet() const { return Designing() || Loading(); }
  // Runs one step for the worker, unless it was paused or stopped after it asked.
  void AnimationStep();
  void StopAnimation();

  std::unique_ptr<TIconAnimation> animationThread_;
  std::unique_ptr<toolkit::TIcon> animationIcon_;
  bool autoPopup_ = true;
  toolkit::TIcon icon_;
  toolkit::TPopupMenu* lButtonPopupMenu_ = nullptr;
  toolkit::TPopupMenu* rButtonPopupMenu_ = nullptr;
  std::unique_ptr<TTaskTrayIcon> taskTrayIcon_;
  int32_t resourceIconID_ = -1;
  toolkit::TStringList resourceIconList_;
  // Read by the animation worker without a lock.
  std::atomic<bool> visible_{true};
  bool minimized_ = false;
  bool hideOnTaskBar_ = false;
  std::atomic<uint32_t> interval_{0};
  toolkit::TNotifyEvent savedRestore_;
  toolkit::TNotifyEvent savedMinimize_;
  bool ignoreIconChange_ = false;
  bool inAnimationStep_ = false;
};

}  // namespace trayicon
