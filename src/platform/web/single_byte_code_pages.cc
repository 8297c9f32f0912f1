// The single-byte code pages of the web build (see single_byte_code_pages.h).

#include "platform/web/single_byte_code_pages.h"

namespace vexa::platform::web {
namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The byte `unit` is in `table`, or '?' when the code page lacks it.
char ByteOf(const SingleByteCodePage& table, char16_t unit) {
  if (unit < 0x80) return static_cast<char>(unit);
  for (unsigned i = 0; i < 128; ++i) {
    if (table.high[i] == unit && unit != 0xFFFD) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

}  // namespace

const SingleByteCodePage* FindSingleByte(unsigned code_page) {
  for (const SingleByteCodePage& table : kSingleByteCodePages) {
    if (table.code_page == code_page) return &table;
  }
  return nullptr;
}

int WideToSingleByte(const SingleByteCodePage& table, const char16_t* text,
                     int units, char* out, int capacity) {
  if (units <= 0 || capacity <= 0) return 0;
  int written = 0;
  for (int i = 0; i < units; ++i) {
    if (written == capacity) return 0;  // all or nothing
    // A surrogate pair is one character, which no single-byte page has.
    if (IsHighSurrogate(text[i]) && i + 1 < units &&
        IsLowSurrogate(text[i + 1])) {
      ++i;
    }
    out[written++] = ByteOf(table, text[i]);
  }
  return written;
}

int SingleByteToWide(const SingleByteCodePage& table, const char* text,
                     char16_t* out, int capacity) {
  if (capacity <= 0) return 0;
  int written = 0;
  for (const char* p = text;; ++p) {
    if (written == capacity) return 0;
    const auto byte = static_cast<unsigned char>(*p);
    out[written++] = byte < 0x80 ? byte : table.high[byte - 0x80];
    if (byte == 0) return written;
  }
}

}  // namespace vexa::platform::web
