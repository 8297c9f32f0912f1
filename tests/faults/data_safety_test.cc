// Data safety of the destination file take-over, as a property over many
// generated files, valid and corrupted, for both plans: after PTT_Init the
// file still exists exactly when reading or parsing it failed, and the
// current packet changed exactly when it succeeded (and then holds what
// the plan reads from those bytes). A file is never lost without its
// destination being taken over, and never taken over twice.
//
// The files come from a fixed seed, so a failure names a reproducible
// case number.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "destination/destination_list_plan.h"
#include "destination/destination_service.h"
#include "destination/message_file_plan.h"
#include "destination/packet_bytes.h"
#include "support/faulty_stream.h"

namespace vexa::destination {
namespace {

namespace fs = std::filesystem;

constexpr int kFilesPerPlan = 1000;

// GBK bytes of the four route words.
const std::string kRecommended = "\xCD\xC6\xBC\xF6";
const std::string kFastest = "\xD7\xEE\xBF\xEC";
const std::string kShortest = "\xD7\xEE\xB6\xCC";
const std::string kEconomical = "\xBE\xAD\xBC\xC3";

const std::vector<std::string>& GuideBodies() {
  static const std::vector<std::string> bodies = {
      test::kGuideMessage,
      "(TNC,002,4,3954.5000,11623.2000,B2,3950.2500,11620.1000,3130.0000,12128.0000",
      "(TNC,002,0,3954.5000,11623.2000",
      "(TNC,002,2,-3954.5,-11623.2,B0",
  };
  return bodies;
}

const std::vector<std::string>& ListBodies() {
  static const std::vector<std::string> bodies = {
      "(TNC,116.397128,39.916527,Home," + kRecommended +
          ",121.473701,31.230416,Office," + kFastest,
      "(TNC",
      "(TNC,-74.0060,40.7128,," + kShortest,
      "(TNC" + std::string(",1.5,2.5,P,") + kEconomical + ",3,4,Q," +
          kRecommended + ",5,6,R," + kFastest,
  };
  return bodies;
}

// Damages `text` in one of the ways a file is damaged in practice, or
// leaves it whole.
void Mutate(std::string& text, std::mt19937& rng) {
  auto pick = [&rng](std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  static const char kBytes[] = ",.-0123456789B(TNC \n\0\xff\xcd";
  switch (std::uniform_int_distribution<int>(0, 7)(rng)) {
    case 0:
      break;  // intact
    case 1:
      if (!text.empty()) text[pick(text.size())] = kBytes[pick(sizeof kBytes - 1)];
      break;
    case 2:
      text.resize(pick(text.size() + 1));  // cut short
      break;
    case 3:
      text.insert(pick(text.size() + 1), 1, kBytes[pick(sizeof kBytes - 1)]);
      break;
    case 4:
      if (!text.empty()) text.erase(pick(text.size()), 1);
      break;
    case 5:
      text += std::string(pick(600), 'x');  // may grow past the limit
      break;
    case 6:
      if (!text.empty()) text[pick(text.size())] ^= static_cast<char>(1 << pick(8));
      break;
    default:
      text.append(1, ',');
      break;
  }
}

std::string GuideFile(std::mt19937& rng) {
  std::string body = GuideBodies()[rng() % GuideBodies().size()];
  Mutate(body, rng);
  std::uint32_t length = static_cast<std::uint32_t>(body.size());
  switch (rng() % 6) {
    case 0: length += 1 + rng() % 4; break;  // claims more than there is
    case 1: length = length > 0 ? length - 1 : 0; break;
    case 2: length = 505 + rng() % 10; break;  // around the limit
    default: break;
  }
  std::string file;
  for (int i = 0; i < 4; ++i) file += static_cast<char>((length >> (8 * i)) & 0xFF);
  file += body;
  if (rng() % 8 == 0) file.resize(rng() % 6);  // hardly anything left
  return file;
}

std::string ListFile(std::mt19937& rng) {
  std::string file = "    " + ListBodies()[rng() % ListBodies().size()];
  Mutate(file, rng);
  if (rng() % 8 == 0) file.resize(rng() % 6);
  return file;
}

// What the plan makes of these bytes, read from memory.
int ReadReference(GuidePlan& plan, const std::string& bytes, DestinationPacket* packet) {
  std::FILE* stream = test::OpenFaultyStream(bytes);
  EXPECT_NE(stream, nullptr);
  if (stream == nullptr) return -1000;
  const int result = plan.ReadPacket(stream, packet);
  std::fclose(stream);
  return result;
}

class DataSafetyTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-data-safety-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::setenv("VEXA_DATA_DIR", dir_.c_str(), 1);
    ::setenv("VEXA_GUIDE_FILE", (dir_ + "/guide.dat").c_str(), 1);
    ::setenv("VEXA_GUIDE_PLAN", GetParam() == 1 ? "1" : "2", 1);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ::unsetenv("VEXA_DATA_DIR");
    ::unsetenv("VEXA_GUIDE_FILE");
    ::unsetenv("VEXA_GUIDE_PLAN");
  }
  std::string dir_;
};

TEST_P(DataSafetyTest, FileStaysExactlyWhenItFailsAndPacketChangesExactlyWhenItParses) {
  const int plan_number = GetParam();
  const std::string path = dir_ + (plan_number == 1 ? "/guide.dat" : "/dest.cld");
  std::mt19937 rng(20240611u + static_cast<unsigned>(plan_number));
  MessageFilePlan guide;
  DestinationListPlan list;
  GuidePlan& reference_plan = plan_number == 1 ? static_cast<GuidePlan&>(guide) : list;
  int parsed = 0;

  for (int i = 0; i < kFilesPerPlan; ++i) {
    SCOPED_TRACE("generated file " + std::to_string(i));
    const std::string bytes = plan_number == 1 ? GuideFile(rng) : ListFile(rng);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    ASSERT_TRUE(fs::exists(path));

    DestinationPacket expected;
    const int result = ReadReference(reference_plan, bytes, &expected);

    DestinationService service;  // a fresh service holds an all-zero packet
    ASSERT_EQ(service.Init(), 0);
    const DestinationPacket& current = service.current_packet();
    const bool changed = !test::AllZero(&current, sizeof current);

    EXPECT_EQ(fs::exists(path), result != 0) << "plan result " << result;
    EXPECT_EQ(changed, result == 0) << "plan result " << result;
    if (result == 0) {
      ++parsed;
      EXPECT_EQ(test::Bytes(current), test::Bytes(expected));
      // Taken over once: a second Init finds nothing and keeps the packet.
      const auto first = test::Bytes(current);
      ASSERT_EQ(service.Init(), 0);
      EXPECT_EQ(test::Bytes(service.current_packet()), first);
    }
    if (::testing::Test::HasFailure()) break;
    fs::remove(path);
  }
  // The generator must give both outcomes in good numbers.
  EXPECT_GT(parsed, kFilesPerPlan / 5);
  EXPECT_LT(parsed, kFilesPerPlan * 4 / 5);
}

INSTANTIATE_TEST_SUITE_P(BothPlans, DataSafetyTest, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 1 ? std::string("GuideMessage")
                                                  : std::string("DestinationList");
                         });

}  // namespace
}  // namespace vexa::destination
