// The registry through the platform seam, over the simulated registry:
// what the add-on sound variant needs (open, query into a fixed buffer,
// close) and the failures it must survive.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "winsim.h"

namespace vexa::platform {
namespace {

constexpr long kNotFound = 2;
constexpr long kMoreData = 234;

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { winsim::Reset(); }
  void TearDown() override { winsim::Reset(); }
};

TEST_F(Registry, ReadsAStringValueWithItsTerminator) {
  winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                            u"AddonDll", u"AddonNotify.dll");
  RegistryKey key = 0;
  ASSERT_EQ(OpenRegistryKey(kCurrentUser, u"Software\\Shell\\Config", 0, 0, &key), 0);
  EXPECT_NE(key, 0u);
  char16_t buffer[260] = {};
  std::uint32_t size = sizeof buffer;
  ASSERT_EQ(QueryRegistryValue(key, u"AddonDll", buffer, &size), 0);
  EXPECT_EQ(size, 32u);  // 15 units and the terminator
  EXPECT_EQ(std::u16string(buffer), u"AddonNotify.dll");
  CloseRegistryKey(key);
  EXPECT_EQ(winsim::OpenKeyCount(), 0);
  EXPECT_EQ(winsim::Journal(),
            (std::vector<std::string>{"reg-open Software\\Shell\\Config",
                                      "reg-query AddonDll", "reg-close"}));
}

TEST_F(Registry, KeysAndValueNamesIgnoreCase) {
  winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                            u"AddonDll", u"a.dll");
  RegistryKey key = 0;
  ASSERT_EQ(OpenRegistryKey(kCurrentUser, u"SOFTWARE\\shell\\CONFIG", 0, 0, &key), 0);
  char16_t buffer[16];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(QueryRegistryValue(key, u"addondll", buffer, &size), 0);
  CloseRegistryKey(key);
  // A key above a stored one exists too, and so does a key opened below an
  // open one.
  RegistryKey shell = 0;
  ASSERT_EQ(OpenRegistryKey(kCurrentUser, u"software\\Shell", 0, 0, &shell), 0);
  RegistryKey config = 0;
  ASSERT_EQ(OpenRegistryKey(shell, u"Config", 0, 0, &config), 0);
  size = sizeof buffer;
  EXPECT_EQ(QueryRegistryValue(config, u"AddonDll", buffer, &size), 0);
  EXPECT_EQ(winsim::OpenKeyCount(), 2);
  CloseRegistryKey(config);
  CloseRegistryKey(shell);
  EXPECT_EQ(winsim::OpenKeyCount(), 0);
}

TEST_F(Registry, MissingKeyOrValueFailsAndLeavesTheKeyAlone) {
  RegistryKey key = 12345;
  EXPECT_EQ(OpenRegistryKey(kCurrentUser, u"Software\\Shell\\Config", 0, 0, &key), kNotFound);
  EXPECT_EQ(key, 12345u);
  // A key whose name merely starts like a stored one does not exist.
  winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\ShellX", u"v", u"x");
  EXPECT_NE(OpenRegistryKey(kCurrentUser, u"Software\\Shell", 0, 0, &key), 0);
  EXPECT_EQ(key, 12345u);

  winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                            u"Other", u"x");
  ASSERT_EQ(OpenRegistryKey(kCurrentUser, u"Software\\Shell\\Config", 0, 0, &key), 0);
  char16_t buffer[8] = {u'k'};
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(QueryRegistryValue(key, u"AddonDll", buffer, &size), kNotFound);
  EXPECT_EQ(buffer[0], u'k');
  CloseRegistryKey(key);
  // A closed or never opened key.
  EXPECT_NE(QueryRegistryValue(key, u"Other", buffer, &size), 0);
  EXPECT_NE(QueryRegistryValue(0, u"Other", buffer, &size), 0);
  EXPECT_NE(OpenRegistryKey(0x4242, u"Config", 0, 0, &key), 0);
}

TEST_F(Registry, ValueLargerThanTheBufferIsNotCopied) {
  std::u16string long_name(259, u'x');  // 520 bytes with the terminator
  winsim::SetRegistryString(winsim::kCurrentUser, u"K", u"V", long_name);
  RegistryKey key = 0;
  ASSERT_EQ(OpenRegistryKey(kCurrentUser, u"K", 0, 0, &key), 0);

  std::vector<char16_t> buffer(260, u'#');
  std::uint32_t size = 518;
  EXPECT_EQ(QueryRegistryValue(key, u"V", buffer.data(), &size), kMoreData);
  EXPECT_EQ(size, 520u);  // the size it needs, as Windows reports it
  EXPECT_EQ(buffer[0], u'#');

  size = 520;
  EXPECT_EQ(QueryRegistryValue(key, u"V", buffer.data(), &size), 0);
  EXPECT_EQ(size, 520u);
  EXPECT_EQ(buffer[259], 0);
  CloseRegistryKey(key);
}

