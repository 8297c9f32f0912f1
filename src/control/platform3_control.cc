#include "control/platform3_control.h"

namespace vexa {

int Platform3Control::Init(platform::Window /*window*/) { return 1; }

int Platform3Control::Release() { return 1; }

int Platform3Control::SwitchToControl() { return 1; }

int Platform3Control::IsExist() { return 1; }

}  // namespace vexa
