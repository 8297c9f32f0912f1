// The host dispatch table: a replaced row is what the platform functions
// call, and the real service comes back when the scope ends. Also the test
// fakes built on it.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "platform/host/host_services.h"
#include "platform/platform.h"
#include "support/alloc_hooks.h"
#include "support/fake_platform.h"

namespace vexa::platform {
namespace {

using host::CurrentServices;
using host::DefaultServices;
using host::ScopedServices;
using host::Services;

TEST(HostServices, ReplacedRowIsCalledAndRestoredAtScopeEnd) {
  {
    ScopedServices scope;
    scope.table().tick_count = [] { return std::uint32_t{1234}; };
    scope.table().ansi_code_page = [] { return 1252u; };
    EXPECT_EQ(TickCount(), 1234u);
    EXPECT_EQ(AnsiCodePage(), 1252u);
    {
      ScopedServices inner;
      inner.table().tick_count = [] { return std::uint32_t{99}; };
      EXPECT_EQ(TickCount(), 99u);
    }
    EXPECT_EQ(TickCount(), 1234u);
  }
  EXPECT_EQ(CurrentServices().tick_count, DefaultServices().tick_count);
  EXPECT_EQ(CurrentServices().ansi_code_page, DefaultServices().ansi_code_page);
  EXPECT_NE(TickCount(), 1234u);
}

TEST(HostServices, EveryRowOfTheDefaultTableIsSet) {
  const Services& services = DefaultServices();
  const auto* rows = reinterpret_cast<const void* const*>(&services);
  static_assert(sizeof(Services) % sizeof(void*) == 0, "rows are pointers");
  for (std::size_t i = 0; i < sizeof(Services) / sizeof(void*); ++i) {
    EXPECT_NE(rows[i], nullptr) << "row " << i;
  }
}

TEST(FakeClock, ReplacesTheTickCountAndWraps) {
  {
    test::ScopedFakeClock clock(0xFFFFFF00u);
    EXPECT_EQ(TickCount(), 0xFFFFFF00u);
    clock.Advance(0x200);
    EXPECT_EQ(TickCount(), 0x100u);
    clock.set_step(10);
    EXPECT_EQ(TickCount(), 0x100u);
    EXPECT_EQ(TickCount(), 0x10Au);
    EXPECT_EQ(clock.reads(), 4);
  }
  EXPECT_EQ(CurrentServices().tick_count, DefaultServices().tick_count);
}

TEST(FakeOpenFailure, RefusesMatchingOpensOnly) {
  char path[] = "/tmp/vexa-open-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    test::ScopedOpenFailure failure("VexaDbgLog");
    std::FILE* file = OpenFile(path, "rb");
    ASSERT_NE(file, nullptr);
    CloseFile(file);
    errno = 0;
    EXPECT_EQ(OpenFile("\\data\\VexaDbgLog.txt", "w+c"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(failure.attempts(), 2);
    EXPECT_EQ(failure.failures(), 1);
    EXPECT_STREQ(failure.last_path(), "\\data\\VexaDbgLog.txt");
    EXPECT_STREQ(failure.last_mode(), "w+c");
    {
      test::ScopedOpenFailure every;
      EXPECT_EQ(OpenFile(path, "rb"), nullptr);
    }
    file = OpenFile(path, "rb");
    EXPECT_NE(file, nullptr);
    CloseFile(file);
  }
  EXPECT_EQ(CurrentServices().open_file, DefaultServices().open_file);
  std::remove(path);
}

TEST(ServiceSpy, CountsCallsAndCanAnswerThem) {
  {
    test::ScopedServiceSpy<&Services::delete_file_wide> deletes;
    EXPECT_FALSE(DeleteFileWide(u"/nonexistent/vexa"));
    deletes.Replace([](const char16_t* path) { return path[0] == u'x'; });
    EXPECT_TRUE(DeleteFileWide(u"x"));
    EXPECT_EQ(deletes.calls(), 2);

    test::ScopedServiceSpy<&Services::bring_to_foreground> foreground;
    BringToForeground(0x4242);
    EXPECT_EQ(foreground.calls(), 1);
  }
  EXPECT_EQ(CurrentServices().delete_file_wide, DefaultServices().delete_file_wide);
  EXPECT_EQ(CurrentServices().bring_to_foreground,
            DefaultServices().bring_to_foreground);
}

TEST(ServiceSpy, CountingMakesNoHeapAllocation) {
  test::ScopedServiceSpy<&Services::tick_count> ticks;
  test::ScopedFakeClock clock(5);
  test::AllocationCounter counter;
  TickCount();
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vexa::platform
