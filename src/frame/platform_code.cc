#include "frame/platform_code.h"

#include "pc.h"

namespace vexa {

int PlatformCode() { return PC_GetPlatformCode(); }

}  // namespace vexa
