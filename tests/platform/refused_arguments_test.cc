// The host platform layer with arguments it must refuse: missing, empty or
// overlong names, handles of the wrong kind, null streams and libraries.
// Each call fails cleanly and leaves nothing behind. Also the UTF-16 to
// UTF-8 conversion of names and paths at every output size, and bytes that
// are no character of their code page.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/host/host_internal.h"
#include "platform/host/named_event.h"
#include "platform/platform.h"
#include "support/alloc_hooks.h"

namespace vexa::platform {
namespace {

const std::u16string kOverlong(5000, u'x');

class RefusedArguments : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = "vexa-test-refused-" + std::to_string(getpid()) + "-";
    setenv("VEXA_IPC_PREFIX", prefix_.c_str(), 1);
    host::UnlinkNamedObjects(prefix_.c_str());
  }
  void TearDown() override {
    EXPECT_EQ(host::UnlinkNamedObjects(prefix_.c_str()), 0);
    unsetenv("VEXA_IPC_PREFIX");
  }
  std::string prefix_;
};

TEST_F(RefusedArguments, KernelObjectsWithoutAUsableNameOrOfTheWrongKind) {
  for (const char16_t* name : {static_cast<const char16_t*>(nullptr), u"", kOverlong.c_str()}) {
    EXPECT_EQ(CreateNamedEvent(name, false, false), nullptr);
    EXPECT_EQ(CreateNamedMapping(name, 4), nullptr);
  }
  EXPECT_FALSE(host::RemoveNamedEvent(u"vexa never created"));
  EXPECT_FALSE(host::RemoveNamedMapping(u"vexa never created"));
  EXPECT_EQ(host::UnlinkNamedObjects(nullptr), 0);
  EXPECT_EQ(host::UnlinkNamedObjects(""), 0);

  KernelObject event = CreateNamedEvent(u"event", false, false);
  KernelObject mapping = CreateNamedMapping(u"mapping", 4);
  ASSERT_TRUE(event && mapping);
  EXPECT_FALSE(SignalEvent(mapping));
  EXPECT_FALSE(SignalEvent(nullptr));
  EXPECT_EQ(host::SignalCount(mapping), 0u);
  EXPECT_FALSE(host::WaitNamedEvent(mapping, 0));
  EXPECT_EQ(MapWholeView(event), nullptr);
  EXPECT_EQ(MapWholeView(nullptr), nullptr);
  CloseKernelObject(nullptr);
  CloseKernelObject(event);
  CloseKernelObject(mapping);
  EXPECT_TRUE(host::RemoveNamedEvent(u"event"));
  EXPECT_TRUE(host::RemoveNamedMapping(u"mapping"));
}

TEST_F(RefusedArguments, KernelObjectsWithoutMemory) {
  test::ScopedAllocationFailure fail(0, true);
  EXPECT_EQ(CreateNamedEvent(u"event", false, false), nullptr);
  EXPECT_EQ(CreateNamedMapping(u"mapping", 4), nullptr);
  EXPECT_EQ(fail.failures(), 2u);
}

TEST(RefusedArgumentsCodePages, NothingToConvertOrNowhereToPutIt) {
  const char16_t wide[] = u"abc";
  char narrow[8];
  char16_t back[8];
  struct Case {
    unsigned code_page;
    const char16_t* text;
    int units;
    char* out;
    int capacity;
  };
  const Case to_code_page[] = {
      {936, nullptr, 3, narrow, 8}, {936, wide, 0, narrow, 8},
      {936, wide, -1, narrow, 8},   {936, wide, 3, nullptr, 8},
      {936, wide, 3, narrow, 0},    {1200, wide, 3, narrow, 8},  // UTF-16 itself
      {1201, wide, 3, narrow, 8},
  };
  for (const Case& c : to_code_page) {
    EXPECT_EQ(WideToCodePage(c.code_page, c.text, c.units, c.out, c.capacity), 0);
  }
  EXPECT_EQ(CodePageToWide(936, nullptr, back, 8), 0);
  EXPECT_EQ(CodePageToWide(936, "abc", nullptr, 8), 0);
  EXPECT_EQ(CodePageToWide(936, "abc", back, 0), 0);
  EXPECT_EQ(CodePageToWide(1200, "abc", back, 8), 0);
}

