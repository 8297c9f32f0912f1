#include "control/silent_control.h"

namespace vexa {

int SilentControl::Init(platform::Window /*window*/) { return 1; }

int SilentControl::Release() { return 1; }

int SilentControl::SwitchToControl() { return 1; }

int SilentControl::IsExist() { return 1; }

}  // namespace vexa
