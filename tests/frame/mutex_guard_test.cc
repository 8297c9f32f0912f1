// MutexGuard over the NORL stand-in: the mutex is released at most once,
// and never when acquire failed. The stand-in's trace shows each call.

#include "frame/mutex_guard.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "frame/trace_file.h"
#include "norl_thread_mutex.h"

namespace vexa {
namespace {

TEST(MutexGuard, ReleasesOnceWhetherByHandOrOnDestruction) {
  test::TraceFile trace;
  Norl_Thread_Mutex mutex(nullptr, nullptr);
  {
    MutexGuard guard(&mutex);
    EXPECT_EQ(guard.Release(), 0);
    EXPECT_EQ(guard.Release(), -1);
  }
  {
    MutexGuard guard(&mutex);  // released by its destructor
  }
  EXPECT_EQ(trace.Count("mutex-acquire "), 2);
  EXPECT_EQ(trace.Count("mutex-release "), 2);
}

TEST(MutexGuard, FailedAcquireIsNeverReleased) {
  test::TraceFile trace;
  Norl_Thread_Mutex mutex(nullptr, nullptr);
  setenv("VEXA_NORL_FAIL_ACQUIRE", "1", 1);
  {
    MutexGuard guard(&mutex);
    EXPECT_EQ(guard.Release(), -1);
  }
  unsetenv("VEXA_NORL_FAIL_ACQUIRE");
  EXPECT_EQ(trace.Count("mutex-acquire-failed "), 1);
  EXPECT_EQ(trace.Count("mutex-release "), 0);
  // The mutex is still free: a later guard takes it.
  MutexGuard guard(&mutex);
  EXPECT_EQ(guard.Release(), 0);
}

}  // namespace
}  // namespace vexa
