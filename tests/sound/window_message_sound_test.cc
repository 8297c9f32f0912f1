// The variants that tell the head unit by window message: the broadcast of
// the default variant and the messages to the window titled "Navi_Window"
// (platform 10). Both pass the delivery's result back unchanged.

#include <cstdint>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sound/sound_test_support.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using test::Sent;
using test::SoundTest;
using WindowMessageSoundTest = SoundTest;

TEST_F(WindowMessageSoundTest, BroadcastReachesEveryWindowAndPassesResultBack) {
  int heard = 0;
  winsim::CreateWindow(u"one", true, [&](const winsim::Message& m) {
    if (m.message == 2025) ++heard;
    return std::intptr_t{0};
  });
  winsim::CreateWindow(u"two", false, [&](const winsim::Message& m) {
    if (m.message == 2025) ++heard;
    return std::intptr_t{0};
  });
  winsim::SetBroadcastResult(7);
  for (int code : {1, 0, -1, 5, 14}) {
    SCOPED_TRACE(::testing::Message() << "platform code " << code);
    auto module = ModuleFor(code);
    std::uint32_t record[2] = {0, 41};
    EXPECT_EQ(module->StartPlaySound(record), 7);
    winsim::SetBroadcastResult(0);
    EXPECT_EQ(module->StopPlaySound(3), 0);
    winsim::SetBroadcastResult(7);
  }
  EXPECT_EQ(heard, 10);  // five starts, two windows each
  auto deliveries = winsim::Deliveries();
  ASSERT_EQ(deliveries.size(), 10u);
  EXPECT_EQ(deliveries[0], Sent(winsim::kBroadcast, 2025));
  EXPECT_EQ(deliveries[1], Sent(winsim::kBroadcast, 2026));
}

TEST_F(WindowMessageSoundTest, NaviWindowAloneGetsStartAndStop) {
  std::vector<std::uint32_t> heard_by_other;
  winsim::CreateWindow(u"Other", true, [&](const winsim::Message& m) {
    heard_by_other.push_back(m.message);
    return std::intptr_t{0};
  });
  winsim::Window navi = winsim::CreateWindow(
      u"Navi_Window", false,
      [](const winsim::Message& m) { return std::intptr_t(m.message + 1); });
  auto module = ModuleFor(10);
  EXPECT_EQ(module->StartPlaySound(nullptr), 4039);
  EXPECT_EQ(module->StopPlaySound(0), 1027);
  EXPECT_THAT(winsim::Deliveries(),
              ElementsAre(Sent(navi, 4038), Sent(navi, 1026)));
  EXPECT_TRUE(heard_by_other.empty());
}

TEST_F(WindowMessageSoundTest, NaviWindowIsLookedUpOnEveryCall) {
  auto module = ModuleFor(10);
  winsim::Window first = winsim::CreateWindow(u"Navi_Window", true);
  module->StartPlaySound(nullptr);
  winsim::DestroyWindow(first);
  winsim::Window second = winsim::CreateWindow(u"Navi_Window", true);
  module->StopPlaySound(0);
  EXPECT_THAT(winsim::Deliveries(),
              ElementsAre(Sent(first, 4038), Sent(second, 1026)));
}

TEST_F(WindowMessageSoundTest, WithoutNaviWindowTheNullHandleIsUsed) {
  winsim::SetBroadcastResult(9);  // must not leak into the result
  auto module = ModuleFor(10);
  EXPECT_EQ(module->StartPlaySound(nullptr), 0);
  EXPECT_EQ(module->StopPlaySound(0), 0);
  EXPECT_THAT(winsim::Deliveries(), ElementsAre(Sent(0, 4038), Sent(0, 1026)));
}

}  // namespace
}  // namespace vexa
