// Allocation failure at every allocation site of the library: module
// objects, plans, variants, path strings. Each scenario runs a family's
// calls while one allocation (the first, the second, ...) fails, or while
// every allocation from one on fails, each in a fresh process, and checks
// that nothing crashes, that every call gives one of its documented
// results, that no destination file is deleted without being taken over,
// and that the library works again once memory is back. The sweep goes on
// until a run meets no allocation at all, so no site is left out.
//
// Leaks: the fresh process ends through the exit list, which deletes every
// module; in the sanitizer build LeakSanitizer then fails the process if
// anything was lost.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "destination/packet_bytes.h"
#include "diag/dbg_log.h"
#include "support/alloc_hooks.h"
#include "vexa/vexa.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// More than any scenario below allocates; the last step of each sweep
// proves it.
constexpr std::size_t kMaxSites = 12;

// Runs `body` in a freshly started copy of this program; the expectation
// fails when anything inside failed or the process did not end cleanly.
// The copy's failure messages go to its error output, which the report of
// a failed expectation shows.
#define IN_FRESH_PROCESS(body)                                   \
  EXPECT_EXIT(                                                   \
      {                                                          \
        ::dup2(2, 1);                                            \
        body;                                                    \
        std::exit(::testing::Test::HasFailure() ? 1 : 0);        \
      },                                                         \
      ::testing::ExitedWithCode(0), "")

