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
  DestinationListPlan plan;
  parsed.result = plan.ParseText(buffer.data(), static_cast<int>(text.size()),
                                 &parsed.packet);
  return parsed;
}

Parsed ReadListFile(std::FILE* file) {
  Parsed parsed{0, test::FilledPacket(0xEE)};
  DestinationListPlan plan;
  parsed.result = plan.ReadPacket(file, &parsed.packet);
  std::fclose(file);
  return parsed;
}

Parsed ReadListFile(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return ReadListFile(file);
}

const std::string kWorkedList = "(TNC,116.397128,39.916527,Home," + kRecommendedGbk +
                                ",121.473701,31.230416,Office," + kFastestGbk;
const std::string kGroup = ",116.397128,39.916527,Home," + kRecommendedGbk;

TEST(DestinationListPlan, WorkedExampleFromFileAndText) {
  const std::string file = "    " + kWorkedList;
  ASSERT_EQ(file.size(), 72u);
  const Parsed parsed = ReadListFile(file);
  ASSERT_EQ(parsed.result, 0);
  const DestinationPacket& p = parsed.packet;
  EXPECT_EQ(test::Bytes(p, 24),
            (std::vector<std::uint8_t>{0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                                       0x9C, 0x58, 0xF0, 0x3F, 0xF9, 0x42, 0xED, 0x15,
                                       0x00, 0x00, 0x00, 0x00, 0x48, 0x6F, 0x6D, 0x65}));
  EXPECT_EQ(p.entries[0].longitude, 1072715932);
  EXPECT_EQ(p.entries[0].latitude, 367870713);
  EXPECT_EQ(p.entries[0].routeMode, Recommended);
  EXPECT_STREQ(p.entries[0].name, "Home");
  EXPECT_EQ(p.entries[1].longitude, 1119501628);
  EXPECT_EQ(p.entries[1].latitude, 287819514);
  EXPECT_EQ(p.entries[1].routeMode, Fastest);
  EXPECT_STREQ(p.entries[1].name, "Office");
  // Names are zero behind their terminator, and so are entries 2 to 4.
  EXPECT_TRUE(test::AllZero(p.entries[0].name + 4, VEXA_NAME_SIZE - 4));
  EXPECT_TRUE(test::AllZero(p.entries[1].name + 6, VEXA_NAME_SIZE - 6));
  EXPECT_TRUE(test::EntriesZeroFrom(p, 2));

  EXPECT_EQ(test::Bytes(ParseList(kWorkedList).packet), test::Bytes(p));
}

TEST(DestinationListPlan, IncompleteGroupsAreIgnored) {
  for (const std::string& text : {std::string("(TNC"), std::string("(TNC,1"),
                                  std::string("(TNC,1,2,x"), std::string("(TNC,"),
                                  "(TNC" + kGroup + ",1,2", "(TNC" + kGroup + ","}) {
    const Parsed parsed = ParseList(text);
    ASSERT_EQ(parsed.result, 0) << text;
    EXPECT_EQ(parsed.packet.kind, static_cast<std::uint32_t>(DestinationList));
    EXPECT_EQ(parsed.packet.pointCount, text.size() > 10 ? 1u : 0u) << text;
    EXPECT_TRUE(test::EntriesZeroFrom(parsed.packet, parsed.packet.pointCount));
  }
}

TEST(DestinationListPlan, FiveGroupsAtMostEvenIfTheSixthIsInvalid) {
  std::string text = "(TNC";
  for (int i = 0; i < 5; ++i) text += kGroup;
  const Parsed parsed = ParseList(text + ",0,0,bad,word");
  ASSERT_EQ(parsed.result, 0);
  EXPECT_EQ(parsed.packet.pointCount, 5u);
  EXPECT_STREQ(parsed.packet.entries[4].name, "Home");
}

TEST(DestinationListPlan, NamesAreCutToNinetyNineBytes) {
  const std::string long_name(119, 'n');
  const Parsed parsed = ParseList("(TNC,1,1," + long_name + "\xD7," + kFastestGbk +
                                  ",2,2,," + kFastestGbk);
  ASSERT_EQ(parsed.result, 0);
  EXPECT_EQ(std::string(parsed.packet.entries[0].name), std::string(99, 'n'));
  EXPECT_EQ(parsed.packet.entries[1].name[0], '\0');
  EXPECT_EQ(parsed.packet.pointCount, 2u);
}

