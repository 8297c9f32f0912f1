// Platform3Control: platform code 3. The control program exists and
// takes the screen back by itself, so SwitchToControl has nothing to do.

#ifndef VEXA_SRC_CONTROL_PLATFORM3_CONTROL_H_
#define VEXA_SRC_CONTROL_PLATFORM3_CONTROL_H_

#include "control/control_variant.h"

namespace vexa {

class Platform3Control : public ControlVariant {
 public:
  int Init(platform::Window window) override;  // ignores the window
  int Release() override;
  int SwitchToControl() override;  // does nothing; 1
  int IsExist() override;          // 1
};

}  // namespace vexa

#endif  // VEXA_SRC_CONTROL_PLATFORM3_CONTROL_H_