// A fresh data directory, removed with all it holds when the scenario
// ends, however it ends (the scenarios return before their process exits).
class DataDirectory {
 public:
  DataDirectory() {
    char pattern[] = "/tmp/vexa-alloc-faults-XXXXXX";
    EXPECT_NE(::mkdtemp(pattern), nullptr);
    path_ = pattern;
  }
  ~DataDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  DataDirectory(const DataDirectory&) = delete;
  DataDirectory& operator=(const DataDirectory&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::u16string& OtherGuideText() {
  // A different destination from the file's, so the two packets differ.
  static const std::u16string text = test::Utf16("(TNC,002,0,3130.0000,12128.0000");
  return text;
}

int ParseOtherGuide() {
  const std::u16string& text = OtherGuideText();
  return PTT_Parse_Raw_Protocol(reinterpret_cast<const std::uint16_t*>(text.data()),
                                static_cast<int>(text.size() * 2));
}

bool IsOtherGuidePacket(const DestinationPacket& p) {
  return p.kind == GuideMessage && p.pointCount == 1 &&
         p.entries[0].latitude == 290304000 && p.entries[0].longitude == 1119436800 &&
         p.entries[0].routeMode == Recommended && test::EntriesZeroFrom(p, 1);
}

// PTT_Init with a valid guide file, a raw message and the copy-outs while
// allocations fail. `long_path` puts the file behind a path longer than the
// usual deletion buffer, whose deletion needs a heap buffer of its own.
void DestinationScenario(std::size_t skip, bool every_later, bool long_path,
                         bool expect_no_failure) {
  const DataDirectory data;
  const std::string& dir = data.path();
  std::string folder = dir;
  if (long_path) {
    for (int i = 0; i < 4; ++i) folder += "/" + std::string(60, 'd');
    fs::create_directories(folder);
  }
  const std::string path = folder + "/guide.dat";
  std::ofstream(path, std::ios::binary) << std::string("\x37\0\0\0", 4) + test::kGuideMessage;
  ::setenv("VEXA_GUIDE_PLAN", "1", 1);
  ::setenv("VEXA_GUIDE_FILE", path.c_str(), 1);
  ::setenv("VEXA_DATA_DIR", dir.c_str(), 1);

  OtherGuideText();  // built before memory runs out
  DestinationPacket after_init = test::FilledPacket(0xEE);
  DestinationPacket after_raw = test::FilledPacket(0xEE);
  int init, get_after_init, raw, get_after_raw;
  std::size_t failures;
  {
    test::ScopedAllocationFailure fail(skip, every_later);
    init = PTT_Init();
    get_after_init = PTT_Get_DataPacket(&after_init);
    raw = ParseOtherGuide();
    get_after_raw = PTT_Get_DataPacket(&after_raw);
    failures = fail.failures();
  }
  if (expect_no_failure) {
    EXPECT_EQ(failures, 0u) << "raise kMaxSites";
  }

  EXPECT_TRUE(init == 0 || init == VEXA_E_NO_SERVICE) << init;
  EXPECT_TRUE(get_after_init == 0 || get_after_init == VEXA_E_NO_SERVICE);
  EXPECT_TRUE(raw == 0 || raw == VEXA_E_NO_PLAN || raw == VEXA_E_NO_SERVICE) << raw;
  EXPECT_TRUE(get_after_raw == 0 || get_after_raw == VEXA_E_NO_SERVICE);

  const bool file_kept = fs::exists(path);
  if (get_after_init == 0) {
    const bool taken = test::IsWorkedGuidePacket(after_init);
    EXPECT_TRUE(taken || test::AllZero(&after_init, sizeof after_init));
    // The file goes only with its destination taken over. Only the long
    // path's own deletion buffer may fail after a take-over, and then the
    // file stays to be read again.
    if (!file_kept) {
      EXPECT_TRUE(taken);
    }
    if (!long_path) {
      EXPECT_EQ(file_kept, !taken);
    }
  } else {
    EXPECT_TRUE(file_kept);
  }
  if (raw == 0) {
    EXPECT_EQ(get_after_raw, 0);
    EXPECT_TRUE(IsOtherGuidePacket(after_raw));
  } else if (get_after_init == 0 && get_after_raw == 0) {
    EXPECT_EQ(test::Bytes(after_raw), test::Bytes(after_init));
  }
  if (failures == 0) {
    EXPECT_EQ(init, 0);
    EXPECT_FALSE(file_kept);
    EXPECT_EQ(raw, 0);
  }

  // With memory back, the family works.
  EXPECT_EQ(PTT_Init(), 0);
  EXPECT_EQ(ParseOtherGuide(), 0);
  DestinationPacket packet;
  EXPECT_EQ(PTT_Get_DataPacket(&packet), 0);
  EXPECT_TRUE(IsOtherGuidePacket(packet));
}

// The same for plan 2: PTT_Init with a valid dest.cld while allocations
// fail takes the list over and deletes the file, or leaves both alone.
void DestinationListScenario(std::size_t skip, bool every_later, bool expect_no_failure) {
  const DataDirectory data;
  const std::string& dir = data.path();
  const std::string path = dir + "/dest.cld";
  std::ofstream(path, std::ios::binary) << "    (TNC,116.397128,39.916527,Home,\xCD\xC6\xBC\xF6";
  ::setenv("VEXA_GUIDE_PLAN", "2", 1);
  ::setenv("VEXA_DATA_DIR", dir.c_str(), 1);

  DestinationPacket after_init = test::FilledPacket(0xEE);
  int init, get;
  std::size_t failures;
  {
    test::ScopedAllocationFailure fail(skip, every_later);
    init = PTT_Init();
    get = PTT_Get_DataPacket(&after_init);
    failures = fail.failures();
  }
  if (expect_no_failure) {
    EXPECT_EQ(failures, 0u) << "raise kMaxSites";
  }
  EXPECT_TRUE(init == 0 || init == VEXA_E_NO_SERVICE) << init;
  const bool file_kept = fs::exists(path);
  if (get == 0) {
    const bool taken = after_init.kind == DestinationList && after_init.pointCount == 1 &&
                       after_init.entries[0].longitude == 1072715932;
    EXPECT_TRUE(taken || test::AllZero(&after_init, sizeof after_init));
    EXPECT_EQ(file_kept, !taken);
  } else {
    EXPECT_EQ(get, VEXA_E_NO_SERVICE);
    EXPECT_TRUE(file_kept);
  }
  if (failures == 0) {
    EXPECT_FALSE(file_kept);
  }
  // With memory back, a kept file is taken over now.
  EXPECT_EQ(PTT_Init(), 0);
  EXPECT_FALSE(fs::exists(path));
}

// CTL_Init on the default platform and the two queries while allocations
// fail: without a module or variant every call does nothing and gives 0.
void ControlScenario(std::size_t skip, bool every_later, bool expect_no_failure) {
  ::setenv("VEXA_PLATFORM_CODE", "1", 1);
  int init, switched, exists;
  std::size_t failures;
  {
    test::ScopedAllocationFailure fail(skip, every_later);
    init = CTL_Init(0x1234);
    switched = CTL_Switch_To_Control();
    exists = CTL_IsExist();
    failures = fail.failures();
  }
  if (expect_no_failure) {
    EXPECT_EQ(failures, 0u) << "raise kMaxSites";
  }
  EXPECT_TRUE(init == 0 || init == 1) << init;
  EXPECT_EQ(switched, init) << "switch without a variant, or no switch with one";
  EXPECT_EQ(exists, 0);
  EXPECT_EQ(CTL_Init(0x1234), 1);
  EXPECT_EQ(CTL_Switch_To_Control(), 1);
}

TEST(AllocationFaults, DestinationFamilyAtEverySite) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (std::size_t k = 0; k <= kMaxSites; ++k) {
    for (bool every_later : {false, true}) {
      SCOPED_TRACE("allocation " + std::to_string(k) + (every_later ? " and later" : ""));
      IN_FRESH_PROCESS(DestinationScenario(k, every_later, false, k == kMaxSites && !every_later));
    }
  }
}

TEST(AllocationFaults, DestinationFileBehindALongPath) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (std::size_t k = 0; k <= kMaxSites; ++k) {
    SCOPED_TRACE("allocation " + std::to_string(k));
    IN_FRESH_PROCESS(DestinationScenario(k, false, true, k == kMaxSites));
  }
}

