// The destination list plan: dest.cld, the list grammar and every result
// code, including the stream failures that only an unusual file shows.

#include "destination/destination_list_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "destination/packet_bytes.h"

namespace vexa::destination {
namespace {

using test::kFastestGbk;
using test::kRecommendedGbk;

struct Parsed {
  int result;
  DestinationPacket packet;
};

Parsed ParseList(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  Parsed parsed{0, test::FilledPacket(0xEE)};
  parsed.result = DestinationListPlan().ParseText(
      buffer.data(), static_cast<int>(text.size()), &parsed.packet);
  return parsed;
}

Parsed ReadListFile(std::FILE* file) {
  Parsed parsed{0, test::FilledPacket(0xEE)};
  parsed.result = DestinationListPlan().ReadPacket(file, &parsed.packet);
  std::fclose(file);
  return parsed;
}

Parsed ReadListFile(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return ReadListFile(file);
}

const std::string kWorkedList = "(TNC,116.397128,39.916527,Home," + kRecommendedGbk +
                                ",121.473701,31.230416,Office," + kFastestGbk;
const std::string kGroup = ",116.397128,39.916527,Home," + kRecommendedGbk;

TEST(DestinationListPlan, WorkedExampleFromFileAndText) {
  const Parsed parsed = ReadListFile("    " + kWorkedList);
  ASSERT_EQ(parsed.result, 0);
  const DestinationPacket& p = parsed.packet;
  EXPECT_EQ(test::Bytes(p, 24),
            (std::vector<std::uint8_t>{0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                                       0x9C, 0x58, 0xF0, 0x3F, 0xF9, 0x42, 0xED, 0x15,
                                       0x00, 0x00, 0x00, 0x00, 0x48, 0x6F, 0x6D, 0x65}));
  EXPECT_EQ(p.entries[1].longitude, 1119501628);
  EXPECT_EQ(p.entries[1].latitude, 287819514);
  EXPECT_EQ(p.entries[1].routeMode, Fastest);
  // Names are zero behind their terminator, and so are entries 2 to 4.
  EXPECT_EQ(std::string(p.entries[0].name, VEXA_NAME_SIZE),
            "Home" + std::string(VEXA_NAME_SIZE - 4, '\0'));
  EXPECT_EQ(std::string(p.entries[1].name, VEXA_NAME_SIZE),
            "Office" + std::string(VEXA_NAME_SIZE - 6, '\0'));
  EXPECT_TRUE(test::EntriesZeroFrom(p, 2));
  EXPECT_EQ(test::Bytes(ParseList(kWorkedList).packet), test::Bytes(p));
}

TEST(DestinationListPlan, GrammarResults) {
  std::string six_groups = "(TNC";
  for (int i = 0; i < 5; ++i) six_groups += kGroup;
  const struct {
    std::string text;
    int result;
    std::uint32_t points;
  } cases[] = {
      {"(TNC", 0, 0},
      {"(TNC,1,2,x", 0, 0},
      {"(TNC" + kGroup + ",1,2", 0, 1},
      {"(TNC" + kGroup + ",", 0, 1},
      {six_groups + ",0,0,bad,word", 0, 5},  // a sixth group is never read
      {"(TNC,1,1,," + kFastestGbk, 0, 1},     // an empty name
      {"", VEXA_E_LIST_NO_TNC, 0},
      {"TNC" + kGroup, VEXA_E_LIST_NO_TNC, 0},
      {"(TNC,1,1,Home,fast", VEXA_E_LIST_BAD_ROUTE, 0},
      {"(TNC,1,1,Home," + kFastestGbk + "\r\n", VEXA_E_LIST_BAD_ROUTE, 0},
      {"(TNC,0,abc,Home,nope", VEXA_E_LIST_BAD_ROUTE, 0},  // the word goes first
      {"(TNC,1,1,Ho,me," + kFastestGbk, VEXA_E_LIST_BAD_ROUTE, 0},  // comma in name
      {"(TNC,0,39.9,Home," + kFastestGbk, VEXA_E_LIST_BAD_COORD, 0},
      {"(TNC,116.4,abc,Home," + kFastestGbk, VEXA_E_LIST_BAD_COORD, 0},
      {"(TNC,nan,39.9,Home," + kFastestGbk, VEXA_E_LIST_BAD_COORD, 0},
      {"(TNC,116.4,1e10,Home," + kFastestGbk, VEXA_E_LIST_BAD_COORD, 0},
  };
  for (const auto& c : cases) {
    const Parsed parsed = ParseList(c.text);
    EXPECT_EQ(parsed.result, c.result) << c.text;
    if (c.result != 0) continue;
    EXPECT_EQ(parsed.packet.kind, static_cast<std::uint32_t>(DestinationList));
    EXPECT_EQ(parsed.packet.pointCount, c.points) << c.text;
    EXPECT_TRUE(test::EntriesZeroFrom(parsed.packet, c.points)) << c.text;
  }
}

TEST(DestinationListPlan, NamesAreCutToNinetyNineBytes) {
  const Parsed parsed =
      ParseList("(TNC,1,1," + std::string(119, 'n') + "\xD7," + kFastestGbk);
  ASSERT_EQ(parsed.result, 0);
  EXPECT_EQ(std::string(parsed.packet.entries[0].name), std::string(99, 'n'));
}

TEST(DestinationListPlan, FileFormat) {
  EXPECT_EQ(ReadListFile("    ").result, VEXA_E_LIST_NO_TNC);
  EXPECT_EQ(ReadListFile("   ").result, VEXA_E_LIST_NO_SPACES);
  EXPECT_EQ(ReadListFile("   \t(TNC").result, VEXA_E_LIST_NO_SPACES);
  EXPECT_EQ(ReadListFile("    (TNC," + std::string(503, 'x')).result,
            VEXA_E_LIST_TOO_BIG);
  EXPECT_EQ(ReadListFile("    (TNC," + std::string(502, 'x')).result, 0);
  EXPECT_EQ(ReadListFile("    " + kWorkedList + "\n").result, VEXA_E_LIST_BAD_ROUTE);
  EXPECT_EQ(ReadListFile("    " + kWorkedList + ",").result, 0);
}

// A stream of 10 spaces that claims `size` bytes and fails on request.
struct Faults {
  int fail_whence = -1;  // the seek direction that fails (SEEK_CUR: ftell)
  off64_t size = 40;
  off64_t position = 0;
};

std::FILE* FaultyStream(Faults* faults) {
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buffer, size_t size) -> ssize_t {
    auto* f = static_cast<Faults*>(cookie);
    const size_t n = f->position >= 10 ? 0 : std::min<size_t>(size, 10 - f->position);
    std::memset(buffer, ' ', n);
    f->position += static_cast<off64_t>(n);
    return static_cast<ssize_t>(n);
  };
  io.seek = [](void* cookie, off64_t* offset, int whence) -> int {
    auto* f = static_cast<Faults*>(cookie);
    if (whence == f->fail_whence) return -1;
    f->position = *offset + (whence == SEEK_END   ? f->size
                             : whence == SEEK_CUR ? f->position
                                                  : 0);
    *offset = f->position;
    return 0;
  };
  return fopencookie(faults, "r", io);
}

TEST(DestinationListPlan, StreamFailures) {
  Faults seek_end{SEEK_END};
  EXPECT_EQ(ReadListFile(FaultyStream(&seek_end)).result, VEXA_E_LIST_SEEK);
  Faults seek_start{SEEK_SET};
  EXPECT_EQ(ReadListFile(FaultyStream(&seek_start)).result, VEXA_E_LIST_SEEK);
  Faults tell{SEEK_CUR};
  EXPECT_EQ(ReadListFile(FaultyStream(&tell)).result, VEXA_E_LIST_TELL);
  Faults short_read;
  EXPECT_EQ(ReadListFile(FaultyStream(&short_read)).result, VEXA_E_LIST_SHORT_READ);
}

TEST(DestinationListPlan, FilePathIsDestCldInDataDirectory) {
  OwnedText path;
  ::setenv("VEXA_DATA_DIR", "/tmp/nav", 1);
  EXPECT_EQ(DestinationListPlan().GetFilePath(path), 0);
  EXPECT_STREQ(path.c_str(), "/tmp/nav\\dest.cld");
  ::setenv("VEXA_DATA_DIR", "", 1);
  DestinationListPlan().GetFilePath(path);
  EXPECT_STREQ(path.c_str(), "\\dest.cld");
  ::unsetenv("VEXA_DATA_DIR");
}

}  // namespace
}  // namespace vexa::destination
