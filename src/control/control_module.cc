#include "control/control_module.h"

#include <new>

#include "control/default_control.h"
#include "control/display_escape_control.h"
#include "control/foreground_switch_control.h"
#include "control/silent_control.h"
#include "frame/module_instance.h"
#include "frame/platform_code.h"

namespace vexa {

ControlModule* ControlModule::Instance() {
  return ModuleInstance<ControlModule>::Get();
}

ControlVariant* ControlModule::CreateVariant(int platform_code) {
  switch (platform_code) {
    case 2:
      return new (std::nothrow) DisplayEscapeControl();
    // The control programs of platforms 3 and 13 take the screen back by
    // themselves: one class, SilentControl, under two names.
    case 3:
      return new (std::nothrow) Platform3Control();
    case 13:
      return new (std::nothrow) Platform13Control();
    case 6:
      return new (std::nothrow) ForegroundSwitchControl();
    default:
      return new (std::nothrow) DefaultControl();
  }
}

int ControlModule::Init(platform::Window window) {
  // The platform code is asked anew every time: the caller may re-initialise
  // after the head unit changed its mode.
  InstallStrategy(variant_, CreateVariant(PlatformCode()));
  ControlVariant* variant = variant_.get();
  return variant != nullptr ? variant->Init(window) : 0;
}

int ControlModule::SwitchToControl() {
  ControlVariant* variant = variant_.get();
  return variant != nullptr ? variant->SwitchToControl() : 0;
}

int ControlModule::IsExist() {
  ControlVariant* variant = variant_.get();
  return variant != nullptr ? variant->IsExist() : 0;
}

void ControlModule::TEST_Install(ControlVariant* variant) {
  InstallStrategy(variant_, variant);
}

}  // namespace vexa