TEST(AllocationFaults, DestinationListAtEverySite) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (std::size_t k = 0; k <= kMaxSites; ++k) {
    for (bool every_later : {false, true}) {
      SCOPED_TRACE("allocation " + std::to_string(k) + (every_later ? " and later" : ""));
      IN_FRESH_PROCESS(DestinationListScenario(k, every_later, k == kMaxSites && !every_later));
    }
  }
}

// Unloading after the modules could never be created: each family's first
// call found no memory, so the exit list holds their mutexes and destroyers
// but no module object. Teardown must pass over them quietly.
void UnloadWithoutModules() {
  ::setenv("VEXA_GUIDE_PLAN", "1", 1);
  ::setenv("VEXA_GUIDE_FILE", "/nonexistent/vexa/guide.dat", 1);
  const std::uint32_t record[2] = {0, 41};
  test::ScopedAllocationFailure fail(0, true);
  EXPECT_EQ(PTT_Init(), VEXA_E_NO_SERVICE);
  EXPECT_EQ(CTL_Init(0x1234), 0);
  EXPECT_EQ(CTL_IsExist(), 0);
  EXPECT_EQ(SND_Start_Play_Sound(record), 0);
  DestinationPacket packet;
  EXPECT_EQ(PTT_Get_DataPacket(&packet), VEXA_E_NO_SERVICE);
}

TEST(AllocationFaults, UnloadAfterModulesCouldNotBeCreated) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  IN_FRESH_PROCESS(UnloadWithoutModules());
}

TEST(AllocationFaults, ControlFamilyAtEverySite) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (std::size_t k = 0; k <= kMaxSites; ++k) {
    for (bool every_later : {false, true}) {
      SCOPED_TRACE("allocation " + std::to_string(k) + (every_later ? " and later" : ""));
      IN_FRESH_PROCESS(ControlScenario(k, every_later, k == kMaxSites && !every_later));
    }
  }
}

// The debug log builds its path on the heap only to open the file: without
// memory the message is dropped, and the next call opens the file.
void DbgLogWithoutMemory() {
  const DataDirectory data;
  const std::string& dir = data.path();
  ::setenv("VEXA_DATA_DIR", dir.c_str(), 1);
  {
    test::ScopedAllocationFailure fail(0, true);
    DbgLog("dropped %d\n", 1);
    EXPECT_GE(fail.failures(), 1u);
  }
  EXPECT_FALSE(fs::exists(dir + "/VexaDbgLog.txt"));
  DbgLog("kept %d\n", 2);
  {
    // Open: further messages need no heap.
    test::ScopedAllocationFailure fail(0, true);
    DbgLog("kept %d\n", 3);
    EXPECT_EQ(fail.failures(), 0u);
  }
  DbgLogClose();
  std::ifstream in(dir + "/VexaDbgLog.txt", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(text, "kept 2\nkept 3\n");
}

TEST(AllocationFaults, DbgLogDropsOnlyWhileOpeningWithoutMemory) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  IN_FRESH_PROCESS(DbgLogWithoutMemory());
}

}  // namespace
}  // namespace vexa
