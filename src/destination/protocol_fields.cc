#include "destination/protocol_fields.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "destination/decimal_number.h"
#include "destination/destination_packet.h"

namespace vexa::destination {

namespace {

// The conversions give the same units on every build only if every product
// and sum below is rounded to double as written. Two things could change
// that: a fused multiply-add, which the build forbids (-ffp-contract=off),
// and excess precision: the x87 unit of 32-bit x86 keeps intermediates in
// 80 bits, whatever the variables are declared as, so the build computes
// with SSE2 there (cmake/VexaFloatingPoint.cmake). A build that evaluates
// in a wider type stops here rather than ship other coordinates.
static_assert(FLT_EVAL_METHOD == 0,
              "floating point must be evaluated in the type's own precision "
              "(on 32-bit x86: -msse2 -mfpmath=sse)");

constexpr double kSecondsPerDegree = 3600.0;
constexpr double kSecondsPerMinute = 60.0;
constexpr double kUnitsPerSecond = 2560.0;

// Truncates toward zero. A value that is NaN, infinite or whose truncation
// does not fit a signed 32-bit integer is no coordinate: converting it
// would be undefined behaviour.
std::int32_t TruncateToUnits(double r) {
  if (!(r > -2147483649.0 && r < 2147483648.0)) return 0;
  return static_cast<std::int32_t>(r);
}

// Reads the whole degrees as sscanf's "%2d" or "%3d" does: white space is
// skipped, then at most `width` characters, a sign among them, are read as
// a decimal integer; without digits the result is 0. Copying just those
// characters lets strtol, the C library's own reader, see exactly what the
// scan would, at a fraction of the formatted scan's cost. Integer reading
// does not depend on the locale's decimal point.
int ReadDegrees(const char* field, int width) {
  while (IsSpace(*field)) ++field;
  char digits[4] = {};
  for (int i = 0; i < width && field[i] != '\0'; ++i) digits[i] = field[i];
  return static_cast<int>(std::strtol(digits, nullptr, 10));
}

}  // namespace

std::int32_t DecimalDegreesToUnits(const char* field) {
  // One rounding per step, in this order (see FLT_EVAL_METHOD above).
  double degrees = 0.0;
  ReadDecimalNumber(field, &degrees);
  const double seconds = degrees * kSecondsPerDegree;
  const double units = seconds * kUnitsPerSecond;
  return TruncateToUnits(units + 0.5);
}

std::int32_t DegreesMinutesToUnits(const char* field, int width) {
  const int degrees = ReadDegrees(field, width);

  // The minutes begin at position `width` only when the field reaches that
  // far; reading there otherwise would run past the field's terminator.
  double minutes = 0.0;
  if (std::memchr(field, '\0', static_cast<std::size_t>(width)) == nullptr) {
    ReadDecimalNumber(field + width, &minutes);
  }

  const double degree_seconds = static_cast<double>(degrees) * kSecondsPerDegree;
  const double minute_seconds = minutes * kSecondsPerMinute;
  const double seconds = degree_seconds + minute_seconds;
  const double units = seconds * kUnitsPerSecond;
  return TruncateToUnits(units + 0.5);
}

int RouteModeFromWord(const char* field) {
  // GBK bytes of the four words, in the order they are compared.
  static const char* const kWords[] = {
      "\xCD\xC6\xBC\xF6",  // 推荐, recommended
      "\xD7\xEE\xBF\xEC",  // 最快, fastest
      "\xD7\xEE\xB6\xCC",  // 最短, shortest
      "\xBE\xAD\xBC\xC3",  // 经济, economical
  };
  for (int mode = 0; mode < 4; ++mode) {
    if (std::strcmp(field, kWords[mode]) == 0) return mode;
  }
  return -1;
}

int RouteModeFromDigit(char digit) {
  switch (digit) {
    case '0': return Recommended;
    case '1': return Fastest;
    case '2': return Economical;
    case '3': return Fastest;
    case '4': return Shortest;
    default: return -1;
  }
}

int ReadIntSaturated(const char* text) {
  // strtol saturates at the long range and base 10 accepts exactly what
  // atoi does; the int range is then enforced here.
  const int saved_errno = errno;
  const long value = std::strtol(text, nullptr, 10);
  errno = saved_errno;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace vexa::destination
