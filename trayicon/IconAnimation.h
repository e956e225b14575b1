// The animation worker of the tray icon. It only keeps the time: each step runs
// on the user-interface thread (through Synchronize), because the step's
// handler, the icon objects and the shell record are that thread's. A pause
// asked by the user-interface thread therefore always falls between two steps,
// and a step the worker asked for before the pause is dropped, not run late.
#pragma once

#include "toolkit/Thread.h"

namespace trayicon {

class TTrayIcon;

class TIconAnimation : public toolkit::TThread {
public:
  // Created paused; the first Resume starts it.
  explicit TIconAnimation(TTrayIcon& trayIcon);
  ~TIconAnimation() override;

protected:
  void Execute() override;

private:
  TTrayIcon& trayIcon_;
};

}  // namespace trayicon
