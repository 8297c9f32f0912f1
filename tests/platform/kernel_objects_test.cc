// Named kernel objects on the host, seen from a second process as the
// companion's listener sees them: the shared word, the auto-reset event and
// its signal count, reuse of existing objects and recovery from stale ones.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host/named_event.h"
#include "platform/platform.h"

namespace vexa::platform {
namespace {

using host::OpenNamedEventForWait;
using host::OpenNamedMappingView;
using host::SignalCount;
using host::WaitNamedEvent;

constexpr char16_t kEventName[] = u"Come_From_NaviExe_Even";
constexpr char16_t kMappingName[] = u"Navi_Share_Buffer";

// Runs `child` in a forked process and returns its exit code.
template <class Function>
int RunInChild(Function child) {
  pid_t pid = fork();
  if (pid == 0) _exit(child());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

class KernelObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test gets its own names, so that nothing from an earlier test or
    // an earlier run is reused.
    std::string prefix = std::string("vexa-test-ko-") + std::to_string(getpid()) +
                         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                         "-";
    setenv("VEXA_IPC_PREFIX", prefix.c_str(), 1);
    prefix_ = prefix;
    host::UnlinkNamedObjects(prefix_.c_str());
  }
  void TearDown() override {
    host::UnlinkNamedObjects(prefix_.c_str());
    unsetenv("VEXA_IPC_PREFIX");
  }
  std::string prefix_;
};

TEST_F(KernelObjects, SharedWordAndSignalReachAnotherProcess) {
  KernelObject event = CreateNamedEvent(kEventName, false, false);
  ASSERT_NE(event, nullptr);
  KernelObject mapping = CreateNamedMapping(kMappingName, 4);
  ASSERT_NE(mapping, nullptr);
  auto* word = static_cast<std::uint32_t*>(MapWholeView(mapping));
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(*word, 0u);

  // The listener waits in another process before anything is signalled.
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  pid_t pid = fork();
  if (pid == 0) {
    KernelObject listener = OpenNamedEventForWait(kEventName);
    auto* shared = static_cast<std::uint32_t*>(OpenNamedMappingView(kMappingName, 4));
    if (listener == nullptr || shared == nullptr) _exit(2);
    char ready = 'r';
    if (write(pipe_fds[1], &ready, 1) != 1) _exit(3);
    if (!WaitNamedEvent(listener, 5000)) _exit(4);
    if (*shared != 42) _exit(5);
    if (SignalCount(listener) != 1) _exit(6);
    // Auto-reset: the signal was consumed by the wait.
    if (WaitNamedEvent(listener, 50)) _exit(7);
    _exit(0);
  }
  char ready = 0;
  ASSERT_EQ(read(pipe_fds[0], &ready, 1), 1);
  // The word is written before the event is signalled.
  *word = 41u + 1u;
  EXPECT_TRUE(SignalEvent(event));
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  close(pipe_fds[0]);
  close(pipe_fds[1]);

  UnmapView(word);
  CloseKernelObject(mapping);
  CloseKernelObject(event);
}

TEST_F(KernelObjects, SignalBeforeTheWaitIsKeptUntilConsumed) {
  KernelObject event = CreateNamedEvent(kEventName, false, false);
  ASSERT_NE(event, nullptr);
  EXPECT_TRUE(SignalEvent(event));
  EXPECT_TRUE(SignalEvent(event));  // still one signal, but counted twice
  EXPECT_EQ(RunInChild([] {
              KernelObject listener = OpenNamedEventForWait(kEventName);
              if (SignalCount(listener) != 2) return 1;
              if (!WaitNamedEvent(listener, 0)) return 2;
              if (WaitNamedEvent(listener, 20)) return 3;
              CloseKernelObject(listener);
              return 0;
            }),
            0);
  CloseKernelObject(event);
}

TEST_F(KernelObjects, ManualResetAndInitialStateAreKeptByTheCreator) {
  KernelObject event = CreateNamedEvent(u"manual", true, true);
  ASSERT_NE(event, nullptr);
  EXPECT_TRUE(WaitNamedEvent(event, 0));
  EXPECT_TRUE(WaitNamedEvent(event, 0));  // stays signalled
  // Opening the existing event takes it as it is.
  KernelObject again = CreateNamedEvent(u"manual", false, false);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(WaitNamedEvent(again, 0));
  // A signal of a manual-reset event releases every wait.
  KernelObject unset = CreateNamedEvent(u"manual unset", true, false);
  ASSERT_NE(unset, nullptr);
  EXPECT_FALSE(WaitNamedEvent(unset, 0));
  EXPECT_TRUE(SignalEvent(unset));
  EXPECT_TRUE(WaitNamedEvent(unset, 0));
  EXPECT_TRUE(WaitNamedEvent(unset, 0));
  CloseKernelObject(unset);
  CloseKernelObject(again);
  CloseKernelObject(event);
}

TEST_F(KernelObjects, ExistingMappingIsHandedBackAsItIs) {
  KernelObject first = CreateNamedMapping(kMappingName, 4);
  KernelObject second = CreateNamedMapping(kMappingName, 4);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  auto* a = static_cast<std::uint32_t*>(MapWholeView(first));
  auto* b = static_cast<std::uint32_t*>(MapWholeView(second));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  *a = 0xFFFFFFFFu;
  EXPECT_EQ(*b, 0xFFFFFFFFu);
  // The view outlives its mapping handle.
  CloseKernelObject(first);
  CloseKernelObject(second);
  *b += 1;
  EXPECT_EQ(*a, 0u);
  UnmapView(a);
  UnmapView(b);
  UnmapView(b);        // a second unmap of the same view does nothing
  UnmapView(nullptr);
}

TEST_F(KernelObjects, EventAndMappingOfOneNameDoNotMeet) {
  KernelObject event = CreateNamedEvent(u"same", false, false);
  KernelObject mapping = CreateNamedMapping(u"same", 4);
  ASSERT_NE(event, nullptr);
  ASSERT_NE(mapping, nullptr);
  // Each kind of handle is refused by the other kind's operations.
  EXPECT_EQ(MapWholeView(event), nullptr);
  EXPECT_FALSE(SignalEvent(mapping));
  EXPECT_FALSE(WaitNamedEvent(mapping, 0));
  EXPECT_EQ(SignalCount(mapping), 0u);
  CloseKernelObject(event);
  CloseKernelObject(mapping);
}

TEST_F(KernelObjects, HalfBuiltEventFromACrashedCreatorIsRebuilt) {
  // A creator that died after sizing the segment but before marking it
  // ready leaves zero bytes behind.
  char name[256];
  ASSERT_TRUE(host::HostObjectName(kEventName, true, name, sizeof name));
  int fd = shm_open(name, O_CREAT | O_EXCL | O_RDWR, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 4096), 0);
  close(fd);

