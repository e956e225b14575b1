#include "trayicon/Taskbar.h"

#include "toolkit/Application.h"
#include "trayicon/IconAnimation.h"

namespace trayicon {

using toolkit::Application;
using toolkit::TComponent;
using toolkit::TOperation;

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner) {
  icon_.OnChange = [this](toolkit::TIcon*) { IconChanged(); };
  taskTrayIcon_ = std::make_unique<TTaskTrayIcon>();
  taskTrayIcon_->OnMessage = [this](TMessage& message) { HandleTrayMessage(message); };
  if (!Designing()) {
    toolkit::TApplication& app = Application();
    savedRestore_ = app.OnRestore;
    app.OnRestore = [this](TComponent* sender) { ApplicationRestore(sender); };
    savedMinimize_ = app.OnMinimize;
    app.OnMinimize = [this](TComponent* sender) { ApplicationMinimize(sender); };
  }
  taskTrayIcon_->SetTip("TipHelp");
}

TTrayIcon::~TTrayIcon() {
  if (!Designing()) {
    try {
      HideIcon();
    } catch (...) {
      // Going away regardless; the shell icon is deleted with TaskTrayIcon below.
    }
    toolkit::TApplication& app = Application();
    app.OnRestore = savedRestore_;
    app.OnMinimize = savedMinimize_;
  }
  // The worker's last step must not find the icon objects gone.
  animationThread_.reset();
  animationIcon_.reset();
  taskTrayIcon_.reset();
  icon_.OnChange = nullptr;
}

void TTrayIcon::Loaded() {
  if (!Designing() && IsIconWanted()) ShowIcon();
  TComponent::Loaded();
}

void TTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == lButtonPopupMenu_) lButtonPopupMenu_ = nullptr;
  if (component == rButtonPopupMenu_) rButtonPopupMenu_ = nullptr;
}

bool TTrayIcon::IsIconWanted() const {
  return visible_ && (!minimized_ || ::IsIconic(Application().Handle()));
}

HICON TTrayIcon::GetCurrentIcon() {
  if (!icon_.Empty()) return icon_.Handle();
  if (resourceIconList_.Count() == 0 || resourceIconID_ < 0) return Application().Icon();
  // The index may stand beyond the list's end while the form is still loading.
  int32_t index = ResourceIconID();
  // The notification area shows small icons of the system's DPI.
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  HICON frame = static_cast<HICON>(::LoadImageA(Application().Instance(),
                                                resourceIconList_[index].c_str(), IMAGE_ICON,
                                                size, size, LR_SHARED));
  if (!animationIcon_) animationIcon_ = std::make_unique<toolkit::TIcon>();
  animationIcon_->SetHandle(frame, toolkit::TIcon::Ownership::Shared);
  return animationIcon_->Handle();
}

void TTrayIcon::ShowIcon() {
  taskTrayIcon_->SetIconHandle(GetCurrentIcon());
  // An icon that waits for the shell is as wanted as a shown one: it appears
  // by itself when the shell comes.
  if (taskTrayIcon_->Show() || taskTrayIcon_->AddPending()) {
    // Visible first: the animation asks for it, and an icon shown by a direct
    // call on a component stored invisible would otherwise never animate.
    visible_ = true;
    UpdateAnimation();
  }
}

bool TTrayIcon::HideIcon() {
  PauseAnimation();
  return taskTrayIcon_->Hide();
}

bool TTrayIcon::UpdateIcon() {
  taskTrayIcon_->SetIconHandle(GetCurrentIcon());
  if (IsIconWanted()) return taskTrayIcon_->Modify();
  return false;
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text, int32_t timeOut,
                            TBalloonIconType iconType) {
  return taskTrayIcon_->ShowBalloon(title, text, timeOut, iconType);
}

void TTrayIcon::IconChanged() {
  if (ignoreIconChange_ || Quiet()) return;
  UpdateIcon();
}

void TTrayIcon::SetIcon(const toolkit::TIcon* picture) {
  if (picture) {
    icon_.Assign(*picture);  // notifies
  } else if (!icon_.Empty()) {
    icon_.Clear();  // notifies
  } else {
    IconChanged();
  }
}

void TTrayIcon::SetTipHelp(const std::string& text) {
  taskTrayIcon_->SetTip(text);
  if (!Quiet()) UpdateIcon();
}

void TTrayIcon::SetVisible(bool on) {
  if (on == visible_) return;
  visible_ = on;
  if (Quiet()) return;
  if (IsIconWanted())
    ShowIcon();
  else
    HideIcon();
}

void TTrayIcon::SetMinimized(bool on) {
  if (on == minimized_) return;
  minimized_ = on;
  if (Quiet()) return;
  if (IsIconWanted())
    UpdateIcon();
  else
    HideIcon();
}

bool TTrayIcon::CheckSingleDoubleClick() const {
  return taskTrayIcon_->ToolTipStyle()->CheckSingleDoubleClick();
}

void TTrayIcon::SetCheckSingleDoubleClick(bool on) {
  taskTrayIcon_->ToolTipStyle()->SetCheckSingleDoubleClick(on);
}

int32_t TTrayIcon::ResourceIconID() {
  if (resourceIconID_ >= resourceIconList_.Count()) resourceIconID_ = 0;
  return resourceIconID_;
}

