// DefaultControl: platform code 1 and every code without a variant of its
// own. There is no control program to hand over to: IsExist is 0 and
// SwitchToControl does nothing.

#ifndef VEXA_SRC_CONTROL_DEFAULT_CONTROL_H_
#define VEXA_SRC_CONTROL_DEFAULT_CONTROL_H_

#include "control/control_variant.h"

namespace vexa {

class DefaultControl : public ControlVariant {
 public:
  int Init(platform::Window window) override;  // ignores the window
  int Release() override;
  int SwitchToControl() override;  // does nothing; 1
  int IsExist() override;          // 0
};

}  // namespace vexa

#endif  // VEXA_SRC_CONTROL_DEFAULT_CONTROL_H_
