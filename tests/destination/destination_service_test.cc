// The destination service on its own object: plan selection, taking over
// and deleting destination files, and raw UTF-16 messages. The file
// services are observed through the host dispatch table.

#include "destination/destination_service.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"
#include "destination/packet_bytes.h"
#include "platform/host/host_services.h"
#include "support/alloc_hooks.h"

namespace vexa::destination {
namespace {

namespace fs = std::filesystem;
using platform::host::ScopedServices;

// What the file services were asked to do, in order.
std::vector<std::string> g_events;
std::u16string g_deleted_path;
platform::host::Services g_real;

int RecordingClose(std::FILE* file) {
  g_events.push_back("close");
  return g_real.close_file(file);
}

bool RecordingDelete(const char16_t* path) {
  g_events.push_back("delete");
  g_deleted_path = path;
  return g_real.delete_file_wide(path);
}

int g_callbacks = 0;
int CountingCallback(DestinationPacket*) { return ++g_callbacks; }

std::u16string Wide(const std::string& ascii) { return test::Utf16(ascii); }

class DestinationServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-destination-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::setenv("VEXA_DATA_DIR", dir_.c_str(), 1);
    ::setenv("VEXA_GUIDE_FILE", (dir_ + "/guide.dat").c_str(), 1);
    g_real = services_.table();
    services_.table().close_file = RecordingClose;
    services_.table().delete_file_wide = RecordingDelete;
    g_events.clear();
    g_deleted_path.clear();
    g_callbacks = 0;
    service_.SetCallback(CountingCallback);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ::unsetenv("VEXA_DATA_DIR");
    ::unsetenv("VEXA_GUIDE_FILE");
    ::unsetenv("VEXA_GUIDE_PLAN");
  }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  bool Exists(const std::string& name) { return fs::exists(dir_ + "/" + name); }
  int InitWithPlan(const char* number) {
    ::setenv("VEXA_GUIDE_PLAN", number, 1);
    return service_.Init();
  }
  int ParseRaw(const std::u16string& text) {
    return service_.ParseRawProtocol(
        reinterpret_cast<const std::uint16_t*>(text.data()),
        static_cast<int>(text.size() * 2));
  }

  std::string dir_;
  ScopedServices services_;
  DestinationService service_;
};

const std::string kGuideFile = std::string("\x37\0\0\0", 4) + test::kGuideMessage;
const std::string kListFile = "    (TNC,116.397128,39.916527,Home," + test::kRecommendedGbk;

TEST_F(DestinationServiceTest, ValidFileIsTakenOverThenDeletedAfterClosing) {
  Write("guide.dat", kGuideFile);
  EXPECT_EQ(InitWithPlan("1"), 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(service_.current_packet()));
  EXPECT_FALSE(Exists("guide.dat"));
  EXPECT_EQ(g_events, (std::vector<std::string>{"close", "delete"}));
  EXPECT_EQ(g_callbacks, 0);

  // Nothing left to load: the packet of the first load stays.
  g_events.clear();
  EXPECT_EQ(InitWithPlan("1"), 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(service_.current_packet()));
  EXPECT_TRUE(g_events.empty());
}

TEST_F(DestinationServiceTest, FileThatFailsIsKeptAndPacketUnchanged) {
  Write("dest.cld", kListFile);
  ASSERT_EQ(InitWithPlan("2"), 0);
  ASSERT_FALSE(Exists("dest.cld"));
  const auto loaded = test::Bytes(service_.current_packet());

  for (const std::string& bad : {std::string("    (TNC,1,1,Home,fast"),
                                 std::string(600, ' '), std::string("  ")}) {
    Write("dest.cld", bad);
    g_events.clear();
    EXPECT_EQ(InitWithPlan("2"), 0);
    EXPECT_TRUE(Exists("dest.cld"));
    EXPECT_EQ(g_events, std::vector<std::string>{"close"});
    EXPECT_EQ(test::Bytes(service_.current_packet()), loaded);
  }
}

TEST_F(DestinationServiceTest, UnknownPlanKeepsPreviousPlanAndFile) {
  ASSERT_EQ(InitWithPlan("1"), 0);  // no file yet: nothing loaded
  EXPECT_TRUE(test::AllZero(&service_.current_packet(), sizeof(DestinationPacket)));
  EXPECT_TRUE(g_events.empty());
  GuidePlan* plan = service_.plan();
  Write("guide.dat", kGuideFile);
  for (const char* number : {"3", "0", "-1"}) {
    EXPECT_EQ(InitWithPlan(number), VEXA_E_BAD_PLAN);
    EXPECT_EQ(service_.plan(), plan);
  }
  EXPECT_TRUE(Exists("guide.dat"));
  EXPECT_EQ(ParseRaw(Wide(test::kGuideMessage)), 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(service_.current_packet()));

  EXPECT_EQ(InitWithPlan("2"), 0);
  EXPECT_NE(dynamic_cast<DestinationListPlan*>(service_.plan()), nullptr);
}

