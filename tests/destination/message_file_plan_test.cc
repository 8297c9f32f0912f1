// The guide message plan: its file format, its grammar and every result
// code, in the order the checks run.

#include "destination/message_file_plan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "destination/packet_bytes.h"

namespace vexa::destination {
namespace {

struct Parsed {
  int result;
  DestinationPacket packet;
};

Parsed ParseMessage(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  Parsed parsed{0, test::FilledPacket(0xEE)};
  parsed.result = MessageFilePlan().ParseText(
      buffer.data(), static_cast<int>(text.size()), &parsed.packet);
  return parsed;
}

Parsed ReadMessageFile(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  Parsed parsed{0, test::FilledPacket(0xEE)};
  parsed.result = MessageFilePlan().ReadPacket(file, &parsed.packet);
  std::fclose(file);
  return parsed;
}

std::string WithLength(std::uint32_t length, const std::string& body) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(length >> (8 * i));
  return bytes + body;
}

const std::string kMinimal = "(TNC,002,1,3954.5000,11623.2000";

TEST(MessageFilePlan, WorkedExampleFromFileAndText) {
  const Parsed from_file =
      ReadMessageFile(WithLength(55, test::kGuideMessage) + "not read");
  EXPECT_EQ(from_file.result, 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(from_file.packet));
  const Parsed from_text = ParseMessage(test::kGuideMessage);
  EXPECT_EQ(from_text.result, 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(from_text.packet));
}

TEST(MessageFilePlan, ViaPointsComeFirstAndShareTheRoute) {
  const Parsed parsed = ParseMessage(
      "(TNC,002,4,3954.5000,11623.2000,B2,3950.2500,11620.1000,1230.5,"
      "11623.2000,ignored");
  ASSERT_EQ(parsed.result, 0);
  EXPECT_EQ(parsed.packet.pointCount, 3u);
  EXPECT_EQ(parsed.packet.entries[0].latitude, 367142400);
  EXPECT_EQ(parsed.packet.entries[1].latitude, 115276800);
  EXPECT_EQ(parsed.packet.entries[2].latitude, 367795200);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(parsed.packet.entries[i].routeMode, Shortest);
  EXPECT_TRUE(test::EntriesZeroFrom(parsed.packet, 3));
}

TEST(MessageFilePlan, GrammarResultsInCheckOrder) {
  const struct {
    std::string text;
    int result;
    int route;  // of the destination, on success
  } cases[] = {
      {kMinimal, 0, Fastest},
      {kMinimal + ",B0", 0, Fastest},
      {kMinimal + ",B", 0, Fastest},
      {kMinimal + ",X,B2,junk", 0, Fastest},  // no via header: rest ignored
      {kMinimal + ",", 0, Fastest},
      {"(TNC,002,2,3954.5000,11623.2000", 0, Economical},
      {"(TNC,002,3,3954.5000,11623.2000", 0, Fastest},
      {"(TNC,002,1x,3954.5000,11623.2000", 0, Fastest},
      {"(TNC,002,1,3954.5000", VEXA_E_MSG_FEW_FIELDS, 0},
      {"TNC,002,1,3954.5000,11623.2000", VEXA_E_MSG_NO_TNC, 0},
      {"(TNC,02,1,3954.5000,11623.2000", VEXA_E_MSG_NO_002, 0},
      {"(TNC,002,7,3954.5000,11623.2000", VEXA_E_MSG_BAD_ROUTE, 0},
      {"(TNC,002,,3954.5000,11623.2000", VEXA_E_MSG_BAD_ROUTE, 0},
      {"(TNC,002,1,0000.0000,11623.2000", VEXA_E_MSG_BAD_DEST, 0},
      {"(TNC,002,1,3954.5000,abc,B9", VEXA_E_MSG_BAD_DEST, 0},
      {kMinimal + ",B3,1,1,1,1,1,1", VEXA_E_MSG_BAD_COUNT, 0},
      {kMinimal + ",B-1", VEXA_E_MSG_BAD_COUNT, 0},
      // 2^32 + 1 would wrap to 1 if read into an int unchecked.
      {kMinimal + ",B4294967297,1230.5,11623.2000", VEXA_E_MSG_BAD_COUNT, 0},
      {kMinimal + ",B99999999999999999999", VEXA_E_MSG_BAD_COUNT, 0},
      {kMinimal + ",B2,3950.2500,11620.1000,1230.5", VEXA_E_MSG_FEW_VIAS, 0},
      {kMinimal + ",B1,3950.2500,0", VEXA_E_MSG_BAD_VIA, 0},
      {kMinimal + ",B2,3950.2500,11620.1000,nan,11620.1000", VEXA_E_MSG_BAD_VIA, 0},
  };
  for (const auto& c : cases) {
    const Parsed parsed = ParseMessage(c.text);
    EXPECT_EQ(parsed.result, c.result) << c.text;
    if (c.result != 0) continue;
    EXPECT_EQ(parsed.packet.pointCount, 1u) << c.text;
    EXPECT_EQ(parsed.packet.entries[0].latitude, 367795200) << c.text;
    EXPECT_EQ(parsed.packet.entries[0].routeMode, c.route) << c.text;
    EXPECT_TRUE(test::EntriesZeroFrom(parsed.packet, 1)) << c.text;
  }
}

TEST(MessageFilePlan, FileFormat) {
  EXPECT_EQ(ReadMessageFile(std::string("\x05\0\0", 3)).result, VEXA_E_MSG_NO_LENGTH);
  EXPECT_EQ(ReadMessageFile(WithLength(512, std::string(512, 'x'))).result,
            VEXA_E_MSG_TOO_LONG);
  EXPECT_EQ(ReadMessageFile(WithLength(0xFFFFFFFFu, "")).result, VEXA_E_MSG_TOO_LONG);
  EXPECT_EQ(ReadMessageFile(WithLength(100, std::string(60, ','))).result,
            VEXA_E_MSG_SHORT_BODY);
  EXPECT_EQ(ReadMessageFile(WithLength(0, "")).result, VEXA_E_MSG_FEW_FIELDS);
  // A counted NUL at the end takes the last field with it.
  EXPECT_EQ(ReadMessageFile(WithLength(32, kMinimal + '\0')).result,
            VEXA_E_MSG_FEW_FIELDS);
  EXPECT_EQ(ReadMessageFile(WithLength(511, kMinimal + "," + std::string(479, ' ')))
                .result,
            0);
}

TEST(MessageFilePlan, FilePathComesFromConfiguration) {
  ::setenv("VEXA_GUIDE_FILE", "D:\\nav\\guide.dat", 1);
  OwnedText path;
  ASSERT_TRUE(path.Assign("previous"));
  EXPECT_EQ(MessageFilePlan().GetFilePath(path), 0);
  EXPECT_STREQ(path.c_str(), "D:\\nav\\guide.dat");
  ::unsetenv("VEXA_GUIDE_FILE");
}

}  // namespace
}  // namespace vexa::destination
