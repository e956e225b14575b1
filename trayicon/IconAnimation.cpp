#include "trayicon/IconAnimation.h"

#include "trayicon/Taskbar.h"

namespace trayicon {

TIconAnimation::TIconAnimation(TTrayIcon& trayIcon) : trayIcon_(trayIcon) {}

TIconAnimation::~TIconAnimation() {
  // Execute reads the component; end it before anything of ours goes.
  Terminate();
  WaitFor();
}

void TIconAnimation::Execute() {
  for (;;) {
    // Visible and Interval are read without a lock; a Resume that comes after
    // the test still leaves the worker running.
    if (!PauseWhen([this] { return trayIcon_.Interval() == 0 || !trayIcon_.Visible(); })) return;
    if (!trayIcon_.Visible()) continue;
    if (!Synchronize([this] { trayIcon_.AnimationStep(); })) return;
    if (!Wait(trayIcon_.Interval())) return;
  }
}

// The component's side of the animation.

void TTrayIcon::SetInterval(uint32_t ms) {
  if (ms == interval_) return;
  // Steps shorter than this only load the shell.
  interval_ = ms > 0 && ms < 50 ? 50 : ms;
  UpdateAnimation();
}

void TTrayIcon::UpdateAnimation() {
  if (visible_ && interval_ > 0) {
    if (!animationThread_) animationThread_ = std::make_unique<TIconAnimation>(*this);
    animationThread_->Resume();
  } else if (animationThread_ && !animationThread_->Suspended()) {
    animationThread_->Suspend();
  }
}

void TTrayIcon::PauseAnimation() {
  if (animationThread_ && !animationThread_->Suspended()) animationThread_->Suspend();
}

void TTrayIcon::StopAnimation() { animationThread_.reset(); }

void TTrayIcon::AnimationStep() {
  if (!animationThread_ || animationThread_->Suspended() || animationThread_->Terminated() ||
      !visible_)
    return;
  inAnimationStep_ = true;
  try {
    NextFrame();
  } catch (...) {
    // Nobody to tell on the worker's behalf: the next step tries again.
  }
  inAnimationStep_ = false;
}

void TTrayIcon::NextFrame() {
  if (OnIconAnimation) {
    OnIconAnimation(this);
    UpdateIcon();
    return;
  }
  int32_t next = ResourceIconID() + 1;
  SetResourceIconID(next < resourceIconList_.Count() ? next : 0);
}

}  // namespace trayicon