// An invalid sequence becomes one U+FFFD: in a double-byte code page a
// well-formed lead and trail byte pair counts as one (unknown) character,
// otherwise the single byte is dropped.
TEST(CodePageBytes, InvalidSequencesBecomeOneReplacementEach) {
  struct Case {
    unsigned code_page;
    const char* bytes;
    std::u16string wide;
  };
  const Case cases[] = {
      {932, "\x85\x40z", u"\uFFFDz"},  // a pair CP932 leaves undefined
      {932, "\x85\x20z", u"\uFFFD z"},  // a lead byte without its trail
      {20127, "A\x80" "B", u"A\uFFFDB"},
      {2, "A", u"A"},  // CP_MACCP, the Macintosh code page
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code_page);
    char16_t out[8];
    const int units = static_cast<int>(c.wide.size()) + 1;
    ASSERT_EQ(CodePageToWide(c.code_page, c.bytes, out, 8), units);
    EXPECT_EQ(std::u16string(out, units - 1), c.wide);
    // No room for the replacement: nothing.
    EXPECT_EQ(CodePageToWide(c.code_page, c.bytes, out, units - 1), 0);
  }
}

TEST_F(RefusedArguments, ObjectNamesWithoutAPrefix) {
  unsetenv("VEXA_IPC_PREFIX");
  char out[64];
  ASSERT_TRUE(host::HostObjectName(u"a/b\\c", true, out, sizeof out));
  EXPECT_STREQ(out, "/a_b_c.event");
  EXPECT_FALSE(host::HostObjectName(u"a/b\\c", true, out, 12));
  EXPECT_FALSE(host::HostObjectName(u"a", false, nullptr, 0));
}

TEST_F(RefusedArguments, LibrariesAndFiles) {
  EXPECT_EQ(LoadLibraryByName(u""), nullptr);
  EXPECT_EQ(LoadLibraryByName(kOverlong.c_str()), nullptr);
  EXPECT_EQ(FindExport(nullptr, "StartPlaySound"), nullptr);
  UnloadLibrary(nullptr);
  Library self = LoadLibraryByName(u"libc.so.6");
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(FindExport(self, nullptr), nullptr);
  UnloadLibrary(self);

  EXPECT_EQ(CloseFile(nullptr), EOF);
  FlushFileCommitted(nullptr);
  EXPECT_FALSE(DeleteFileWide(kOverlong.c_str()));
  // Only the flags glibc does not know are dropped from a mode; one that is
  // nothing but those, or too long, opens nothing.
  EXPECT_EQ(OpenFile("/dev/null", "cn"), nullptr);
  EXPECT_EQ(OpenFile("/dev/null", "rbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"), nullptr);
  std::FILE* file = OpenFile("/dev/null", "rbn");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(CloseFile(file), 0);
}

// Names and paths reach the system as UTF-8: each UTF-16 form, at every
// output size, converts exactly when the result and its terminator fit.
TEST(Utf16ToUtf8, EveryFormAtEveryOutputSize) {
  struct Case {
    std::u16string text;
    std::string utf8;
  };
  const Case cases[] = {
      {u"A", "A"},
      {u"\u00e9", "\xC3\xA9"},
      {u"\u20ac", "\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {std::u16string(1, char16_t(0xD800)), "\xEF\xBF\xBD"},  // lone high surrogate
      {std::u16string(1, char16_t(0xDC00)), "\xEF\xBF\xBD"},  // lone low surrogate
      {std::u16string{char16_t(0xD800), u'A'}, "\xEF\xBF\xBD" "A"},
      {u"a\\b", "a\\b"},
  };
  for (const Case& c : cases) {
    for (std::size_t capacity = 0; capacity <= c.utf8.size() + 1; ++capacity) {
      SCOPED_TRACE(c.utf8 + " in " + std::to_string(capacity));
      char out[16];
      const bool fits = capacity > c.utf8.size();
      ASSERT_EQ(host::Utf16ToUtf8(c.text.c_str(), out, capacity, false), fits);
      if (fits) {
        EXPECT_EQ(out, c.utf8);
      }
    }
  }
  char out[8];
  ASSERT_TRUE(host::Utf16ToUtf8(u"a\\b", out, sizeof out, true));
  EXPECT_STREQ(out, "a/b");
  EXPECT_FALSE(host::Utf16ToUtf8(nullptr, out, sizeof out, false));
}

}  // namespace
}  // namespace vexa::platform
