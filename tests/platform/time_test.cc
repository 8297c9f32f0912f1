// The host tick count: milliseconds of the monotonic clock.

#include <time.h>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace vexa::platform {
namespace {

TEST(TickCount, CountsMilliseconds) {
  std::uint32_t before = TickCount();
  timespec pause{0, 50 * 1000000L};
  nanosleep(&pause, nullptr);
  // An unsigned difference, as callers compute it, survives a wrap.
  std::uint32_t elapsed = TickCount() - before;
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 5000u);
}

}  // namespace
}  // namespace vexa::platform
