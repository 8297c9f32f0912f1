#include "control/foreground_switch_control.h"

namespace vexa {

int ForegroundSwitchControl::Init(platform::Window window) {
  window_ = window;
  return 1;
}

int ForegroundSwitchControl::Release() { return 1; }

int ForegroundSwitchControl::SwitchToControl() {
  platform::Window w = platform::NextWindow(window_);
  while (w != 0 && !platform::IsWindowVisible(w)) {
    w = platform::NextWindow(w);
  }
  if (w != 0 && w != window_) platform::BringToForeground(w);
  return 1;
}

int ForegroundSwitchControl::IsExist() { return 1; }

}  // namespace vexa
