// The CTL_ exports end to end: platform code from the environment (the PC
// stand-in reads VEXA_PLATFORM_CODE at every call), window system, display
// driver and foreground requests observed through the winsim simulation.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host/host_services.h"
#include "support/alloc_hooks.h"
#include "vexa/vexa.h"
#include "winsim.h"

namespace {

const int kEscapeCode = static_cast<int>(0x80002EFCu);

void SetPlatformCode(int code) {
  setenv("VEXA_PLATFORM_CODE", std::to_string(code).c_str(), 1);
}

VexaWindow Handle(winsim::Window window) {
  return static_cast<VexaWindow>(window);
}

class CtlExports : public ::testing::Test {
 protected:
  void SetUp() override { winsim::Reset(); }
  void TearDown() override {
    winsim::Reset();
    unsetenv("VEXA_PLATFORM_CODE");
  }

  // Windows top to bottom: the navigation window `nav` on top, then `below`
  // with the given visibility, one per entry.
  std::vector<winsim::Window> Stack(const std::vector<bool>& below) {
    std::vector<winsim::Window> order;
    order.push_back(winsim::CreateWindow(u"nav", true));
    for (bool visible : below) {
      order.push_back(winsim::CreateWindow(u"below", visible));
    }
    winsim::SetZOrder(order);
    return order;
  }
};

TEST_F(CtlExports, DefaultVariantForCodesWithoutOneOfTheirOwn) {
  for (int code : {1, 0, -1, 4, 5, 7, 12, 14}) {
    SCOPED_TRACE(code);
    winsim::Reset();
    auto windows = Stack({true, true});
    SetPlatformCode(code);
    EXPECT_EQ(CTL_Init(Handle(windows[0])), 1);
    EXPECT_EQ(CTL_IsExist(), 0);
    EXPECT_EQ(CTL_Switch_To_Control(), 1);
    EXPECT_TRUE(winsim::Escapes().empty());
    EXPECT_TRUE(winsim::ForegroundRequests().empty());
  }
}

TEST_F(CtlExports, Codes3And13ExistAndSwitchWithoutDoingAnything) {
  for (int code : {3, 13}) {
    SCOPED_TRACE(code);
    winsim::Reset();
    auto windows = Stack({true});
    SetPlatformCode(code);
    EXPECT_EQ(CTL_Init(Handle(windows[0])), 1);
    EXPECT_EQ(CTL_IsExist(), 1);
    EXPECT_EQ(CTL_Switch_To_Control(), 1);
    EXPECT_TRUE(winsim::Escapes().empty());
    EXPECT_TRUE(winsim::ForegroundRequests().empty());
  }
}

TEST_F(CtlExports, Code2IssuesOneEscapePerSwitchAndPassesItsResultThrough) {
  auto windows = Stack({true});
  SetPlatformCode(2);
  ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
  EXPECT_EQ(CTL_IsExist(), 1);
  EXPECT_TRUE(winsim::Escapes().empty());  // Init issues nothing

  const std::vector<int> results = {7, 0, -1, -2147483647 - 1};
  for (int result : results) {
    winsim::SetEscapeResult(result);
    EXPECT_EQ(CTL_Switch_To_Control(), result);
  }
  std::vector<winsim::EscapeRecord> escapes = winsim::Escapes();
  ASSERT_EQ(escapes.size(), results.size());
  for (const winsim::EscapeRecord& e : escapes) {
    EXPECT_EQ(e.window, windows[0]);
    EXPECT_EQ(e.code, kEscapeCode);
    EXPECT_EQ(e.input_size, 0);
    EXPECT_FALSE(e.has_input);
    EXPECT_EQ(e.output_size, 0);
    EXPECT_FALSE(e.has_output);
  }
  EXPECT_TRUE(winsim::ForegroundRequests().empty());
}

TEST_F(CtlExports, Code2EscapesOnTheWindowOfTheLatestInit) {
  auto windows = Stack({true});
  SetPlatformCode(2);
  ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
  CTL_Switch_To_Control();
  ASSERT_EQ(CTL_Init(Handle(windows[1])), 1);
  CTL_Switch_To_Control();
  CTL_Switch_To_Control();

  std::vector<winsim::EscapeRecord> escapes = winsim::Escapes();
  ASSERT_EQ(escapes.size(), 3u);
  EXPECT_EQ(escapes[0].window, windows[0]);
  EXPECT_EQ(escapes[1].window, windows[1]);
  EXPECT_EQ(escapes[2].window, windows[1]);
}

TEST_F(CtlExports, Code6BringsTheFirstVisibleWindowBelowToTheForeground) {
  auto windows = Stack({false, false, true, true});
  SetPlatformCode(6);
  ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
  EXPECT_EQ(CTL_IsExist(), 1);
  EXPECT_EQ(CTL_Switch_To_Control(), 1);
  EXPECT_EQ(winsim::ForegroundRequests(),
            std::vector<winsim::Window>{windows[3]});
  EXPECT_TRUE(winsim::Escapes().empty());
}

TEST_F(CtlExports, Code6BringsNothingForwardWithoutAVisibleWindowBelow) {
  SetPlatformCode(6);
  {
    SCOPED_TRACE("lowest in z-order");
    auto windows = Stack({});
    winsim::Window upper = winsim::CreateWindow(u"upper", true);
    winsim::SetZOrder({upper, windows[0]});
    ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
    EXPECT_EQ(CTL_Switch_To_Control(), 1);
    EXPECT_TRUE(winsim::ForegroundRequests().empty());
  }
  winsim::Reset();
  {
    SCOPED_TRACE("every window below invisible");
    auto windows = Stack({false, false, false});
    ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
    EXPECT_EQ(CTL_Switch_To_Control(), 1);
    EXPECT_TRUE(winsim::ForegroundRequests().empty());
  }
  winsim::Reset();
  {
    // A handle the window system does not know has no next window.
    SCOPED_TRACE("unknown window");
    Stack({true});
    ASSERT_EQ(CTL_Init(0x7654321u), 1);
    EXPECT_EQ(CTL_Switch_To_Control(), 1);
    EXPECT_TRUE(winsim::ForegroundRequests().empty());
  }
}

TEST_F(CtlExports, Code6WalksFromTheWindowOfTheLatestInit) {
  auto windows = Stack({true, false, true});
  SetPlatformCode(6);
  ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
  ASSERT_EQ(CTL_Init(Handle(windows[1])), 1);
  EXPECT_EQ(CTL_Switch_To_Control(), 1);
  EXPECT_EQ(winsim::ForegroundRequests(),
            std::vector<winsim::Window>{windows[3]});
}

TEST_F(CtlExports, EachInitFollowsThePlatformCodeOfThatCall) {
  auto windows = Stack({true});
  SetPlatformCode(2);
  ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
  SetPlatformCode(1);  // read at Init only: the variant stays until then
  EXPECT_EQ(CTL_IsExist(), 1);
  winsim::SetEscapeResult(9);
  EXPECT_EQ(CTL_Switch_To_Control(), 9);
  ASSERT_EQ(winsim::Escapes().size(), 1u);

  ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
  EXPECT_EQ(CTL_IsExist(), 0);
  EXPECT_EQ(CTL_Switch_To_Control(), 1);
  EXPECT_EQ(winsim::Escapes().size(), 1u);

  SetPlatformCode(6);
  ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);
  EXPECT_EQ(CTL_IsExist(), 1);
  EXPECT_EQ(CTL_Switch_To_Control(), 1);
  EXPECT_EQ(winsim::ForegroundRequests(),
            std::vector<winsim::Window>{windows[1]});
  EXPECT_EQ(winsim::Escapes().size(), 1u);
}

