// ControlVariant: how one hardware platform hands the screen back to the
// head unit's own control program. The ControlModule picks one concrete
// variant per platform code at every CTL_Init and owns it until the next.
//
// The four operations stand in a fixed slot order (Init, Release,
// SwitchToControl, IsExist). The library never calls Release. The virtual
// destructor comes after the four operations, so the slot order of the
// operations is unchanged; it only makes deleting a variant through this
// interface well defined, and it calls none of the operations.
//
// Threading: none; the caller serialises all calls into the control family.

#ifndef VEXA_SRC_CONTROL_CONTROL_VARIANT_H_
#define VEXA_SRC_CONTROL_CONTROL_VARIANT_H_

#include "platform/platform.h"

namespace vexa {

class ControlVariant {
 public:
  // Called once, right after the variant is created, with the window the
  // caller handed to CTL_Init (not validated). Returns 1.
  virtual int Init(platform::Window window) = 0;
  // Part of the interface only: nothing in the library calls it.
  virtual int Release() = 0;
  // Hands the screen over; the result goes back to the caller unchanged.
  virtual int SwitchToControl() = 0;
  // 1 when the platform has a control program to hand over to.
  virtual int IsExist() = 0;

  virtual ~ControlVariant() = default;
};

}  // namespace vexa

#endif  // VEXA_SRC_CONTROL_CONTROL_VARIANT_H_
