#include "platform/decimal_number.h"

namespace vexa::platform {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::size_t DecimalNumberLength(const char* text) {
  const char* p = text;
  while (IsSpace(*p)) ++p;
  if (*p == '+' || *p == '-') ++p;
  bool digits = false;
  while (IsDigit(*p)) {
    ++p;
    digits = true;
  }
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) {
      ++p;
      digits = true;
    }
  }
  if (!digits) return 0;
  // The exponent counts only when at least one digit follows it.
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }
  return static_cast<std::size_t>(p - text);
}

double DecimalValue(const char* text, double strtod_value, const char* strtod_end) {
  if (static_cast<std::size_t>(strtod_end - text) != DecimalNumberLength(text)) {
    return 0.0;
  }
  return strtod_value;
}

}  // namespace vexa::platform