TEST(DestinationListPlan, GrammarErrors) {
  const struct {
    std::string text;
    int code;
  } cases[] = {
      {"", VEXA_E_LIST_NO_TNC},
      {"TNC" + kGroup, VEXA_E_LIST_NO_TNC},
      {"(TNC,1,1,Home,fast", VEXA_E_LIST_BAD_ROUTE},
      {"(TNC,1,1,Home," + kFastestGbk + "\r\n", VEXA_E_LIST_BAD_ROUTE},
      {"(TNC,0,abc,Home,nope", VEXA_E_LIST_BAD_ROUTE},  // the word comes first
      {"(TNC,0,39.9,Home," + kFastestGbk, VEXA_E_LIST_BAD_COORD},
      {"(TNC,116.4,abc,Home," + kFastestGbk, VEXA_E_LIST_BAD_COORD},
      {"(TNC,nan,39.9,Home," + kFastestGbk, VEXA_E_LIST_BAD_COORD},
      {"(TNC,116.4,1e10,Home," + kFastestGbk, VEXA_E_LIST_BAD_COORD},
      {"(TNC" + kGroup + ",1,1,Work," + kFastestGbk + " ", VEXA_E_LIST_BAD_ROUTE},
      // A comma in a name shifts the word into the latitude's place.
      {"(TNC,1,1,Ho,me," + kFastestGbk, VEXA_E_LIST_BAD_ROUTE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseList(c.text).result, c.code) << c.text;
  }
}

TEST(DestinationListPlan, FileFormatErrors) {
  EXPECT_EQ(ReadListFile("    ").result, VEXA_E_LIST_NO_TNC);
  EXPECT_EQ(ReadListFile("   ").result, VEXA_E_LIST_NO_SPACES);
  EXPECT_EQ(ReadListFile("   \t(TNC").result, VEXA_E_LIST_NO_SPACES);
  EXPECT_EQ(ReadListFile("").result, VEXA_E_LIST_NO_SPACES);
  EXPECT_EQ(ReadListFile("    (TNC," + std::string(503, 'x')).result,
            VEXA_E_LIST_TOO_BIG);
  EXPECT_EQ(ReadListFile("    (TNC," + std::string(502, 'x')).result, 0);
  EXPECT_EQ(ReadListFile("    " + kWorkedList + "\n").result, VEXA_E_LIST_BAD_ROUTE);
  EXPECT_EQ(ReadListFile("    " + kWorkedList + ",").result, 0);
}

// A stream whose seeking, telling or reading fails on request.
struct Faults {
  bool fail_seek_end = false;
  bool fail_seek_start = false;
  bool fail_tell = false;
  std::size_t size = 40;  // what the end reports; reading gives 10 bytes
  long position = 0;
};

std::FILE* FaultyStream(Faults* faults) {
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buffer, size_t size) -> ssize_t {
    auto* f = static_cast<Faults*>(cookie);
    const size_t n = f->position >= 10 ? 0 : std::min<size_t>(size, 10 - f->position);
    std::memset(buffer, ' ', n);
    f->position += static_cast<long>(n);
    return static_cast<ssize_t>(n);
  };
  io.seek = [](void* cookie, off64_t* offset, int whence) -> int {
    auto* f = static_cast<Faults*>(cookie);
    if (whence == SEEK_END && f->fail_seek_end) return -1;
    if (whence == SEEK_SET && f->fail_seek_start) return -1;
    if (whence == SEEK_CUR && f->fail_tell) return -1;
    if (whence == SEEK_END) f->position = static_cast<long>(f->size) + *offset;
    if (whence == SEEK_SET) f->position = *offset;
    if (whence == SEEK_CUR) f->position += *offset;
    *offset = f->position;
    return 0;
  };
  return fopencookie(faults, "rb", io);
}

TEST(DestinationListPlan, StreamFailures) {
  Faults seek_end;
  seek_end.fail_seek_end = true;
  EXPECT_EQ(ReadListFile(FaultyStream(&seek_end)).result, VEXA_E_LIST_SEEK);
  Faults seek_start;
  seek_start.fail_seek_start = true;
  EXPECT_EQ(ReadListFile(FaultyStream(&seek_start)).result, VEXA_E_LIST_SEEK);
  Faults tell;
  tell.fail_tell = true;
  EXPECT_EQ(ReadListFile(FaultyStream(&tell)).result, VEXA_E_LIST_TELL);
  Faults short_read;  // claims 40 bytes, delivers 10
  EXPECT_EQ(ReadListFile(FaultyStream(&short_read)).result, VEXA_E_LIST_SHORT_READ);
}

TEST(DestinationListPlan, FilePathIsDestCldInDataDirectory) {
  DestinationListPlan plan;
  std::string path;
  ::setenv("VEXA_DATA_DIR", "/tmp/nav", 1);
  EXPECT_EQ(plan.GetFilePath(path), 0);
  EXPECT_EQ(path, "/tmp/nav\\dest.cld");
  ::setenv("VEXA_DATA_DIR", "", 1);
  EXPECT_EQ(plan.GetFilePath(path), 0);
  EXPECT_EQ(path, "\\dest.cld");
  ::unsetenv("VEXA_DATA_DIR");
}

}  // namespace
}  // namespace vexa::destination
