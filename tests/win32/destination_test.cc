// The destination hand-over through Vexa.dll under Wine with code page 936:
// both plans' files read from a folder whose name needs GBK, closed and
// deleted through the UTF-16 path; raw UTF-16 text converted to GBK with
// the 511-byte limit; the callback on the library's own packet.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "support/scratch_folder.h"
#include "support/vexa_library.h"

namespace vexa::test {
namespace {

// A folder name with Chinese characters: the configuration hands out its
// GBK bytes, and the library must turn them back into UTF-16 to delete.
const wchar_t kFolderSuffix[] = L"-\u76EE\u7684\u5730";  // 目的地

const char kGuideBody[] = "(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000";

std::string GuideFile(const std::string& body) {
  const std::uint32_t n = static_cast<std::uint32_t>(body.size());
  std::string file(4, '\0');
  std::memcpy(&file[0], &n, 4);
  return file + body;
}

DestinationPacket* g_callback_packet = nullptr;
int g_callback_calls = 0;

int RecordCallback(DestinationPacket* packet) {
  g_callback_packet = packet;
  ++g_callback_calls;
  return 0;
}

class DestinationTest : public ::testing::Test {
 protected:
  DestinationTest() : folder_(kFolderSuffix) {}

  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "the suite runs with LC_ALL=zh_CN.UTF-8";
    g_callback_packet = nullptr;
    g_callback_calls = 0;
    SetEnv("VEXA_DATA_DIR", folder_.ansi());
    SetEnv("VEXA_GUIDE_FILE", folder_.AnsiPath(L"\u5F15\u5BFC.dat"));  // 引导.dat
  }

  void Load(int plan) {
    SetEnv("VEXA_GUIDE_PLAN", std::to_string(plan));
    vexa_ = std::make_unique<VexaLibrary>();
    ASSERT_TRUE(vexa_->loaded());
    ASSERT_EQ(vexa_->PTT_Set_Callback(&RecordCallback), VEXA_OK);
  }

  DestinationPacket Packet() {
    DestinationPacket packet;
    std::memset(&packet, 0xCC, sizeof packet);
    EXPECT_EQ(vexa_->PTT_Get_DataPacket(&packet), VEXA_OK);
    return packet;
  }

  int Parse(const std::wstring& text) {
    return vexa_->PTT_Parse_Raw_Protocol(
        reinterpret_cast<const std::uint16_t*>(text.c_str()),
        static_cast<int>(text.size() * 2));
  }

