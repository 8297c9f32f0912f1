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
  MessageFilePlan plan;
  parsed.result = plan.ParseText(buffer.data(), static_cast<int>(text.size()),
                                 &parsed.packet);
  return parsed;
}

// Writes `bytes` to an anonymous file and lets the plan read it.
Parsed ReadMessageFile(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  Parsed parsed{0, test::FilledPacket(0xEE)};
  MessageFilePlan plan;
  parsed.result = plan.ReadPacket(file, &parsed.packet);
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
  const std::string file = WithLength(55, test::kGuideMessage);
  ASSERT_EQ(file.size(), 59u);
  const Parsed from_file = ReadMessageFile(file + "trailing bytes not read");
  EXPECT_EQ(from_file.result, 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(from_file.packet));

  const Parsed from_text = ParseMessage(test::kGuideMessage);
  EXPECT_EQ(from_text.result, 0);
  EXPECT_EQ(test::Bytes(from_text.packet), test::Bytes(from_file.packet));
}

TEST(MessageFilePlan, DestinationOnlyMessages) {
  for (const char* tail : {"", ",B0", ",B", ",X,junk,more", ",b1,1,1", ","}) {
    const Parsed parsed = ParseMessage(kMinimal + tail);
    ASSERT_EQ(parsed.result, 0) << tail;
    EXPECT_EQ(parsed.packet.kind, static_cast<std::uint32_t>(GuideMessage));
    EXPECT_EQ(parsed.packet.pointCount, 1u);
    EXPECT_EQ(parsed.packet.entries[0].latitude, 367795200);
    EXPECT_EQ(parsed.packet.entries[0].longitude, 1072619520);
    EXPECT_TRUE(test::EntriesZeroFrom(parsed.packet, 1)) << tail;
  }
}

TEST(MessageFilePlan, TwoViaPointsThenDestination) {
  const Parsed parsed = ParseMessage(
      "(TNC,002,4,3954.5000,11623.2000,B2,3950.2500,11620.1000,1230.5,"
      "11623.2000,ignored,fields");
  ASSERT_EQ(parsed.result, 0);
  EXPECT_EQ(parsed.packet.pointCount, 3u);
  EXPECT_EQ(parsed.packet.entries[0].latitude, 367142400);
  EXPECT_EQ(parsed.packet.entries[1].latitude, 115276800);
  EXPECT_EQ(parsed.packet.entries[2].latitude, 367795200);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(parsed.packet.entries[i].routeMode, Shortest);
  EXPECT_TRUE(test::EntriesZeroFrom(parsed.packet, 3));
}

TEST(MessageFilePlan, OnlyFirstCharacterOfRouteCounts) {
  EXPECT_EQ(ParseMessage("(TNC,002,2,3954.5000,11623.2000").packet.entries[0].routeMode,
            Economical);
  EXPECT_EQ(ParseMessage("(TNC,002,3,3954.5000,11623.2000").packet.entries[0].routeMode,
            Fastest);
  EXPECT_EQ(ParseMessage("(TNC,002,1x,3954.5000,11623.2000").packet.entries[0].routeMode,
            Fastest);
}

TEST(MessageFilePlan, GrammarErrorsInCheckOrder) {
  const struct {
    const char* text;
    int code;
  } cases[] = {
      {"(TNC,002,1,3954.5000", VEXA_E_MSG_FEW_FIELDS},
      {"TNC,002,1,3954.5000,11623.2000", VEXA_E_MSG_NO_TNC},
      {"(TNC,02,1,3954.5000,11623.2000", VEXA_E_MSG_NO_002},
      {"(TNC,002,7,3954.5000,11623.2000", VEXA_E_MSG_BAD_ROUTE},
      {"(TNC,002,,3954.5000,11623.2000", VEXA_E_MSG_BAD_ROUTE},
      {"(TNC,002,1,0000.0000,11623.2000", VEXA_E_MSG_BAD_DEST},
      {"(TNC,002,1,3954.5000,abc", VEXA_E_MSG_BAD_DEST},
      {"(TNC,002,1,0000.0000,11623.2000,B3", VEXA_E_MSG_BAD_DEST},
      {"(TNC,002,1,3954.5000,11623.2000,B3,1,1,1,1,1,1", VEXA_E_MSG_BAD_COUNT},
      {"(TNC,002,1,3954.5000,11623.2000,B-1", VEXA_E_MSG_BAD_COUNT},
      // Would wrap to 1 (or overflow) if read into an int unchecked.
      {"(TNC,002,1,3954.5000,11623.2000,B4294967297,1,1", VEXA_E_MSG_BAD_COUNT},
      {"(TNC,002,1,3954.5000,11623.2000,B99999999999999999999", VEXA_E_MSG_BAD_COUNT},
      {"(TNC,002,1,3954.5000,11623.2000,B2,3950.2500,11620.1000,1230.5",
       VEXA_E_MSG_FEW_VIAS},
      {"(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,0", VEXA_E_MSG_BAD_VIA},
      {"(TNC,002,1,3954.5000,11623.2000,B1,nan,11620.1000", VEXA_E_MSG_BAD_VIA},
      {"(TNC,002,1,3954.5000,11623.2000,B2,3950.2500,11620.1000,inf,1",
       VEXA_E_MSG_BAD_VIA},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseMessage(c.text).result, c.code) << c.text;
  }
}

TEST(MessageFilePlan, FileFormatErrors) {
  EXPECT_EQ(ReadMessageFile("").result, VEXA_E_MSG_NO_LENGTH);
  EXPECT_EQ(ReadMessageFile(std::string("\x05\0\0", 3)).result,
            VEXA_E_MSG_NO_LENGTH);
  EXPECT_EQ(ReadMessageFile(WithLength(512, std::string(512, 'x'))).result,
            VEXA_E_MSG_TOO_LONG);
  EXPECT_EQ(ReadMessageFile(WithLength(0xFFFFFFFFu, "")).result,
            VEXA_E_MSG_TOO_LONG);
  EXPECT_EQ(ReadMessageFile(WithLength(100, std::string(60, ','))).result,
            VEXA_E_MSG_SHORT_BODY);
  EXPECT_EQ(ReadMessageFile(WithLength(0, "")).result, VEXA_E_MSG_FEW_FIELDS);
  // A counted NUL at the end takes the last field with it.
  EXPECT_EQ(ReadMessageFile(WithLength(32, kMinimal + std::string(1, '\0'))).result,
            VEXA_E_MSG_FEW_FIELDS);
  EXPECT_EQ(ReadMessageFile(WithLength(32, kMinimal + ",")).result, 0);
  // 511 bytes is the longest body.
  const std::string longest = kMinimal + "," + std::string(511 - 32, ' ');
  EXPECT_EQ(ReadMessageFile(WithLength(511, longest)).result, 0);
}

TEST(MessageFilePlan, FilePathComesFromConfiguration) {
  ::setenv("VEXA_GUIDE_FILE", "D:\\nav\\guide.dat", 1);
  std::string path = "previous";
  MessageFilePlan plan;
  EXPECT_EQ(plan.GetFilePath(path), 0);
  EXPECT_EQ(path, "D:\\nav\\guide.dat");
  ::unsetenv("VEXA_GUIDE_FILE");
}

}  // namespace
}  // namespace vexa::destination