void TTrayIcon::SetResourceIconID(int32_t index) {
  // Index 0 is written again on purpose: the animation of a one-frame list
  // reloads its picture at every step.
  if (index == resourceIconID_ && index != 0) return;
  // An explicit picture gives way to the resource list. Cleared quietly: the
  // update below shows the new frame, one shell call is enough.
  ignoreIconChange_ = true;
  icon_.Clear();
  ignoreIconChange_ = false;
  if (Loading()) {
    // The list may not have been read yet; Loaded and the list setter settle it.
    resourceIconID_ = index;
  } else if (index >= resourceIconList_.Count()) {
    resourceIconID_ = resourceIconList_.Count() - 1;
  } else {
    resourceIconID_ = index < 0 ? -1 : index;
  }
  if (!Quiet() && IsIconWanted()) UpdateIcon();
}

void TTrayIcon::SetResourceIconList(const toolkit::TStringList& names) {
  if (resourceIconList_.Count() == 0) {
    resourceIconList_ = names;
    if (!Quiet() && IsIconWanted()) UpdateIcon();
    return;
  }
  if (resourceIconID_ < 0) {
    // No frame is selected, so the picture shown does not depend on the list.
    resourceIconList_ = names;
    return;
  }
  std::string before = resourceIconList_[ResourceIconID()];
  resourceIconList_ = names;
  SetResourceIconID(ResourceIconID());
  int32_t now = resourceIconID_;
  std::string after = now >= 0 && now < resourceIconList_.Count() ? resourceIconList_[now] : "";
  if (after != before && !Quiet() && IsIconWanted()) UpdateIcon();
}

void TTrayIcon::ApplicationMinimize(TComponent* Sender) {
  if (savedMinimize_) savedMinimize_(Sender);
  if (visible_ && minimized_) ShowIcon();
  // Hiding the application window takes its button off the taskbar.
  if (visible_ && hideOnTaskBar_) ::ShowWindow(Application().Handle(), SW_HIDE);
}

void TTrayIcon::ApplicationRestore(TComponent* Sender) {
  if (savedRestore_) savedRestore_(Sender);
  if (!minimized_) return;
  HideIcon();
  if (auto* control = dynamic_cast<toolkit::TWinControl*>(Owner()))
    ::SetForegroundWindow(control->WindowHandle());
}

void TTrayIcon::OpenMenu(toolkit::TPopupMenu& menu, POINT at) {
  // A menu of a notification-area icon only closes on a click elsewhere when its
  // owner is the foreground window; whatever that changes is settled before the
  // menu's own loop starts.
  ::SetForegroundWindow(Application().Handle());
  Application().ProcessMessages();
  menu.PopupComponent = this;
  menu.Popup(at.x, at.y);
}

void TTrayIcon::HandleTrayMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_TRAYICON: {
      POINT p = Shell().CursorPos();
      switch (message.LParam) {
        case WM_MOUSEMOVE:
          if (OnMouseMove) OnMouseMove(this, 0, p.x, p.y);
          break;
        case WM_LBUTTONDOWN:
          if (lButtonPopupMenu_ && autoPopup_)
            OpenMenu(*lButtonPopupMenu_, p);
          else if (OnMouseDown)
            OnMouseDown(this, mbLeft, ssLeft, p.x, p.y);
          break;
        case WM_LBUTTONUP:
          if (OnMouseUp) OnMouseUp(this, mbLeft, ssLeft, p.x, p.y);
          break;
        case WM_LBUTTONDBLCLK:
          if (OnDblClick) OnDblClick(this);
          break;
        case WM_RBUTTONDOWN:
          if (rButtonPopupMenu_ && autoPopup_)
            OpenMenu(*rButtonPopupMenu_, p);
          else if (OnMouseDown)
            OnMouseDown(this, mbRight, ssRight, p.x, p.y);
          break;
        case WM_RBUTTONUP:
          if (OnMouseUp) OnMouseUp(this, mbRight, ssRight, p.x, p.y);
          break;
        case WM_RBUTTONDBLCLK:
          if (OnRDblClick) OnRDblClick(this);
          break;
        case WM_MBUTTONDOWN:
          if (OnMouseDown) OnMouseDown(this, mbMiddle, ssMiddle, p.x, p.y);
          break;
        case WM_MBUTTONUP:
          if (OnMouseUp) OnMouseUp(this, mbMiddle, ssMiddle, p.x, p.y);
          break;
        case TRAYN_MOUSEENTER:
          if (OnMouseEnter) OnMouseEnter(this);
          break;
        case TRAYN_MOUSEEXIT:
          if (OnMouseExit) OnMouseExit(this);
          break;
        case TRAYN_CLICK:
          if (OnMouseClick)
            OnMouseClick(this, static_cast<TMouseButton>(message.WParam), 0, p.x, p.y);
          break;
      }
      break;
    }
    case WM_QUERYENDSESSION:
      // The hidden window must not stand in the way of a log-off or shutdown.
      message.Result = 1;
      break;
    case WM_TRAYRESTART:
      if (animationThread_ && !inAnimationStep_) {
        StopAnimation();
        if (visible_ && interval_ > 0) UpdateAnimation();
      }
      if (OnRestartTaskbar) OnRestartTaskbar(this);
      break;
  }
}

}  // namespace trayicon
