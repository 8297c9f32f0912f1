#include "control/display_escape_control.h"

namespace vexa {

int DisplayEscapeControl::Init(platform::Window window) {
  window_ = window;
  return 1;
}

int DisplayEscapeControl::Release() { return 1; }

int DisplayEscapeControl::SwitchToControl() {
  // The stored window is neither refreshed nor validated: a stale handle is
  // the driver's business, and its answer is passed back as it is.
  platform::DeviceContext dc = platform::GetDeviceContext(window_);
  int result = platform::DisplayEscape(dc, static_cast<int>(kEscapeCode),
                                       0, nullptr, 0, nullptr);
  // A window's device context is a shared resource of the window system;
  // keeping one per switch would leak it, so it goes back at once.
  platform::ReleaseDeviceContext(window_, dc);
  return result;
}

int DisplayEscapeControl::IsExist() { return 1; }

}  // namespace vexa
