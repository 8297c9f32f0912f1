// DisplayEscapeControl: platform code 2. The display driver hands the
// screen over when it receives escape 0x80002EFC on the device context of
// the navigation program's window.

#ifndef VEXA_SRC_CONTROL_DISPLAY_ESCAPE_CONTROL_H_
#define VEXA_SRC_CONTROL_DISPLAY_ESCAPE_CONTROL_H_

#include <cstdint>

#include "control/control_variant.h"

namespace vexa {

class DisplayEscapeControl : public ControlVariant {
 public:
  // The driver's escape code for "give the screen to the control program".
  static constexpr std::uint32_t kEscapeCode = 0x80002EFCu;

  int Init(platform::Window window) override;  // stores the window; 1
  int Release() override;
  // Issues the escape (no input, no output) and returns the driver's result
  // unchanged, zero and negative values included.
  int SwitchToControl() override;
  int IsExist() override;  // 1

 private:
  platform::Window window_ = 0;
};

}  // namespace vexa

#endif  // VEXA_SRC_CONTROL_DISPLAY_ESCAPE_CONTROL_H_
