// The framing that a reader of a whole file (the companion tool) uses must
// find exactly what each plan's ReadPacket reads from the same file: the
// same code for a framing fault, and otherwise the text that parses to the
// same result and packet. Files around every limit of both plans.

#include "destination/file_framing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"

namespace vexa::destination {
namespace {

// The 4-byte little-endian length field.
std::string LengthField(std::uint32_t length) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(length >> (8 * i));
  return bytes;
}

void ExpectSameAsReadPacket(int plan, const std::string& bytes) {
  SCOPED_TRACE("plan " + std::to_string(plan) + ", file of " +
               std::to_string(bytes.size()) + " bytes");
  MessageFilePlan guide;
  DestinationListPlan list;
  GuidePlan& reader = plan == 1 ? static_cast<GuidePlan&>(guide) : list;

  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  DestinationPacket read{};
  const int read_result = reader.ReadPacket(file, &read);
  std::fclose(file);

  std::size_t offset = 99;
  std::size_t length = 99;
  const int framed =
      FramedText(plan, bytes.data(), bytes.size(), &offset, &length);
  if (framed != 0) {
    EXPECT_EQ(framed, read_result);
    EXPECT_EQ(offset, 99u);  // untouched on failure
    return;
  }
  std::vector<char> text(bytes.begin() + offset,
                         bytes.begin() + offset + length);
  text.push_back('\0');
  DestinationPacket parsed{};
  EXPECT_EQ(reader.ParseText(text.data(), static_cast<int>(length), &parsed),
            read_result);
  EXPECT_EQ(std::memcmp(&parsed, &read, sizeof read), 0);
}

TEST(FileFraming, GuideMessageFramesAsReadPacketReads) {
  const std::string body = "(TNC,002,1,3954.5000,11623.2000";
  for (std::size_t size = 0; size < 4; ++size) {
    ExpectSameAsReadPacket(1, std::string(size, '\x05'));
  }
  // Bodies as long as the field says, shorter by one, and longer.
  const std::uint32_t lengths[] = {0, 1, 31, 256, 510, 511, 512, 0xFFFFFFFF};
  for (std::uint32_t length : lengths) {
    const std::size_t size = length > 600 ? 600 : length;
    for (std::size_t body_size : {size, size + 3, size == 0 ? 0 : size - 1}) {
      std::string content = body;
      content.resize(body_size, ',');
      ExpectSameAsReadPacket(1, LengthField(length) + content);
    }
  }
}

TEST(FileFraming, DestinationListFramesAsReadPacketReads) {
  const std::string list =
      "    (TNC,116.397128,39.916527,Home,\xCD\xC6\xBC\xF6";
  for (std::size_t size = 0; size <= list.size(); ++size) {
    ExpectSameAsReadPacket(2, list.substr(0, size));
  }
  ExpectSameAsReadPacket(2, "   \t(TNC");
  for (std::size_t size : {510, 511, 512, 600}) {
    std::string bytes = list;
    bytes.resize(size, ',');
    ExpectSameAsReadPacket(2, bytes);
  }
}

TEST(FileFraming, AnotherPlanFramesNothing) {
  std::size_t offset = 0;
  std::size_t length = 0;
  EXPECT_EQ(FramedText(3, "    (TNC", 8, &offset, &length), VEXA_E_BAD_PLAN);
}

}  // namespace
}  // namespace vexa::destination
