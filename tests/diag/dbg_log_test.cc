// The debug log. Its state is per process load, so every case runs in a
// forked child that starts with the log untouched (this parent process
// never logs) and ends through std::exit, which runs the exit list and so
// closes the file; the parent then reads what the load left behind.
//
// The data directory (VEXA_DATA_DIR, read by the configuration stand-in at
// every query) points at a fresh temporary directory per case. The clock,
// the open and the flush are replaced through the host dispatch table.

#include "diag/dbg_log.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host/host_services.h"
#include "support/alloc_hooks.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using platform::host::DefaultServices;
using platform::host::ScopedServices;

// Fake clock and call records for the replaced services (child only).
std::uint32_t g_now = 0;
std::uint32_t FakeTick() { return g_now; }

int g_flushes = 0;
void CountingFlush(std::FILE* file) {
  ++g_flushes;
  DefaultServices().flush_file_committed(file);
}

std::vector<std::string> g_opened;  // "path|mode" of every open attempt
std::FILE* RecordingOpen(const char* path, const char* mode) {
  g_opened.push_back(std::string(path) + "|" + mode);
  return DefaultServices().open_file(path, mode);
}
std::FILE* RecordingFailingOpen(const char* path, const char* mode) {
  g_opened.push_back(std::string(path) + "|" + mode);
  return nullptr;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class DbgLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() /
           ("vexa-dbglog-" + std::to_string(random()) + std::to_string(random()));
    ASSERT_TRUE(fs::create_directory(dir_));
    setenv("VEXA_DATA_DIR", dir_.string().c_str(), 1);
  }
  void TearDown() override {
    unsetenv("VEXA_DATA_DIR");
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  fs::path LogPath() const { return dir_ / "VexaDbgLog.txt"; }
  std::string Log() const { return ReadFile(LogPath()); }

  // Runs `body` as one process load; its expectations count in the child.
  template <class Body>
  void InFreshLoad(Body body) {
    EXPECT_EXIT(
        {
          body();
          std::exit(::testing::Test::HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
  }

  fs::path dir_;
};

TEST_F(DbgLogTest, CutsMessagesAt511Characters) {
  const std::string exact(511, 'e');
  const std::string long_text(600, 'x');
  InFreshLoad([&] {
    DbgLog("%s", exact.c_str());
    DbgLog("%s", long_text.c_str());
    DbgLog("%s|%d", std::string(509, 'y').c_str(), 12345);
  });
  EXPECT_EQ(Log(), exact + std::string(511, 'x') + std::string(509, 'y') + "|1");
}

TEST_F(DbgLogTest, WritesMessagesExactlyAsFormattedBackToBack) {
  InFreshLoad([] {
    DbgLog("one %d", 1);
    DbgLog("%s", "100% sure %d %s %n");
    DbgLog("two\n");
    DbgLog("%c%%", 'z');
  });
  EXPECT_EQ(Log(), "one 1100% sure %d %s %ntwo\nz%");
}

TEST_F(DbgLogTest, EachLoadEmptiesTheFileAndAppendsAfterwards) {
  { std::ofstream(LogPath()) << "left by an earlier load, longer than the new"; }
  InFreshLoad([] {
    DbgLog("first ");
    DbgLog("second");
  });
  EXPECT_EQ(Log(), "first second");
  InFreshLoad([] { DbgLog("third"); });
  EXPECT_EQ(Log(), "third");
}

TEST_F(DbgLogTest, EmptyDataDirectoryOpensTheFileAtTheRoot) {
  setenv("VEXA_DATA_DIR", "", 1);
  InFreshLoad([] {
    ScopedServices services;
    services.table().open_file = RecordingFailingOpen;
    DbgLog("nowhere");
    EXPECT_EQ(g_opened, std::vector<std::string>{"\\VexaDbgLog.txt|w+c"});
  });
}

TEST_F(DbgLogTest, FailedOpenDropsTheMessageAndRetriesWithAFreshDirectory) {
  const fs::path missing = dir_ / "missing";
  setenv("VEXA_DATA_DIR", missing.string().c_str(), 1);
  InFreshLoad([&] {
    ScopedServices services;
    services.table().open_file = RecordingOpen;
    DbgLog("lost 1");
    DbgLog("lost 2");
    EXPECT_EQ(g_opened.size(), 2u);  // one attempt per call
    setenv("VEXA_DATA_DIR", dir_.string().c_str(), 1);
    DbgLog("kept");
    DbgLog(" too");
    ASSERT_EQ(g_opened.size(), 3u);  // open now: no further attempts
    EXPECT_NE(g_opened[2].find(dir_.string()), std::string::npos);
  });
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(Log(), "kept too");
}

TEST_F(DbgLogTest, FlushesOnlyAfterMoreThan2000Ms) {
  InFreshLoad([this] {
    ScopedServices services;
    services.table().tick_count = FakeTick;
    services.table().flush_file_committed = CountingFlush;
    g_now = 1000;
    DbgLog("a");  // starts the clock; never flushed by itself
    EXPECT_EQ(g_flushes, 0);
    g_now = 3000;
    DbgLog("b");
    EXPECT_EQ(g_flushes, 0);
    g_now = 3001;
    DbgLog("c");
    EXPECT_EQ(g_flushes, 1);
    EXPECT_EQ(Log(), "abc");  // everything buffered so far is out
    // The interval now counts from the latest flush.
    g_now = 5001;
    DbgLog("d");
    EXPECT_EQ(g_flushes, 1);
    g_now = 5002;
    DbgLog("e");
    EXPECT_EQ(g_flushes, 2);
    EXPECT_EQ(Log(), "abcde");
  });
}

TEST_F(DbgLogTest, AWrapOfTheTickCountChangesNothing) {
  InFreshLoad([] {
    ScopedServices services;
    services.table().tick_count = FakeTick;
    services.table().flush_file_committed = CountingFlush;
    g_now = 0xFFFFFF00u;
    DbgLog("a");
    g_now = 0x00000010u;  // 272 ms later
    DbgLog("b");
    EXPECT_EQ(g_flushes, 0);
    g_now = 0xFFFFFF00u + 2000u;  // wrapped: exactly 2000 ms
    DbgLog("c");
    EXPECT_EQ(g_flushes, 0);
    g_now = 0xFFFFFF00u + 2001u;
    DbgLog("d");
    EXPECT_EQ(g_flushes, 1);
  });
  EXPECT_EQ(Log(), "abcd");
}

TEST_F(DbgLogTest, MakesNoHeapAllocationOnceTheFileIsOpen) {
  InFreshLoad([] {
    ScopedServices services;
    services.table().tick_count = FakeTick;
    g_now = 0;
    DbgLog("open %d\n", 0);
    test::AllocationCounter counter;
    for (int i = 1; i <= 20; ++i) {
      g_now += 1500;  // flushes on every second message
      DbgLog("message %d %s %.3f\n", i, "text", i / 3.0);
    }
    EXPECT_EQ(counter.count(), 0u);
  });
  EXPECT_NE(Log().find("message 20 text 6.667\n"), std::string::npos);
}

TEST_F(DbgLogTest, DropsTheMessageWhenThePathCannotBeAllocated) {
  InFreshLoad([] {
    {
      test::ScopedAllocationFailure fail(0, true);
      DbgLog("dropped, path too long for in-place storage");
    }
    DbgLog("kept");
  });
  EXPECT_EQ(Log(), "kept");
}

TEST_F(DbgLogTest, MessagesAfterCloseAreDroppedAndTheFileIsKept) {
  InFreshLoad([] {
    DbgLog("before");
    DbgLogClose();
    DbgLog("after");  // would otherwise reopen and empty the file
  });
  EXPECT_EQ(Log(), "before");
}

}  // namespace
}  // namespace vexa
