// The one retry loop of the host's iconv conversions: glibc stops at each
// sequence it cannot convert, and a Win32 conversion replaces it instead.
//
// Host-only; used by code_pages.cc and cp936_conversion.cc, and by the test
// that holds the web build's conversions to the host's.

#ifndef VEXA_SRC_PLATFORM_HOST_ICONV_RUN_H_
#define VEXA_SRC_PLATFORM_HOST_ICONV_RUN_H_

#include <errno.h>
#include <iconv.h>

#include <cstddef>
#include <cstring>

namespace vexa::platform::host {

// iconv's name of char16_t text, in the machine's byte order.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
inline constexpr char kWideName[] = "UTF-16LE";
#else
inline constexpr char kWideName[] = "UTF-16BE";
#endif

// Appends `size` bytes at *put; false (and nothing written) when fewer than
// that are left.
inline bool PutBytes(const char* bytes, std::size_t size, char** put,
                     std::size_t* put_left) {
  if (*put_left < size) return false;
  std::memcpy(*put, bytes, size);
  *put += size;
  *put_left -= size;
  return true;
}

// Converts `in_left` bytes at `in` with `cd`, appending at *put. Each
// sequence that iconv refuses (invalid, lacking in the target, or cut off)
// becomes the `replacement_size` bytes of `replacement`, and
// `skip(in, in_left)` bytes of input (at least 1, at most in_left) are
// dropped for it. False when the result does not fit.
template <class Skip>
bool IconvWithReplacement(iconv_t cd, const char* in, std::size_t in_left,
                          const char* replacement, std::size_t replacement_size,
                          Skip skip, char** put, std::size_t* put_left) {
  // iconv takes a non-const input pointer but does not write through it.
  char* next = const_cast<char*>(in);
  while (in_left > 0) {
    if (iconv(cd, &next, &in_left, put, put_left) != static_cast<std::size_t>(-1)) {
      return true;
    }
    if ((errno != EILSEQ && errno != EINVAL) ||  // E2BIG: it does not fit
        !PutBytes(replacement, replacement_size, put, put_left)) {
      return false;
    }
    const std::size_t dropped = skip(next, in_left);
    next += dropped;
    in_left -= dropped;
  }
  return true;
}

}  // namespace vexa::platform::host

#endif  // VEXA_SRC_PLATFORM_HOST_ICONV_RUN_H_