TEST_F(DestinationServiceTest, FailedAllocationsLeaveFilesAlone) {
  Write("guide.dat", kGuideFile);
  {
    // The plan itself: the service is left without one.
    test::ScopedAllocationFailure fail_plan(0);
    EXPECT_EQ(InitWithPlan("1"), 0);
  }
  EXPECT_EQ(service_.plan(), nullptr);
  EXPECT_EQ(ParseRaw(Wide(test::kGuideMessage)), VEXA_E_NO_PLAN);
  {
    // The path string, after the plan: no path, no load.
    test::ScopedAllocationFailure fail_path(1);
    EXPECT_EQ(InitWithPlan("1"), 0);
  }
  EXPECT_NE(service_.plan(), nullptr);
  EXPECT_TRUE(Exists("guide.dat"));
  EXPECT_TRUE(test::AllZero(&service_.current_packet(), sizeof(DestinationPacket)));
}

TEST_F(DestinationServiceTest, LongPathIsDeletedByItsWholeName) {
  // Over 200 bytes: more than the usual deletion buffer holds.
  std::string long_dir = dir_;
  for (int i = 0; i < 4; ++i) long_dir += "/" + std::string(60, 'd');
  fs::create_directories(long_dir);
  const std::string path = long_dir + "/guide.dat";
  ASSERT_GT(path.size(), 200u);
  ::setenv("VEXA_GUIDE_FILE", path.c_str(), 1);
  std::ofstream(path, std::ios::binary) << kGuideFile;

  EXPECT_EQ(InitWithPlan("1"), 0);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(g_deleted_path, Wide(path));
}

TEST_F(DestinationServiceTest, PathThatDoesNotConvertIsNotDeleted) {
  services_.table().code_page_to_wide = [](unsigned, const char*, char16_t*, int) {
    return 0;
  };
  Write("guide.dat", kGuideFile);
  EXPECT_EQ(InitWithPlan("1"), 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(service_.current_packet()));
  EXPECT_TRUE(Exists("guide.dat"));
  EXPECT_EQ(g_events, std::vector<std::string>{"close"});
}

TEST_F(DestinationServiceTest, ConvertedTextMayTakeUpTo511Bytes) {
  ASSERT_EQ(InitWithPlan("2"), 0);
  const std::u16string units = u"(TNC";
  EXPECT_EQ(service_.ParseRawProtocol(
                reinterpret_cast<const std::uint16_t*>(units.data()), 1),
            VEXA_E_NO_TEXT);
  EXPECT_EQ(ParseRaw(Wide("(TNC," + std::string(506, 'x'))), 0);
  EXPECT_EQ(g_callbacks, 1);
  EXPECT_EQ(ParseRaw(Wide("(TNC," + std::string(507, 'x'))), VEXA_E_NO_TEXT);
  // Two bytes per Chinese character. All or nothing: the 510 bytes that
  // would fit are not parsed when 512 are needed.
  const std::u16string chinese(253, u'\u5317');
  EXPECT_EQ(ParseRaw(u"(TNC,x" + chinese), VEXA_E_NO_TEXT);
  EXPECT_EQ(ParseRaw(u"(TNC," + chinese), 0);
  EXPECT_EQ(g_callbacks, 2);
}

TEST_F(DestinationServiceTest, ChineseTextArrivesAsGbk) {
  ASSERT_EQ(InitWithPlan("2"), 0);
  // Route words "经济" and "最短", a name "北京" and one character that GBK
  // lacks (Thai ko kai).
  EXPECT_EQ(ParseRaw(u"(TNC,116.4,39.9,\u5317\u4eac,\u7ecf\u6d4e,"
                     u"121.5,31.2,x\u0e01y,\u6700\u77ed"),
            0);
  const DestinationPacket& p = service_.current_packet();
  EXPECT_EQ(p.pointCount, 2u);
  EXPECT_STREQ(p.entries[0].name, "\xB1\xB1\xBE\xA9");
  EXPECT_EQ(p.entries[0].routeMode, Economical);
  EXPECT_STREQ(p.entries[1].name, "x?y");
  EXPECT_EQ(p.entries[1].routeMode, Shortest);
  EXPECT_EQ(g_callbacks, 1);
}

}  // namespace
}  // namespace vexa::destination