// Window handles are sign-extended 32-bit values, as Windows widens them:
// bit 31 reaches the window system as the high half, and a walk that comes
// back to the stored window recognises it.
std::vector<vexa::platform::Window> g_walked;
vexa::platform::Window WalkToItself(vexa::platform::Window window) {
  g_walked.push_back(window);
  return window;
}
bool AlwaysVisible(vexa::platform::Window) { return true; }

TEST_F(CtlExports, Code6WidensTheHandleBySignExtension) {
  vexa::platform::host::ScopedServices services;
  services.table().next_window = WalkToItself;
  services.table().is_window_visible = AlwaysVisible;
  SetPlatformCode(6);
  // The 64-bit handles; a 32-bit build keeps their low half, the handle
  // itself.
  const struct {
    VexaWindow handle;
    std::uint64_t widened;
  } kCases[] = {
      {0x80001234u, 0xFFFFFFFF80001234u},
      {0x7FFFFFFFu, 0x000000007FFFFFFFu},
      {0xFFFFFFFFu, 0xFFFFFFFFFFFFFFFFu},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.handle);
    g_walked.clear();
    ASSERT_EQ(CTL_Init(c.handle), 1);
    EXPECT_EQ(CTL_Switch_To_Control(), 1);
    EXPECT_EQ(g_walked, std::vector<vexa::platform::Window>{
                            static_cast<vexa::platform::Window>(c.widened)});
    EXPECT_TRUE(winsim::ForegroundRequests().empty());
  }
}