  KernelObject event = CreateNamedEvent(kEventName, false, false);
  ASSERT_NE(event, nullptr);
  EXPECT_TRUE(SignalEvent(event));
  EXPECT_EQ(SignalCount(event), 1u);
  CloseKernelObject(event);
}

TEST_F(KernelObjects, NamesCarryThePrefixAndRemovalStartsAfresh) {
  char name[256];
  ASSERT_TRUE(host::HostObjectName(u"Local\\a/b", false, name, sizeof name));
  EXPECT_EQ(std::string(name), "/" + prefix_ + "Local_a_b");
  ASSERT_TRUE(host::HostObjectName(kEventName, true, name, sizeof name));
  EXPECT_EQ(std::string(name), "/" + prefix_ + "Come_From_NaviExe_Even.event");

  KernelObject event = CreateNamedEvent(kEventName, false, false);
  SignalEvent(event);
  CloseKernelObject(event);
  EXPECT_TRUE(host::RemoveNamedEvent(kEventName));
  EXPECT_FALSE(host::RemoveNamedEvent(kEventName));
  event = CreateNamedEvent(kEventName, false, false);
  EXPECT_EQ(SignalCount(event), 0u);
  CloseKernelObject(event);

  KernelObject mapping = CreateNamedMapping(kMappingName, 4);
  CloseKernelObject(mapping);
  EXPECT_EQ(host::UnlinkNamedObjects(prefix_.c_str()), 2);
  EXPECT_EQ(host::UnlinkNamedObjects(""), 0);
}

TEST_F(KernelObjects, NameTooLongForTheHostFails) {
  std::u16string too_long(300, u'n');
  EXPECT_EQ(CreateNamedEvent(too_long.c_str(), false, false), nullptr);
  EXPECT_EQ(CreateNamedMapping(too_long.c_str(), 4), nullptr);
}

// The layer keeps a table of the views it mapped; beyond it a view is
// refused (and not left mapped), and a freed entry can be used again.
TEST_F(KernelObjects, ViewsBeyondTheTableAreRefused) {
  KernelObject mapping = CreateNamedMapping(kMappingName, 4);
  ASSERT_NE(mapping, nullptr);
  std::vector<void*> views;
  for (void* view = MapWholeView(mapping); view != nullptr; view = MapWholeView(mapping)) {
    views.push_back(view);
    ASSERT_LT(views.size(), 10000u);
  }
  EXPECT_GT(views.size(), 0u);
  UnmapView(views.back());
  views.back() = MapWholeView(mapping);
  EXPECT_NE(views.back(), nullptr);
  for (void* view : views) UnmapView(view);
  CloseKernelObject(mapping);
}

}  // namespace
}  // namespace vexa::platform
