// Emscripten 3.1's libc++ has std::from_chars for integers only, while the
// tool's interchange readers read coordinates with the floating overload.
// The web build forces this header into them: it adds that overload over
// fast_float, which reads as the standard's does (the "C" notation, no
// locale, correctly rounded), so the page reads numbers as the tool does.

#ifndef VEXA_WEB_MODULE_CHARCONV_DOUBLE_H_
#define VEXA_WEB_MODULE_CHARCONV_DOUBLE_H_

#include <charconv>
#include <cmath>
#include <system_error>

#include "fast_float.h"

namespace std {

inline from_chars_result from_chars(const char* first, const char* last,
                                    double& value,
                                    chars_format format = chars_format::general) {
  double read = 0;
  const auto result = fast_float::from_chars(
      first, last, read,
      format == chars_format::fixed ? fast_float::chars_format::fixed
      : format == chars_format::scientific ? fast_float::chars_format::scientific
                                           : fast_float::chars_format::general);
  if (result.ec != std::errc()) return {first, result.ec};
  // The standard's overload reports a value beyond double's range and
  // leaves `value` alone; fast_float gives infinity for it.
  const bool spelled_infinity = (*first == 'i' || *first == 'I') ||
                                ((*first == '-') && result.ptr - first > 1 &&
                                 (first[1] == 'i' || first[1] == 'I'));
  if (std::isinf(read) && !spelled_infinity) {
    return {result.ptr, std::errc::result_out_of_range};
  }
  value = read;
  return {result.ptr, std::errc()};
}

}  // namespace std

#endif  // VEXA_WEB_MODULE_CHARCONV_DOUBLE_H_
