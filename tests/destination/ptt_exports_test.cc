// The PTT_ exports end to end. Each case runs in a fresh process, because
// the service is created by the first export call and lives as long as the
// process.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "destination/packet_bytes.h"
#include "support/alloc_hooks.h"
#include "vexa/vexa.h"

namespace vexa {
namespace {

// Runs `scenario` in a freshly started copy of this test program; the case
// fails when any expectation inside it failed.
#define IN_FRESH_PROCESS(scenario)                                      \
  do {                                                                  \
    GTEST_FLAG_SET(death_test_style, "threadsafe");                     \
    EXPECT_EXIT(                                                        \
        {                                                               \
          scenario();                                                   \
          std::exit(::testing::Test::HasFailure() ? 1 : 0);             \
        },                                                              \
        ::testing::ExitedWithCode(0), "");                              \
  } while (0)

const std::u16string kGuideText = test::Utf16(test::kGuideMessage);
const std::uint16_t* GuideUnits() {
  return reinterpret_cast<const std::uint16_t*>(kGuideText.data());
}

void UsePlan(const char* number) {
  ::setenv("VEXA_GUIDE_PLAN", number, 1);
  // A guide file that is not there: Init loads nothing.
  ::setenv("VEXA_GUIDE_FILE", "/nonexistent/vexa/guide.dat", 1);
  ::setenv("VEXA_DATA_DIR", "/nonexistent/vexa", 1);
}

void FirstCallsBeforeInit() {
  DestinationPacket packet = test::FilledPacket(0xCC);
  EXPECT_EQ(PTT_Get_DataPacket(&packet), 0);
  EXPECT_TRUE(test::AllZero(&packet, sizeof packet));
  EXPECT_EQ(PTT_Parse_Raw_Protocol(GuideUnits(), 110), VEXA_E_NO_PLAN);
  EXPECT_EQ(PTT_Get_DataPacket(nullptr), VEXA_E_NULL_BUFFER);
  EXPECT_EQ(PTT_Get_DataPacket(&packet), 0);
  EXPECT_TRUE(test::AllZero(&packet, sizeof packet));
}

TEST(PttExports, FirstCallsBeforeInit) { IN_FRESH_PROCESS(FirstCallsBeforeInit); }

// What the callback saw.
DestinationPacket* g_seen_address = nullptr;
DestinationPacket g_copied_inside;
int g_calls = 0;

int RecordingCallback(DestinationPacket* packet) {
  ++g_calls;
  g_seen_address = packet;
  EXPECT_EQ(PTT_Get_DataPacket(&g_copied_inside), 0);
  return 12345;  // ignored
}

void WorkedRawMessage() {
  UsePlan("1");
  ASSERT_EQ(PTT_Init(), 0);
  ASSERT_EQ(PTT_Set_Callback(RecordingCallback), 0);
  for (int length : {110, 111}) {
    g_copied_inside = test::FilledPacket(0);
    EXPECT_EQ(PTT_Parse_Raw_Protocol(GuideUnits(), length), 0) << length;
    EXPECT_TRUE(test::IsWorkedGuidePacket(g_copied_inside)) << length;
    EXPECT_TRUE(test::IsWorkedGuidePacket(*g_seen_address)) << length;
  }
  EXPECT_EQ(g_calls, 2);
  DestinationPacket* first_address = g_seen_address;

  // A failure leaves both the packet and the callback alone.
  EXPECT_EQ(PTT_Parse_Raw_Protocol(GuideUnits(), 90), VEXA_E_MSG_FEW_VIAS);
  for (int length : {0, 1, -2}) {
    EXPECT_EQ(PTT_Parse_Raw_Protocol(GuideUnits(), length), VEXA_E_NO_TEXT);
  }
  EXPECT_EQ(PTT_Parse_Raw_Protocol(nullptr, 110), VEXA_E_NO_TEXT);
  EXPECT_EQ(g_calls, 2);

  // The next success overwrites the packet at the same address.
  const std::u16string other = test::Utf16("(TNC,002,0,1230.5,11623.2000");
  EXPECT_EQ(PTT_Parse_Raw_Protocol(reinterpret_cast<const std::uint16_t*>(other.data()),
                                   static_cast<int>(other.size() * 2)),
            0);
  EXPECT_EQ(g_seen_address, first_address);
  EXPECT_EQ(first_address->pointCount, 1u);
  EXPECT_EQ(first_address->entries[0].latitude, 115276800);

  // Without a callback the packet is replaced silently.
  EXPECT_EQ(PTT_Set_Callback(nullptr), 0);
  EXPECT_EQ(PTT_Parse_Raw_Protocol(GuideUnits(), 110), 0);
  EXPECT_EQ(g_calls, 3);
  DestinationPacket copy;
  EXPECT_EQ(PTT_Get_DataPacket(&copy), 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(copy));
}

TEST(PttExports, WorkedRawMessageWithCallback) { IN_FRESH_PROCESS(WorkedRawMessage); }

void UnknownPlanKeepsPlanOne() {
  UsePlan("1");
  ASSERT_EQ(PTT_Init(), 0);
  UsePlan("3");
  EXPECT_EQ(PTT_Init(), VEXA_E_BAD_PLAN);
  EXPECT_EQ(PTT_Parse_Raw_Protocol(GuideUnits(), 110), 0);
  DestinationPacket copy;
  EXPECT_EQ(PTT_Get_DataPacket(&copy), 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(copy));
}

TEST(PttExports, UnknownPlanKeepsPlanOne) { IN_FRESH_PROCESS(UnknownPlanKeepsPlanOne); }

void NoServiceWithoutMemory() {
  DestinationPacket packet;
  {
    test::ScopedAllocationFailure fail(0, true);
    EXPECT_EQ(PTT_Init(), VEXA_E_NO_SERVICE);
    EXPECT_EQ(PTT_Set_Callback(nullptr), VEXA_E_NO_SERVICE);
    EXPECT_EQ(PTT_Get_DataPacket(&packet), VEXA_E_NO_SERVICE);
    EXPECT_EQ(PTT_Parse_Raw_Protocol(GuideUnits(), 110), VEXA_E_NO_SERVICE);
  }
  // The next call tries again.
  UsePlan("1");
  EXPECT_EQ(PTT_Init(), 0);
  EXPECT_EQ(PTT_Parse_Raw_Protocol(GuideUnits(), 110), 0);
}

TEST(PttExports, NoServiceWithoutMemory) { IN_FRESH_PROCESS(NoServiceWithoutMemory); }

void RawPathAllocatesNothingAfterFirstCall() {
  UsePlan("2");
  ASSERT_EQ(PTT_Init(), 0);
  const std::u16string list = u"(TNC,116.397128,39.916527,\u5317\u4eac,\u63a8\u8350";
  const auto* units = reinterpret_cast<const std::uint16_t*>(list.data());
  const int length = static_cast<int>(list.size() * 2);
  DestinationPacket copy;
  ASSERT_EQ(PTT_Parse_Raw_Protocol(units, length), 0);
  ASSERT_EQ(PTT_Get_DataPacket(&copy), 0);

  test::AllocationCounter counter;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(PTT_Parse_Raw_Protocol(units, length), 0);
    EXPECT_EQ(PTT_Get_DataPacket(&copy), 0);
  }
  EXPECT_EQ(counter.count(), 0u);
  EXPECT_EQ(copy.entries[0].longitude, 1072715932);
  EXPECT_STREQ(copy.entries[0].name, "\xB1\xB1\xBE\xA9");
}

TEST(PttExports, RawPathAllocatesNothingAfterFirstCall) {
  IN_FRESH_PROCESS(RawPathAllocatesNothingAfterFirstCall);
}

}  // namespace
}  // namespace vexa