TEST_F(Registry, RawBytesAreReturnedAsStored) {
  // 520 bytes of text without a terminator: the query succeeds; spotting
  // the missing terminator is the caller's job.
  std::vector<std::uint8_t> bytes(520, 'a');
  winsim::SetRegistryBytes(winsim::kCurrentUser, u"K", u"", bytes);
  RegistryKey key = 0;
  ASSERT_EQ(OpenRegistryKey(kCurrentUser, u"K", 0, 0, &key), 0);
  std::uint8_t buffer[520] = {};
  std::uint32_t size = sizeof buffer;
  // The unnamed value, by empty or null name.
  EXPECT_EQ(QueryRegistryValue(key, u"", buffer, &size), 0);
  EXPECT_EQ(QueryRegistryValue(key, nullptr, buffer, &size), 0);
  EXPECT_EQ(size, 520u);
  EXPECT_EQ(buffer[519], 'a');
  CloseRegistryKey(key);
}

class RegistryFile : public Registry {
 protected:
  std::string Write(const std::string& text) {
    char path[] = "/tmp/vexa-registry-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    FILE* file = fdopen(fd, "w");
    std::fputs(text.c_str(), file);
    std::fclose(file);
    paths_.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const std::string& path : paths_) std::remove(path.c_str());
    Registry::TearDown();
  }
  std::vector<std::string> paths_;
};

std::vector<std::uint8_t> Query(const char16_t* key_name, const char16_t* name) {
  RegistryKey key = 0;
  if (OpenRegistryKey(kCurrentUser, key_name, 0, 0, &key) != 0) return {};
  std::vector<std::uint8_t> buffer(600);
  std::uint32_t size = 600;
  long result = QueryRegistryValue(key, name, buffer.data(), &size);
  CloseRegistryKey(key);
  if (result != 0) return {};
  buffer.resize(size);
  return buffer;
}

TEST_F(RegistryFile, LoadsTextHexAndWordValues) {
  std::string path = Write(
      "# the add-on library\r\n"
      "HKCU\\Software\\Shell\\Config|AddonDll|\xE6\x8E\xA8.dll\r\n"
      "\n"
      "HKEY_CURRENT_USER\\Raw|Bytes|hex:61 00,62 00\n"
      "HKCU\\Raw|Word|dword:2a\n");
  ASSERT_TRUE(winsim::LoadRegistryFile(path));
  EXPECT_EQ(Query(u"Software\\Shell\\Config", u"AddonDll"),
            (std::vector<std::uint8_t>{0xA8, 0x63, '.', 0, 'd', 0, 'l', 0, 'l', 0, 0, 0}));
  EXPECT_EQ(Query(u"Raw", u"Bytes"), (std::vector<std::uint8_t>{'a', 0, 'b', 0}));
  EXPECT_EQ(Query(u"Raw", u"Word"), (std::vector<std::uint8_t>{0x2a, 0, 0, 0}));
}

TEST_F(RegistryFile, MalformedFileLoadsNothing) {
  std::string path = Write(
      "HKCU\\Good|V|x\n"
      "HKLM\\Other|V|x\n");
  EXPECT_FALSE(winsim::LoadRegistryFile(path));
  EXPECT_TRUE(Query(u"Good", u"V").empty());
  EXPECT_FALSE(winsim::LoadRegistryFile(Write("HKCU\\K|no second bar\n")));
  EXPECT_FALSE(winsim::LoadRegistryFile(Write("HKCU\\K|V|hex:6\n")));
  EXPECT_FALSE(winsim::LoadRegistryFile("/nonexistent/registry.txt"));
}

TEST_F(RegistryFile, EnvironmentFileIsLoadedAtFirstUse) {
  std::string path = Write("HKCU\\Software\\Shell\\Config|AddonDll|x.dll\n");
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("VEXA_REGISTRY", path.c_str(), 1);
        bool loaded = Query(u"Software\\Shell\\Config", u"AddonDll").size() == 12;
        // A reset forgets the values; the next use reads the file again.
        winsim::Reset();
        bool reloaded = Query(u"Software\\Shell\\Config", u"AddonDll").size() == 12;
        // The child made its own file in SetUp and ends before TearDown.
        std::remove(path.c_str());
        std::exit(loaded && reloaded ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vexa::platform
