// Files on the host: 8-bit paths in the system code page mapped to UTF-8
// with '\' made '/', runtime modes with the commit flag, committed flushes
// and deletion by UTF-16 path.

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/host/host_internal.h"
#include "platform/platform.h"

namespace vexa::platform {
namespace {

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  static std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
  }

  bool Exists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
  }

  std::string dir_;
};

std::string HostPath(const char* path) {
  char out[256];
  if (!host::HostPathFromCodePage(path, out, sizeof out)) return "<failed>";
  return out;
}

TEST(HostPath, BackslashesBecomeSlashes) {
  EXPECT_EQ(HostPath("/tmp/nav\\dest.cld"), "/tmp/nav/dest.cld");
  EXPECT_EQ(HostPath("\\dest.cld"), "/dest.cld");
  EXPECT_EQ(HostPath("\\\\a\\b\\"), "//a/b/");
  EXPECT_EQ(HostPath(""), "");
}

TEST(HostPath, CodePageTextBecomesUtf8) {
  // "推荐" in GBK, the default system code page.
  EXPECT_EQ(HostPath("/data\\\xCD\xC6\xBC\xF6.txt"), "/data/\xE6\x8E\xA8\xE8\x8D\x90.txt");
  // A GBK trail byte may be 0x5C, the code of '\'; it is part of the
  // character and no separator (81 5C is U+4E57).
  EXPECT_EQ(HostPath("\x81\x5C"), "\xE4\xB9\x97");
}

TEST(HostPath, PathThatDoesNotFitIsRefused) {
  char out[8];
  EXPECT_TRUE(host::HostPathFromCodePage("1234567", out, sizeof out));
  EXPECT_FALSE(host::HostPathFromCodePage("12345678", out, sizeof out));
  // Three UTF-8 bytes for one GBK character.
  EXPECT_FALSE(host::HostPathFromCodePage("12345\xCD\xC6", out, sizeof out));
  EXPECT_FALSE(host::HostPathFromCodePage(nullptr, out, sizeof out));
}

TEST_F(Files, WriteReadAndDeleteThroughCodePagePaths) {
  // The library builds paths as directory + "\name"; the name is GBK.
  std::string path = dir_ + "\\\xCD\xC6\xBC\xF6.cld";
  std::FILE* file = OpenFile(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_GE(std::fputs("    (TNC", file), 0);
  ASSERT_EQ(CloseFile(file), 0);
  EXPECT_TRUE(Exists(dir_ + "/\xE6\x8E\xA8\xE8\x8D\x90.cld"));

  file = OpenFile(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  char buffer[16] = {};
  EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, file), 8u);
  EXPECT_STREQ(buffer, "    (TNC");
  EXPECT_EQ(CloseFile(file), 0);

  std::u16string wide = Wide(dir_) + u"\\推荐.cld";
  EXPECT_TRUE(DeleteFileWide(wide.c_str()));
  EXPECT_FALSE(Exists(dir_ + "/\xE6\x8E\xA8\xE8\x8D\x90.cld"));
  EXPECT_FALSE(DeleteFileWide(wide.c_str()));
}

TEST_F(Files, CommitModeTruncatesAndFlushesThrough) {
  std::string path = dir_ + "\\VexaDbgLog.txt";
  std::FILE* old = std::fopen((dir_ + "/VexaDbgLog.txt").c_str(), "w");
  ASSERT_NE(old, nullptr);
  std::fputs("left by an earlier load", old);
  std::fclose(old);

  std::FILE* log = OpenFile(path.c_str(), "w+c");
  ASSERT_NE(log, nullptr);
  std::fputs("first", log);
  FlushFileCommitted(log);
  // Another reader sees the flushed text, and nothing of the old content.
  std::FILE* reader = std::fopen((dir_ + "/VexaDbgLog.txt").c_str(), "r");
  ASSERT_NE(reader, nullptr);
  char buffer[64] = {};
  std::fread(buffer, 1, sizeof buffer - 1, reader);
  std::fclose(reader);
  EXPECT_STREQ(buffer, "first");
  // Opened for reading too ("+").
  std::rewind(log);
  char back[8] = {};
  EXPECT_EQ(std::fread(back, 1, 5, log), 5u);
  EXPECT_STREQ(back, "first");
  EXPECT_EQ(CloseFile(log), 0);
}

TEST_F(Files, OpenFailuresGiveNull) {
  EXPECT_EQ(OpenFile((dir_ + "\\missing.cld").c_str(), "rb"), nullptr);
  EXPECT_EQ(OpenFile((dir_ + "\\no\\such\\dir.txt").c_str(), "w+c"), nullptr);
  EXPECT_EQ(OpenFile("", "rb"), nullptr);
  EXPECT_EQ(OpenFile(nullptr, "rb"), nullptr);
  EXPECT_EQ(OpenFile((dir_ + "\\x").c_str(), nullptr), nullptr);
  // A mode of nothing but the commit flag is no mode.
  EXPECT_EQ(OpenFile((dir_ + "\\x").c_str(), "c"), nullptr);
  std::string long_path = dir_ + "\\" + std::string(5000, 'a');
  EXPECT_EQ(OpenFile(long_path.c_str(), "wb"), nullptr);
}

}  // namespace
}  // namespace vexa::platform
