// The SND_ exports over the module's single instance. Each case runs in a
// child process, since the instance is created once per process and the
// test executable, unlike libvexa.so, has no process attach.

#include <cstdint>
#include <cstdlib>

#include <gtest/gtest.h>

#include "sound/sound_module.h"
#include "support/alloc_hooks.h"
#include "vexa/vexa.h"
#include "winsim.h"

namespace vexa {
namespace {

// Ends the child with 0 when `ok`, else with the line number.
#define CHILD_CHECK(ok) \
  if (!(ok)) std::_Exit(__LINE__)

void ForwardToTheVariantInstalledAtAttachChild() {
  winsim::Reset();
  setenv("VEXA_PLATFORM_CODE", "1", 1);
  SoundModule* module = SoundModule::Instance();
  CHILD_CHECK(module != nullptr);
  module->Init();  // what process attach does
  winsim::SetBroadcastResult(33);
  std::uint32_t record[2] = {0, 41};
  CHILD_CHECK(SND_Start_Play_Sound(record) == 33);
  CHILD_CHECK(SND_Stop_Play_Sound(0) == 33);
  SND_Set_Volume(1);
  SND_Get_Volume(1);
  CHILD_CHECK(SoundModule::Instance() == module);
  auto deliveries = winsim::Deliveries();
  CHILD_CHECK(deliveries.size() == 2);
  CHILD_CHECK(deliveries[0].message == 2025);
  CHILD_CHECK(deliveries[1].message == 2026);
  std::_Exit(0);
}

TEST(SndExports, ForwardToTheVariantInstalledAtAttach) {
  EXPECT_EXIT(ForwardToTheVariantInstalledAtAttachChild(),
              ::testing::ExitedWithCode(0), "");
}

void WithoutModuleOrVariantReturnZeroAndDoNothingChild() {
  winsim::Reset();
  setenv("VEXA_PLATFORM_CODE", "1", 1);
  {
    // The first call constructs the module mutex (one allocation in
    // the mutex stand-in); every allocation after it fails, the
    // module's included.
    test::ScopedAllocationFailure fail(1, true);
    CHILD_CHECK(SND_Start_Play_Sound(nullptr) == 0);
    CHILD_CHECK(SND_Stop_Play_Sound(0) == 0);
    CHILD_CHECK(SND_Set_Volume(0) == 0);
    CHILD_CHECK(SND_Get_Volume(0) == 0);
    CHILD_CHECK(fail.failures() >= 4);
  }
  // Now the module exists but was never initialised: no variant.
  CHILD_CHECK(SND_Start_Play_Sound(nullptr) == 0);
  CHILD_CHECK(SoundModule::Instance() != nullptr);
  CHILD_CHECK(SoundModule::Instance()->variant() == nullptr);
  CHILD_CHECK(winsim::Deliveries().empty());
  std::_Exit(0);
}

TEST(SndExports, WithoutModuleOrVariantReturnZeroAndDoNothing) {
  EXPECT_EXIT(WithoutModuleOrVariantReturnZeroAndDoNothingChild(),
              ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vexa
