#include "control/platform13_control.h"

namespace vexa {

int Platform13Control::Init(platform::Window /*window*/) { return 1; }

int Platform13Control::Release() { return 1; }

int Platform13Control::SwitchToControl() { return 1; }

int Platform13Control::IsExist() { return 1; }

}  // namespace vexa
