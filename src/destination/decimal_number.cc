#include "destination/decimal_number.h"

#include <charconv>
#include <cmath>

namespace vexa::destination {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Saturates an exponent far beyond any double's range.
constexpr long kExponentLimit = 1000000;

}  // namespace

double ReadDecimalNumber(const char* text) {
  if (text == nullptr) return 0.0;
  const char* p = text;
  while (IsSpace(*p)) ++p;
  // from_chars reads no '+' and no white space: the sign is applied here.
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;

  const char* const mantissa = p;
  // The decimal exponent of the first significant digit, for telling an
  // overflow from an underflow below.
  long magnitude = 0;
  bool significant = false;
  bool digits = false;
  for (; IsDigit(*p); ++p) {
    digits = true;
    if (*p != '0') significant = true;
    if (significant) ++magnitude;
  }
  if (*p == '.') {
    for (++p; IsDigit(*p); ++p) {
      digits = true;
      if (significant) continue;
      if (*p != '0') {
        significant = true;
      } else {
        --magnitude;
      }
    }
  }
  if (!digits) return 0.0;

  // An exponent counts only when at least one digit follows its letter.
  long exponent = 0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    const bool exponent_negative = *q == '-';
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      for (; IsDigit(*q); ++q) {
        if (exponent < kExponentLimit) exponent = exponent * 10 + (*q - '0');
      }
      if (exponent_negative) exponent = -exponent;
      p = q;
    }
  }

  double value = 0.0;
  const std::from_chars_result result = std::from_chars(mantissa, p, value);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone; strtod gives an infinity for a
    // number too large and zero for one too small.
    value = magnitude + exponent > 0 ? HUGE_VAL : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace vexa::destination
