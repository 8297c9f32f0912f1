// Process attach without memory. The entry point creates the sound module
// and initialises it on the loading thread; when the module's mutex, the
// module object or its variant cannot be allocated, the entry must still
// return 1 and let no exception out (the loader would end the navigation
// program), and the SND_ calls then do nothing and give 0. Every
// allocation is made to fail in turn, each in a fresh process, until a run
// meets none.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "frame/entry.h"
#include "sound/sound_module.h"
#include "support/alloc_hooks.h"
#include "vexa/vexa.h"

namespace vexa {
namespace {

// More than attach and the SND_ calls allocate; the last step proves it.
constexpr std::size_t kMaxSites = 12;

// Platform 3: start and stop only return 1, nothing outside is touched.
void AttachScenario(std::size_t skip, bool every_later, bool expect_no_failure) {
  ::setenv("VEXA_PLATFORM_CODE", "3", 1);
  const std::uint32_t record[2] = {0, 41};
  int entry, started, stopped;
  std::size_t failures;
  {
    test::ScopedAllocationFailure fail(skip, every_later);
    entry = LibraryEntry(nullptr, kProcessAttach, nullptr);
    started = SND_Start_Play_Sound(record);
    stopped = SND_Stop_Play_Sound(0);
    SND_Set_Volume(5);
    SND_Get_Volume(0);
    failures = fail.failures();
  }
  if (expect_no_failure) {
    EXPECT_EQ(failures, 0u) << "raise kMaxSites";
  }
  EXPECT_EQ(entry, 1);
  EXPECT_TRUE(started == 0 || started == 1) << started;
  EXPECT_EQ(stopped, started);
  if (failures == 0) {
    EXPECT_EQ(started, 1);
  }
  // With memory back, initialising again installs the variant.
  SoundModule* module = SoundModule::Instance();
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->Init(), 1);
  EXPECT_EQ(SND_Start_Play_Sound(record), 1);
}

TEST(AttachFaults, ProcessAttachAtEverySite) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (std::size_t k = 0; k <= kMaxSites; ++k) {
    for (bool every_later : {false, true}) {
      SCOPED_TRACE("allocation " + std::to_string(k) + (every_later ? " and later" : ""));
      EXPECT_EXIT(
          {
            ::dup2(2, 1);  // the copy's failure messages into the report
            AttachScenario(k, every_later, k == kMaxSites && !every_later);
            std::exit(::testing::Test::HasFailure() ? 1 : 0);
          },
          ::testing::ExitedWithCode(0), "");
    }
  }
}

}  // namespace
}  // namespace vexa