// The module must not exist yet: run in a freshly started process.
TEST(CtlExportsFreshLoad, CallsBeforeTheFirstInitReturnZeroAndDoNothing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        winsim::Reset();
        winsim::Window nav = winsim::CreateWindow(u"nav", true);
        winsim::Window below = winsim::CreateWindow(u"below", true);
        winsim::SetZOrder({nav, below});
        SetPlatformCode(2);
        bool ok = CTL_Switch_To_Control() == 0 && CTL_IsExist() == 0 &&
                  winsim::Escapes().empty() &&
                  winsim::ForegroundRequests().empty();
        // The module exists now; the first Init still works.
        ok = ok && CTL_Init(Handle(nav)) == 1 && CTL_IsExist() == 1;
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(CtlExportsFreshLoad, WithoutAModuleEveryCallReturnsZeroAndDoesNothing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        winsim::Reset();
        winsim::Window nav = winsim::CreateWindow(u"nav", true);
        SetPlatformCode(2);
        bool ok;
        {
          // Not even the module's mutex can be allocated.
          vexa::test::ScopedAllocationFailure fail(0, true);
          ok = CTL_Init(Handle(nav)) == 0;
        }
        {
          // The mutex can, the module object cannot.
          vexa::test::ScopedAllocationFailure fail(1, true);
          ok = ok && CTL_Init(Handle(nav)) == 0 &&
               CTL_Switch_To_Control() == 0 && CTL_IsExist() == 0;
        }
        ok = ok && winsim::Escapes().empty();
        // The next call tries again.
        ok = ok && CTL_Init(Handle(nav)) == 1 && CTL_IsExist() == 1 &&
             CTL_Switch_To_Control() == 1 && winsim::Escapes().size() == 1;
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(CtlExports, WithoutAVariantEveryCallReturnsZeroAndDoesNothing) {
  auto windows = Stack({true});
  SetPlatformCode(6);
  ASSERT_EQ(CTL_Init(Handle(windows[0])), 1);  // the module exists now
  SetPlatformCode(2);
  {
    // The new variant cannot be allocated; the old one goes all the same.
    vexa::test::ScopedAllocationFailure fail(0, true);
    EXPECT_EQ(CTL_Init(Handle(windows[0])), 0);
    EXPECT_EQ(CTL_IsExist(), 0);
    EXPECT_EQ(CTL_Switch_To_Control(), 0);
  }
  EXPECT_TRUE(winsim::Escapes().empty());
  EXPECT_TRUE(winsim::ForegroundRequests().empty());
  EXPECT_EQ(CTL_Init(Handle(windows[0])), 1);
  EXPECT_EQ(CTL_IsExist(), 1);
}

}  // namespace
