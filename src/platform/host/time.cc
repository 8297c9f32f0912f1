// Time on the host: the monotonic clock in milliseconds, wrapping at 2^32
// like the head unit's tick count.

#include <time.h>

#include "platform/host/host_internal.h"

namespace vexa::platform::host {

std::uint32_t HostTickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                     static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

}  // namespace vexa::platform::host
