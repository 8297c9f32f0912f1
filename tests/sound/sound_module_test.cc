// SoundModule: which variant each platform code gets, what Init does with
// it, and the module without a variant. Also the variants that do nothing
// (platforms 2, 3 and 13) and the volume operations, which have no effect
// on any platform.

#include "sound/sound_module.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <typeinfo>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sound/addon_notify_sound.h"
#include "sound/broadcast_sound.h"
#include "sound/navi_window_sound.h"
#include "sound/shared_buffer_sound.h"
#include "sound/silent_sound.h"
#include "sound/sound_library_sound.h"
#include "sound/sound_test_support.h"
#include "support/alloc_hooks.h"

namespace vexa {
namespace {

using test::SoundTest;
using SoundModuleTest = SoundTest;

TEST_F(SoundModuleTest, EachPlatformCodeGetsItsVariant) {
  struct Case {
    int code;
    const std::type_info& type;
  };
  const Case cases[] = {
      {2, typeid(SilentSound)},        {3, typeid(SilentSound)},
      {4, typeid(SoundLibrarySound)},  {6, typeid(AddonNotifySound)},
      {9, typeid(SharedBufferSound)},  {10, typeid(NaviWindowSound)},
      {13, typeid(SilentSound)},
  };
  for (const Case& c : cases) {
    std::unique_ptr<SoundVariant> variant(SoundModule::NewVariant(c.code));
    ASSERT_NE(variant, nullptr);
    EXPECT_EQ(typeid(*variant), c.type) << "platform code " << c.code;
  }
}

// No variant when it cannot be allocated.
TEST_F(SoundModuleTest, EachCodeGetsNoVariantWithoutMemory) {
  for (int code : {1, 2, 3, 4, 6, 9, 10, 13}) {
    SCOPED_TRACE(::testing::Message() << "platform code " << code);
    test::ScopedAllocationFailure fail;
    EXPECT_EQ(SoundModule::NewVariant(code), nullptr);
  }
}

TEST_F(SoundModuleTest, EveryOtherCodeGetsTheBroadcastVariant) {
  for (int code : {1, 0, -1, 5, 7, 8, 11, 12, 14, 15, 100, INT_MIN, INT_MAX}) {
    std::unique_ptr<SoundVariant> variant(SoundModule::NewVariant(code));
    ASSERT_NE(variant, nullptr);
    EXPECT_EQ(typeid(*variant), typeid(BroadcastSound)) << "platform code " << code;
  }
}

TEST_F(SoundModuleTest, InitInstallsTheVariantForTheCurrentCodeAndInitialisesIt) {
  // Platform 9's Init creates the event; with a module for code 9 the event
  // exists and a start signals it.
  auto module = ModuleFor(9);
  ASSERT_NE(dynamic_cast<SharedBufferSound*>(module->variant()), nullptr);
  platform::KernelObject event = platform::host::OpenNamedEventForWait(
      SharedBufferSound::kEventName);
  ASSERT_NE(event, nullptr);
  std::uint32_t record[2] = {0, 1};
  module->StartPlaySound(record);
  EXPECT_EQ(platform::host::SignalCount(event), 1u);
  platform::CloseKernelObject(event);
}

TEST_F(SoundModuleTest, WithoutVariantEveryOperationDoesNothingAndReturnsZero) {
  setenv("VEXA_PLATFORM_CODE", "1", 1);
  SoundModule module;
  {
    // The variant is the only allocation of Init.
    test::ScopedAllocationFailure fail;
    EXPECT_EQ(module.Init(), 1);
  }
  EXPECT_EQ(module.variant(), nullptr);
  std::uint32_t record[2] = {0, 41};
  EXPECT_EQ(module.StartPlaySound(record), 0);
  EXPECT_EQ(module.StopPlaySound(0), 0);
  EXPECT_EQ(module.SetVolume(5), 0);
  EXPECT_EQ(module.GetVolume(5), 0);
  EXPECT_TRUE(winsim::Deliveries().empty());

  // A later Init installs a variant after all.
  EXPECT_EQ(module.Init(), 1);
  EXPECT_NE(dynamic_cast<BroadcastSound*>(module.variant()), nullptr);
}

TEST_F(SoundModuleTest, SilentPlatformsSendNothingAndReportSuccess) {
  for (int code : {2, 3, 13}) {
    SCOPED_TRACE(::testing::Message() << "platform code " << code);
    winsim::Reset();
    winsim::CreateWindow(u"Navi_Window", true);
    auto module = ModuleFor(code);
    std::uint32_t record[2] = {0, 41};
    EXPECT_EQ(module->StartPlaySound(record), 1);
    EXPECT_EQ(module->StopPlaySound(0), 1);
    EXPECT_TRUE(winsim::Deliveries().empty());
    EXPECT_TRUE(winsim::Journal().empty());
  }
}

TEST_F(SoundModuleTest, VolumeHasNoEffectOnAnyPlatform) {
  winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                            u"AddonDll", u"VexaAddonNotify.dll");
  winsim::CreateWindow(u"Navi_Window", true);
  for (int code : {1, 2, 3, 4, 6, 9, 10, 13}) {
    SCOPED_TRACE(::testing::Message() << "platform code " << code);
    auto module = ModuleFor(code);
    winsim::Note("mark");
    module->SetVolume(70);
    module->GetVolume(0xFFFFFFFFu);
    EXPECT_TRUE(winsim::Deliveries().empty());
    EXPECT_THAT(winsim::Journal(), ::testing::ElementsAre("mark"));
    winsim::Reset();
    winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                              u"AddonDll", u"VexaAddonNotify.dll");
    winsim::CreateWindow(u"Navi_Window", true);
  }
}

}  // namespace
}  // namespace vexa
