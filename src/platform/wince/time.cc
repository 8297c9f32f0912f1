// Time: the system's millisecond tick count, which wraps at 2^32 (after
// about 49.7 days).

#include <cstdint>

#include "platform/platform.h"
#include "platform/wince/wince_api.h"

namespace vexa::platform {

std::uint32_t TickCount() { return ::GetTickCount(); }

}  // namespace vexa::platform
