// The CTL_ exports: thin entries that obtain the ControlModule (creating it
// on first use) and forward to it. Without a module (its allocation failed)
// they return 0 and do nothing. The library is built without exceptions, so
// none can leave an export.
//
// The window handle crosses the boundary as a 32-bit value and is widened
// to the platform's handle type here, by sign extension as Windows widens
// window handles.

#include "control/control_module.h"
#include "vexa/vexa.h"

using vexa::ControlModule;

extern "C" {

VEXA_API int VEXA_CALL CTL_Init(VexaWindow window) {
  ControlModule* module = ControlModule::Instance();
  if (module == nullptr) return 0;
  return module->Init(vexa::platform::WindowFromBoundary(window));
}

VEXA_API int VEXA_CALL CTL_Switch_To_Control(void) {
  ControlModule* module = ControlModule::Instance();
  return module != nullptr ? module->SwitchToControl() : 0;
}

VEXA_API int VEXA_CALL CTL_IsExist(void) {
  ControlModule* module = ControlModule::Instance();
  return module != nullptr ? module->IsExist() : 0;
}

}  // extern "C"
