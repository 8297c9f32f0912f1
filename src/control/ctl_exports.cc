// The CTL_ exports: thin entries that obtain the ControlModule (creating it
// on first use) and forward to it. Without a module (its allocation failed)
// they return 0 and do nothing; no exception leaves them.
//
// The window handle crosses the boundary as a 32-bit value and is widened
// to the platform's handle type here, by sign extension as Windows widens
// window handles.

#include "control/control_module.h"
#include "vexa/vexa.h"

using vexa::ControlModule;

extern "C" {

VEXA_API int CTL_Init(VexaWindow window) {
  try {
    ControlModule* module = ControlModule::Instance();
    if (module == nullptr) return 0;
    return module->Init(vexa::platform::WindowFromBoundary(window));
  } catch (...) {
    return 0;
  }
}

VEXA_API int CTL_Switch_To_Control(void) {
  try {
    ControlModule* module = ControlModule::Instance();
    return module != nullptr ? module->SwitchToControl() : 0;
  } catch (...) {
    return 0;
  }
}

VEXA_API int CTL_IsExist(void) {
  try {
    ControlModule* module = ControlModule::Instance();
    return module != nullptr ? module->IsExist() : 0;
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
