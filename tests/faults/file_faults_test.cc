// Destination files that fail while they are read: a medium removed or a
// file that vanishes after it was opened (reads stop with an I/O error), a
// file that shrinks between measuring and reading it (short read), seeks and
// position queries that fail, a file that cannot be opened, and a directory
// where the file should be. Each gives its plan's code, PTT_Init still
// succeeds, the current packet stays as it was, and nothing is deleted.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "destination/destination_list_plan.h"
#include "destination/destination_service.h"
#include "destination/message_file_plan.h"
#include "destination/packet_bytes.h"
#include "support/faulty_stream.h"
#include "platform/host/host_services.h"
#include "support/fake_platform.h"

namespace vexa::destination {
namespace {

namespace fs = std::filesystem;

const std::string kGuideFile = std::string("\x37\0\0\0", 4) + test::kGuideMessage;
const std::string kListFile =
    "    (TNC,116.397128,39.916527,Home," + test::kRecommendedGbk;

// The faults the replaced open gives every stream it opens.
test::StreamFaults g_faults;
int g_opens = 0;

// Opens the real file (so a missing file still fails as it would) and
// hands out a faulty stream over its bytes instead.
std::FILE* FaultyOpen(const char* path, const char* mode) {
  std::FILE* real = platform::host::DefaultServices().open_file(path, mode);
  if (real == nullptr) return nullptr;
  ++g_opens;
  std::string bytes;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, real)) > 0) bytes.append(buffer, n);
  std::fclose(real);
  return test::OpenFaultyStream(bytes, g_faults);
}

class FileFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-file-faults-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::setenv("VEXA_DATA_DIR", dir_.c_str(), 1);
    ::setenv("VEXA_GUIDE_FILE", (dir_ + "/guide.dat").c_str(), 1);
    g_faults = {};
    g_opens = 0;
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ::unsetenv("VEXA_DATA_DIR");
    ::unsetenv("VEXA_GUIDE_FILE");
    ::unsetenv("VEXA_GUIDE_PLAN");
  }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }

  // Runs LoadFromFile with faulty streams; the file must survive it.
  int LoadWithFaults(GuidePlan& plan, const std::string& name,
                     const test::StreamFaults& faults) {
    g_faults = faults;
    platform::host::ScopedServices services;
    services.table().open_file = FaultyOpen;
    test::ScopedServiceSpy<&platform::host::Services::delete_file_wide> deletes;
    DestinationPacket packet = test::FilledPacket(0x5A);
    const int result = DestinationService::LoadFromFile(plan, &packet);
    EXPECT_EQ(deletes.calls(), 0) << "a file that failed was deleted";
    EXPECT_TRUE(fs::exists(PathOf(name)));
    return result;
  }

  // PTT_Init on a service that already holds a packet, with faulty streams:
  // it succeeds, keeps the packet and the file.
  void ExpectInitKeepsEverything(const char* plan_number, const std::string& name,
                                 const test::StreamFaults& faults) {
    ::setenv("VEXA_GUIDE_PLAN", plan_number, 1);
    DestinationService service;
    {
      test::ScopedOpenFailure not_yet;  // the file waits for the faulty Init
      ASSERT_EQ(service.Init(), 0);
    }
    // A packet from a raw message, so that any change would show.
    const std::u16string text = plan_number[0] == '1'
                                    ? test::Utf16(test::kGuideMessage)
                                    : u"(TNC,-74.0060,40.7128,NY,\u63a8\u8350";
    ASSERT_EQ(service.ParseRawProtocol(reinterpret_cast<const std::uint16_t*>(text.data()),
                                       static_cast<int>(text.size() * 2)),
              0);
    const auto before = test::Bytes(service.current_packet());

    g_faults = faults;
    platform::host::ScopedServices services;
    services.table().open_file = FaultyOpen;
    test::ScopedServiceSpy<&platform::host::Services::delete_file_wide> deletes;
    g_opens = 0;
    EXPECT_EQ(service.Init(), 0);
    EXPECT_EQ(g_opens, 1);
    EXPECT_EQ(deletes.calls(), 0);
    EXPECT_TRUE(fs::exists(PathOf(name)));
    EXPECT_EQ(test::Bytes(service.current_packet()), before);
  }

  std::string dir_;
};