  ScratchFolder folder_;
  std::unique_ptr<VexaLibrary> vexa_;
};

TEST_F(DestinationTest, GuideFileIsTakenOverAndDeleted) {
  folder_.Write(L"\u5F15\u5BFC.dat", GuideFile(kGuideBody));
  Load(1);
  EXPECT_EQ(vexa_->PTT_Init(), VEXA_OK);
  EXPECT_FALSE(folder_.Exists(L"\u5F15\u5BFC.dat"));

  DestinationPacket packet = Packet();
  const unsigned char head[20] = {0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00,
                                  0x00, 0x00, 0x9C, 0xE7, 0x3F, 0x00, 0x26,
                                  0xE2, 0x15, 0x01, 0x00, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(&packet, head, sizeof head), 0);
  EXPECT_EQ(packet.entries[1].longitude, 1072619520);
  EXPECT_EQ(packet.entries[1].latitude, 367795200);
  EXPECT_EQ(g_callback_calls, 0);

  // Nothing left to read: the packet stays.
  EXPECT_EQ(vexa_->PTT_Init(), VEXA_OK);
  DestinationPacket again = Packet();
  EXPECT_EQ(std::memcmp(&packet, &again, sizeof packet), 0);
}

TEST_F(DestinationTest, GuideFileThatDoesNotParseStays) {
  folder_.Write(L"\u5F15\u5BFC.dat", GuideFile("(TNC,003,1,3954.5000,11623.2000"));
  Load(1);
  EXPECT_EQ(vexa_->PTT_Init(), VEXA_OK);
  EXPECT_TRUE(folder_.Exists(L"\u5F15\u5BFC.dat"));
  DestinationPacket packet = Packet();
  const DestinationPacket zero = {};
  EXPECT_EQ(std::memcmp(&packet, &zero, sizeof packet), 0);
}

TEST_F(DestinationTest, DestinationListWithGbkWordsIsTakenOverAndDeleted) {
  // 推荐 and 最快 in GBK.
  folder_.Write(L"dest.cld",
                "    (TNC,116.397128,39.916527,Home,\xCD\xC6\xBC\xF6,"
                "121.473701,31.230416,Office,\xD7\xEE\xBF\xEC");
  Load(2);
  EXPECT_EQ(vexa_->PTT_Init(), VEXA_OK);
  EXPECT_FALSE(folder_.Exists(L"dest.cld"));

  DestinationPacket packet = Packet();
  EXPECT_EQ(packet.kind, 1u);
  ASSERT_EQ(packet.pointCount, 2u);
  EXPECT_EQ(packet.entries[0].longitude, 1072715932);
  EXPECT_EQ(packet.entries[0].latitude, 367870713);
  EXPECT_EQ(packet.entries[0].routeMode, Recommended);
  EXPECT_STREQ(packet.entries[0].name, "Home");
  EXPECT_EQ(packet.entries[1].longitude, 1119501628);
  EXPECT_EQ(packet.entries[1].latitude, 287819514);
  EXPECT_EQ(packet.entries[1].routeMode, Fastest);
  EXPECT_STREQ(packet.entries[1].name, "Office");
}

// UTF-16 text with Chinese words and a Chinese name, converted to GBK under
// code page 936; the callback gets the library's own packet.
TEST_F(DestinationTest, RawUtf16TextBecomesGbkAndReachesTheCallback) {
  Load(2);
  ASSERT_EQ(vexa_->PTT_Init(), VEXA_OK);
  // 天安门, 最短
  EXPECT_EQ(Parse(L"(TNC,116.397128,39.916527,\u5929\u5B89\u95E8,\u6700\u77ED"), VEXA_OK);

  ASSERT_EQ(g_callback_calls, 1);
  ASSERT_NE(g_callback_packet, nullptr);
  EXPECT_EQ(g_callback_packet->pointCount, 1u);
  EXPECT_EQ(g_callback_packet->entries[0].routeMode, Shortest);
  EXPECT_STREQ(g_callback_packet->entries[0].name, "\xCC\xEC\xB0\xB2\xC3\xC5");
  DestinationPacket copy = Packet();
  EXPECT_EQ(std::memcmp(&copy, g_callback_packet, sizeof copy), 0);

  EXPECT_EQ(Parse(L"(TNC,121.473701,31.230416,x,\u7ECF\u6D4E"), VEXA_OK);  // 经济
  EXPECT_EQ(g_callback_calls, 2);
  EXPECT_EQ(g_callback_packet->entries[0].routeMode, Economical);
}

// 511 bytes of GBK text are parsed; one byte more converts to nothing.
// The Chinese padding takes two bytes per character, so the limit is on
// bytes of the code page, not on UTF-16 units.
TEST_F(DestinationTest, ConvertedTextOf511BytesParsesAnd512DoNot) {
  Load(2);
  ASSERT_EQ(vexa_->PTT_Init(), VEXA_OK);
  const std::wstring group = L"(TNC,116.397128,39.916527,Home,\u63A8\u8350,";
  // Trailing fields behind the last whole group are ignored.
  std::wstring text = group;
  while (ToAnsi(text).size() + 2 <= 511) text += L'\u7ECF';
  while (ToAnsi(text).size() < 511) text += L'x';
  ASSERT_EQ(ToAnsi(text).size(), 511u);
  ASSERT_LT(text.size(), 400u);  // far fewer units than bytes
  EXPECT_EQ(Parse(text), VEXA_OK);
  EXPECT_EQ(g_callback_calls, 1);

  EXPECT_EQ(Parse(text + L"x"), VEXA_E_NO_TEXT);
  EXPECT_EQ(g_callback_calls, 1);
}

}  // namespace
}  // namespace vexa::test
