// ParseText: how a destination text is cut into fields before a plan sees
// them, and that the packet is zero when the plan starts.

#include "destination/guide_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "destination/protocol_fields.h"
#include "support/alloc_hooks.h"
#include "destination/packet_bytes.h"

namespace vexa::destination {
namespace {

// Records what ParseFields received.
class RecordingPlan : public GuidePlan {
 public:
  int ReadPacket(std::FILE*, DestinationPacket*) override { return 0; }
  int GetFilePath(std::string&) override { return 0; }
  int ParseFields(const char* const* fields, int count,
                  DestinationPacket* packet) override {
    fields_.assign(fields, fields + count);
    packet_was_zero_ = test::AllZero(packet, sizeof *packet);
    packet->kind = 9;  // leave something behind for the next parse
    return -77;
  }
  std::vector<std::string> fields_;
  bool packet_was_zero_ = false;
};

// Splits `text` (all of its bytes, NULs included) with `length` counted.
std::vector<std::string> Split(const std::string& text, int length) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  RecordingPlan plan;
  DestinationPacket packet;
  EXPECT_EQ(plan.ParseText(buffer.data(), length, &packet), -77);
  return plan.fields_;
}

using Fields = std::vector<std::string>;

TEST(ParseText, SplitsAtEveryComma) {
  EXPECT_EQ(Split("A,B,C", 5), (Fields{"A", "B", "C"}));
  EXPECT_EQ(Split("A,,B", 4), (Fields{"A", "", "B"}));
  EXPECT_EQ(Split(",A", 2), (Fields{"", "A"}));
  EXPECT_EQ(Split("A", 1), (Fields{"A"}));
  EXPECT_EQ(Split("", 0), Fields{});
}

TEST(ParseText, TrailingCommaOrCountedNulAddsNoLastField) {
  EXPECT_EQ(Split("A,B,", 4), (Fields{"A", "B"}));
  EXPECT_EQ(Split(std::string("A,B\0", 4), 4), (Fields{"A"}));
}

TEST(ParseText, NulShortensAFieldButCommasBehindItStillSplit) {
  EXPECT_EQ(Split(std::string("AB\0C,D", 6), 6), (Fields{"AB", "D"}));
  EXPECT_EQ(Split(std::string("A,\0,B", 5), 5), (Fields{"A", "", "B"}));
}

TEST(ParseText, StopsStoringAtTwoHundredFields) {
  const Fields split = Split(std::string(250, ',') + "X", 251);
  ASSERT_EQ(split.size(), 200u);
  for (const std::string& field : split) EXPECT_EQ(field, "");

  // The 200th field runs to the next comma; the rest is ignored.
  std::string text;
  for (int i = 0; i < 205; ++i) text += std::to_string(i) + ",";
  const Fields numbered = Split(text, static_cast<int>(text.size()));
  ASSERT_EQ(numbered.size(), 200u);
  EXPECT_EQ(numbered.back(), "199");
}

TEST(ParseText, PlanSeesZeroPacketEvenAfterEarlierParse) {
  RecordingPlan plan;
  DestinationPacket packet = test::FilledPacket(0xA5);
  char first[] = "A,B";
  plan.ParseText(first, 3, &packet);
  EXPECT_TRUE(plan.packet_was_zero_);
  char second[] = "";
  plan.packet_was_zero_ = false;
  plan.ParseText(second, 0, &packet);  // no field at all
  EXPECT_TRUE(plan.packet_was_zero_);
}

// Counts fields and converts them without keeping anything.
class ConvertingPlan : public GuidePlan {
 public:
  int ReadPacket(std::FILE*, DestinationPacket*) override { return 0; }
  int GetFilePath(std::string&) override { return 0; }
  int ParseFields(const char* const* fields, int count,
                  DestinationPacket*) override {
    for (int i = 0; i < count; ++i) {
      sink_ += 0LL + DecimalDegreesToUnits(fields[i]) +
                                      DegreesMinutesToUnits(fields[i], 3) +
                                      RouteModeFromWord(fields[i]) +
                                      RouteModeFromDigit(fields[i][0]) +
                                      ReadIntSaturated(fields[i]);
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
                     ",3954.5000,11623.2000,B1,nan,1e999," + std::string(300, ',');
  std::vector<char> buffer(text.begin(), text.end());
  buffer.resize(512);
  test::AllocationCounter counter;
  const int count = plan.ParseText(buffer.data(), 511, &packet);
  EXPECT_EQ(counter.count(), 0u);
  EXPECT_EQ(count, 200);
}

}  // namespace
}  // namespace vexa::destination
