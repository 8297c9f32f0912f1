// The host's named kernel objects when a system call fails: each call that
// building or opening an event or a mapping makes (shm_open, ftruncate,
// fstat, mmap) fails in turn, with the errors that matter (a plain
// failure, and the "exists" and "does not exist" answers of a creator and
// an opener that race each other). Whatever fails, the result is either
// nothing or a working object, and nothing half-built is left behind: a
// clean attempt afterwards gives a working object.
//
// The executable is linked with --wrap for each of these calls, so the
// platform layer's calls come here first.

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/host/named_event.h"
#include "platform/platform.h"

namespace {

// The one call to fail: the `fail_at`th call of `call` from now.
struct FaultPlan {
  const char* call = nullptr;
  int fail_at = 0;
  int error = 0;
  int seen = 0;
  bool fired = false;
};
FaultPlan g_plan;

bool Fails(const char* call) {
  if (g_plan.call == nullptr || std::strcmp(call, g_plan.call) != 0) return false;
  if (++g_plan.seen != g_plan.fail_at) return false;
  g_plan.fired = true;
  errno = g_plan.error;
  return true;
}

}  // namespace

extern "C" {
int __real_shm_open(const char* name, int flags, mode_t mode);
int __real_ftruncate(int fd, off_t length);
int __real_fstat(int fd, struct stat* status);
void* __real_mmap(void* address, size_t length, int protection, int flags, int fd,
                  off_t offset);

int __wrap_shm_open(const char* name, int flags, mode_t mode) {
  return Fails("shm_open") ? -1 : __real_shm_open(name, flags, mode);
}
int __wrap_ftruncate(int fd, off_t length) {
  return Fails("ftruncate") ? -1 : __real_ftruncate(fd, length);
}
int __wrap_fstat(int fd, struct stat* status) {
  return Fails("fstat") ? -1 : __real_fstat(fd, status);
}
void* __wrap_mmap(void* address, size_t length, int protection, int flags, int fd,
                  off_t offset) {
  return Fails("mmap") ? MAP_FAILED
                       : __real_mmap(address, length, protection, flags, fd, offset);
}
}  // extern "C"

namespace vexa::platform {
namespace {

constexpr char16_t kEvent[] = u"event";
constexpr char16_t kMapping[] = u"mapping";

// Opens the event and checks that a signal reaches a second handle.
bool EventWorks(KernelObject event) {
  KernelObject waiter = host::OpenNamedEventForWait(kEvent);
  bool works = event != nullptr && waiter != nullptr && SignalEvent(event) &&
               host::WaitNamedEvent(waiter, 1000);
  CloseKernelObject(waiter);
  return works;
}

// Maps the mapping and checks that a word written shows in a second view.
bool ViewWorks(void* view) {
  void* other = host::OpenNamedMappingView(kMapping, 4);
  bool works = view != nullptr && other != nullptr;
  if (works) {
    const std::uint32_t word = 0x2A2A2A2A;
    std::memcpy(view, &word, sizeof word);
    works = std::memcmp(other, &word, sizeof word) == 0;
  }
  if (other != nullptr) UnmapView(other);
  return works;
}

void* MapNamed() {
  KernelObject mapping = CreateNamedMapping(kMapping, 4);
  void* view = MapWholeView(mapping);
  CloseKernelObject(mapping);
  return view;
}

class KernelObjectFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = "vexa-test-kofaults-" + std::to_string(getpid()) + "-";
    setenv("VEXA_IPC_PREFIX", prefix_.c_str(), 1);
    host::UnlinkNamedObjects(prefix_.c_str());
  }
  void TearDown() override {
    g_plan = FaultPlan{};
    host::UnlinkNamedObjects(prefix_.c_str());
  }
  std::string prefix_;
};

const char* const kCalls[] = {"shm_open", "ftruncate", "fstat", "mmap"};
const int kErrors[] = {EACCES, EEXIST, ENOENT};

TEST_F(KernelObjectFaults, EveryFailedCallLeavesNothingOrAWorkingObject) {
  int fired = 0;
  for (bool existing : {false, true}) {
    for (const char* call : kCalls) {
      for (int error : kErrors) {
        for (int at = 1; at <= 3; ++at) {
          SCOPED_TRACE(std::string(call) + " #" + std::to_string(at) + " errno " +
                       std::to_string(error) + (existing ? ", opening" : ", creating"));
          host::UnlinkNamedObjects(prefix_.c_str());
          KernelObject kept_event = nullptr;
          void* kept_view = nullptr;
          if (existing) {
            kept_event = CreateNamedEvent(kEvent, false, false);
            kept_view = MapNamed();
            ASSERT_TRUE(kept_event && kept_view);
          }
          g_plan = FaultPlan{call, at, error};
          KernelObject event = CreateNamedEvent(kEvent, false, false);
          g_plan.seen = 0;
          void* view = MapNamed();
          fired += g_plan.fired;
          g_plan = FaultPlan{};

          EXPECT_TRUE(event == nullptr || EventWorks(event));
          EXPECT_TRUE(view == nullptr || ViewWorks(view));
          // A clean attempt afterwards works, whatever the failure left.
          KernelObject again = CreateNamedEvent(kEvent, false, false);
          EXPECT_TRUE(EventWorks(again));
          void* view_again = MapNamed();
          EXPECT_TRUE(ViewWorks(view_again));

          for (KernelObject e : {kept_event, event, again}) CloseKernelObject(e);
          for (void* v : {kept_view, view, view_again}) {
            if (v != nullptr) UnmapView(v);
          }
        }
      }
    }
  }
  EXPECT_GT(fired, 0);
}

}  // namespace
}  // namespace vexa::platform
