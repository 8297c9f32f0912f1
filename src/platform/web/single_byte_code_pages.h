// The single-byte Windows code pages of the web build (874, 1250 to 1258),
// in which a user may name an interchange file's encoding. They read as the
// tool reads them on Linux (single_byte_table.h comes from glibc's
// converter), with the Win32 semantics of the host layer: the results are
// all or nothing, a character the code page lacks becomes '?' (a surrogate
// pair once), and a byte the code page has no character for becomes U+FFFD.
//
// Constant data; the functions keep no state and allocate nothing.

#ifndef VEXA_SRC_PLATFORM_WEB_SINGLE_BYTE_CODE_PAGES_H_
#define VEXA_SRC_PLATFORM_WEB_SINGLE_BYTE_CODE_PAGES_H_

#include "platform/web/single_byte_table.h"

namespace vexa::platform::web {

// The table of `code_page`, or null when it is not one of these.
const SingleByteCodePage* FindSingleByte(unsigned code_page);

// As WideToCodePage: the bytes written, or 0 when they do not fit.
int WideToSingleByte(const SingleByteCodePage& table, const char16_t* text,
                     int units, char* out, int capacity);

// As CodePageToWide: the NUL-terminated `text` as UTF-16, the units written
// including the terminator, or 0 when they do not fit.
int SingleByteToWide(const SingleByteCodePage& table, const char* text,
                     char16_t* out, int capacity);

}  // namespace vexa::platform::web

#endif  // VEXA_SRC_PLATFORM_WEB_SINGLE_BYTE_CODE_PAGES_H_
