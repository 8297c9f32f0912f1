// ParseText: how a destination text is cut into fields before a plan sees
// them, and that the plan always starts from a zero packet.

#include "destination/guide_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "destination/packet_bytes.h"
#include "destination/protocol_fields.h"
#include "support/alloc_hooks.h"

namespace vexa::destination {
namespace {

using Fields = std::vector<std::string>;

// Records what ParseFields received.
class RecordingPlan : public GuidePlan {
 public:
  int ReadPacket(std::FILE*, DestinationPacket*) override { return 0; }
  int GetFilePath(OwnedText&) override { return 0; }
  int ParseFields(const char* const* fields, int count,
                  DestinationPacket* packet) override {
    fields_.assign(fields, fields + count);
    packet_was_zero_ = test::AllZero(packet, sizeof *packet);
    packet->kind = 9;  // left behind for the next parse into this packet
    return -77;
  }
  Fields fields_;
  bool packet_was_zero_ = false;
};

// Splits all bytes of `text` (NULs included), counting `length` of them.
Fields Split(const std::string& text, int length) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  RecordingPlan plan;
  DestinationPacket packet = test::FilledPacket(0x5A);
  EXPECT_EQ(plan.ParseText(buffer.data(), length, &packet), -77);
  EXPECT_TRUE(plan.packet_was_zero_);
  return plan.fields_;
}

TEST(ParseText, SplitsAtCommas) {
  EXPECT_EQ(Split("A,B,C", 5), (Fields{"A", "B", "C"}));
  EXPECT_EQ(Split("A,,B", 4), (Fields{"A", "", "B"}));
  EXPECT_EQ(Split(",A", 2), (Fields{"", "A"}));
  EXPECT_EQ(Split("", 0), Fields{});
  // A trailing comma or a counted NUL at the end adds no last field.
  EXPECT_EQ(Split("A,B,", 4), (Fields{"A", "B"}));
  EXPECT_EQ(Split(std::string("A,B\0", 4), 4), (Fields{"A"}));
  // A NUL ends its field, but commas behind it still split.
  EXPECT_EQ(Split(std::string("AB\0C,D", 6), 6), (Fields{"AB", "D"}));
}

TEST(ParseText, StoresAtMostTwoHundredFields) {
  const Fields fields = Split(std::string(250, ',') + "X", 251);
  EXPECT_EQ(fields, Fields(200, ""));
}

TEST(ParseText, PlanStartsFromZeroPacketAfterEarlierParse) {
  RecordingPlan plan;
  DestinationPacket packet;
  char first[] = "A";
  plan.ParseText(first, 1, &packet);
  plan.packet_was_zero_ = false;
  char second[] = "";
  plan.ParseText(second, 0, &packet);
  EXPECT_TRUE(plan.packet_was_zero_);
}

// Converts every field in every way, keeping nothing.
class ConvertingPlan : public GuidePlan {
 public:
  int ReadPacket(std::FILE*, DestinationPacket*) override { return 0; }
  int GetFilePath(OwnedText&) override { return 0; }
  int ParseFields(const char* const* fields, int count,
                  DestinationPacket*) override {
    for (int i = 0; i < count; ++i) {
      sink_ += 0LL + DecimalDegreesToUnits(fields[i]) +
               DegreesMinutesToUnits(fields[i], 3) + RouteModeFromWord(fields[i]) +
               RouteModeFromDigit(fields[i][0]) + ReadIntSaturated(fields[i]);
    }
    return count;
  }
  long long sink_ = 0;
};

TEST(ParseText, SplittingAndConversionAllocateNothing) {
  ConvertingPlan plan;
  DestinationPacket packet;
  char warm_up[] = "1.5";
  plan.ParseText(warm_up, 3, &packet);  // the number reader's first use

  std::string text = "(TNC,116.397128,39.916527,Home," + test::kFastestGbk +
                     ",3954.5000,B1,nan,1e999" + std::string(300, ',');
  text.resize(512);
  test::AllocationCounter counter;
  EXPECT_EQ(plan.ParseText(text.data(), 511, &packet), 200);
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vexa::destination
