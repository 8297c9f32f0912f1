// Fuzzes the field conversions of the destination text on arbitrary field
// contents: both coordinate notations (degrees and minutes with either
// degree width), the route-preference word and digit, and the saturating
// integer reader of the via-point count.
//
// The process runs under a decimal-comma locale when one is installed, and
// every result is compared with a reference computed here by glibc's strtod
// in the "C" locale over the decimal notation alone (an independent reader
// from the library's), so a conversion that follows the caller's locale,
// rounds differently, or reads a hexadecimal, infinity or NaN form or a 'd'
// exponent, is caught. The
// field sits in a heap block of exactly its length plus the terminator, so a
// read behind the terminator is caught too. Out-of-range and non-finite
// values must come out as 0 (no coordinate), never as undefined behaviour.

#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <locale.h>

#include "destination/protocol_fields.h"
#include "packet_checks.h"

namespace {

using vexa::fuzz::Check;

constexpr std::size_t kMaxField = 4096;

locale_t g_c_locale;

// The decimal notation alone, as the head unit's atof reads it: white
// space, a sign, digits with an optional point, an exponent ('e' or 'E')
// only when a digit follows it. Hexadecimal, "inf", "nan" and a 'd'
// exponent are no numbers.
std::size_t DecimalPrefix(const char* text) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  if (*p == '+' || *p == '-') ++p;
  const char* mantissa = p;
  while (digit(*p)) ++p;
  std::size_t digits = static_cast<std::size_t>(p - mantissa);
  if (*p == '.') {
    const char* fraction = ++p;
    while (digit(*p)) ++p;
    digits += static_cast<std::size_t>(p - fraction);
  }
  if (digits == 0) return 0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (digit(*q)) {
      while (digit(*q)) ++q;
      p = q;
    }
  }
  return static_cast<std::size_t>(p - text);
}

// strtod in the "C" locale over a copy of the decimal prefix only, so that
// nothing but the decimal notation can be read.
double ReadDouble(const char* text) {
  const std::size_t length = DecimalPrefix(text);
  if (length == 0) return 0.0;
  char prefix[kMaxField + 1];
  std::memcpy(prefix, text, length);
  prefix[length] = '\0';
  return strtod_l(prefix, nullptr, g_c_locale);
}

// The rounded value r must give trunc(r) when that fits a signed 32-bit
// integer and 0 when it clearly does not (or r is not a number). Between
// the two, within one unit of the limits, either is accepted.
void CheckUnits(double r, std::int32_t actual, const char* what) {
  if (r >= -2147483648.0 && r <= 2147483647.0) {
    Check(actual == static_cast<std::int32_t>(r), what);
  } else if (!(r > -2147483649.0 && r < 2147483648.0)) {
    Check(actual == 0, what);
  } else {
    Check(actual == 0 || actual == static_cast<std::int32_t>(r), what);
  }
}

void CheckDecimalDegrees(const char* field) {
  // One operation per statement: the library's order of rounding.
  const double degrees = ReadDouble(field);
  const double seconds = degrees * 3600.0;
  const double units = seconds * 2560.0;
  const double r = units + 0.5;
  CheckUnits(r, vexa::destination::DecimalDegreesToUnits(field),
             "DecimalDegreesToUnits differs from the C-locale reference");
}

void CheckDegreesMinutes(const char* field, int width) {
  int whole = 0;
  std::sscanf(field, width == 2 ? "%2d" : "%3d", &whole);
  // A field shorter than its degree width has no minutes.
  const double minutes =
      std::strlen(field) >= static_cast<std::size_t>(width) ? ReadDouble(field + width) : 0.0;
  const double degree_seconds = static_cast<double>(whole) * 3600.0;
  const double minute_seconds = minutes * 60.0;
  const double seconds = degree_seconds + minute_seconds;
  const double units = seconds * 2560.0;
  const double r = units + 0.5;
  CheckUnits(r, vexa::destination::DegreesMinutesToUnits(field, width),
             width == 2 ? "DegreesMinutesToUnits(2) differs from the reference"
                        : "DegreesMinutesToUnits(3) differs from the reference");
}

void CheckRouteWord(const char* field) {
  static const char* const kWords[] = {"\xCD\xC6\xBC\xF6", "\xD7\xEE\xBF\xEC",
                                       "\xD7\xEE\xB6\xCC", "\xBE\xAD\xBC\xC3"};
  int expected = -1;
  for (int mode = 0; mode < 4; ++mode) {
    if (std::strcmp(field, kWords[mode]) == 0) expected = mode;
  }
  Check(vexa::destination::RouteModeFromWord(field) == expected,
        "RouteModeFromWord maps a field wrongly");
}

void CheckRouteDigit(char digit) {
  int expected = -1;
  switch (digit) {
    case '0': expected = 0; break;
    case '1': expected = 1; break;
    case '2': expected = 3; break;
    case '3': expected = 1; break;
    case '4': expected = 2; break;
    default: break;
  }
  Check(vexa::destination::RouteModeFromDigit(digit) == expected,
        "RouteModeFromDigit maps a character wrongly");
}

void CheckViaCount(const char* text) {
  long long value = std::strtoll(text, nullptr, 10);
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  Check(vexa::destination::ReadIntSaturated(text) == static_cast<int>(value),
        "ReadIntSaturated differs from the clamped reference");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  Check(g_c_locale != locale_t{}, "no C locale object");
  // A caller's decimal comma must change nothing; without such a locale
  // the run still checks everything else.
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    std::setlocale(LC_ALL, "de_DE.utf8");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxField) return 0;
  char* field = static_cast<char*>(std::malloc(size + 1));
  if (field == nullptr) return 0;
  if (size > 0) std::memcpy(field, data, size);
  field[size] = '\0';

  CheckDecimalDegrees(field);
  CheckDegreesMinutes(field, 2);
  CheckDegreesMinutes(field, 3);
  CheckRouteWord(field);
  CheckRouteDigit(field[0]);
  CheckViaCount(field);

  std::free(field);
  return 0;
}
