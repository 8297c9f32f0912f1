// ModuleInstance: creation on first use under the module's mutex, the
// lock-free fast path, the re-check under the lock, a failed allocation and
// deletion at exit. Each case uses a module type of its own, so each starts
// from a fresh set of static items.

#include "frame/module_instance.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>

#include <gtest/gtest.h>

#include "frame/trace_file.h"

namespace vexa {
namespace {

struct FirstUseModule {
  static constexpr const char kName[] = "FirstUseModule";
  static int constructed;
  FirstUseModule() { ++constructed; }
};
int FirstUseModule::constructed = 0;

TEST(ModuleInstance, CreatesOnFirstUseAndLaterCallsTakeNoLock) {
  test::TraceFile trace;
  FirstUseModule* first = ModuleInstance<FirstUseModule>::Get();
  FirstUseModule* second = ModuleInstance<FirstUseModule>::Get();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(FirstUseModule::constructed, 1);
  EXPECT_EQ(trace.Count("mutex-construct "), 1);
  EXPECT_EQ(trace.Count("mutex-acquire "), 1);
  EXPECT_EQ(trace.Count("mutex-release "), 1);
}

// Allocation fails while `fail` is set; the module's own nothrow operator
// new is what ModuleInstance uses.
struct FlakyModule {
  static constexpr const char kName[] = "FlakyModule";
  static bool fail;
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return fail ? nullptr : std::malloc(size);
  }
  static void operator delete(void* p) noexcept { std::free(p); }
};
bool FlakyModule::fail = false;

void PrintTeardown(const char* name) { std::fprintf(stderr, "deleted %s\n", name); }

TEST(ModuleInstance, FailedAllocationGivesNullAndNextCallRetries) {
  // In a child process, so that the deletion at exit can be watched.
  EXPECT_EXIT(
      {
        test::TraceFile trace;
        FlakyModule::fail = true;
        bool null_first = ModuleInstance<FlakyModule>::Get() == nullptr;
        FlakyModule::fail = false;
        FlakyModule* retried = ModuleInstance<FlakyModule>::Get();
        bool stable = retried != nullptr &&
                      ModuleInstance<FlakyModule>::Get() == retried;
        // One mutex for both attempts, taken once by each.
        bool one_mutex = trace.Count("mutex-construct ") == 1 &&
                         trace.Count("mutex-acquire ") == 2;
        SetTeardownObserver(PrintTeardown);
        // The teardown at exit would trace into the file again.
        unsetenv("VEXA_NORL_TRACE");
        std::remove(trace.path().c_str());
        if (null_first && stable && one_mutex) std::exit(0);
        std::fprintf(stderr, "null_first %d stable %d one_mutex %d\n",
                     null_first, stable, one_mutex);
        std::_Exit(1);
      },
      ::testing::ExitedWithCode(0), "deleted FlakyModule");
}

// A module whose construction waits until the test lets it finish, so a
// second caller arrives while the instance pointer is still null.
struct SlowModule {
  static constexpr const char kName[] = "SlowModule";
  static std::mutex lock;
  static std::condition_variable changed;
  static bool entered;
  static bool may_finish;
  static int constructed;
  SlowModule() {
    std::unique_lock<std::mutex> hold(lock);
    ++constructed;
    entered = true;
    changed.notify_all();
    changed.wait(hold, [] { return may_finish; });
  }
};
std::mutex SlowModule::lock;
std::condition_variable SlowModule::changed;
bool SlowModule::entered = false;
bool SlowModule::may_finish = false;
int SlowModule::constructed = 0;

TEST(ModuleInstance, SecondCallerWaitsAndFindsTheInstanceUnderTheLock) {
  test::TraceFile trace;
  SlowModule* from_first = nullptr;
  SlowModule* from_second = nullptr;
  std::thread first([&] { from_first = ModuleInstance<SlowModule>::Get(); });
  {
    std::unique_lock<std::mutex> hold(SlowModule::lock);
    SlowModule::changed.wait(hold, [] { return SlowModule::entered; });
  }
  // The first caller holds the module mutex inside the constructor; the
  // second sees a null pointer and blocks in acquire.
  std::thread second([&] { from_second = ModuleInstance<SlowModule>::Get(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  {
    std::lock_guard<std::mutex> hold(SlowModule::lock);
    SlowModule::may_finish = true;
  }
  SlowModule::changed.notify_all();
  first.join();
  second.join();

  ASSERT_NE(from_first, nullptr);
  EXPECT_EQ(from_first, from_second);
  EXPECT_EQ(SlowModule::constructed, 1);
  EXPECT_EQ(trace.Count("mutex-acquire "), 2);
  EXPECT_EQ(trace.Count("mutex-release "), 2);
}

struct UnlockedModule {
  static constexpr const char kName[] = "UnlockedModule";
};

TEST(ModuleInstance, FailedAcquireStillCreatesWithoutReleasing) {
  test::TraceFile trace;
  setenv("VEXA_NORL_FAIL_ACQUIRE", "1", 1);
  UnlockedModule* instance = ModuleInstance<UnlockedModule>::Get();
  unsetenv("VEXA_NORL_FAIL_ACQUIRE");
  EXPECT_NE(instance, nullptr);
  EXPECT_EQ(trace.Count("mutex-acquire-failed "), 1);
  EXPECT_EQ(trace.Count("mutex-release "), 0);
}

}  // namespace
}  // namespace vexa
