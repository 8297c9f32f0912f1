#include "destination/decimal_number.h"

// fast_float: the correctly rounded decimal-to-binary conversion, header only;
// it neither throws nor allocates nor reads the locale.
#include <fast_float.h>

namespace vexa::destination {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void ReadDecimalNumber(const char* text, double* number) {
  *number = 0.0;
  if (text == nullptr) return;
  const char* p = text;
  while (IsSpace(*p)) ++p;
  // from_chars reads no '+' and no white space: the sign is applied here.
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;

  const char* const mantissa = p;
  bool digits = false;
  for (; IsDigit(*p); ++p) digits = true;
  if (*p == '.') {
    for (++p; IsDigit(*p); ++p) digits = true;
  }
  if (!digits) return;

  // An exponent counts only when at least one digit follows its letter.
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }

  // The scan above has fixed the number's extent, so the conversion sees
  // exactly the text that counts. Like strtod, fast_float gives an infinity
  // for a value too large and a zero for one too small (it saturates the
  // exponent, however many digits it has); nothing else can fail here.
  double value = 0.0;
  fast_float::from_chars(mantissa, p, value);
  *number = negative ? -value : value;
}

}  // namespace vexa::destination
