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

// Many rows share a type (windows, registry keys and device contexts are
// all integers; libraries, views and kernel objects all pointers; the clock
// and the code page both unsigned), so a function wired to a neighbour's
// row would compile. Every row of a stub table records its own call.
const void* g_called_row = nullptr;

template <auto Row>
struct RowStub;

template <class R, class... Args, R (*Services::*Row)(Args...)>
struct RowStub<Row> {
  static inline const char tag = 0;
  static R Call(Args...) {
    g_called_row = &tag;
    return R();
  }
};

template <auto... Rows>
void StubEveryRow(Services& table) {
  static_assert(sizeof...(Rows) * sizeof(void*) == sizeof(Services),
                "every row of the table is stubbed");
  ((table.*Rows = &RowStub<Rows>::Call), ...);
}

template <auto Row, class Call>
void ExpectCallsRow(Call call, const char* text) {
  g_called_row = nullptr;
  call();
  EXPECT_EQ(g_called_row, &RowStub<Row>::tag) << text;
}

#define EXPECT_ROW(row, call) \
  ExpectCallsRow<&Services::row>([] { call; }, #call)

TEST(HostServices, EachFunctionCallsItsOwnRow) {
  ScopedServices scope;
  StubEveryRow<
      &Services::open_file, &Services::close_file,
      &Services::flush_file_committed, &Services::delete_file_wide,
      &Services::ansi_code_page, &Services::wide_to_code_page,
      &Services::code_page_to_wide, &Services::load_library,
      &Services::find_export, &Services::unload_library,
      &Services::open_registry_key, &Services::query_registry_value,
      &Services::close_registry_key, &Services::find_window_by_title,
      &Services::deliver_message, &Services::next_window,
      &Services::is_window_visible, &Services::bring_to_foreground,
      &Services::get_device_context, &Services::release_device_context,
      &Services::display_escape, &Services::create_named_event,
      &Services::signal_event, &Services::create_named_mapping,
      &Services::map_whole_view, &Services::unmap_view,
      &Services::close_kernel_object, &Services::tick_count>(scope.table());

  EXPECT_ROW(open_file, OpenFile("f", "r"));
  EXPECT_ROW(close_file, CloseFile(nullptr));
  EXPECT_ROW(flush_file_committed, FlushFileCommitted(nullptr));
  EXPECT_ROW(delete_file_wide, DeleteFileWide(u"f"));
  EXPECT_ROW(ansi_code_page, AnsiCodePage());
  EXPECT_ROW(wide_to_code_page, WideToCodePage(936, u"", 0, nullptr, 0));
  EXPECT_ROW(code_page_to_wide, CodePageToWide(936, "", nullptr, 0));
  EXPECT_ROW(load_library, LoadLibraryByName(u"x.dll"));
  EXPECT_ROW(find_export, FindExport(nullptr, "x"));
  EXPECT_ROW(unload_library, UnloadLibrary(nullptr));
  EXPECT_ROW(open_registry_key, OpenRegistryKey(1, u"k", 0, 0, nullptr));
  EXPECT_ROW(query_registry_value, QueryRegistryValue(1, u"v", nullptr, nullptr));
  EXPECT_ROW(close_registry_key, CloseRegistryKey(1));
  EXPECT_ROW(find_window_by_title, FindWindowByTitle(u"w"));
  EXPECT_ROW(deliver_message, DeliverMessage(1, 2, 3, 4));
  EXPECT_ROW(next_window, NextWindow(1));
  EXPECT_ROW(is_window_visible, IsWindowVisible(1));
  EXPECT_ROW(bring_to_foreground, BringToForeground(1));
  EXPECT_ROW(get_device_context, GetDeviceContext(1));
  EXPECT_ROW(release_device_context, ReleaseDeviceContext(1, 2));
  EXPECT_ROW(display_escape, DisplayEscape(1, 2, 0, nullptr, 0, nullptr));
  EXPECT_ROW(create_named_event, CreateNamedEvent(u"e", false, false));
  EXPECT_ROW(signal_event, SignalEvent(nullptr));
  EXPECT_ROW(create_named_mapping, CreateNamedMapping(u"m", 4));
  EXPECT_ROW(map_whole_view, MapWholeView(nullptr));
  EXPECT_ROW(unmap_view, UnmapView(nullptr));
  EXPECT_ROW(close_kernel_object, CloseKernelObject(nullptr));
  EXPECT_ROW(tick_count, TickCount());
}

#undef EXPECT_ROW

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
