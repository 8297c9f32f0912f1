// ForegroundSwitchControl: platform code 6. The control program's window
// lies below the navigation program's window; handing over means bringing
// the first visible window below ours to the foreground.

#ifndef VEXA_SRC_CONTROL_FOREGROUND_SWITCH_CONTROL_H_
#define VEXA_SRC_CONTROL_FOREGROUND_SWITCH_CONTROL_H_

#include "control/control_variant.h"

namespace vexa {

class ForegroundSwitchControl : public ControlVariant {
 public:
  int Init(platform::Window window) override;  // stores the window; 1
  int Release() override;
  // Walks down the z-order from the stored window to the first visible
  // window and brings it to the foreground, unless the walk finds none or
  // finds the stored window itself. Always 1.
  int SwitchToControl() override;
  int IsExist() override;  // 1

 private:
  platform::Window window_ = 0;
};

}  // namespace vexa

#endif  // VEXA_SRC_CONTROL_FOREGROUND_SWITCH_CONTROL_H_
