// The web build's single-byte code pages against the host's: every byte of
// every page must read as the host layer (glibc's converter) reads it, and
// every character read write back as the host writes it, which is all the
// tool asks of a page an interchange file is named in; so the page reads a
// file named 1252 exactly as the tool does. Fails when single_byte_table.h
// is out of date (scripts/make-single-byte-table.sh regenerates it).

#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/web/single_byte_code_pages.h"

namespace vexa::platform {
namespace {

TEST(WebSingleByteCodePages, ReadAndWriteAsTheHostDoes) {
  for (const web::SingleByteCodePage& table : web::kSingleByteCodePages) {
    const unsigned code_page = table.code_page;
    SCOPED_TRACE("code page " + std::to_string(code_page));
    ASSERT_EQ(web::FindSingleByte(code_page), &table);
    for (unsigned byte = 1; byte <= 0xFF; ++byte) {
      const char text[2] = {static_cast<char>(byte), '\0'};
      char16_t host[4] = {};
      char16_t page[4] = {};
      ASSERT_EQ(CodePageToWide(code_page, text, host, 4), 2) << byte;
      ASSERT_EQ(web::SingleByteToWide(table, text, page, 4), 2) << byte;
      EXPECT_EQ(page[0], host[0]) << "byte " << byte;
      EXPECT_EQ(page[1], 0);
      if (page[0] == 0xFFFD) continue;
      char host_byte[8];
      char page_byte[8];
      ASSERT_EQ(WideToCodePage(code_page, page, 1, host_byte, 8), 1) << byte;
      ASSERT_EQ(web::WideToSingleByte(table, page, 1, page_byte, 8), 1) << byte;
      EXPECT_EQ(page_byte[0], host_byte[0]) << "byte " << byte;
    }
  }
  EXPECT_EQ(web::FindSingleByte(936), nullptr);
}

TEST(WebSingleByteCodePages, AllOrNothingWithTheTerminator) {
  const web::SingleByteCodePage& table = *web::FindSingleByte(1252);
  char16_t wide[4];
  EXPECT_EQ(web::SingleByteToWide(table, "M\xFC", wide, 3), 3);
  EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"M\u00FC\0", 3));
  EXPECT_EQ(web::SingleByteToWide(table, "M\xFC", wide, 2), 0);
  char bytes[4];
  // A surrogate pair is one character the page lacks: one '?'.
  EXPECT_EQ(web::WideToSingleByte(table, u"\xFC\xD83D\xDE97", 3, bytes, 4), 2);
  EXPECT_EQ(std::string(bytes, 2), "\xFC?");
  EXPECT_EQ(web::WideToSingleByte(table, u"ab", 2, bytes, 1), 0);
}

}  // namespace
}  // namespace vexa::platform
