// Code-page conversions on the host: the Win32 semantics the destination
// service relies on (all or nothing, the default character, the terminator)
// and that a conversion makes no heap allocation once warmed up.

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/alloc_hooks.h"

namespace vexa::platform {
namespace {

constexpr unsigned kGbk = 936;

std::string ToCodePage(unsigned code_page, const std::u16string& text,
                       int capacity = 511) {
  std::string out(static_cast<std::size_t>(capacity), '\0');
  int n = WideToCodePage(code_page, text.data(), static_cast<int>(text.size()),
                         out.data(), capacity);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

TEST(CodePages, RouteWordsBecomeGbkBytes) {
  EXPECT_EQ(ToCodePage(kGbk, u"推荐"), "\xCD\xC6\xBC\xF6");
  EXPECT_EQ(ToCodePage(kGbk, u"最快"), "\xD7\xEE\xBF\xEC");
  EXPECT_EQ(ToCodePage(kGbk, u"最短"), "\xD7\xEE\xB6\xCC");
  EXPECT_EQ(ToCodePage(kGbk, u"经济"), "\xBE\xAD\xBC\xC3");
  EXPECT_EQ(ToCodePage(kGbk, u"(TNC,002,1,推荐"), "(TNC,002,1,\xCD\xC6\xBC\xF6");
  // The code page identifier 0 means the system code page, 936 by default.
  EXPECT_EQ(ToCodePage(0, u"经济"), "\xBE\xAD\xBC\xC3");
}

TEST(CodePages, ResultThatDoesNotFitGivesNothing) {
  EXPECT_EQ(ToCodePage(kGbk, std::u16string(511, u'A')).size(), 511u);
  EXPECT_EQ(ToCodePage(kGbk, std::u16string(512, u'A')).size(), 0u);
  EXPECT_EQ(ToCodePage(1252, std::u16string(512, u'A')).size(), 0u);
  // Double-byte characters count two bytes each: 255 of them and one more
  // byte fill 511 exactly; a 256th does not fit, and no half is written.
  std::u16string chinese(255, u'推');
  EXPECT_EQ(ToCodePage(kGbk, chinese + u"A").size(), 511u);
  EXPECT_EQ(ToCodePage(kGbk, chinese + u"推").size(), 0u);
  // A replacement that no longer fits fails the whole conversion too.
  EXPECT_EQ(ToCodePage(kGbk, std::u16string(510, u'A') + u"\x0E01\x0E01").size(), 0u);
}

TEST(CodePages, CharacterTheCodePageLacksBecomesQuestionMark) {
  // Thai is not in GBK.
  EXPECT_EQ(ToCodePage(kGbk, u"A\x0E01" u"B"), "A?B");
  // Code page 936 writes one '?' per surrogate unit, a pair included.
  EXPECT_EQ(ToCodePage(kGbk, u"A\U0001F600" u"B"), "A??B");
  // Lone surrogates give one '?' per unit, wherever they stand.
  const char16_t lone[] = {0xD800, u'A', 0xDC00, 0xDC01, 0xD801};
  EXPECT_EQ(ToCodePage(kGbk, std::u16string(lone, 5)), "?A???");
}

TEST(CodePages, OtherCodePagesFollowWindows) {
  EXPECT_EQ(ToCodePage(1252, u"\u00e9\u20ac"), "\xE9\x80");
  EXPECT_EQ(ToCodePage(1252, u"\u63a8"), "?");
  EXPECT_EQ(ToCodePage(932, u"\u65e5\u672c"), "\x93\xFA\x96\x7B");
  // UTF-8 writes U+FFFD for a lone surrogate, as Windows does.
  const char16_t lone[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(ToCodePage(65001, std::u16string(lone, 3)), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(ToCodePage(65001, u"\u63a8\U0001F600"), "\xE6\x8E\xA8\xF0\x9F\x98\x80");
}

TEST(CodePages, NoTextOrUnknownCodePageGivesZero) {
  char out[8];
  EXPECT_EQ(WideToCodePage(kGbk, u"A", 0, out, 8), 0);
  EXPECT_EQ(WideToCodePage(kGbk, u"A", -1, out, 8), 0);
  // An unknown code page, and UTF-16, which these conversions do not take.
  EXPECT_EQ(WideToCodePage(12345, u"A", 1, out, 8), 0);
  EXPECT_EQ(WideToCodePage(1200, u"A", 1, out, 8), 0);
  char16_t wide[8];
  EXPECT_EQ(CodePageToWide(12345, "A", wide, 8), 0);
}

TEST(CodePages, CodePageToWideIncludesTheTerminatorAndIsAllOrNothing) {
  char16_t out[8];
  ASSERT_EQ(CodePageToWide(kGbk, "\xCD\xC6\xBC\xF6" "A", out, 8), 4);
  EXPECT_EQ(std::u16string(out, 4), std::u16string(u"推荐A", 4));
  EXPECT_EQ(out[3], 0);
  EXPECT_EQ(CodePageToWide(kGbk, "\xCD\xC6\xBC\xF6" "A", out, 4), 4);
  EXPECT_EQ(CodePageToWide(kGbk, "\xCD\xC6\xBC\xF6" "A", out, 3), 0);
  EXPECT_EQ(CodePageToWide(kGbk, "", out, 1), 1);
  EXPECT_EQ(out[0], 0);
}

TEST(CodePages, CodePageToWideReadsBytesAsWindowsDoes) {
  char16_t out[8];
  // 0x80 is the euro sign in code page 936.
  ASSERT_EQ(CodePageToWide(kGbk, "\x80", out, 8), 2);
  EXPECT_EQ(out[0], 0x20AC);
  // 0xFF is a user-defined character; a lead byte before the terminator has
  // no trail and is one '?', the terminator stays.
  ASSERT_EQ(CodePageToWide(kGbk, "A\xFF" "B\x81", out, 8), 5);
  EXPECT_EQ(std::u16string(out, 5), std::u16string(u"A\uF8F5B?", 5));
  // A lead byte takes any byte but NUL as its trail: one '?' for both.
  ASSERT_EQ(CodePageToWide(kGbk, "\x81\x30", out, 8), 2);
  EXPECT_EQ(out[0], u'?');
}

TEST(CodePages, Cp936TakesWindowsOwnMappings) {
  // Best-fit characters, the user-defined area and the other differences
  // from glibc, as Win32 converts them.
  const struct {
    char16_t unit;
    const char* bytes;
  } kCases[] = {
      {0x00A5, "\xA3\xA4"}, {0x00AA, "a"},          {0x00B7, "\xA1\xA4"},
      {0xE000, "\xAA\xA1"}, {0xE4C6, "\xA1\x40"}, {0xF8F5, "\xFF"},
      {0xE468, "\xFE\xA1"}, {0x20AC, "\x80"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ToCodePage(kGbk, std::u16string(1, c.unit)), c.bytes) << std::hex << c.unit;
    if (c.unit == 0x00A5 || c.unit == 0x00AA || c.unit == 0x00B7) continue;  // one way
    char16_t wide[4];
    ASSERT_EQ(CodePageToWide(kGbk, c.bytes, wide, 4), 2) << std::hex << c.unit;
    EXPECT_EQ(wide[0], c.unit);
  }
  // The table applies inside longer text, and a best-fit character that
  // needs two bytes counts two against the limit.
  EXPECT_EQ(ToCodePage(kGbk, u"A\u00A5\uE000\u63A8B"), "A\xA3\xA4\xAA\xA1\xCD\xC6" "B");
  EXPECT_EQ(ToCodePage(kGbk, std::u16string(509, u'A') + u"\u00A5", 511).size(), 511u);
  EXPECT_EQ(ToCodePage(kGbk, std::u16string(510, u'A') + u"\u00A5", 511).size(), 0u);
}

TEST(CodePages, RoundTripOfEveryGbkTwoByteCharacterWithoutLoss) {
  // Every character GBK can encode converts back to the same bytes.
  int checked = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char bytes[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
      char16_t wide[4];
      ASSERT_GT(CodePageToWide(kGbk, bytes, wide, 4), 0);
      if (wide[0] == u'?') continue;  // not a character
      ASSERT_EQ(wide[1], 0) << std::hex << lead << " " << trail;
      char back[4];
      ASSERT_EQ(WideToCodePage(kGbk, wide, 1, back, 4), 2) << std::hex << lead << trail;
      ASSERT_EQ(std::memcmp(back, bytes, 2), 0) << std::hex << lead << trail;
      ++checked;
    }
  }
  EXPECT_GT(checked, 21000);
}

TEST(CodePages, ConversionMakesNoHeapAllocationAfterTheFirstCall) {
  const std::u16string text = u"(TNC,002,1,3954.5000,11623.2000,推荐\x0E01";
  char out[512];
  char16_t wide[64];
  // The first call of each direction may open the converter.
  WideToCodePage(kGbk, text.data(), static_cast<int>(text.size()), out, 511);
  CodePageToWide(kGbk, "\xCD\xC6", wide, 64);
  test::AllocationCounter counter;
  for (int i = 0; i < 10; ++i) {
    EXPECT_GT(WideToCodePage(kGbk, text.data(), static_cast<int>(text.size()), out, 511), 0);
    EXPECT_EQ(WideToCodePage(kGbk, text.data(), static_cast<int>(text.size()), out, 4), 0);
    EXPECT_EQ(CodePageToWide(kGbk, "\xCD\xC6\xBC\xF6\xFF", wide, 64), 4);
  }
  EXPECT_EQ(counter.count(), 0u);
}

TEST(CodePages, SystemCodePageComesFromTheEnvironmentOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("VEXA_CODEPAGE");
        std::exit(AnsiCodePage() == 936 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        setenv("VEXA_CODEPAGE", "1252", 1);
        unsigned first = AnsiCodePage();
        setenv("VEXA_CODEPAGE", "932", 1);
        char out[4];
        int n = WideToCodePage(0, u"\u00e9", 1, out, 4);
        std::exit(first == 1252 && AnsiCodePage() == 1252 && n == 1 &&
                          out[0] == '\xE9'
                      ? 0
                      : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        setenv("VEXA_CODEPAGE", "not a number", 1);
        std::exit(AnsiCodePage() == 936 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vexa::platform
