// The web build's code page 936 conversion (src/platform/web/code_pages.cc,
// compiled here for the host) against the host layer's (glibc and the table
// of Windows' differences, which the Wine suite holds to Windows), over
// every UTF-16 unit and every one- and two-byte sequence. The web layer
// writes units through the inverse of its byte table, so this is where a
// unit it gets wrong shows, whichever unit it is.
//
// The program links the two conversions alone: the host's code_pages.cc
// defines the same platform functions as the web's.

#include <iconv.h>

#include <cstring>

#include <gtest/gtest.h>

#include "platform/host/cp936_conversion.h"
#include "platform/platform.h"

namespace vexa::platform {
namespace {

constexpr unsigned kGbk = 936;

// char16_t text is in the machine's byte order.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr char kWideName[] = "UTF-16LE";
#else
constexpr char kWideName[] = "UTF-16BE";
#endif

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

}  // namespace
}  // namespace vexa::platform
