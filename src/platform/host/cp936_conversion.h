// Code page 936 (GBK), the head units' own, converted exactly as Windows
// converts it: glibc's converter with the generated table of Windows'
// differences on top (cp936_windows_table.h: best-fit characters, the
// user-defined areas, undefined bytes). Every surrogate unit, paired or not,
// becomes one '?', a sequence Windows cannot read becomes '?', and a lead
// byte takes any byte but NUL as its trail byte.
//
// Host-only, called by code_pages.cc with its descriptor for code page 936
// in the asked direction, reset, under its lock. All or nothing, as the
// Win32 functions: 0 when the result does not fit. No heap allocation.

#ifndef VEXA_SRC_PLATFORM_HOST_CP936_CONVERSION_H_
#define VEXA_SRC_PLATFORM_HOST_CP936_CONVERSION_H_

#include <iconv.h>

namespace vexa::platform::host {

// `units` UTF-16 units into at most `capacity` bytes; the byte count.
int Cp936FromWide(iconv_t cd, const char16_t* text, int units, char* out, int capacity);

// NUL-terminated text, its terminator included, into at most `capacity`
// UTF-16 units; the unit count.
int Cp936ToWide(iconv_t cd, const char* text, char16_t* out, int capacity);

}  // namespace vexa::platform::host

#endif  // VEXA_SRC_PLATFORM_HOST_CP936_CONVERSION_H_
