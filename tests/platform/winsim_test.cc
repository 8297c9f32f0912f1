// The simulated window system and display driver, through the platform
// seam where the library uses them: broadcasts, the z-order walk, lookup
// by title, foreground requests and display escapes.

#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "winsim.h"

namespace vexa::platform {
namespace {

class WindowSystem : public ::testing::Test {
 protected:
  void SetUp() override { winsim::Reset(); }
  void TearDown() override { winsim::Reset(); }
};

TEST_F(WindowSystem, NewestWindowIsOnTopAndNextWalksDown) {
  Window bottom = winsim::CreateWindow(u"bottom", true);
  Window middle = winsim::CreateWindow(u"middle", false);
  Window top = winsim::CreateWindow(u"top", true);
  EXPECT_EQ(winsim::ZOrder(), (std::vector<winsim::Window>{top, middle, bottom}));
  EXPECT_EQ(NextWindow(top), middle);
  EXPECT_EQ(NextWindow(middle), bottom);
  EXPECT_EQ(NextWindow(bottom), 0u);
  EXPECT_EQ(NextWindow(0), 0u);
  EXPECT_EQ(NextWindow(0x4242), 0u);
  EXPECT_TRUE(IsWindowVisible(top));
  EXPECT_FALSE(IsWindowVisible(middle));
  EXPECT_FALSE(IsWindowVisible(0x4242));

  winsim::SetZOrder({bottom, top, middle});
  EXPECT_EQ(NextWindow(bottom), top);
  EXPECT_EQ(NextWindow(middle), 0u);
  // An order that misses a window, or names one twice, changes nothing.
  winsim::SetZOrder({bottom, top});
  winsim::SetZOrder({bottom, top, top});
  EXPECT_EQ(winsim::ZOrder(), (std::vector<winsim::Window>{bottom, top, middle}));

  winsim::DestroyWindow(top);
  EXPECT_EQ(NextWindow(bottom), middle);
  winsim::SetVisible(middle, true);
  EXPECT_TRUE(IsWindowVisible(middle));
}

TEST_F(WindowSystem, HandlesAreNeverReusedNorTheBroadcastHandle) {
  std::vector<Window> seen;
  for (int i = 0; i < 3; ++i) {
    Window window = winsim::CreateWindow(u"w", true);
    EXPECT_NE(window, 0u);
    EXPECT_NE(window, kBroadcastWindow);
    for (Window old : seen) EXPECT_NE(window, old);
    seen.push_back(window);
    winsim::DestroyWindow(window);
    winsim::Reset();
  }
}

TEST_F(WindowSystem, FindsTheTopmostWindowWithExactlyThatTitle) {
  Window lower = winsim::CreateWindow(u"Navi_Window", false);
  Window upper = winsim::CreateWindow(u"Navi_Window", true);
  winsim::CreateWindow(u"Navi_Window2", true);
  winsim::CreateWindow(u"navi_window", true);
  EXPECT_EQ(FindWindowByTitle(u"Navi_Window"), upper);
  winsim::DestroyWindow(upper);
  EXPECT_EQ(FindWindowByTitle(u"Navi_Window"), lower);
  EXPECT_EQ(FindWindowByTitle(u"Navi_"), 0u);
  EXPECT_EQ(FindWindowByTitle(u""), 0u);
  EXPECT_EQ(FindWindowByTitle(nullptr), 0u);
}

TEST_F(WindowSystem, BroadcastReachesEveryWindowTopFirst) {
  std::vector<winsim::Message> received;
  auto record = [&received](const winsim::Message& message) {
    received.push_back(message);
    return std::intptr_t{7};
  };
  Window hidden = winsim::CreateWindow(u"hidden", false, record);
  winsim::CreateWindow(u"no handler", true);
  Window top = winsim::CreateWindow(u"top", true, record);

  EXPECT_EQ(DeliverMessage(kBroadcastWindow, 2025, 0, 0), 1);
  winsim::SetBroadcastResult(0);
  EXPECT_EQ(DeliverMessage(kBroadcastWindow, 1166, 0x10001, 5), 0);

  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(received[0].window, top);
  EXPECT_EQ(received[1].window, hidden);
  EXPECT_EQ(received[2].message, 1166u);
  EXPECT_EQ(received[2].wparam, 0x10001u);
  EXPECT_EQ(received[2].lparam, 5);
  // One delivery per call, addressed as passed.
  std::vector<winsim::Delivery> deliveries = winsim::Deliveries();
  ASSERT_EQ(deliveries.size(), 2u);
  EXPECT_EQ(deliveries[0].target, winsim::kBroadcast);
  EXPECT_EQ(deliveries[0].message, 2025u);
}

TEST_F(WindowSystem, BroadcastReachesMoreWindowsThanFitInline) {
  int calls = 0;
  for (int i = 0; i < 100; ++i) {
    winsim::CreateWindow(u"w", true, [&calls](const winsim::Message&) {
      ++calls;
      return std::intptr_t{0};
    });
  }
  DeliverMessage(kBroadcastWindow, 2026, 0, 0);
  EXPECT_EQ(calls, 100);
}

TEST_F(WindowSystem, DeliveryToOneWindowReturnsItsResult) {
  Window window = winsim::CreateWindow(u"Navi_Window", true,
                                       [](const winsim::Message& message) {
                                         return static_cast<std::intptr_t>(message.message) + 1;
                                       });
  Window silent = winsim::CreateWindow(u"silent", true);
  EXPECT_EQ(DeliverMessage(window, 4038, 0, 0), 4039);
  EXPECT_EQ(DeliverMessage(silent, 4038, 0, 0), 0);
  EXPECT_EQ(DeliverMessage(0, 1026, 0, 0), 0);
  EXPECT_EQ(DeliverMessage(0x4242, 1026, 0, 0), 0);
  std::vector<winsim::Delivery> deliveries = winsim::Deliveries();
  ASSERT_EQ(deliveries.size(), 4u);
  EXPECT_EQ(deliveries[2].target, 0u);
  EXPECT_EQ(deliveries[2].message, 1026u);
}

TEST_F(WindowSystem, HandlersMayCallBackIntoTheWindowSystem) {
  Window inner = winsim::CreateWindow(u"inner", true, [](const winsim::Message&) {
    return std::intptr_t{3};
  });
  Window outer = winsim::CreateWindow(u"outer", true, [inner](const winsim::Message& m) {
    if (m.message != 1) return std::intptr_t{0};
    Window created = winsim::CreateWindow(u"made by a handler", true);
    winsim::DestroyWindow(created);
    return DeliverMessage(inner, 2, 0, 0) + 10;
  });
  EXPECT_EQ(DeliverMessage(outer, 1, 0, 0), 13);
  // The broadcast reaches the windows present when it started.
  DeliverMessage(kBroadcastWindow, 1, 0, 0);
  EXPECT_EQ(winsim::Deliveries().size(), 4u);
}

TEST_F(WindowSystem, ForegroundRequestsAreRecorded) {
  Window a = winsim::CreateWindow(u"a", true);
  Window b = winsim::CreateWindow(u"b", true);
  EXPECT_EQ(winsim::Foreground(), 0u);
  BringToForeground(a);
  BringToForeground(0x4242);  // unknown: recorded, nothing comes forward
  BringToForeground(b);
  EXPECT_EQ(winsim::Foreground(), b);
  EXPECT_EQ(winsim::ForegroundRequests(), (std::vector<winsim::Window>{a, 0x4242, b}));
  winsim::DestroyWindow(b);
  EXPECT_EQ(winsim::Foreground(), 0u);
}

TEST_F(WindowSystem, EscapesAreRecordedWithTheWindowOfTheirDeviceContext) {
  Window window = winsim::CreateWindow(u"navi", true);
  DeviceContext dc = GetDeviceContext(window);
  ASSERT_NE(dc, 0u);
  EXPECT_EQ(GetDeviceContext(0x4242), 0u);
  EXPECT_EQ(winsim::OpenDCCount(), 1);

  EXPECT_EQ(DisplayEscape(dc, static_cast<int>(0x80002EFC), 0, nullptr, 0, nullptr), 1);
  winsim::SetEscapeResult(-5);
  char output[4];
  EXPECT_EQ(DisplayEscape(dc, 7, 3, "abc", 4, output), -5);
  EXPECT_EQ(DisplayEscape(0, 8, 0, nullptr, 0, nullptr), -5);
  ReleaseDeviceContext(window, dc);
  EXPECT_EQ(winsim::OpenDCCount(), 0);

  std::vector<winsim::EscapeRecord> escapes = winsim::Escapes();
  ASSERT_EQ(escapes.size(), 3u);
  EXPECT_EQ(escapes[0].window, window);
  EXPECT_EQ(escapes[0].dc, dc);
  EXPECT_EQ(static_cast<unsigned>(escapes[0].code), 0x80002EFCu);
  EXPECT_FALSE(escapes[0].has_input);
  EXPECT_FALSE(escapes[0].has_output);
  EXPECT_EQ(escapes[1].input_size, 3);
  EXPECT_TRUE(escapes[1].has_input);
  EXPECT_EQ(escapes[1].output_size, 4);
  EXPECT_TRUE(escapes[1].has_output);
  EXPECT_EQ(escapes[2].window, 0u);
}

TEST_F(WindowSystem, ResetForgetsEverythingAndRestoresDefaults) {
  Window window = winsim::CreateWindow(u"w", true);
  winsim::SetBroadcastResult(9);
  winsim::SetEscapeResult(9);
  DeliverMessage(kBroadcastWindow, 1, 0, 0);
  BringToForeground(window);
  winsim::Note("peer loaded");
  winsim::Reset();
  EXPECT_TRUE(winsim::ZOrder().empty());
  EXPECT_TRUE(winsim::Deliveries().empty());
  EXPECT_TRUE(winsim::ForegroundRequests().empty());
  EXPECT_TRUE(winsim::Journal().empty());
  EXPECT_EQ(winsim::Foreground(), 0u);
  EXPECT_EQ(DeliverMessage(kBroadcastWindow, 1, 0, 0), 1);
  EXPECT_EQ(DisplayEscape(0, 1, 0, nullptr, 0, nullptr), 1);
}

}  // namespace
}  // namespace vexa::platform
