// SilentControl: platform codes 3 and 13. The control program exists and
// takes the screen back by itself, so SwitchToControl has nothing to do.
// One class serves both codes: they differ in nothing but their number.
// (DefaultControl does nothing either, but reports no control program.)

#ifndef VEXA_SRC_CONTROL_SILENT_CONTROL_H_
#define VEXA_SRC_CONTROL_SILENT_CONTROL_H_

#include "control/control_variant.h"

namespace vexa {

class SilentControl : public ControlVariant {
 public:
  int Init(platform::Window window) override;  // ignores the window
  int Release() override;
  int SwitchToControl() override;  // does nothing; 1
  int IsExist() override;          // 1
};

// The platforms' own names for it, as the choice of variant uses them.
using Platform3Control = SilentControl;
using Platform13Control = SilentControl;

}  // namespace vexa

#endif  // VEXA_SRC_CONTROL_SILENT_CONTROL_H_
