// The web build's code pages (src/platform/web/, compiled here for the
// host) against the host's, over every input: code page 936 against the
// host layer's (glibc and the table of Windows' differences, which the Wine
// suite holds to Windows) for every UTF-16 unit and every one- and two-byte
// sequence; the single-byte pages against glibc, which the tool reads them
// with, for every byte and its way back. The web layer writes units through
// the inverse of its byte table, so this is where a unit it gets wrong
// shows, whichever unit it is. A stale single_byte_table.h fails here too
// (scripts/make-single-byte-table.sh regenerates it).
//
// The program links the two conversions alone: the host's code_pages.cc
// defines the same platform functions as the web's.

#include <iconv.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/host/cp936_conversion.h"
#include "platform/host/iconv_run.h"
#include "platform/platform.h"
#include "platform/web/single_byte_table.h"

namespace vexa::platform {
namespace {

constexpr unsigned kGbk = 936;
using host::kWideName;

class WebCodePages : public ::testing::Test {
 protected:
  void SetUp() override {
    to_code_page_ = iconv_open("CP936", kWideName);
    to_wide_ = iconv_open(kWideName, "CP936");
    ASSERT_NE(to_code_page_, reinterpret_cast<iconv_t>(-1));
    ASSERT_NE(to_wide_, reinterpret_cast<iconv_t>(-1));
  }
  void TearDown() override {
    if (to_code_page_ != reinterpret_cast<iconv_t>(-1)) iconv_close(to_code_page_);
    if (to_wide_ != reinterpret_cast<iconv_t>(-1)) iconv_close(to_wide_);
  }

  iconv_t to_code_page_ = reinterpret_cast<iconv_t>(-1);
  iconv_t to_wide_ = reinterpret_cast<iconv_t>(-1);
};

TEST_F(WebCodePages, EveryUnitBecomesTheBytesTheHostWrites) {
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    const char16_t unit = static_cast<char16_t>(u);
    // Room for the character, then one byte short of a two-byte one.
    for (int capacity : {2, 1}) {
      char web[2] = {};
      char host[2] = {};
      iconv(to_code_page_, nullptr, nullptr, nullptr, nullptr);
      const int expected = host::Cp936FromWide(to_code_page_, &unit, 1, host, capacity);
      ASSERT_EQ(WideToCodePage(kGbk, &unit, 1, web, capacity), expected)
          << std::hex << "unit " << u << " into " << capacity;
      ASSERT_EQ(std::memcmp(web, host, sizeof web), 0) << std::hex << "unit " << u;
    }
  }
}

TEST_F(WebCodePages, EveryOneAndTwoByteSequenceReadsAsOnTheHost) {
  // A second byte of 0 is the terminator: the first byte alone, lead or not.
  for (unsigned first = 1; first <= 0xFF; ++first) {
    for (unsigned second = 0; second <= 0xFF; ++second) {
      const char text[3] = {static_cast<char>(first), static_cast<char>(second), 0};
      char16_t web[3] = {};
      char16_t host[3] = {};
      iconv(to_wide_, nullptr, nullptr, nullptr, nullptr);
      const int expected = host::Cp936ToWide(to_wide_, text, host, 3);
      ASSERT_EQ(CodePageToWide(kGbk, text, web, 3), expected)
          << std::hex << first << " " << second;
      ASSERT_EQ(std::memcmp(web, host, sizeof web), 0) << std::hex << first << " " << second;
    }
  }
}

TEST(WebSingleByteCodePages, EveryByteReadsAsGlibcReadsItAndBack) {
  for (const web::SingleByteCodePage& table : web::kSingleByteCodePages) {
    const unsigned code_page = table.code_page;
    const std::string name = "CP" + std::to_string(code_page);
    const iconv_t cd = iconv_open(kWideName, name.c_str());
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << name;
    for (unsigned byte = 1; byte <= 0xFF; ++byte) {
      // glibc's reading, U+FFFD where it has none; a page that combines
      // marks (1255, 1258) gives a held-back letter out on the reset.
      char in_byte = static_cast<char>(byte);
      char* in = &in_byte;
      char16_t unit = 0xFFFD;
      char* put = reinterpret_cast<char*>(&unit);
      std::size_t in_left = 1;
      std::size_t put_left = sizeof unit;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &in, &in_left, &put, &put_left) == static_cast<std::size_t>(-1) ||
          iconv(cd, nullptr, nullptr, &put, &put_left) == static_cast<std::size_t>(-1)) {
        unit = 0xFFFD;
      }
      const char text[2] = {in_byte, '\0'};
      char16_t wide[2] = {};
      ASSERT_EQ(CodePageToWide(code_page, text, wide, 2), 2) << name << " " << byte;
      EXPECT_EQ(wide[0], unit) << std::hex << name << " byte " << byte;
      char back = 0;
      ASSERT_EQ(WideToCodePage(code_page, wide, 1, &back, 1), 1);
      EXPECT_EQ(back, unit == 0xFFFD ? '?' : in_byte) << std::hex << name << " byte " << byte;
    }
    iconv_close(cd);
  }
  // All or nothing; a surrogate pair is one character the page lacks.
  char16_t wide[3];
  EXPECT_EQ(CodePageToWide(1252, "M\xFC", wide, 2), 0);
  char bytes[2];
  EXPECT_EQ(WideToCodePage(1252, u"\xFC\xD83D\xDE97", 3, bytes, 2), 2);
  EXPECT_EQ(std::string(bytes, 2), "\xFC?");
  EXPECT_EQ(WideToCodePage(1252, u"ab", 2, bytes, 1), 0);
}

}  // namespace
}  // namespace vexa::platform
