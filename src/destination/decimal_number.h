// The decimal numbers of destination text, read the same way on every
// build: leading white space, an optional sign, digits with an optional
// decimal point, and an optional exponent ('e' or 'E', then an optional sign
// and at least one digit); reading stops at the first other character. No
// other form is a number: no hexadecimal, "inf" or "nan", and no 'd'
// exponent, which some C runtimes accept. The value is correctly rounded
// and never depends on the caller's locale. Nothing here allocates; all
// functions are reentrant.

#ifndef VEXA_SRC_DESTINATION_DECIMAL_NUMBER_H_
#define VEXA_SRC_DESTINATION_DECIMAL_NUMBER_H_

namespace vexa::destination {

// The white space that the C library's number readers (atof, atoi, strtol,
// sscanf's conversions) skip in the "C" locale. Every reader of destination
// text skips exactly these.
constexpr bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number at the start of `text`, as atof reads it in the "C" locale,
// into *number: 0.0 when there is none (or `text` is null). A value too
// large for a double is an infinity of its sign; one too small is a zero of
// its sign. It comes back through memory, not as the return value: on
// 32-bit x86 a returned double passes through the x87 registers, and the
// coordinate conversions hold no x87 instruction (scripts/check-x87.sh).
void ReadDecimalNumber(const char* text, double* number);

// The same number as the return value, for callers outside the conversions.
inline double ReadDecimalNumber(const char* text) {
  double number = 0.0;
  ReadDecimalNumber(text, &number);
  return number;
}

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_DECIMAL_NUMBER_H_