TEST_F(FileFaultsTest, GuideFileThatStopsBeingReadable) {
  Write("guide.dat", kGuideFile);
  MessageFilePlan plan;
  test::StreamFaults faults;
  faults.readable = 0;  // gone right after the open
  EXPECT_EQ(LoadWithFaults(plan, "guide.dat", faults), VEXA_E_MSG_NO_LENGTH);
  faults.readable = 2;  // gone inside the length
  EXPECT_EQ(LoadWithFaults(plan, "guide.dat", faults), VEXA_E_MSG_NO_LENGTH);
  faults.readable = 4;  // gone after the length
  EXPECT_EQ(LoadWithFaults(plan, "guide.dat", faults), VEXA_E_MSG_SHORT_BODY);
  faults.readable = kGuideFile.size() - 1;  // the last body byte is lost
  EXPECT_EQ(LoadWithFaults(plan, "guide.dat", faults), VEXA_E_MSG_SHORT_BODY);
  ExpectInitKeepsEverything("1", "guide.dat", faults);

  // The same file read whole is taken over and deleted.
  g_faults = {};
  platform::host::ScopedServices services;
  services.table().open_file = FaultyOpen;
  DestinationPacket packet;
  EXPECT_EQ(DestinationService::LoadFromFile(plan, &packet), 0);
  EXPECT_TRUE(test::IsWorkedGuidePacket(packet));
  EXPECT_FALSE(fs::exists(PathOf("guide.dat")));
}

TEST_F(FileFaultsTest, ListFileThatStopsBeingReadable) {
  Write("dest.cld", kListFile);
  DestinationListPlan plan;
  test::StreamFaults faults;
  faults.readable = 0;
  EXPECT_EQ(LoadWithFaults(plan, "dest.cld", faults), VEXA_E_LIST_SHORT_READ);
  faults.readable = kListFile.size() - 1;
  EXPECT_EQ(LoadWithFaults(plan, "dest.cld", faults), VEXA_E_LIST_SHORT_READ);
  ExpectInitKeepsEverything("2", "dest.cld", faults);
}

TEST_F(FileFaultsTest, ListFileShorterThanItsMeasuredSize) {
  // The file shrank between seeking to its end and reading it.
  Write("dest.cld", kListFile);
  DestinationListPlan plan;
  test::StreamFaults faults;
  faults.reported_size = kListFile.size() + 10;
  EXPECT_EQ(LoadWithFaults(plan, "dest.cld", faults), VEXA_E_LIST_SHORT_READ);
  ExpectInitKeepsEverything("2", "dest.cld", faults);
}

TEST_F(FileFaultsTest, ListFileThatCannotBeMeasured) {
  Write("dest.cld", kListFile);
  DestinationListPlan plan;
  test::StreamFaults seek;
  seek.seek_fails = true;
  EXPECT_EQ(LoadWithFaults(plan, "dest.cld", seek), VEXA_E_LIST_SEEK);
  ExpectInitKeepsEverything("2", "dest.cld", seek);
  test::StreamFaults tell;
  tell.tell_fails = true;
  EXPECT_EQ(LoadWithFaults(plan, "dest.cld", tell), VEXA_E_LIST_TELL);
  ExpectInitKeepsEverything("2", "dest.cld", tell);
}

TEST_F(FileFaultsTest, UnreadableFileIsNoFileAndStays) {
  Write("guide.dat", kGuideFile);
  Write("dest.cld", kListFile);
  // Permission bits do not stop root, so the refusal comes from the open.
  test::ScopedOpenFailure refuse;
  MessageFilePlan guide;
  DestinationListPlan list;
  DestinationPacket packet;
  EXPECT_EQ(DestinationService::LoadFromFile(guide, &packet), VEXA_E_NO_FILE);
  EXPECT_EQ(DestinationService::LoadFromFile(list, &packet), VEXA_E_NO_FILE);
  ::setenv("VEXA_GUIDE_PLAN", "2", 1);
  DestinationService service;
  EXPECT_EQ(service.Init(), 0);
  EXPECT_TRUE(test::AllZero(&service.current_packet(), sizeof(DestinationPacket)));
  EXPECT_TRUE(fs::exists(PathOf("guide.dat")));
  EXPECT_TRUE(fs::exists(PathOf("dest.cld")));
}

TEST_F(FileFaultsTest, DirectoryInPlaceOfTheFileIsKept) {
  // Real file system, no fakes: a directory opens for reading on Linux but
  // cannot be read.
  fs::create_directory(PathOf("guide.dat"));
  fs::create_directory(PathOf("dest.cld"));
  Write("dest.cld/inside", "kept");
  MessageFilePlan guide;
  DestinationListPlan list;
  DestinationPacket packet;
  const int guide_result = DestinationService::LoadFromFile(guide, &packet);
  EXPECT_TRUE(guide_result == VEXA_E_NO_FILE || guide_result == VEXA_E_MSG_NO_LENGTH)
      << guide_result;
  const int list_result = DestinationService::LoadFromFile(list, &packet);
  EXPECT_TRUE(list_result == VEXA_E_NO_FILE ||
              (list_result <= VEXA_E_LIST_SEEK && list_result >= VEXA_E_LIST_SHORT_READ))
      << list_result;
  EXPECT_TRUE(fs::is_directory(PathOf("guide.dat")));
  EXPECT_TRUE(fs::exists(PathOf("dest.cld/inside")));
}

}  // namespace
}  // namespace vexa::destination
