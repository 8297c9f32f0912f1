// The decimal number notation that destination text uses, shared by both
// platform layers: white space, an optional sign, digits with an optional
// decimal point, and an optional exponent. The head unit's runtime reads
// nothing else, so the C99 forms that a newer strtod also accepts
// (hexadecimal, "inf", "nan") are not numbers here.

#ifndef VEXA_SRC_PLATFORM_DECIMAL_NUMBER_H_
#define VEXA_SRC_PLATFORM_DECIMAL_NUMBER_H_

#include <cstddef>

namespace vexa::platform {

// The length of the longest prefix of `text` that reads as a decimal number
// (white space included), or 0 when there is no digit before the exponent.
std::size_t DecimalNumberLength(const char* text);

// Given what a "C"-locale strtod read from `text` (its value and where it
// stopped), the value by the decimal notation alone: the same value when
// strtod read exactly the decimal prefix, otherwise 0 (strtod then read a
// hexadecimal, infinity or NaN form, whose decimal reading is at most "0").
double DecimalValue(const char* text, double strtod_value, const char* strtod_end);

}  // namespace vexa::platform

#endif  // VEXA_SRC_PLATFORM_DECIMAL_NUMBER_H_
