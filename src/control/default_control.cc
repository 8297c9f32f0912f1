#include "control/default_control.h"

namespace vexa {

int DefaultControl::Init(platform::Window /*window*/) { return 1; }

int DefaultControl::Release() { return 1; }

int DefaultControl::SwitchToControl() { return 1; }

int DefaultControl::IsExist() { return 0; }

}  // namespace vexa
