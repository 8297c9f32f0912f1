// ControlModule: the module behind the CTL_ exports. It owns the current
// ControlVariant, chosen from the platform code at every Init, and forwards
// the switch and the existence query to it.
//
// The single object is created on first use of any CTL_ export and deleted
// at unload through the exit list (frame/module_instance.h); deleting it
// deletes the variant it owns and calls none of the variant's operations.
//
// Threading: only the creation of the instance is serialised. Init and the
// operations take no lock; callers must not call into the control family
// from several threads at the same time.

#ifndef VEXA_SRC_CONTROL_CONTROL_MODULE_H_
#define VEXA_SRC_CONTROL_CONTROL_MODULE_H_

#include "control/control_variant.h"
#include "frame/owning_pointer.h"
#include "platform/platform.h"

namespace vexa {

class ControlModule {
 public:
  static constexpr const char kName[] = "ControlModule";

  // The single object, created on first use; null when it could not be
  // allocated (the next call tries again).
  static ControlModule* Instance();

  // A new variant for `platform_code`, or null when it cannot be allocated:
  // 2 DisplayEscapeControl, 3 and 13 SilentControl, 6
  // ForegroundSwitchControl, every other code DefaultControl.
  static ControlVariant* CreateVariant(int platform_code);

  ControlModule() = default;
  ControlModule(const ControlModule&) = delete;
  ControlModule& operator=(const ControlModule&) = delete;

  // Asks for the platform code, installs a new variant for it (freeing the
  // previous one without calling any of its operations) and returns the new
  // variant's Init(window). 0 when the variant cannot be allocated; the
  // module then holds no variant.
  int Init(platform::Window window);

  // The current variant's SwitchToControl / IsExist; 0 without a variant
  // (before the first Init, or after an Init whose allocation failed).
  int SwitchToControl();
  int IsExist();

  // For tests: installs `variant` (taking ownership) as Init does, without
  // calling any of its operations.
  void TEST_Install(ControlVariant* variant);
  ControlVariant* TEST_variant() const { return variant_.get(); }

 private:
  OwningPointer<ControlVariant> variant_;
};

}  // namespace vexa

#endif  // VEXA_SRC_CONTROL_CONTROL_MODULE_H_
